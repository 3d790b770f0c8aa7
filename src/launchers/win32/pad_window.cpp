#include "launchers/win32/pad_window.h"

#include "foundation/command_line.h"
#include "foundation/diagnostic_log.h"
#include "foundation/recent_files.h"
#include "foundation/text.h"
#include "foundation/win32/network_drive.h"
#include "foundation/win32/process_memory.h"
#include "foundation/win32/process_start.h"
#include "foundation/win32/shell_window.h"
#include "foundation/win32/system_function.h"
#include "foundation/win32/unique_handle.h"
#include "gfx/win32/bitmap_info.h"
#include "gfx/win32/monitors.h"
#include "gfx/win32/popup_menu.h"
#include "gfx/win32/system_look.h"
#include "gfx/win32/window_blur.h"
#include "launchers/pad_accessible.h"
#include "launchers/pad_arrange.h"
#include "launchers/win32/stack_drag.h"
#include "platform/win32/shell_launch.h"

#include <imm.h>
#include <oleacc.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace kestrana::launchers {

namespace {

constexpr wchar_t kPadClass[] = L"OndelLaunchpad";
constexpr wchar_t kTagClass[] = L"OndelLaunchpadtag";
constexpr wchar_t kGroupClass[] = L"OndelLaunchpadgroup";
constexpr wchar_t kSelfProperty[] = L"OndelLaunchpadPtr";
// For tools and tests that look at the view from outside: the page shown (from 1) and
// how many applications the search found.
constexpr wchar_t kPageProperty[] = L"KestranaPadPage";
constexpr wchar_t kHitsProperty[] = L"KestranaPadHits";
constexpr wchar_t kResultPageProperty[] = L"KestranaPadResultPage"; // the page of hits shown, from 1

constexpr UINT_PTR kFrameTimer = 1;
// A while after hiding, the full-screen pictures are given back: what makes the next
// showing fast (the icons and names drawn) stays.
constexpr UINT_PTR kReleaseTimer = 2;
constexpr UINT kReleaseAfterMs = 4500; // from the hiding to giving the full-screen pictures back
constexpr UINT kIconsArrived = WM_APP + 41;
constexpr UINT kPrepareShow = WM_APP + 42;
constexpr UINT kFilesAdded = WM_APP + 43; // wParam how many dropped files a worker added
constexpr UINT kReaderPage = WM_APP + 44;  // wParam the page a reader selected

// Each file becomes a shortcut in launchpad\Pinned\ (a shortcut is copied as it is);
// how many were made.
int CreatePinned(const std::wstring& pinned, const std::vector<PinnedAddition>& plan) {
    ::SHCreateDirectoryExW(nullptr, pinned.c_str(), nullptr);
    int added = 0;
    for (const auto& addition : plan) {
        const std::wstring target = pinned + addition.shortcutName;
        if (addition.copy) {
            if (::CopyFileW(addition.source.c_str(), target.c_str(), TRUE)) ++added;
            continue;
        }
        Microsoft::WRL::ComPtr<IShellLinkW> link;
        if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))) continue;
        link->SetPath(addition.source.c_str());
        Microsoft::WRL::ComPtr<IPersistFile> persist;
        if (SUCCEEDED(link.As(&persist)) && SUCCEEDED(persist->Save(target.c_str(), TRUE))) ++added;
    }
    return added;
}

// A showing's first frame is already this far into the show effect: a frame at its very
// start would be fully transparent, a frame's time lost before anything is seen.
constexpr int kFirstFrameMs = 16;

double MillisecondsSince(LARGE_INTEGER since) {
    LARGE_INTEGER now{}, frequency{};
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - since.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}
LARGE_INTEGER Stamp() {
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return now;
}
std::wstring Ms(double ms) { return std::to_wstring(static_cast<int>(ms + 0.5)); }

std::wstring SectionOf(const std::wstring& device) {
    return device.rfind(L"\\\\.\\", 0) == 0 ? device.substr(4) : device;
}

bool RegisterOnce(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    if (::RegisterClassExW(&wc)) return true;
    if (::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    // Start-up may have registered the name with the default procedure; take it over.
    ::UnregisterClassW(name, ::GetModuleHandleW(nullptr));
    return ::RegisterClassExW(&wc) != 0;
}

template <typename Fn>
Fn User32Entry(const char* name) {
    return kestrana::win32::LoadedFunction<Fn>(L"user32.dll", name);
}

// The primary touch point of a WM_TOUCH message, in screen pixels, with its flags.
struct TouchPoint {
    POINT screen{};
    DWORD flags = 0;
};
std::optional<TouchPoint> PrimaryTouch(WPARAM wParam, LPARAM lParam) {
    using GetTouchInputInfoFn = BOOL(WINAPI*)(HTOUCHINPUT, UINT, PTOUCHINPUT, int);
    static const auto info = User32Entry<GetTouchInputInfoFn>("GetTouchInputInfo");
    const UINT count = LOWORD(wParam);
    if (!info || count == 0) return std::nullopt;
    std::vector<TOUCHINPUT> inputs(count);
    if (!info(reinterpret_cast<HTOUCHINPUT>(lParam), count, inputs.data(), sizeof(TOUCHINPUT))) return std::nullopt;
    for (const auto& input : inputs)
        if (input.dwFlags & TOUCHEVENTF_PRIMARY) return TouchPoint{{TOUCH_COORD_TO_PIXEL(input.x), TOUCH_COORD_TO_PIXEL(input.y)}, input.dwFlags};
    return std::nullopt;
}

// Mouse messages the system makes from touch carry this mark; the touch itself was handled.
bool FromTouch() { return (static_cast<DWORD>(::GetMessageExtraInfo()) & 0xFFFFFF00u) == 0xFF515700u; }

PadPoint PointOf(LPARAM l) { return PadPoint{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))}; }

std::optional<PadKey> PadKeyFor(int virtualKey, bool shift) {
    switch (virtualKey) {
    case VK_ESCAPE: return PadKey::Escape;
    case VK_RETURN: return PadKey::Enter;
    case VK_LEFT: return PadKey::Left;
    case VK_RIGHT: return PadKey::Right;
    case VK_UP: return PadKey::Up;
    case VK_DOWN: return PadKey::Down;
    case VK_TAB: return shift ? PadKey::BackTab : PadKey::Tab;
    case VK_BACK: return PadKey::Backspace;
    default: return std::nullopt;
    }
}

// The file name of the program an entry starts, lower-cased as the recent list keeps its
// openers; empty for what is no program file (an application id).
std::wstring ProgramFileName(const std::wstring& entryPath) {
    std::wstring program = entryPath;
    // One shortcut read on this thread; the recent list itself is read on a worker.
    if (foundation::EndsWithIgnoreCase(program, L".lnk")) {
        const auto link = platform::ReadShortcut(entryPath);
        program = link ? link->target : std::wstring();
    }
    if (!foundation::EndsWithIgnoreCase(program, L".exe")) return {};
    const auto slash = program.find_last_of(L"\\/");
    return foundation::AsciiLower(slash == std::wstring::npos ? program : program.substr(slash + 1));
}

} // namespace

LaunchpadWindow::LaunchpadWindow(PadWindowServices services)
    : m_services(std::move(services)), m_recent(m_services.jobs), m_renderer(m_services.text) {}

LaunchpadWindow::~LaunchpadWindow() {
    m_reader.reset();
    m_tag.Reset();
    if (m_groupWindow) ::RemovePropW(m_groupWindow.Get(), kSelfProperty);
    m_groupWindow.Reset();
    if (m_window) {
        win32::StopAcceptingDrops(m_window.Get());
        ::RemovePropW(m_window.Get(), kSelfProperty);
    }
    m_window.Reset();
}

std::int64_t LaunchpadWindow::Now() const { return static_cast<std::int64_t>(::GetTickCount64()); }

std::wstring LaunchpadWindow::Text(std::wstring_view section, std::wstring_view key, std::wstring_view fallback) const {
    return m_services.settings.LanguageText(section, key, fallback);
}

bool LaunchpadWindow::CreateWindows() {
    if (m_window.Get()) return true;
    if (!RegisterOnce(kPadClass, WindowProc) || !RegisterOnce(kTagClass, ::DefWindowProcW) ||
        !RegisterOnce(kGroupClass, GroupProc)) {
        foundation::LogFailure("launchpad", "window classes could not be registered");
        return false;
    }
    kestrana::win32::ShellWindowRequest request;
    request.className = kPadClass;
    request.title = L"Launchpad";
    request.width = 1;
    request.height = 1;
    request.layered = true;
    request.toolWindow = true;
    request.topmost = true;
    request.createOnThisThread = true;
    m_window.Reset(kestrana::win32::CreateShellWindow(request));
    if (!m_window.Get()) {
        foundation::LogFailure("launchpad", "the window could not be created");
        return false;
    }
    ::SetPropW(m_window.Get(), kSelfProperty, this);
    ::SetPropW(m_window.Get(), L"NonRudeHWND", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(1)));
    // Without the registration touch reaches us as mouse input alone.
    if (!kestrana::win32::RegisterTouch(m_window.Get(), 0)) foundation::LogDetail("launchpad", "touch registration refused");
    // Drops come through OLE, as from the file manager; only shortcuts are made, so the
    // source keeps its files.
    if (!win32::AcceptDrops(m_window.Get(), [this](std::vector<std::wstring> files) { AddFiles(files); }, DROPEFFECT_LINK))
        ::DragAcceptFiles(m_window.Get(), TRUE);
    kestrana::win32::ExcludeFromPeek(m_window.Get());

    kestrana::win32::ShellWindowRequest tag;
    tag.className = kTagClass;
    tag.width = 1;
    tag.height = 1;
    tag.layered = true;
    tag.clickThrough = true;
    tag.toolWindow = true;
    tag.topmost = true;
    tag.noActivate = true;
    tag.owner = m_window.Get();
    tag.createOnThisThread = true;

    // The open group: above the page, never taking the keyboard from the Launchpad. Made
    // before the label, which then lies above it while a member is dragged.
    kestrana::win32::ShellWindowRequest group = tag;
    group.className = kGroupClass;
    group.clickThrough = false;
    m_groupWindow.Reset(kestrana::win32::CreateShellWindow(group));
    if (m_groupWindow.Get()) ::SetPropW(m_groupWindow.Get(), kSelfProperty, this);
    else foundation::LogFailure("launchpad", "the group window could not be created");
    m_tag.Reset(kestrana::win32::CreateShellWindow(tag));
    return true;
}

bool LaunchpadWindow::EnsureCatalogue() {
    if (m_catalogue) return true;
    try {
        const HWND window = m_window.Get();
        m_catalogue = std::make_unique<Win32CatalogueHost>(m_services.settings.BaseFolder(), m_services.jobs, [window] {
            ::PostMessageW(window, kIconsArrived, 0, 0);
        });
        const LoadReport report = m_catalogue->Catalogue().Load();
        foundation::LogDetail("launchpad", L"catalogue loaded: " + std::to_wstring(report.scanned) + L" scanned, " +
                                               std::to_wstring(m_catalogue->Catalogue().EntryCount()) + L" shown");
        m_view = std::make_unique<PadView>(m_catalogue->Catalogue().Pages());
        m_view->PagesChanged();
        return true;
    } catch (...) {
        foundation::LogCaught("launchpad catalogue");
        m_catalogue.reset();
        return false;
    }
}

void LaunchpadWindow::LayOut(const std::wstring& device, const RECT& monitor, float scale) {
    const std::wstring section = SectionOf(device);
    PadMetrics metrics;
    metrics.width = monitor.right - monitor.left;
    metrics.height = monitor.bottom - monitor.top;
    metrics.scale = scale;
    metrics.textScale = gfx::TextScale();
    metrics.iconSize = m_services.settings.ReadInt(section, L"padico_size");
    metrics.spaceWidth = m_services.settings.ReadInt(section, L"padicospace_width");
    metrics.spaceHeight = m_services.settings.ReadInt(section, L"padicospace_height");
    if (m_services.dockOn) {
        if (const auto band = m_services.dockOn(device)) {
            metrics.dock = band->side;
            metrics.dockThickness = band->thickness;
        }
    }
    const PadGeometry geometry = LayOutPad(metrics);
    if (geometry.iconSize != m_view->Geometry().iconSize || geometry.scale != m_view->Geometry().scale ||
        geometry.textScale != m_view->Geometry().textScale)
        m_renderer.Forget();
    m_view->SetGeometry(geometry);
    // The icons are held at the size they are drawn, not at the cache's 256 px.
    if (m_catalogue && m_catalogue->Catalogue().SetIconSize(geometry.iconSize))
        foundation::LogDetail("launchpad", L"icons held at " + std::to_wstring(geometry.iconSize) + L" px");
}

void LaunchpadWindow::CaptureBackdrop(const RECT& monitor, float scale) {
    const int width = monitor.right - monitor.left;
    const int height = monitor.bottom - monitor.top;
    if (m_renderer.Look().plain) {
        // High contrast shows no desktop: the frame is the scheme's plain colour.
        m_backdrop = gfx::Bitmap();
        return;
    }
    const bool systemBlur = m_services.settings.ReadInt(L"themes", L"paduseWinUI") == 1 && gfx::EnableBlurBehind(m_window.Get());
    if (systemBlur) {
        // The system blurs what lies behind; our picture only darkens it.
        m_backdrop.Reset(width, height);
        m_backdrop.Fill(gfx::Color{10, 12, 18, 110}.Premultiplied());
        return;
    }
    HDC screen = ::GetDC(nullptr);
    if (!screen) return;
    // A small copy: the blur hides the coarse shrinking.
    const int copyWidth = std::max(1, width / PadRenderer::kBackdropShrink);
    const int copyHeight = std::max(1, height / PadRenderer::kBackdropShrink);
    BITMAPINFO info = gfx::TopDownBitmapInfo(copyWidth, copyHeight);
    void* bits = nullptr;
    kestrana::win32::UniqueGdiObject dib(::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    kestrana::win32::UniqueMemoryDc memory(::CreateCompatibleDC(screen));
    bool copied = false;
    const LARGE_INTEGER copyStart = Stamp();
    const ScreenCopy way = m_screenCopy.Next();
    if (dib && memory && bits) {
        const HGDIOBJ previous = ::SelectObject(memory.Get(), dib.Get());
        ::SetStretchBltMode(memory.Get(), COLORONCOLOR);
        if (way == ScreenCopy::Whole) {
            copied = ::StretchBlt(memory.Get(), 0, 0, copyWidth, copyHeight, screen, monitor.left, monitor.top, width,
                                  height, SRCCOPY | CAPTUREBLT) != 0;
        } else {
            // The rows the shrunk copy keeps, each from the middle of the band it stands for.
            copied = true;
            for (int y = 0; y < copyHeight && copied; ++y) {
                const int row = monitor.top + static_cast<int>((static_cast<long long>(2 * y + 1) * height) / (2 * copyHeight));
                copied = ::StretchBlt(memory.Get(), 0, y, copyWidth, 1, screen, monitor.left, row, width, 1,
                                      SRCCOPY | CAPTUREBLT) != 0;
            }
        }
        ::GdiFlush();
        ::SelectObject(memory.Get(), previous);
    }
    ::ReleaseDC(nullptr, screen);
    m_copyMs = MillisecondsSince(copyStart);
    if (copied) {
        m_screenCopy.Took(way, m_copyMs);
    } else if (dib && memory && bits) {
        m_screenCopy.Failed(way);
        foundation::LogFailure("launchpad", way == ScreenCopy::Whole ? "the screen could not be copied whole"
                                                                     : "the screen could not be copied by rows");
    }
    if (!copied) {
        foundation::LogDetail("launchpad", "the desktop could not be copied; a plain backdrop is used");
        m_backdrop = gfx::Bitmap();
        return;
    }
    gfx::Bitmap desktop(copyWidth, copyHeight);
    std::memcpy(desktop.Pixels().data(), bits, desktop.Pixels().size_bytes());
    for (auto& pixel : desktop.Pixels()) pixel |= 0xFF000000u; // the screen has no alpha
    const PadBackdropLook look =
        BackdropLook(themes::ReadSurfaceAppearance(m_services.settings, themes::Surface::Launchpad), scale);
    const LARGE_INTEGER made = Stamp();
    PadRenderer::MakeBackdrop(desktop, m_backdrop, width, height, look.blurRadius, look.tint);
    m_blurMs = MillisecondsSince(made);
}

void LaunchpadWindow::Show(int effect) {
    const LARGE_INTEGER started = Stamp();
    if (!CreateWindows() || !EnsureCatalogue()) return;
    if (m_shown && !m_hiding) return;
    const double made = MillisecondsSince(started);

    // The monitor named by "screenpad", else the one under the pointer.
    LARGE_INTEGER step = Stamp();
    const auto monitors = gfx::EnumerateMonitors();
    if (monitors.empty()) return;
    const double monitorsMs = MillisecondsSince(step);
    step = Stamp();
    const std::wstring wanted = m_services.settings.ReadString(L"normal", L"screenpad");
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const gfx::MonitorInfo* chosen = nullptr;
    for (const auto& monitor : monitors)
        if (!wanted.empty() && ::lstrcmpiW(SectionOf(monitor.deviceName).c_str(), SectionOf(wanted).c_str()) == 0)
            chosen = &monitor;
    if (!chosen)
        for (const auto& monitor : monitors)
            if (monitor.rect.Contains({cursor.x, cursor.y})) chosen = &monitor;
    if (!chosen) chosen = &monitors.front();
    const RECT rect{chosen->rect.left, chosen->rect.top, chosen->rect.right, chosen->rect.bottom};

    double settingsMs = 0, backdropMs = 0;
    if (!m_shown) {
        m_view->Reset();
        const auto contrast = gfx::HighContrastColours();
        m_renderer.SetLook(contrast ? PadLook::For(*contrast) : PadLook::Standard());
        m_catalogue->Catalogue().RequestMissingIcons();
        LayOut(chosen->deviceName, rect, chosen->dpiScale);
        m_catalogue->Catalogue().TakeIcons();
        if (!m_textsRead) ReadTexts();
        settingsMs = MillisecondsSince(step);
        step = Stamp();
        CaptureBackdrop(rect, chosen->dpiScale);
        backdropMs = MillisecondsSince(step);
    }
    m_origin = {rect.left, rect.top};
    const bool fresh = !m_shown;
    m_effect = std::clamp(effect, 0, 2);
    // With the system's animations off the effect is over before it starts.
    m_instant = !gfx::SystemAnimations();
    m_effectStart = Now() - (m_instant ? EffectDurationMs(m_effect) : fresh ? kFirstFrameMs : 0);
    m_shown = true;
    m_hiding = false;
    Draw(fresh && !m_instant ? std::optional<int>(kFirstFrameMs) : std::nullopt);
    step = Stamp();
    // The frame handed over already placed the window; this only shows it and raises it.
    RECT placed{};
    const bool inPlace = ::GetWindowRect(m_window.Get(), &placed) && ::EqualRect(&placed, &rect);
    ::SetWindowPos(m_window.Get(), HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_SHOWWINDOW | (inPlace ? SWP_NOMOVE | SWP_NOSIZE : 0));
    const double showingMs = MillisecondsSince(step);
    foundation::LogDetail("launchpad", L"first frame after " + Ms(MillisecondsSince(started)) + L" ms (window and catalogue " +
                                           Ms(made) + L", monitors " + Ms(monitorsMs) + L", settings " + Ms(settingsMs) +
                                           L", backdrop " + Ms(backdropMs) + L" of which copy " + Ms(m_copyMs) + L", blur " + Ms(m_blurMs) +
                                           L", drawing " + Ms(m_renderMs) + L", handing over " + Ms(m_presentMs) +
                                           L", showing " + Ms(showingMs) + L")");
    ::SetForegroundWindow(m_window.Get());
    ::SetFocus(m_window.Get());
    StartFrames();
    // Ready before the first right click: the recent list is read on a worker.
    m_recent.Refresh();
}

void LaunchpadWindow::ReadTexts() {
    PadTexts texts;
    texts.searchHint = Text(L"launchpad", L"search", L"Search");
    texts.noticeButton = Text(L"launchpad", L"noticeok", L"OK");
    texts.deleteButton = Text(L"launchpad", L"deleteok", L"Remove");
    texts.cancelButton = Text(L"promptwindow", L"cancel", L"Cancel");
    m_renderer.SetTexts(texts);
    m_textsRead = true;
}

void LaunchpadWindow::PrepareShow() {
    // While hidden: the next showing starts on the first page, and drawing its first frame
    // now (into scratch memory) leaves every icon scaled to that frame's size and every
    // name drawn, so the showing itself only blends kept pictures. The texts are read
    // here, away from the showing, and so follow a change of language.
    if (m_shown || !m_view || m_view->Geometry().width <= 0) return;
    const LARGE_INTEGER started = Stamp();
    m_view->Reset();
    m_catalogue->Catalogue().TakeIcons();
    ReadTexts();
    m_renderer.Render(m_frame, *m_view, m_backdrop,
                      EffectAt(m_effect, true, m_instant ? EffectDurationMs(m_effect) : kFirstFrameMs), Now());
    foundation::LogDetail("launchpad", L"next showing prepared in " + Ms(MillisecondsSince(started)) + L" ms");
    // Counted from the hiding: under Wine this preparation can come 2 s after it.
    const std::int64_t left = kReleaseAfterMs - (Now() - m_hiddenAt);
    ::SetTimer(m_window.Get(), kReleaseTimer, static_cast<UINT>(std::clamp<std::int64_t>(left, 1, kReleaseAfterMs)), nullptr);
}

void LaunchpadWindow::ReleasePictures() {
    ::KillTimer(m_window.Get(), kReleaseTimer);
    if (m_shown) return;
    const long long before = kestrana::win32::PrivateMemoryKilobytes();
    // Each is a whole screen of pixels; the next showing captures and draws them anew.
    m_frame = gfx::Bitmap();
    m_backdrop = gfx::Bitmap();
    m_groupFrame = gfx::Bitmap();
    m_surface.Release();
    m_groupSurface.Release();
    // Icons replaced by their drawing-size pictures and the scaled copies of the last
    // showing; the next one draws the held icons as they are.
    // Only the first page's icons make the next showing fast; the others come back from
    // the icon cache as soon as it begins, long before a page can be turned.
    const std::size_t later = m_catalogue ? m_catalogue->Catalogue().LetIconsGo(1) : 0;
    const std::size_t icons = m_renderer.Trim();
    // The hidden window's own picture goes with its size; showing sizes it again.
    ::SetWindowPos(m_window.Get(), nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    foundation::LogDetail("launchpad", L"pictures given back: private memory " + std::to_wstring(before) + L" KB -> " +
                                           std::to_wstring(kestrana::win32::PrivateMemoryKilobytes()) + L" KB (icons " +
                                           std::to_wstring(icons / 1024) + L" KB, " + std::to_wstring(later) +
                                           L" of later pages), " +
                                           std::to_wstring(Now() - m_hiddenAt) + L" ms after hiding");
}

void LaunchpadWindow::Hide(int effect) {
    if (!m_shown || m_hiding) return;
    m_view->CancelPress();
    m_effect = std::clamp(effect, 0, 2);
    m_instant = !gfx::SystemAnimations();
    m_effectStart = Now() - (m_instant ? EffectDurationMs(m_effect) : 0);
    m_hiding = true;
    if (m_tag.Get()) ::ShowWindow(m_tag.Get(), SW_HIDE);
    m_tagShown = false;
    UpdateGroupWindow(0);
    StartFrames();
}

void LaunchpadWindow::HideNow() noexcept {
    if (!m_window.Get()) return;
    ::KillTimer(m_window.Get(), kFrameTimer);
    m_timer = false;
    m_hiddenAt = Now();
    // Queued first: hiding can keep this thread a while (Wine waits up to 2 s for the
    // window to be withdrawn), and requests made meanwhile then find the next showing ready.
    ::PostMessageW(m_window.Get(), kPrepareShow, 0, 0);
    // Asynchronous, as the crash handler may call this from another thread.
    ::ShowWindowAsync(m_window.Get(), SW_HIDE);
    if (m_tag.Get()) ::ShowWindowAsync(m_tag.Get(), SW_HIDE);
    if (m_groupWindow.Get()) ::ShowWindowAsync(m_groupWindow.Get(), SW_HIDE);
    m_shown = false;
    m_hiding = false;
    m_tagShown = false;
    m_groupShown = false;
}

void LaunchpadWindow::Toggle(int effect) {
    if (m_shown && !m_hiding) Hide(effect);
    else Show(effect);
}

void LaunchpadWindow::StartFrames() {
    if (m_timer) return;
    // About one frame per display refresh; the frame itself reads the clock.
    m_timer = ::SetTimer(m_window.Get(), kFrameTimer, 10, nullptr) != 0;
}

void LaunchpadWindow::FrameTick() {
    const std::int64_t now = Now();
    const bool effectRunning = now - m_effectStart < EffectDurationMs(m_effect);
    if (m_hiding && !effectRunning) {
        HideNow();
        return;
    }
    m_view->Tick(now);
    Draw();
    const bool busy = effectRunning || m_view->Animating(now) || m_view->Drag() == DragState::Dragging;
    if (!busy) {
        ::KillTimer(m_window.Get(), kFrameTimer);
        m_timer = false;
    }
}

void LaunchpadWindow::Draw(std::optional<int> effectMs) {
    const std::int64_t now = Now();
    const EffectFrame effect = EffectAt(m_effect, !m_hiding, effectMs ? *effectMs : static_cast<int>(now - m_effectStart));
    const LARGE_INTEGER start = Stamp();
    m_renderer.Render(m_frame, *m_view, m_backdrop, effect, now);
    m_renderMs = MillisecondsSince(start);
    const auto opacity = static_cast<BYTE>(std::clamp(effect.opacity, 0.0f, 1.0f) * 255.0f + 0.5f);
    const LARGE_INTEGER present = Stamp();
    if (!m_surface.Present(m_window.Get(), m_frame, m_origin, opacity))
        foundation::LogDetail("launchpad", "the frame was not taken");
    m_presentMs = MillisecondsSince(present);
    UpdateGroupWindow(opacity);
    Publish();
}

void LaunchpadWindow::UpdateGroupWindow(BYTE opacity) {
    if (!m_groupWindow.Get()) return;
    // A notice or question is drawn in the page's frame, which the panel would cover.
    if (!m_view->OpenGroupData() || m_hiding || !m_shown || !m_view->Notice().empty()) {
        if (m_groupShown) ::ShowWindow(m_groupWindow.Get(), SW_HIDE);
        m_groupShown = false;
        return;
    }
    m_renderer.RenderGroup(m_groupFrame, *m_view);
    const gfx::RectI panel = m_view->GroupPanel();
    if (!m_groupSurface.Present(m_groupWindow.Get(), m_groupFrame, {m_origin.x + panel.x, m_origin.y + panel.y}, opacity))
        foundation::LogDetail("launchpad", "the group's picture was not taken");
    if (!m_groupShown) ::ShowWindow(m_groupWindow.Get(), SW_SHOWNOACTIVATE);
    m_groupShown = true;
}

void LaunchpadWindow::Publish() {
    const std::size_t page = m_view->Page() + 1;
    ::SetPropW(m_window.Get(), kPageProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(page)));
    ::SetPropW(m_window.Get(), kHitsProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(m_view->Hits().size())));
    ::SetPropW(m_window.Get(), kResultPageProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(m_view->ResultPage() + 1)));
}

void LaunchpadWindow::UpdateTag() {
    if (!m_tag.Get()) return;
    const auto dragged = m_view->DraggedTile();
    if (!dragged) {
        if (m_tagShown) ::ShowWindow(m_tag.Get(), SW_HIDE);
        m_tagShown = false;
        return;
    }
    const std::wstring& name = dragged->group ? dragged->group->name : dragged->entry ? dragged->entry->name : std::wstring();
    const auto& g = m_view->Geometry();
    if (!m_tagShown) {
        const gfx::Bitmap label = m_renderer.TagLabel(name, g.scale, g.textScale);
        m_tagSurface.Present(m_tag.Get(), label, {0, 0});
    }
    const PadPoint p = m_view->Pointer();
    const POINT at{m_origin.x + p.x - m_tagSurface.Width() / 2,
                   m_origin.y + p.y + static_cast<int>(static_cast<float>(g.iconSize) * 0.54f) + static_cast<int>(6 * g.scale)};
    m_tagSurface.Move(m_tag.Get(), at);
    // Raised as it appears: above an open group's window too.
    if (!m_tagShown)
        ::SetWindowPos(m_tag.Get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    m_tagShown = true;
}

void LaunchpadWindow::Launch(const EntryPlace& place, bool admin) {
    const LaunchpadEntry* entry = m_catalogue->Catalogue().EntryAt(place);
    if (!entry) return;
    foundation::LaunchRequest request;
    // A path without a folder is an application id of the applications folder.
    if (entry->path.find(L'\\') == std::wstring::npos && entry->path.find(L'!') != std::wstring::npos) {
        request.packaged = true;
        request.appUserModelId = entry->path;
    } else {
        request.realpath = entry->path;
    }
    request.admin = admin;
    if (!m_services.jobs.Run([request](const foundation::JobContext&) { platform::Launch(request); }))
        foundation::LogFailure("launchpad", "no job could be started for a launch");
}

void LaunchpadWindow::Carry(const PadCommand& command) {
    auto& catalogue = m_catalogue->Catalogue();
    if (command.kind != PadCommand::Kind::None)
        foundation::LogDetail("launchpad", L"command " + std::to_wstring(static_cast<int>(command.kind)) + L" at page " +
                                               std::to_wstring(command.place.page) + L", icon " +
                                               std::to_wstring(command.place.position));
    switch (command.kind) {
    case PadCommand::Kind::None: return;
    case PadCommand::Kind::Launch:
        Launch(command.place, false);
        Hide(m_effect);
        return;
    case PadCommand::Kind::Hide: Hide(m_effect); return;
    case PadCommand::Kind::Save:
        if (!catalogue.Save()) foundation::LogFailure("launchpad", "the catalogue could not be saved");
        return;
    case PadCommand::Kind::Delete:
        if (!catalogue.Delete(command.place)) return;
        foundation::LogDetail("launchpad", "entry removed");
        m_view->PagesChanged();
        if (!catalogue.Save()) foundation::LogFailure("launchpad", "the catalogue could not be saved");
        return;
    case PadCommand::Kind::RenameGroup:
        catalogue.RenameGroup(command.place.page, command.place.position, command.text);
        if (!catalogue.Save()) foundation::LogFailure("launchpad", "the catalogue could not be saved");
        return;
    case PadCommand::Kind::Rename:
        if (!catalogue.Rename(command.place, command.text)) {
            foundation::LogFailure("launchpad", L"the entry could not be renamed to " + command.text);
            return;
        }
        foundation::LogDetail("launchpad", L"entry renamed: " + command.text);
        m_view->PagesChanged(); // the search key changed with the name
        if (!catalogue.Save()) foundation::LogFailure("launchpad", "the catalogue could not be saved");
        return;
    }
}

void LaunchpadWindow::PreparePrompt() {
    const bool dark = m_services.settings.ReadBool(L"normal", L"darkmode");
    m_renderer.SetDark(dark);
    if (m_noticeIconDark == dark) return;
    m_noticeIconDark = dark;
    m_renderer.SetNoticeIcon(m_services.padIcon ? m_services.padIcon(dark) : nullptr);
}

std::vector<std::wstring> LaunchpadWindow::RecentOf(const LaunchpadEntry& entry) const {
    // What the worker read last; the next reading starts as the menu closes.
    const std::wstring program = ProgramFileName(entry.path);
    std::vector<std::wstring> recent;
    if (!program.empty()) recent = foundation::RecentFilesFor(m_recent.Entries(), program);
    foundation::LogDetail("launchpad", L"recent items of " + (program.empty() ? entry.path : program) + L": " +
                                           std::to_wstring(recent.size()));
    return recent;
}

void LaunchpadWindow::ShowMenu(POINT screen) {
    const PadPoint at{screen.x - m_origin.x, screen.y - m_origin.y};
    const auto place = m_view->EntryAt(at);
    auto& catalogue = m_catalogue->Catalogue();
    const LaunchpadEntry* entry = place ? catalogue.EntryAt(*place) : nullptr;
    PadMenuFacts facts;
    facts.onEntry = entry != nullptr;
    const std::vector<std::wstring> recent = entry ? RecentOf(*entry) : std::vector<std::wstring>();
    for (const auto& target : recent) facts.recent.push_back(foundation::RecentRowText(target));
    const PadText text = [this](std::wstring_view section, std::wstring_view key, std::wstring_view fallback) {
        return Text(section, key, fallback);
    };
    gfx::PopupMenuOptions options;
    options.scale = m_view->Geometry().scale;
    options.dark = true;
    const int chosen = gfx::RunPopupMenu(m_window.Get(), BuildPadMenu(facts, text), screen, screen.y, m_services.text, options);
    if (chosen != 0) foundation::LogDetail("launchpad", L"menu row " + std::to_wstring(chosen));
    m_recent.Refresh();
    // The menu's loop may have let the catalogue change: look the entry up again.
    entry = place ? catalogue.EntryAt(*place) : nullptr;
    const auto sorted = [&](void (*sort)(std::vector<LaunchpadPage>&)) {
        sort(catalogue.Pages());
        m_view->PagesChanged();
        if (!catalogue.Save()) foundation::LogFailure("launchpad", "the catalogue could not be saved");
    };
    switch (chosen) {
    case kPadMenuAdmin:
        if (entry) {
            Launch(*place, true);
            Hide(m_effect);
        }
        break;
    case kPadMenuLocation:
        if (entry) {
            const std::wstring arguments = L"/select," + foundation::QuoteArgument(entry->path);
            ::ShellExecuteW(nullptr, L"open", L"explorer.exe", arguments.c_str(), nullptr, SW_SHOWNORMAL);
            Hide(m_effect);
        }
        break;
    case kPadMenuDelete:
        if (entry) {
            // Asked in the Launchpad itself; the answer comes back as the view's command.
            foundation::LogDetail("launchpad", L"removal asked: " + entry->name);
            PreparePrompt();
            const std::wstring question =
                Text(L"launchpad", L"deleteconfirm", L"Remove this application from Launchpad?");
            m_view->AskDelete(*place, entry->name + L"\n" + question);
        }
        break;
    case kPadMenuRename:
        // Typed under the icon; the view hands the new name back as its command.
        if (entry) m_view->BeginRenameEntry(*place);
        break;
    case kPadMenuAdd: AddFiles(ChooseFiles()); break;
    case kPadMenuSortName: sorted(SortByName); break;
    case kPadMenuSortKind: sorted(SortGroupsFirst); break;
    case kPadMenuSortFill: sorted(FillPages); break;
    default:
        if (chosen >= kPadMenuRecentFirst && chosen <= kPadMenuRecentLast) {
            const auto index = static_cast<std::size_t>(chosen - kPadMenuRecentFirst);
            if (index < recent.size()) {
                kestrana::win32::StartWithShell({.file = recent[index].c_str()}, "launchpad recent item");
                Hide(m_effect);
            }
        }
        break;
    }
    Draw();
}

std::vector<std::wstring> LaunchpadWindow::ChooseFiles() {
    std::vector<std::wstring> files;
    Microsoft::WRL::ComPtr<IFileOpenDialog> dialog;
    if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)))) {
        foundation::LogFailure("launchpad", "no file dialog");
        return files;
    }
    const std::wstring programs = Text(L"launchpad", L"addfilter", L"Programs and shortcuts");
    const std::wstring all = Text(L"launchpad", L"addfilterall", L"All files");
    const COMDLG_FILTERSPEC filters[] = {{programs.c_str(), L"*.exe;*.lnk;*.url"}, {all.c_str(), L"*.*"}};
    DWORD flags = 0;
    dialog->GetOptions(&flags);
    dialog->SetOptions(flags | FOS_ALLOWMULTISELECT | FOS_FILEMUSTEXIST | FOS_FORCEFILESYSTEM | FOS_NODEREFERENCELINKS);
    dialog->SetFileTypes(static_cast<UINT>(std::size(filters)), filters);
    const std::wstring title = Text(L"launchpad", L"addicon", L"Add Applications...");
    dialog->SetTitle(title.c_str());
    // While the dialog is up the Launchpad is not active, and must not take that as leaving.
    m_modal = true;
    const HRESULT shown = dialog->Show(m_window.Get());
    m_modal = false;
    Microsoft::WRL::ComPtr<IShellItemArray> chosen;
    if (FAILED(shown) || FAILED(dialog->GetResults(&chosen))) return files;
    DWORD count = 0;
    chosen->GetCount(&count);
    for (DWORD i = 0; i < count; ++i) {
        Microsoft::WRL::ComPtr<IShellItem> item;
        PWSTR path = nullptr;
        if (FAILED(chosen->GetItemAt(i, &item)) || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) continue;
        files.emplace_back(path);
        ::CoTaskMemFree(path);
    }
    return files;
}

void LaunchpadWindow::AddFiles(const std::vector<std::wstring>& files) {
    if (files.empty()) return;
    const std::wstring pinned = m_services.settings.BaseFolder() + L"launchpad\\Pinned\\";
    std::vector<std::wstring> taken;
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((pinned + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do taken.push_back(found.cFileName);
        while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    const auto plan = PlanDrop(files, taken);
    if (!plan) {
        // Said in the Launchpad itself, beside its own picture; the next click or key takes it away.
        PreparePrompt();
        m_view->ShowNotice(Text(L"launchpad", L"adderror", L"At most 70 files can be added at once."));
        foundation::LogDetail("launchpad", L"dropped files refused: " + std::to_wstring(files.size()));
        Draw();
        return;
    }
    // Files on a share are read on a worker: a share that does not answer would hold this thread.
    const bool remote = std::any_of(plan->begin(), plan->end(), [](const PinnedAddition& addition) {
        return kestrana::win32::MayWaitOnNetwork(addition.source);
    });
    if (remote) {
        const HWND window = m_window.Get();
        if (!m_services.jobs.Run([window, pinned, additions = *plan](const foundation::JobContext&) {
                kestrana::win32::ComApartment com;
                ::PostMessageW(window, kFilesAdded, static_cast<WPARAM>(CreatePinned(pinned, additions)), 0);
            }))
            foundation::LogFailure("launchpad", "no worker free to add the dropped files");
        return;
    }
    FilesAdded(CreatePinned(pinned, *plan));
}

// The shortcuts are in launchpad\Pinned\, which the load finds.
void LaunchpadWindow::FilesAdded(int added) {
    foundation::LogDetail("launchpad", L"dropped files added: " + std::to_wstring(added));
    if (added == 0 || !m_catalogue) return;
    m_catalogue->Catalogue().Load();
    m_view->PagesChanged();
    Draw();
}

LRESULT CALLBACK LaunchpadWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = static_cast<LaunchpadWindow*>(::GetPropW(window, kSelfProperty));
    if (!self || !self->m_view) return ::DefWindowProcW(window, message, wParam, lParam);
    try {
        return self->Handle(message, wParam, lParam);
    } catch (...) {
        foundation::LogCaught("launchpad window");
        return 0;
    }
}

LRESULT CALLBACK LaunchpadWindow::GroupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = static_cast<LaunchpadWindow*>(::GetPropW(window, kSelfProperty));
    if (!self || !self->m_view) return ::DefWindowProcW(window, message, wParam, lParam);
    try {
        switch (message) {
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        // The wheel may come to the window under the pointer rather than the focus; its
        // position is on the screen already.
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL: return self->Handle(message, wParam, lParam);
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_MOUSEMOVE:
        case WM_RBUTTONUP: {
            // The panel's pointer input is the view's, in the Launchpad's own coordinates;
            // a press hands the capture to the Launchpad, which then follows the drag.
            POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ::ClientToScreen(window, &at);
            const LPARAM moved = MAKELPARAM(static_cast<WORD>(at.x - self->m_origin.x), static_cast<WORD>(at.y - self->m_origin.y));
            return self->Handle(message, wParam, moved);
        }
        default: break;
        }
    } catch (...) {
        foundation::LogCaught("launchpad group window");
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT LaunchpadWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    // Touch was handled as touch; the mouse messages the system makes from it come too.
    if ((message == WM_LBUTTONDOWN || message == WM_LBUTTONUP || message == WM_MOUSEMOVE) && FromTouch()) return 0;
    switch (message) {
    case WM_TIMER:
        if (wParam == kFrameTimer) FrameTick();
        if (wParam == kReleaseTimer) ReleasePictures();
        return 0;
    case WM_TOUCH: OnTouch(wParam, lParam); break; // the system closes the touch handle
    case WM_GETOBJECT:
        if (const auto answer = OnGetObject(wParam, lParam)) return *answer;
        break;
    case kPrepareShow: PrepareShow(); return 0;
    case kFilesAdded: FilesAdded(static_cast<int>(wParam)); return 0;
    case kReaderPage:
        // Checked again: the pages may have changed since the reader asked.
        if (Interactive() && m_view && !m_view->Searching() && wParam < m_view->PageCount()) {
            m_view->GoToPage(static_cast<std::size_t>(wParam), Now());
            Redraw(true);
        }
        return 0;
    case kIconsArrived:
        if (m_catalogue && m_catalogue->Catalogue().TakeIcons() > 0 && m_shown) Draw();
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_MINIMIZE) return 0; // the Launchpad is shown or hidden, never minimised
        break;
    case WM_MOUSEACTIVATE: return MA_ACTIVATE;
    case WM_ACTIVATE: OnActivate(LOWORD(wParam), reinterpret_cast<HWND>(lParam)); break;
    case WM_LBUTTONDOWN: OnPress(PointOf(lParam)); return 0;
    case WM_MOUSEMOVE: OnPointerMove(PointOf(lParam), (wParam & MK_LBUTTON) != 0); return 0;
    case WM_LBUTTONUP: OnRelease(PointOf(lParam)); return 0;
    case WM_CAPTURECHANGED:
        // Showing the drag label may move the capture on some systems; the next pointer
        // move without the button down ends the drag instead.
        return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        if (Interactive())
            Redraw(m_view->Wheel(GET_WHEEL_DELTA_WPARAM(wParam), message == WM_MOUSEHWHEEL,
                                 GET_KEYSTATE_WPARAM(wParam) != 0, Now()));
        return 0;
    case WM_RBUTTONUP: OnRightButtonUp(PointOf(lParam)); return 0;
    case WM_KEYDOWN: OnKey(static_cast<int>(wParam)); return 0;
    case WM_CHAR:
        if (Interactive() && wParam >= 0x20) Redraw(m_view->Type(std::wstring(1, static_cast<wchar_t>(wParam))));
        return 0;
    case WM_IME_COMPOSITION:
        if (OnImeComposition(lParam)) return 0; // taken here, or WM_CHAR would type it a second time
        break;
    case WM_IME_ENDCOMPOSITION:
        m_view->Compose({});
        Redraw(true);
        break;
    case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wParam)); return 0;
    default: break;
    }
    return ::DefWindowProcW(m_window.Get(), message, wParam, lParam);
}

bool LaunchpadWindow::Interactive() const { return m_shown && !m_hiding; }

void LaunchpadWindow::Redraw(bool changed) {
    if (changed) Draw();
    if (m_view->Animating(Now()) || m_view->Drag() == DragState::Dragging) StartFrames();
}

// A press ends: the view answers, the drag label follows, the answer is carried out.
void LaunchpadWindow::EndPress(PadPoint at) {
    const PadCommand command = m_view->Release(at, Now());
    UpdateTag();
    Carry(command);
    Redraw(true);
}

void LaunchpadWindow::OnTouch(WPARAM wParam, LPARAM lParam) {
    // The first finger drives the same press, move and release as the left button.
    const auto touch = Interactive() ? PrimaryTouch(wParam, lParam) : std::nullopt;
    if (!touch) return;
    const PadPoint at{touch->screen.x - m_origin.x, touch->screen.y - m_origin.y};
    if (touch->flags & TOUCHEVENTF_DOWN) {
        m_view->Press(at, Now());
        Redraw(true);
    } else if (touch->flags & TOUCHEVENTF_UP) {
        EndPress(at);
    } else if (touch->flags & TOUCHEVENTF_MOVE) {
        m_view->Move(at, Now());
        UpdateTag();
        Redraw(true);
    }
}

std::optional<LRESULT> LaunchpadWindow::OnGetObject(WPARAM wParam, LPARAM lParam) {
    if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT)) return std::nullopt;
    if (!m_reader) {
        kestrana::win32::AccessibleActions actions;
        // A reader selecting a page tab turns to that page; the turn is posted, so the
        // reader's call returns at once.
        actions.select = [this](foundation::AccessibleId id) {
            const auto page = m_view ? PadPageOfTab(id, m_view->PageCount()) : std::nullopt;
            return page && ::PostMessageW(m_window.Get(), kReaderPage, static_cast<WPARAM>(*page), 0) != FALSE;
        };
        m_reader = std::make_unique<kestrana::win32::AccessibleHost>(
            m_window.Get(),
            [this] { return m_view ? BuildPadTree(*m_view, m_origin.x, m_origin.y) : foundation::AccessibleTree(); },
            std::move(actions));
    }
    return m_reader->OnGetObject(wParam, lParam);
}

void LaunchpadWindow::OnActivate(WORD state, HWND other) {
    // Another program came to the front (switching, a notification): the Launchpad steps
    // aside as it does after a launch.
    if (state != WA_INACTIVE || !Interactive() || m_modal || gfx::PopupMenuOpen()) return;
    if (!other || !kestrana::win32::IsOwnWindow(other)) Hide(m_effect);
}

void LaunchpadWindow::OnPress(PadPoint at) {
    if (!Interactive()) return;
    ::SetCapture(m_window.Get());
    m_view->Press(at, Now());
    Redraw(true);
}

void LaunchpadWindow::OnPointerMove(PadPoint at, bool buttonDown) {
    if (!Interactive()) return;
    // The release went elsewhere (capture taken away): it ends the drag here.
    if (m_view->Drag() != DragState::None && !buttonDown) return EndPress(at);
    if (m_view->Move(at, Now())) {
        UpdateTag();
        Redraw(true);
    }
}

void LaunchpadWindow::OnRelease(PadPoint at) {
    if (!Interactive()) return;
    if (::GetCapture() == m_window.Get()) ::ReleaseCapture();
    EndPress(at);
}

void LaunchpadWindow::OnRightButtonUp(PadPoint at) {
    if (!Interactive() || m_view->Drag() != DragState::None) return;
    if (!m_view->Notice().empty()) { // any click only takes the notice away
        m_view->Key(PadKey::Escape, Now());
        Redraw(true);
        return;
    }
    ShowMenu(POINT{m_origin.x + at.x, m_origin.y + at.y});
}

void LaunchpadWindow::OnKey(int virtualKey) {
    if (!Interactive()) return;
    const auto key = PadKeyFor(virtualKey, (::GetKeyState(VK_SHIFT) & 0x8000) != 0);
    if (!key) return;
    Carry(m_view->Key(*key, Now()));
    Redraw(true);
}

bool LaunchpadWindow::OnImeComposition(LPARAM lParam) {
    HIMC context = ::ImmGetContext(m_window.Get());
    if (!context) return false;
    const auto read = [context](DWORD which) {
        const LONG bytes = ::ImmGetCompositionStringW(context, which, nullptr, 0);
        std::wstring text(bytes > 0 ? static_cast<std::size_t>(bytes) / sizeof(wchar_t) : 0, L'\0');
        if (bytes > 0) ::ImmGetCompositionStringW(context, which, text.data(), static_cast<DWORD>(bytes));
        return text;
    };
    bool taken = false;
    if (lParam & GCS_RESULTSTR) {
        m_view->Type(read(GCS_RESULTSTR));
        taken = true;
    } else if (lParam & GCS_COMPSTR) {
        m_view->Compose(read(GCS_COMPSTR));
    }
    ::ImmReleaseContext(m_window.Get(), context);
    Redraw(true);
    return taken;
}

void LaunchpadWindow::OnDropFiles(HDROP drop) {
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::wstring> files;
    // Counted before anything is read: a drop of too many adds none of them.
    if (DropFits(count)) {
        for (UINT i = 0; i < count; ++i) {
            const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
            std::wstring file(length, L'\0');
            ::DragQueryFileW(drop, i, file.data(), length + 1);
            files.push_back(std::move(file));
        }
    } else {
        files.resize(count);
    }
    ::DragFinish(drop);
    AddFiles(files);
}

} // namespace kestrana::launchers
