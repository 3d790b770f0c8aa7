#include "menubar/win32/app_menu_side.h"

#include "foundation/config_store.h"
#include "foundation/diagnostic_log.h"
#include "foundation/win32/network_drive.h"
#include "foundation/hook_protocol.h"
#include "foundation/text.h"
#include "gfx/win32/popup_menu.h"
#include "menubar/bar_geometry.h"
#include "menubar/win32/accessible_menu.h"
#include "menubar/win32/app_window.h"
#include "menubar/win32/explorer_view.h"

#include <cstdio>
#include <thread>

namespace kestrana::menubar::win32 {
namespace {

// A titles request answers in a few milliseconds; an application that takes longer is
// busy, and the bar shows its name alone rather than wait. Its titles are still taken
// when they come within the later deadline (a loaded machine, a slow start).
constexpr UINT kTitlesDeadlineMs = 300;
constexpr UINT kLateTitlesMs = 3000;
// The module must take an open request up within this time, or it is given up.
constexpr ULONGLONG kOpenPickUpMs = 1500;
constexpr int kMaxAccessibleWorkers = 4;

double ClockMs() {
    LARGE_INTEGER now{}, frequency{};
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart ? static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart) : 0;
}

} // namespace

AppMenuSide::~AppMenuSide() {
    for (auto* request : {&m_titlesRequest, &m_openRequest})
        if (*request) m_context.handshake->Abandon(**request);
}

void AppMenuSide::Follow(HWND foreground) {
    const ForegroundFacts facts = ReadForegroundFacts(foreground, m_context.monitor);
    if (!FollowsForeground(facts, m_context.severalBars && m_context.severalBars())) return;
    if (foreground == m_window && !m_titlesRequest) return;
    if (m_openRequest) return; // a menu of the shown window is open; it keeps the bar
    m_followedAt = ClockMs();
    EndRequest(m_titlesRequest, kTimerMenuTitles);
    m_accessiblePending.reset();
    ++m_generation; // a late answer about the window before is passed over
    m_window = foreground;
    m_native = {};
    m_accessibleTrack.End();
    ::KillTimer(m_context.bar, kTimerAccessibleWatch);

    auto& store = *m_context.store;
    NameSources sources;
    if (m_context.dockName) sources.dockName = m_context.dockName(facts.imagePath);
    if (!facts.imagePath.empty()) {
        sources.unsaveName = store.ReadString(L"unsaveicon", foundation::AsciiLower(facts.imagePath));
        // Read once per program, and never from a share or a drive mapped to one, which may
        // keep this thread waiting.
        const bool share = kestrana::win32::MayWaitOnNetwork(facts.imagePath);
        auto known = m_descriptions.find(facts.imagePath);
        if (known == m_descriptions.end() && m_descriptions.size() < 256)
            known = m_descriptions.emplace(facts.imagePath, share ? std::wstring() : FileDescription(facts.imagePath)).first;
        if (known != m_descriptions.end()) sources.fileDescription = known->second;
    }
    std::wstring name = UsesWindowTitleAsName(facts.className) && !facts.title.empty()
                            ? facts.title
                            : AppName(sources, facts.imagePath);
    if (facts.desktop || facts.className == L"Progman" || facts.className == L"WorkerW" ||
        facts.className == L"CabinetWClass")
        name = store.LanguageText(L"iconame", L"explorer", L"File Explorer");

    TitleOptions options;
    options.enabled = !(store.HasKey(L"finder", L"findermenu") && store.ReadInt(L"finder", L"findermenu") == 0);
    options.explorerThreeTitles = store.ReadInt(L"finder", L"findermenuthree") == 1;
    m_facts = facts;
    m_options = options;
    m_explorerView.reset();
    TitlePlan plan = PlanTitles(facts, store, options);
    m_titleKeys = std::move(plan.keys);
    if (plan.source != TitleSource::WindowMenu) {
        Show(std::move(name), std::move(plan.titles), plan.source);
        // Its own titles at once; "file" and "window" join them once its view answers.
        if (plan.source == TitleSource::Explorer) AskExplorerView(std::nullopt);
        return;
    }
    if (!plan.askWindow) {
        // Never asked: its name alone until it answers again and comes to the front anew.
        foundation::LogDetail("menu bar", L"not asking a window that does not answer: " + name);
        Show(std::move(name), {}, TitleSource::None);
        return;
    }
    const MenuBarRead read = ReadMenuBar(foreground);
    if (!read.menu) {
        // Perhaps a menu bar offered only through the accessibility interfaces.
        Show(std::move(name), {}, TitleSource::WindowMenu, false);
        AskAccessibleTitles(foreground);
        return;
    }
    m_native = {read.menu, foreground, nullptr};
    if (read.readable) {
        Show(std::move(name), CleanTitles(read.titles), TitleSource::WindowMenu);
        return;
    }
    // The menu lives in the application's process only: its name now, its titles when
    // the hook module has read them there.
    Show(std::move(name), {}, TitleSource::WindowMenu, false);
    AskTitles(foreground, read.menu);
}

void AppMenuSide::AskTitles(HWND window, HMENU menu) {
    MenuRequest request;
    request.ask = MenuAsk::Titles;
    request.window = reinterpret_cast<UINT_PTR>(window);
    request.menu = reinterpret_cast<UINT_PTR>(menu);
    request.bar = reinterpret_cast<UINT_PTR>(m_context.bar);
    const auto number = m_context.handshake->Begin(request);
    if (!number) {
        foundation::LogFailure("menu bar", "a menu request file could not be written");
        return;
    }
    if (!AskCompanion(CompanionFor(window), *number)) {
        foundation::LogDetail("menu bar", "no companion to read an application's menu titles");
        m_context.handshake->Abandon(*number);
        return;
    }
    m_titlesRequest = number;
    m_titlesLate = false;
    ::SetTimer(m_context.bar, kTimerMenuTitles, kTitlesDeadlineMs, nullptr);
}

void AppMenuSide::AskAccessibleTitles(HWND window) {
    // Applications that never answer keep their workers; past a few, nobody more is asked.
    if (m_mailbox->running.load() >= kMaxAccessibleWorkers) {
        foundation::LogDetail("menu bar", L"too many applications still describing themselves; not asking " + m_name.text);
        Show(std::wstring(m_name.text), {}, TitleSource::WindowMenu);
        return;
    }
    const std::uint64_t generation = m_generation;
    m_accessiblePending = generation;
    m_accessibleLate = false;
    ::SetTimer(m_context.bar, kTimerMenuTitles, kTitlesDeadlineMs, nullptr);
    try {
        ++m_mailbox->running;
        std::thread([mailbox = m_mailbox, window, bar = m_context.bar, generation] {
            auto found = FindAccessibleMenuBar(window);
            --mailbox->running;
            {
                std::lock_guard lock(mailbox->mutex);
                mailbox->generation = generation;
                mailbox->titles.reset();
                mailbox->window = nullptr;
                if (found) {
                    mailbox->titles = std::move(found->titles);
                    mailbox->window = found->window;
                }
            }
            ::PostMessageW(bar, kMsgAccessibleTitles, static_cast<WPARAM>(generation), 0);
        }).detach();
    } catch (...) {
        foundation::LogCaught("menu bar accessible titles");
        --m_mailbox->running;
        m_accessiblePending.reset();
    }
}

void AppMenuSide::AskExplorerView(const std::optional<Arrangement>& change) {
    if (m_mailbox->running.load() >= kMaxAccessibleWorkers) {
        foundation::LogDetail("menu bar", "too many applications still being asked; not asking File Explorer");
        return;
    }
    try {
        ++m_mailbox->running;
        std::thread([mailbox = m_mailbox, window = m_window, bar = m_context.bar, generation = m_generation, change] {
            const auto view = change ? ArrangeExplorerView(window, *change) : ReadExplorerView(window);
            --mailbox->running;
            ::PostMessageW(bar, kMsgExplorerView, static_cast<WPARAM>(generation), PackArrangement(view));
        }).detach();
    } catch (...) {
        foundation::LogCaught("menu bar explorer view");
        --m_mailbox->running;
    }
}

void AppMenuSide::OnExplorerView(std::uint64_t generation, LPARAM packed) {
    if (generation != m_generation || m_source != TitleSource::Explorer) return;
    const bool had = m_explorerView.has_value();
    m_explorerView = UnpackArrangement(packed);
    if (had == m_explorerView.has_value()) return;
    foundation::LogDetail("menu bar", m_explorerView ? "File Explorer's view answers" : "File Explorer's view is out of reach");
    ForegroundFacts facts = m_facts;
    facts.explorerCommands = m_explorerView.has_value();
    TitlePlan plan = PlanTitles(facts, *m_context.store, m_options);
    m_titleKeys = std::move(plan.keys);
    std::wstring name = m_name.text;
    Show(std::move(name), std::move(plan.titles), TitleSource::Explorer);
}

void AppMenuSide::OnAccessibleTitles(std::uint64_t generation) {
    if (m_accessiblePending != generation) return;
    std::optional<std::vector<std::wstring>> titles;
    HWND window = nullptr;
    {
        std::lock_guard lock(m_mailbox->mutex);
        if (m_mailbox->generation != generation) return;
        titles = std::move(m_mailbox->titles);
        window = m_mailbox->window;
    }
    m_accessiblePending.reset();
    ::KillTimer(m_context.bar, kTimerMenuTitles);
    if (m_accessibleLate) foundation::LogDetail("menu bar", L"accessible titles came late from " + m_name.text);
    if (titles && !titles->empty()) m_native = {nullptr, m_window, window};
    std::wstring name = m_name.text;
    Show(std::move(name), titles ? CleanTitles(*titles) : std::vector<std::wstring>{}, TitleSource::WindowMenu);
}

void AppMenuSide::EndRequest(std::optional<std::uint32_t>& request, UINT_PTR timer) {
    ::KillTimer(m_context.bar, timer);
    if (request) m_context.handshake->Abandon(*request);
    request.reset();
}

void AppMenuSide::OnMenuState(std::uint32_t number, std::intptr_t state) {
    if (m_titlesRequest == number && state == foundation::kMenuStateTitles) {
        ::KillTimer(m_context.bar, kTimerMenuTitles);
        m_titlesRequest.reset();
        auto titles = m_context.handshake->TakeTitles(number);
        m_context.handshake->Abandon(number);
        if (!titles) return;
        if (m_titlesLate) foundation::LogDetail("menu bar", L"titles came late from " + m_name.text);
        std::wstring name = m_name.text;
        Show(std::move(name), CleanTitles(*titles), TitleSource::WindowMenu);
        return;
    }
    if (m_openRequest != number) return;
    if (state == foundation::kMenuStateDone) {
        EndRequest(m_openRequest, kTimerMenuOpen);
        m_lit = -1;
        foundation::LogDetail("menu bar", L"menu closed");
    } else if (state >= 0 && static_cast<std::size_t>(state) < m_titles.size()) {
        if (foundation::DetailLogging()) {
            wchar_t line[96];
            std::swprintf(line, 96, L"menu %d opening at %.1f ms", static_cast<int>(state), ClockMs());
            foundation::LogDetail("menu bar", line);
        }
        m_openAnswered = true;
        m_lit = static_cast<int>(state);
    }
    if (m_context.changed) m_context.changed();
}

void AppMenuSide::OnTimer(UINT_PTR id) {
    if (id == kTimerMenuTitles) {
        if (m_accessiblePending) {
            if (m_accessibleLate) {
                // Past the late deadline too: an answer after this is dropped.
                m_accessiblePending.reset();
                ::KillTimer(m_context.bar, kTimerMenuTitles);
                foundation::LogDetail("menu bar", L"no accessible titles from " + m_name.text);
                return;
            }
            // The application is slow to describe itself (a busy machine, an accessibility
            // server starting): its name alone for now, its titles when they come.
            foundation::LogDetail("menu bar", L"no accessible titles in time from " + m_name.text);
            m_accessibleLate = true;
            ::SetTimer(m_context.bar, kTimerMenuTitles, kLateTitlesMs - kTitlesDeadlineMs, nullptr);
            std::wstring name = m_name.text;
            Show(std::move(name), {}, TitleSource::WindowMenu);
            return;
        }
        if (!m_titlesRequest) return;
        if (m_titlesLate) {
            foundation::LogDetail("menu bar", L"no titles from " + m_name.text);
            EndRequest(m_titlesRequest, kTimerMenuTitles);
            return;
        }
        foundation::LogDetail("menu bar", L"no titles in time from " + m_name.text);
        m_titlesLate = true;
        ::SetTimer(m_context.bar, kTimerMenuTitles, kLateTitlesMs - kTitlesDeadlineMs, nullptr);
        std::wstring name = m_name.text;
        Show(std::move(name), {}, TitleSource::WindowMenu);
        return;
    }
    if (id == kTimerAccessibleWatch) {
        WatchAccessible();
        return;
    }
    if (id == kTimerOwnMenuWatch) {
        POINT p{};
        ::GetCursorPos(&p);
        const int x = p.x - m_context.origin.x, y = p.y - m_context.origin.y;
        const int title = y >= 0 && y < m_context.height ? HitTest(x) : -2;
        if (title >= 0 && title != m_lit && gfx::PopupMenuOpen() && m_switchTo < 0) {
            m_switchTo = title;
            gfx::CancelPopupMenu();
        }
        return;
    }
    if (id != kTimerMenuOpen || !m_openRequest) return;
    const bool pending = m_context.handshake->Pending(*m_openRequest);
    // A module that never took the request up, or an application that went away
    // while its menu was open, leaves nothing lit.
    if (pending && (m_openAnswered || ::GetTickCount64() - m_openAsked < kOpenPickUpMs) &&
        (!m_native.window || ::IsWindow(m_native.window)))
        return;
    if (pending) foundation::LogDetail("menu bar", L"an application did not take its menu request: " + m_name.text);
    EndRequest(m_openRequest, kTimerMenuOpen);
    m_lit = -1;
    if (m_context.changed) m_context.changed();
}

void AppMenuSide::Show(std::wstring name, std::vector<std::wstring> titles, TitleSource source, bool complete) {
    m_source = source;
    if (name != m_name.text || m_name.mask.Empty()) {
        m_name.text = std::move(name);
        m_name.mask = Draw(m_name.text, true);
    }
    std::vector<Label> labels;
    for (auto& title : titles) {
        Label label;
        // Re-use what is drawn already: switching between windows of one program
        // draws nothing new.
        for (auto& old : m_titles)
            if (old.text == title && !old.mask.Empty()) {
                label.mask = std::move(old.mask);
                break;
            }
        label.text = std::move(title);
        if (label.mask.Empty() && !label.text.empty()) label.mask = Draw(label.text, false);
        labels.push_back(std::move(label));
    }
    m_titles = std::move(labels);
    m_lit = m_accessibleTrack.Lit();
    LayOut();
    if (m_context.changed) m_context.changed();
    if (complete && foundation::DetailLogging()) {
        std::wstring line = L"presented " + m_name.text + L":";
        // Each title with its place on screen, so a test can aim at it.
        for (const auto& t : m_titles)
            line += L" [" + t.text + L" " + std::to_wstring(m_context.origin.x + t.rect.x) + L"-" +
                    std::to_wstring(m_context.origin.x + t.rect.x + t.rect.width) + L"]";
        wchar_t when[96];
        std::swprintf(when, 96, L" at %.1f ms, %.1f ms after the change", ClockMs(), ClockMs() - m_followedAt);
        foundation::LogDetail("menu bar", line + when);
    }
}

gfx::Bitmap AppMenuSide::Draw(const std::wstring& text, bool bold) const {
    if (text.empty()) return {};
    gfx::TextStyle style;
    style.size = BarTextSize(m_context.scale, m_context.textScale);
    style.weight = bold ? 700 : 400;
    style.color = {255, 255, 255, 255};
    return m_context.text->Draw(text, style);
}

void AppMenuSide::SetLeft(int left) {
    m_context.left = left;
    LayOut();
}

void AppMenuSide::LayOut() {
    const float s = m_context.scale;
    const int pad = Scaled(9.0f, s);
    int x = LayOutLeftSide(m_context.left, s).nameX;
    const auto place = [&](Label& label) {
        const int width = label.mask.Empty() ? (label.text.empty() ? 0 : pad) : label.mask.Width() + 2 * pad;
        label.rect = {x, 0, width, m_context.height};
        x += width;
    };
    place(m_name);
    for (auto& title : m_titles) place(title);
}

void AppMenuSide::AddCells(std::vector<BarCell>& cells) const {
    const auto add = [&](const Label& label, bool lit) {
        if (label.rect.Empty()) return;
        BarCell cell;
        cell.rect = label.rect;
        cell.text = label.mask.Empty() ? nullptr : &label.mask;
        cell.lit = lit;
        cells.push_back(cell);
    };
    add(m_name, false);
    for (std::size_t i = 0; i < m_titles.size(); ++i) add(m_titles[i], m_lit == static_cast<int>(i));
}

void AppMenuSide::AddReaderFacts(BarFacts& facts) const {
    facts.appName = {m_name.text, m_name.rect};
    for (const Label& title : m_titles) facts.titles.push_back({title.text, title.rect});
    facts.openTitle = m_lit;
}

int AppMenuSide::RightEdge() const {
    if (m_name.rect.Empty()) return 0;
    return m_titles.empty() ? m_name.rect.x + m_name.rect.width : m_titles.back().rect.x + m_titles.back().rect.width;
}

int AppMenuSide::HitTest(int x) const {
    const auto inside = [x](const gfx::RectI& r) { return !r.Empty() && x >= r.x && x < r.x + r.width; };
    if (inside(m_name.rect)) return -1;
    for (std::size_t i = 0; i < m_titles.size(); ++i)
        if (inside(m_titles[i].rect)) return static_cast<int>(i);
    return -2;
}

MenuRequest AppMenuSide::RequestFor(MenuAsk ask, int index) const {
    MenuRequest request;
    request.ask = ask;
    request.window = reinterpret_cast<UINT_PTR>(m_native.window);
    request.menu = reinterpret_cast<UINT_PTR>(m_native.menu);
    request.bar = reinterpret_cast<UINT_PTR>(m_context.bar);
    request.index = index;
    request.top = m_context.origin.y;
    request.bottom = m_context.origin.y + m_context.height;
    for (const auto& title : m_titles)
        request.titles.push_back({m_context.origin.x + title.rect.x, m_context.origin.x + title.rect.x + title.rect.width});
    return request;
}

void AppMenuSide::OpenTitle(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= m_titles.size() || m_openRequest) return;
    if (m_source != TitleSource::WindowMenu) {
        OpenOwnMenu(index);
        return;
    }
    if (!m_native.menu && m_native.accessible) {
        // A click on the lit title lands after the application's menu has let go of it:
        // the menu closes, as on any menu bar.
        if (m_accessibleTrack.Active() && m_accessibleTrack.Lit() == index) return;
        OpenAccessible(index);
        m_accessibleTrack.Begin(index, ClockMs());
        m_lit = index;
        if (foundation::DetailLogging()) foundation::LogDetail("menu bar", "accessible title lit: " + std::to_string(m_lit));
        ::SetTimer(m_context.bar, kTimerAccessibleWatch, 50, nullptr);
        if (m_context.changed) m_context.changed();
        return;
    }
    if (!m_native.menu || !::IsWindow(m_native.window)) return;
    if (foundation::DetailLogging()) {
        wchar_t line[96];
        std::swprintf(line, 96, L"menu %d asked at %.1f ms", index, ClockMs());
        foundation::LogDetail("menu bar", line);
    }
    const auto number = m_context.handshake->Begin(RequestFor(MenuAsk::Open, index));
    if (!number) {
        foundation::LogFailure("menu bar", "a menu request file could not be written");
        return;
    }
    if (!AskCompanion(CompanionFor(m_native.window), *number)) {
        foundation::LogFailure("menu bar", L"no companion to open the menu of " + m_name.text);
        m_context.handshake->Abandon(*number);
        return;
    }
    m_openRequest = number;
    m_openAsked = ::GetTickCount64();
    m_openAnswered = false;
    m_lit = index;
    ::SetTimer(m_context.bar, kTimerMenuOpen, 100, nullptr);
    if (m_context.changed) m_context.changed();
}

void AppMenuSide::OpenAccessible(int index) {
    if (!::IsWindow(m_native.accessible)) return;
    if (foundation::DetailLogging())
        foundation::LogDetail("menu bar", L"opening accessible title " + m_titles[static_cast<std::size_t>(index)].text);
    wchar_t cls[64] = {};
    ::GetClassNameW(m_native.accessible, cls, static_cast<int>(std::size(cls)));
    if (AccessibleOpenFor(cls) == AccessibleOpen::PostShowSubmenu) {
        static const UINT show = ::RegisterWindowMessageW(std::wstring(kOwlShowSubmenuMessage).c_str());
        if (!show || !::PostMessageW(m_native.accessible, show, static_cast<WPARAM>(index), 0))
            foundation::LogFailure("menu bar", L"a menu bar did not take the message to open its menu");
        return;
    }
    // Invoking the element opens its menu; the application may take its time. Clicks on
    // one that never answers share the bound of the other accessibility workers.
    if (m_mailbox->running.load() >= kMaxAccessibleWorkers) {
        foundation::LogFailure("menu bar", L"too many applications still being asked; the menu title click is dropped");
        return;
    }
    try {
        ++m_mailbox->running;
        std::thread([mailbox = m_mailbox, window = m_native.accessible, index] {
            InvokeAccessibleTitle(window, index);
            --mailbox->running;
        }).detach();
    } catch (...) {
        --m_mailbox->running;
        foundation::LogCaught("menu bar accessible invoke");
    }
}

void AppMenuSide::WatchAccessible() {
    POINT p{};
    ::GetCursorPos(&p);
    const int x = p.x - m_context.origin.x, y = p.y - m_context.origin.y;
    const int title = y >= 0 && y < m_context.height ? HitTest(x) : -1;
    const HWND popup = MenuPopupOf(m_native.window);
    const auto step = m_accessibleTrack.Tick(title < 0 ? -1 : title, reinterpret_cast<std::uintptr_t>(popup), ClockMs());
    if (step.open >= 0) OpenAccessible(step.open);
    if (!m_accessibleTrack.Active()) ::KillTimer(m_context.bar, kTimerAccessibleWatch);
    if (!step.litChanged) return;
    m_lit = m_accessibleTrack.Lit();
    if (foundation::DetailLogging()) foundation::LogDetail("menu bar", "accessible title lit: " + std::to_string(m_lit));
    if (m_context.changed) m_context.changed();
}

void AppMenuSide::OpenOwnMenu(int index) {
    std::vector<OwnMenuEntry> entries;
    int chosen = -1;
    // The pointer moving onto another title while a menu is open opens that title's.
    ::SetTimer(m_context.bar, kTimerOwnMenuWatch, 50, nullptr);
    while (index >= 0 && static_cast<std::size_t>(index) < m_titleKeys.size() && m_context.runMenu) {
        entries = OwnTitleMenu(m_source, m_titleKeys[static_cast<std::size_t>(index)], *m_context.store,
                               m_explorerView ? &*m_explorerView : nullptr);
        if (entries.empty()) break;
        gfx::Menu menu;
        for (std::size_t i = 0; i < entries.size(); ++i)
            menu.push_back(
                gfx::MenuItem::Command(static_cast<int>(i) + 1, entries[i].text, entries[i].checked, entries[i].enabled));
        m_lit = index;
        m_switchTo = -1;
        if (m_context.changed) m_context.changed();
        chosen = m_context.runMenu(menu, m_titles[static_cast<std::size_t>(index)].rect) - 1;
        index = m_switchTo;
    }
    ::KillTimer(m_context.bar, kTimerOwnMenuWatch);
    m_lit = -1;
    m_switchTo = -1;
    if (m_context.changed) m_context.changed();
    if (chosen < 0 || static_cast<std::size_t>(chosen) >= entries.size()) return;
    // The menu has handed the keyboard back to the window in front; the keys go there.
    const OwnMenuEntry& entry = entries[static_cast<std::size_t>(chosen)];
    if (entry.key == 0) {
        if (m_source == TitleSource::Explorer && m_explorerView) AskExplorerView(entry.arrange);
        return;
    }
    std::vector<INPUT> inputs;
    const auto press = [&](WORD vk, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    const std::pair<std::uint8_t, WORD> modifiers[] = {
        {kCtrl, VK_CONTROL}, {kShift, VK_SHIFT}, {kAlt, VK_MENU}, {kWin, VK_LWIN}};
    for (const auto& [bit, vk] : modifiers)
        if (entry.modifiers & bit) press(vk, false);
    press(entry.key, false);
    press(entry.key, true);
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it)
        if (entry.modifiers & it->first) press(it->second, true);
    if (::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
        foundation::LogFailure("menu bar", "the keys of a menu entry were not all sent");
}

} // namespace kestrana::menubar::win32
