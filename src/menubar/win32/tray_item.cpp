#include "menubar/win32/tray_item.h"

#include "gfx/win32/shell_icon_source.h"
#include "foundation/diagnostic_log.h"
#include "foundation/text.h"
#include "foundation/win32/shell_window.h"
#include "foundation/win32/unique_handle.h"
#include "menubar/tray/tray_cache.h"
#include "menubar/tray/tray_click.h"
#include "menubar/win32/tray_host.h"
#include "menubar/win32/tray_scrape.h"

#include <atomic>
#include <thread>

namespace kestrana::menubar::win32 {
namespace {

constexpr wchar_t kSinkClass[] = L"KestranaTraySink";
constexpr wchar_t kSourceProperty[] = L"KestranaTraySource";
constexpr UINT kMsgScraped = WM_APP + 80; // to the tray's own window
constexpr UINT_PTR kTimerTick = 1;
constexpr UINT_PTR kTimerPopup = 2;
constexpr UINT kPopupDelayMs = 300; // the owner opens its pop-up when it has read the hover
// Owners that went away without a word, and the taskbar's toolbar, are looked at this often.
constexpr UINT kTickMs = 2000;

// Window handles have 32 significant bits, sign-extended on a 64-bit system; records
// carry only those bits.
HWND OwnerWindow(std::uint64_t owner) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(static_cast<std::int32_t>(static_cast<std::uint32_t>(owner))));
}

std::wstring ProgramPath(DWORD process) {
    kestrana::win32::UniqueKernelHandle handle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
    wchar_t path[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    if (!handle || !::QueryFullProcessImageNameW(handle.Get(), 0, path, &length)) return {};
    return std::wstring(path, length);
}

bool OwnerAlive(std::uint64_t owner) { return ::IsWindow(OwnerWindow(owner)) != FALSE; }

std::uint64_t FileTimeValue(const FILETIME& t) {
    return static_cast<std::uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
}

// Runs the click companion under our debugging control until it ends (worker thread:
// the debugger is the thread that started it).
void RunCompanion(const std::wstring& program, const std::wstring& argument) {
    std::wstring line = L"\"" + program + L"\" " + argument;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr,
                          nullptr, &startup, &info)) {
        foundation::LogFailure("tray", L"the click companion could not be started");
        return;
    }
    kestrana::win32::UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    for (;;) {
        DEBUG_EVENT event{};
        if (!::WaitForDebugEvent(&event, 10000)) {
            foundation::LogFailure("tray", L"the click companion stopped reporting");
            ::DebugActiveProcessStop(info.dwProcessId);
            return;
        }
        if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT && event.u.CreateProcessInfo.hFile)
            ::CloseHandle(event.u.CreateProcessInfo.hFile);
        if (event.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT && event.u.LoadDll.hFile) ::CloseHandle(event.u.LoadDll.hFile);
        // Its own faults are its own to handle; the first breakpoint is ours to pass over.
        const bool fault = event.dwDebugEventCode == EXCEPTION_DEBUG_EVENT &&
                           event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT;
        ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, fault ? DBG_EXCEPTION_NOT_HANDLED : DBG_CONTINUE);
        if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) {
            if (event.u.ExitProcess.dwExitCode != 0) foundation::LogFailure("tray", L"the click companion could not deliver the click");
            return;
        }
    }
}

// Replays a click on a worker: its pauses must not hold the bar up. An owner our messages
// may not reach (a program of higher rights) gets the click from the companion instead.
void Replay(HWND owner, std::vector<tray::TrayStep> steps, std::wstring companion, std::wstring argument) {
    try {
        std::thread([owner, steps = std::move(steps), companion = std::move(companion), argument = std::move(argument)] {
            // A hung owner is left alone. Asked here rather than on the bar's thread, it may
            // take a busy moment to answer (a loaded machine) without the click being lost.
            DWORD_PTR alive = 0;
            if (!::SendMessageTimeoutW(owner, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, tray::kOwnerAnswerMs, &alive) &&
                ::GetLastError() != ERROR_ACCESS_DENIED) {
                foundation::LogFailure("tray", L"the owner of a tray icon does not answer; the click was dropped");
                return;
            }
            for (std::size_t i = 0; i < steps.size(); ++i) {
                const tray::TrayStep& step = steps[i];
                if (step.pauseMs > 0) ::Sleep(static_cast<DWORD>(step.pauseMs));
                bool ok = false;
                ::SetLastError(0);
                if (step.send) {
                    DWORD_PTR answer = 0;
                    ok = ::SendMessageTimeoutW(owner, step.message, static_cast<WPARAM>(step.wParam),
                                               static_cast<LPARAM>(step.lParam), SMTO_ABORTIFHUNG,
                                               tray::kAnsweredTimeoutMs, &answer) != 0;
                } else {
                    ok = ::PostMessageW(owner, step.message, static_cast<WPARAM>(step.wParam),
                                        static_cast<LPARAM>(step.lParam)) != FALSE;
                }
                if (ok) continue;
                if (i == 0 && ::GetLastError() == ERROR_ACCESS_DENIED) return RunCompanion(companion, argument);
                foundation::LogFailure("tray", L"a click could not be passed on to the icon's owner");
                return;
            }
        }).detach();
    } catch (...) {
        foundation::LogFailure("tray", L"no worker for a click on a tray icon");
    }
}

std::function<void(const tray::UnreadMarks&)>& UnreadListener() {
    static std::function<void(const tray::UnreadMarks&)> listener;
    return listener;
}

// The visible top-level windows of the classes the chat programs' unread pop-ups have.
std::vector<tray::UnreadWindow> ChatPopups() {
    std::vector<tray::UnreadWindow> found;
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            if (!::IsWindowVisible(window)) return TRUE;
            wchar_t cls[64] = {};
            if (!::GetClassNameW(window, cls, 64)) return TRUE;
            const std::wstring_view name(cls);
            if (name != L"TrayNotifyWnd" && name != L"DingtalkMsgComming" && name != L"TXGuiFoundation") return TRUE;
            DWORD process = 0;
            ::GetWindowThreadProcessId(window, &process);
            tray::UnreadWindow w;
            w.program = ProgramPath(process);
            w.className = cls;
            wchar_t title[128] = {};
            // Only the title of a window of our own desktop that answers at once.
            DWORD_PTR length = 0;
            if (::SendMessageTimeoutW(window, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(title), SMTO_ABORTIFHUNG, 50,
                                      &length) && length < 128)
                w.title.assign(title, length);
            w.visible = true;
            w.topmost = (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
            auto& list = *reinterpret_cast<std::vector<tray::UnreadWindow>*>(param);
            if (list.size() < 64) list.push_back(std::move(w));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace

void SetUnreadListener(std::function<void(const tray::UnreadMarks&)> listener) { UnreadListener() = std::move(listener); }

struct TraySource::Scraped {
    std::mutex mutex;
    std::optional<std::vector<tray::TrayIcon>> icons;
    std::atomic<bool> running{false};
    std::atomic<HWND> target{nullptr};
};

TraySource::TraySource(foundation::ConfigStore& store, std::function<void(const std::wstring&)> balloon)
    : m_store(store), m_scraped(std::make_shared<Scraped>()), m_balloon(std::move(balloon)) {
    static const bool registered = kestrana::win32::RegisterWindowClass(kSinkClass, SinkProc, 0);
    if (registered)
        m_sink.Reset(::CreateWindowExW(0, kSinkClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       ::GetModuleHandleW(nullptr), nullptr));
    if (m_sink) {
        ::SetPropW(m_sink.Get(), kSourceProperty, this);
        ::SetTimer(m_sink.Get(), kTimerTick, kTickMs, nullptr);
        m_scraped->target = m_sink.Get();
    } else {
        foundation::LogFailure("tray", L"the tray's message window could not be made");
    }
    if (HICON generic = ::LoadIconW(nullptr, IDI_APPLICATION))
        if (auto picture = gfx::BitmapFromIcon(generic)) m_placeholder = std::move(*picture);

    LoadCache();
    HWND taskbar = FindOtherTaskbar();
    HWND toolbar = FindNotifyToolbar(taskbar);
    const tray::TrayMachine machine{taskbar != nullptr, toolbar != nullptr, toolbar && ToolbarReadableFromHere(toolbar)};
    m_kind = tray::ChooseTraySource(machine);
    if (m_kind == tray::TraySourceKind::Host) {
        m_host = TrayHost::Create([this](const tray::TrayCommand& command, std::uint32_t process) {
            return Take(command, process);
        });
        if (m_host) m_host->AnnounceAgain();
    } else {
        StartScrape();
    }
    foundation::LogDetail("tray", std::wstring(L"tray source: ") + tray::TraySourceName(m_kind) + L", as " +
                                      tray::TraySourceReason(machine) +
                                      (m_kind == tray::TraySourceKind::Host && !m_host ? L" (but its window failed)" : L""));
    ListChanged();
}

TraySource::~TraySource() {
    m_scraped->target = nullptr;
    if (m_dirty) SaveCache();
    m_host.reset();
    if (m_sink) {
        ::RemovePropW(m_sink.Get(), kSourceProperty);
        m_sink.Reset();
    }
}

std::wstring TraySource::Name() const { return m_store.LanguageText(L"findermenu", L"systemtray", L"Notification Area"); }

StatusFace TraySource::Face() const {
    StatusFace face;
    face.shown = !m_list.Shown().empty();
    return face;
}

std::wstring TraySource::Tip() const {
    const auto shown = m_list.Shown();
    if (!m_hovered || *m_hovered >= shown.size()) return {};
    return shown[*m_hovered]->tip;
}

std::vector<StatusPart> TraySource::Parts() const {
    std::vector<StatusPart> parts;
    for (const tray::TrayIcon* icon : m_list.Shown()) {
        const auto found = m_pictures.find({icon->owner, icon->id});
        const gfx::Bitmap* picture =
            found != m_pictures.end() && !found->second.bitmap.Empty() ? &found->second.bitmap : &m_placeholder;
        parts.push_back({picture, icon->tip});
    }
    return parts;
}

void TraySource::PressPart(std::size_t part, PartPress press, int x, int y) {
    const auto shown = m_list.Shown();
    if (part >= shown.size()) return;
    const tray::TrayIcon icon = *shown[part];
    if (press == PartPress::Hover) m_hovered = part;
    HWND owner = OwnerWindow(icon.owner);
    if (!::IsWindow(owner)) {
        // Gone since the last look: nothing is sent, and the icon goes.
        if (m_list.Prune(OwnerAlive) > 0) ListChanged();
        return;
    }
    tray::TrayClick click = tray::TrayClick::Left;
    if (press == PartPress::Left) {
        const ULONGLONG now = ::GetTickCount64();
        if (m_lastLeft == part && now - m_lastLeftAt <= ::GetDoubleClickTime()) {
            press = PartPress::Double;
            m_lastLeft.reset();
        } else {
            m_lastLeft = part;
            m_lastLeftAt = now;
        }
    }
    switch (press) {
    case PartPress::Left: click = tray::TrayClick::Left; break;
    case PartPress::Right: click = tray::TrayClick::Right; break;
    case PartPress::Double: click = tray::TrayClick::Double; break;
    case PartPress::Hover: click = tray::TrayClick::Hover; break;
    }
    if (click != tray::TrayClick::Hover) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(owner, &process);
        // The owner opens its menu or window in front of the bar.
        if (process && !::AllowSetForegroundWindow(process))
            foundation::LogDetail("tray", L"the icon's owner may not come to the front");
    }
    const tray::CompanionClick handed{icon.owner, icon.callback != 0 ? icon.callback : tray::kDefaultCallback, click,
                                      icon.version, {x, y}, icon.id};
    if (click == tray::TrayClick::Hover && m_sink) {
        if (const auto popup = tray::MessengerPopupClass(icon.path)) {
            DWORD process = 0;
            ::GetWindowThreadProcessId(owner, &process);
            // Under the bar that was hovered.
            RECT bar{};
            HWND hovered = ::WindowFromPoint({x, y});
            const LONG top = hovered && ::GetWindowRect(hovered, &bar) ? bar.bottom : y + 16;
            m_popup = Popup{std::wstring(*popup), process, {x, top}};
            ::SetTimer(m_sink.Get(), kTimerPopup, kPopupDelayMs, nullptr);
        }
    }
    Replay(owner, tray::ClickSequence(icon, click, {x, y}), m_store.BaseFolder() + L"\\Pellor.exe",
           tray::CompanionArgument(handed));
}

LRESULT CALLBACK TraySource::SinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* source = static_cast<TraySource*>(::GetPropW(window, kSourceProperty));
    if (!source) return ::DefWindowProcW(window, message, wParam, lParam);
    try {
        if (message == WM_TIMER && wParam == kTimerTick) {
            source->Tick();
            return 0;
        }
        if (message == WM_TIMER && wParam == kTimerPopup) {
            ::KillTimer(window, kTimerPopup);
            source->PlacePopup();
            return 0;
        }
        if (message == kMsgScraped) {
            source->TakeScraped();
            return 0;
        }
    } catch (...) {
        foundation::LogCaught("tray");
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool TraySource::Take(const tray::TrayCommand& command, std::uint32_t process) {
    const std::vector<tray::TrayIcon> before =
        command.verb == tray::TrayVerb::Modify && (command.fields & tray::kFieldIcon) ? m_list.Icons()
                                                                                      : std::vector<tray::TrayIcon>();
    const tray::TrayApplied applied =
        m_list.Apply(command, process, command.verb == tray::TrayVerb::Add ? ProgramPath(process) : std::wstring());
    if (applied.outcome == tray::TrayOutcome::Capped) {
        static bool logged = false; // once per run: a flood must not flood the log
        if (!std::exchange(logged, true)) foundation::LogFailure("tray", L"a program's icons beyond its cap were refused");
    }
    if (applied.outcome == tray::TrayOutcome::Changed) {
        m_dirty = true;
        if (!before.empty()) NotePictures(before);
        ListChanged();
    }
    if (applied.balloon && m_balloon)
        m_balloon(applied.balloon->title.empty() ? applied.balloon->text : applied.balloon->title + L": " + applied.balloon->text);
    return applied.Accepted();
}

void TraySource::PlacePopup() {
    const std::optional<Popup> popup = std::exchange(m_popup, std::nullopt);
    if (!popup) return;
    struct Search {
        const Popup* popup;
        HWND found;
    } search{&*popup, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            wchar_t cls[64] = {};
            DWORD process = 0;
            ::GetWindowThreadProcessId(window, &process);
            if (process == s.popup->process && ::IsWindowVisible(window) && ::GetClassNameW(window, cls, 64) &&
                s.popup->className == cls) {
                s.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    RECT r{};
    if (!search.found || !::GetWindowRect(search.found, &r)) return;
    ::SetWindowPos(search.found, nullptr, popup->under.x - (r.right - r.left) / 2, popup->under.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TraySource::NotePictures(const std::vector<tray::TrayIcon>& before) {
    const auto now = static_cast<std::int64_t>(::GetTickCount64());
    for (const auto& icon : m_list.Icons())
        for (const auto& old : before)
            if (old.owner == icon.owner && old.id == icon.id && old.icon != icon.icon) m_unread.PictureChanged(icon, now);
}

void TraySource::CheckUnread() {
    const auto& listener = UnreadListener();
    if (!listener) return;
    const std::vector<tray::UnreadWindow> popups = ChatPopups();
    tray::UnreadMarks marks = m_unread.Marks(
        m_list.Icons(), popups,
        [this](std::wstring_view program) { return m_store.ReadString(L"MsgTips", program) == L"1"; },
        static_cast<std::int64_t>(::GetTickCount64()));
    if (marks != m_marks && foundation::DetailLogging())
        for (const auto& [program, count] : marks)
            if (!m_marks.contains(program) || m_marks.at(program) != count)
                foundation::LogDetail("tray", L"unread messages: " + program + L" " + std::to_wstring(count));
    m_marks = std::move(marks);
    // Handed on at every look, not only on a change: items that came since (a program
    // that started, a dock made again) take their marks too.
    listener(m_marks);
}

void TraySource::Tick() {
    if (m_list.Prune(OwnerAlive) > 0) {
        m_dirty = true;
        ListChanged();
    }
    CheckUnread();
    if (m_kind == tray::TraySourceKind::Scrape) StartScrape();
    if (m_dirty) SaveCache();
}

void TraySource::StartScrape() {
    if (m_scraped->running.exchange(true)) return;
    try {
        std::thread([scraped = m_scraped] {
            auto icons = ReadTaskbarTray();
            {
                std::lock_guard lock(scraped->mutex);
                scraped->icons = std::move(icons);
            }
            scraped->running = false;
            if (HWND target = scraped->target.load()) ::PostMessageW(target, kMsgScraped, 0, 0);
        }).detach();
    } catch (...) {
        m_scraped->running = false;
        foundation::LogFailure("tray", L"no worker to read the taskbar's tray");
    }
}

void TraySource::TakeScraped() {
    std::optional<std::vector<tray::TrayIcon>> icons;
    {
        std::lock_guard lock(m_scraped->mutex);
        icons = std::exchange(m_scraped->icons, std::nullopt);
    }
    if (!icons) return; // unreadable: the list stays as it was
    for (auto& icon : *icons)
        if (icon.path.empty() && !m_list.Find(icon.owner, icon.id)) icon.path = foundation::AsciiLower(ProgramPath(icon.process));
    const auto before = m_list.Icons();
    m_list.Replace(std::move(*icons));
    if (!(before == m_list.Icons())) {
        m_dirty = true;
        NotePictures(before);
        ListChanged();
    }
}

void TraySource::ListChanged() {
    // Pictures follow the icons: new handles are read, those of icons gone are dropped.
    std::map<std::pair<std::uint64_t, std::uint32_t>, Picture> pictures;
    for (const auto& icon : m_list.Icons()) {
        const std::pair key{icon.owner, icon.id};
        auto old = m_pictures.find(key);
        if (old != m_pictures.end() && old->second.handle == icon.icon) {
            pictures.emplace(key, std::move(old->second));
            continue;
        }
        Picture picture;
        picture.handle = icon.icon;
        if (icon.icon) {
            HICON handle = reinterpret_cast<HICON>(OwnerWindow(icon.icon));
            if (auto bitmap = gfx::BitmapFromIcon(handle)) picture.bitmap = std::move(*bitmap);
            // An icon of another session or a handle already destroyed: the generic picture.
            else if (foundation::DetailLogging()) foundation::LogDetail("tray", L"an icon's picture could not be read: " + icon.tip);
        }
        pictures.emplace(key, std::move(picture));
    }
    m_pictures = std::move(pictures);
    if (m_hovered && *m_hovered >= m_list.Shown().size()) m_hovered.reset();
    Changed();
}

std::wstring TraySource::CachePath() const { return m_store.BaseFolder() + L"\\" + std::wstring(tray::kCacheFileName); }

void TraySource::LoadCache() {
    const std::wstring path = CachePath();
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes)) return;
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    if (!tray::CacheFromThisSession(FileTimeValue(attributes.ftLastWriteTime), FileTimeValue(now), ::GetTickCount64())) {
        foundation::LogDetail("tray", L"the tray cache is from before the last start of Windows and was ignored");
        return;
    }
    const auto bytes = m_store.Files().Read(path);
    if (!bytes) return;
    tray::TrayCacheRead read = tray::ReadTrayCache(*bytes);
    if (read.error != tray::TrayCacheError::None) {
        foundation::LogFailure("tray", L"the tray cache was refused");
        return;
    }
    std::erase_if(read.icons, [](const tray::TrayIcon& icon) { return !OwnerAlive(icon.owner); });
    m_list.Replace(std::move(read.icons));
}

void TraySource::SaveCache() {
    m_dirty = false;
    if (!m_store.Files().Replace(CachePath(), tray::WriteTrayCache(m_list.Icons())))
        foundation::LogFailure("tray", L"the tray cache could not be written");
}

} // namespace kestrana::menubar::win32
