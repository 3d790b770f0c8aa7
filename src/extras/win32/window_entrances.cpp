#include "extras/win32/window_entrances.h"

#include "extras/win32/window_capture.h"
#include "extras/win32/window_facts.h"
#include "extras/win32/window_veil.h"
#include "extras/window_entrance.h"
#include "foundation/config_store.h"
#include "foundation/diagnostic_log.h"
#include "foundation/hook_protocol.h"
#include "foundation/process_state.h"
#include "foundation/shell_messages.h"
#include "foundation/win32/shell_window.h"
#include "gfx/win32/layered_window_surface.h"
#include "gfx/win32/system_look.h"

#include <dwmapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace kestrana::extras::win32 {

namespace {

constexpr wchar_t kHostClass[] = L"KestranaEntrances";
constexpr UINT kMsgPlayDone = WM_APP + 0x71; // wParam the play's id
constexpr UINT kMsgCaptured = WM_APP + 0x72; // wParam the play's id: its picture is there
// How long an opening window's picture may take before its opening is given up.
constexpr UINT kCaptureLimitMs = 1000;
// Timer ids: the poll, or a play's id plus one of the kinds.
constexpr UINT_PTR kTimerPoll = 1;
constexpr UINT_PTR kTimerSafety = 0x10000000;
constexpr UINT_PTR kTimerRetire = 0x20000000;
constexpr UINT kPollMs = 15;
// A reported window that has not shown by then is left alone.
constexpr std::int64_t kShowLimitMs = 2000;
// Polls a freshly shown window gets to draw itself before its picture is taken, and a
// window made visible again to be drawn on the screen before it is copied.
constexpr int kPaintPolls = 3;
constexpr int kCentrePolls = 6;
// Polls a shown window may stay covered or busy (a program still starting up) before its
// opening is given up.
constexpr int kBusyPolls = 12;
// Beyond the animation's own length, how long the worker may take.
constexpr int kSafetyMarginMs = 1500;
// The animation window stays this long over a window made visible again, while it draws.
constexpr UINT kRetireMs = 40;

// Hiding the window changes its style, which the system delivers to the window's thread
// and waits for: only a thread that answers at once is asked, so a program busy right
// after showing its window can never hold up ours.
bool Responsive(HWND window) noexcept {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 20, &ignored) != 0;
}

// The picture comes from the screen, so a window partly under another one would carry that
// one's pixels along. Our own bars are layered, and a screen copy leaves layered windows out.
bool Uncovered(HWND window, const RECT& rect) noexcept {
    int looked = 0;
    for (HWND above = ::GetWindow(window, GW_HWNDPREV); above && looked < 512;
         above = ::GetWindow(above, GW_HWNDPREV), ++looked) {
        RECT r{}, overlap{};
        if (!::IsWindowVisible(above) || ::IsIconic(above) || kestrana::win32::IsOwnWindow(above)) continue;
        DWORD cloaked = 0;
        if (SUCCEEDED(::DwmGetWindowAttribute(above, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked) continue;
        if (::GetWindowRect(above, &r) && ::IntersectRect(&overlap, &r, &rect)) return false;
    }
    return true;
}

std::int64_t NowMs() noexcept {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

enum class Stage {
    Waiting,   // reported, not yet shown and drawn
    Centring,  // moved to the middle of its work area; waiting for the move to land
    Capturing, // its picture is being taken on a worker
    Flying,
    Retiring,  // over; the animation window goes shortly
};

struct Play {
    std::uint64_t id = 0;
    HWND window = nullptr;
    Entrance entrance = Entrance::Open;
    EntranceKind kind;
    bool centre = false;
    Stage stage = Stage::Waiting;
    std::int64_t stageMs = 0;
    int polls = 0; // in this stage, while the window shows
    int busyPolls = 0;
    WindowVeil veil;

    Box box;  // the window on the screen
    Box area; // the animation window
    gfx::Bitmap image;
    HWND overlay = nullptr;
    gfx::Bitmap canvas;
    gfx::RectI lastDrawn;
    gfx::LayeredWindowSurface surface;
    int frames = 0;
    int intervalMs = 15;
    std::atomic<bool> cancel{false};
    std::atomic<int> presented{0};
    std::atomic<std::int64_t> flownMs{0};
    long long heldUs = -1; // how long a closing window waited for its picture
};

bool DrawAndPresent(Play& play, int frame, HWND overlay) {
    const EntranceFrame look = EntranceFrameAt(play.kind.effect, play.entrance, frame, play.frames);
    gfx::RectI drawn = DrawEntranceFrame(play.image, play.box, play.area, look, play.lastDrawn, play.canvas);
    play.lastDrawn = drawn;
    // An invisible frame still replaces the last one on the screen.
    if (drawn.Empty()) drawn = {0, 0, 1, 1};
    const POINT at{play.area.left + drawn.x, play.area.top + drawn.y};
    const auto opacity = static_cast<BYTE>(std::clamp(look.opacity, 0.0f, 1.0f) * 255.0f + 0.5f);
    const bool shown = play.surface.PresentPart(overlay, play.canvas, drawn, at, opacity, &drawn);
    if (shown) ++play.presented;
    return shown;
}

void RunFrames(const std::shared_ptr<Play>& play, HWND host) noexcept {
    const std::int64_t began = NowMs();
    try {
        const auto start = std::chrono::steady_clock::now();
        HWND overlay = play->overlay; // the user-interface thread may drop it after a time-out
        for (int k = 1; k < play->frames && !play->cancel.load(); ++k) {
            const auto due = start + std::chrono::milliseconds(std::int64_t(play->intervalMs) * k);
            // A frame a whole interval late is dropped (never the last): a slow present
            // shortens the animation's frames, not its length.
            const bool last = k + 1 == play->frames;
            if (!last && std::chrono::steady_clock::now() > due + std::chrono::milliseconds(play->intervalMs)) continue;
            std::this_thread::sleep_until(due);
            if (play->cancel.load()) break;
            DrawAndPresent(*play, k, overlay);
        }
    } catch (...) {
        foundation::LogCaught("window entrance frames");
    }
    play->flownMs = NowMs() - began;
    ::PostMessageW(host, kMsgPlayDone, static_cast<WPARAM>(play->id), 0);
}

class Entrances {
public:
    explicit Entrances(AnimationServices services) : m_services(std::move(services)), m_facts(m_services.docks) {}

    bool Create() noexcept;
    void Report(HWND window, bool opened);
    void StopAll() noexcept;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    [[nodiscard]] EntranceSettings Settings() const {
        return m_services.store ? ReadEntranceSettings(*m_services.store) : EntranceSettings{};
    }
    [[nodiscard]] bool Wanted(Entrance entrance, HWND window, const EntranceSettings& settings) const;
    [[nodiscard]] bool Placeable(HWND window) const;
    std::shared_ptr<Play> Find(HWND window);
    std::shared_ptr<Play> ById(std::uint64_t id);
    std::shared_ptr<Play> Add(HWND window, Entrance entrance, const EntranceSettings& settings);
    void Opened(HWND window, const EntranceSettings& settings);
    void Closing(HWND window, const EntranceSettings& settings);
    void PublishClosing(const EntranceSettings& settings);
    void Poll();
    // One waiting opening: false when it is over (`why`, when set, says why it did not play).
    bool Advance(const std::shared_ptr<Play>& play, const wchar_t*& why);
    void Captured(const std::shared_ptr<Play>& play);
    bool Fly(const std::shared_ptr<Play>& play);
    void Finish(const std::shared_ptr<Play>& play, const wchar_t* why);
    void Retire(const std::shared_ptr<Play>& play);

    AnimationServices m_services;
    Win32AnimationFacts m_facts;
    HWND m_host = nullptr;
    std::timed_mutex m_mutex; // the map, against a stop from another thread
    std::map<std::uint64_t, std::shared_ptr<Play>> m_plays;
    std::uint64_t m_nextId = 1;
    bool m_polling = false;
    bool m_closingPublished = false;
};

Entrances* g_entrances = nullptr;

bool Entrances::Create() noexcept {
    if (!kestrana::win32::RegisterWindowClass(kHostClass, Proc, 0)) return false;
    kestrana::win32::ShellWindowRequest request;
    request.className = kHostClass;
    request.width = 1;
    request.height = 1;
    request.toolWindow = true;
    request.noActivate = true;
    m_host = kestrana::win32::CreateShellWindow(request);
    if (!m_host) return false;
    ::SetPropW(m_host, L"KestranaEntrances", this);
    kestrana::win32::ExcludeFromPeek(m_host);
    PublishClosing(Settings());
    return true;
}

LRESULT CALLBACK Entrances::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = static_cast<Entrances*>(::GetPropW(window, L"KestranaEntrances"));
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    try {
        if (message == kMsgPlayDone) {
            if (auto play = self->ById(wParam)) self->Finish(play, nullptr);
            return 0;
        }
        if (message == kMsgCaptured) {
            if (auto play = self->ById(wParam)) self->Captured(play);
            return 0;
        }
        if (message == WM_TIMER) {
            if (wParam == kTimerPoll) {
                self->Poll();
                return 0;
            }
            ::KillTimer(window, wParam);
            auto play = self->ById(wParam & 0x0FFFFFFFu);
            if (!play) return 0;
            if ((wParam & 0xF0000000u) == kTimerSafety)
                self->Finish(play, play->stage == Stage::Capturing ? L"no picture in time" : L"overran");
            else self->Retire(play);
            return 0;
        }
    } catch (...) {
        foundation::LogCaught("window entrances");
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool Entrances::Wanted(Entrance entrance, HWND window, const EntranceSettings& settings) const {
    const auto& process = foundation::Process();
    const SystemState system{process.quit.load(), process.suspended.load(), process.sessionLocked.load(),
                             !gfx::SystemAnimations()};
    const foundation::ConfigStore* store = m_services.store;
    return ShouldAnimateEntrance(entrance, settings, system, m_facts.Look(Id(window)),
                                 [store](std::wstring_view key) { return store && IsExcludedProgram(*store, key); });
}

// Centring takes the same windows as the animation, whether that is on or not.
bool Entrances::Placeable(HWND window) const {
    EntranceSettings settings;
    settings.open.enabled = true;
    return Wanted(Entrance::Open, window, settings) && !::IsZoomed(window);
}

std::shared_ptr<Play> Entrances::Find(HWND window) {
    std::lock_guard lock(m_mutex);
    for (auto& [id, play] : m_plays)
        if (play->window == window && play->stage != Stage::Retiring) return play;
    return nullptr;
}

std::shared_ptr<Play> Entrances::ById(std::uint64_t id) {
    std::lock_guard lock(m_mutex);
    auto it = m_plays.find(id);
    return it == m_plays.end() ? nullptr : it->second;
}

std::shared_ptr<Play> Entrances::Add(HWND window, Entrance entrance, const EntranceSettings& settings) {
    auto play = std::make_shared<Play>();
    play->id = m_nextId++ & 0x0FFFFFFFu;
    play->window = window;
    play->entrance = entrance;
    play->kind = settings.Of(entrance);
    play->centre = entrance == Entrance::Open && settings.centreOpened;
    play->stageMs = NowMs();
    std::lock_guard lock(m_mutex);
    m_plays[play->id] = play;
    return play;
}

void Entrances::Report(HWND window, bool opened) {
    const EntranceSettings settings = Settings();
    PublishClosing(settings);
    if (!window || !::IsWindow(window) || kestrana::win32::IsOwnWindow(window) || foundation::Process().quit.load())
        return;
    if (opened) Opened(window, settings);
    else Closing(window, settings);
}

// The hook makes a closing window wait for its picture only while closing animations
// are on; otherwise every window closing anywhere would wait on our thread. Refreshed
// with every report, so a changed setting is seen from the next window on.
void Entrances::PublishClosing(const EntranceSettings& settings) {
    HWND main = kestrana::win32::ShellWindowHost();
    if (!main || settings.close.enabled == m_closingPublished) return;
    const std::wstring name(foundation::kPropCloseAnimation);
    if (settings.close.enabled) {
        m_closingPublished = ::SetPropW(main, name.c_str(), reinterpret_cast<HANDLE>(1)) != 0;
    } else {
        ::RemovePropW(main, name.c_str());
        m_closingPublished = false;
    }
}

void Entrances::Opened(HWND window, const EntranceSettings& settings) {
    if (Find(window)) return;
    if (!settings.open.enabled && !settings.centreOpened) return;
    wchar_t name[256] = {};
    const int length = ::GetClassNameW(window, name, 256);
    if (EntranceRefusesClass(std::wstring_view(name, std::max(0, length)))) return;
    auto play = Add(window, Entrance::Open, settings);
    if (!m_polling) m_polling = ::SetTimer(m_host, kTimerPoll, kPollMs, nullptr) != 0;
    if (!m_polling) Finish(play, L"no timer");
}

void Entrances::Poll() {
    std::vector<std::shared_ptr<Play>> waiting;
    {
        std::lock_guard lock(m_mutex);
        for (auto& [id, play] : m_plays)
            if (play->stage == Stage::Waiting || play->stage == Stage::Centring)
                waiting.push_back(play);
    }
    for (auto& play : waiting) {
        const wchar_t* why = nullptr;
        if (!Advance(play, why)) Finish(play, why);
    }
    bool more = false;
    {
        std::lock_guard lock(m_mutex);
        for (auto& [id, play] : m_plays)
            more = more || play->stage == Stage::Waiting || play->stage == Stage::Centring;
    }
    if (!more) {
        ::KillTimer(m_host, kTimerPoll);
        m_polling = false;
    }
}

bool Entrances::Advance(const std::shared_ptr<Play>& play, const wchar_t*& why) {
    HWND window = play->window;
    if (!::IsWindow(window)) {
        why = L"gone";
        return false;
    }
    const std::int64_t now = NowMs();
    const bool shown = ::IsWindowVisible(window) && !::IsIconic(window);
    if (play->stage == Stage::Waiting) {
        if (!shown) {
            if (now - play->stageMs < kShowLimitMs) return true;
            why = L"never shown";
            return false;
        }
        if (++play->polls < kPaintPolls) return true;
        if (play->centre && Placeable(window)) {
            play->centre = false;
            RECT rect{};
            MONITORINFO monitor{};
            monitor.cbSize = sizeof monitor;
            if (::GetWindowRect(window, &rect) &&
                ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
                const Box to = CentreIn(ToBox(rect), ToBox(monitor.rcWork));
                if (!(to == ToBox(rect))) {
                    // Asynchronous: the window's thread may be busy, and ours must not wait on it.
                    ::SetWindowPos(window, nullptr, to.left, to.top, 0, 0,
                                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
                    play->box = to;
                    play->stage = Stage::Centring;
                    play->polls = 0;
                    return play->kind.enabled;
                }
            }
        }
        if (!play->kind.enabled) return false;
    }
    if (play->stage == Stage::Centring) {
        RECT rect{};
        ::GetWindowRect(window, &rect);
        if (!(ToBox(rect) == play->box) && ++play->polls < kCentrePolls) return true;
    }
    if (!play->kind.enabled || !shown) return false;
    // Taken while the window shows as drawn: the screen holds its picture where a print
    // of another process comes back blank. The window is then made invisible in place
    // and grows back out of its picture.
    const RECT rect = VisibleWindowRect(window);
    if (!Wanted(Entrance::Open, window, Settings())) return false;
    // Both pass soon for a window that has just shown: another window moving away, a
    // program finishing its start-up.
    const bool uncovered = Uncovered(window, rect);
    if (!uncovered || !Responsive(window)) {
        if (++play->busyPolls < kBusyPolls) return true;
        why = uncovered ? L"not answering" : L"covered";
        return false;
    }
    play->box = ToBox(rect);
    play->stage = Stage::Capturing;
    ::SetTimer(m_host, kTimerSafety | play->id, kCaptureLimitMs, nullptr);
    HWND host = m_host;
    if (!RunCaptureJob([play, host, rect] {
            play->image = CaptureWindowImage(play->window, rect);
            ::PostMessageW(host, kMsgCaptured, static_cast<WPARAM>(play->id), 0);
        })) {
        why = L"no picture";
        return false;
    }
    return true;
}

// The worker's picture is there; the window has waited visible meanwhile.
void Entrances::Captured(const std::shared_ptr<Play>& play) {
    if (play->stage != Stage::Capturing) return;
    ::KillTimer(m_host, kTimerSafety | play->id);
    HWND window = play->window;
    if (play->image.Empty()) return Finish(play, L"no picture");
    if (!::IsWindow(window) || !::IsWindowVisible(window) || ::IsIconic(window)) return Finish(play, L"gone");
    if (!play->veil.Drop(window) || !Fly(play)) Finish(play, L"no animation window");
}

void Entrances::Closing(HWND window, const EntranceSettings& settings) {
    if (auto running = Find(window)) {
        // Closed while it was still opening: the opening ends where it is. A closing
        // already under way is the same close reported again.
        if (running->entrance == Entrance::Open) Finish(running, L"closed while opening");
        return;
    }
    if (!settings.close.enabled || !::IsWindowVisible(window) || ::IsIconic(window) ||
        !Wanted(Entrance::Close, window, settings))
        return;
    // The window's thread waits for this answer inside its destruction, so the picture is
    // the screen's: a print would have to be drawn by that very thread.
    const auto began = std::chrono::steady_clock::now();
    const RECT rect = VisibleWindowRect(window);
    if (!Uncovered(window, rect)) return;
    auto play = Add(window, Entrance::Close, settings);
    play->box = ToBox(rect);
    play->image = CopyScreenImage(rect);
    const bool flying = !play->image.Empty() && Fly(play);
    play->heldUs = static_cast<long long>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - began).count());
    if (!flying) Finish(play, L"no picture");
}

bool Entrances::Fly(const std::shared_ptr<Play>& play) {
    const FramePlan plan = PlanEntrance(play->entrance, RefreshRate(play->window), play->kind.durationPercent);
    play->frames = plan.frames;
    play->intervalMs = std::max(1, plan.intervalMs);
    play->area = EntranceArea(play->box, play->kind.effect);
    play->canvas = gfx::Bitmap(play->area.Width(), play->area.Height());
    kestrana::win32::ShellWindowRequest request;
    request.className = std::wstring(foundation::kAnimationWindowClass);
    request.x = play->area.left;
    request.y = play->area.top;
    request.width = play->area.Width();
    request.height = play->area.Height();
    request.layered = true;
    request.clickThrough = true;
    request.toolWindow = true;
    request.topmost = true;
    request.noActivate = true;
    play->overlay = kestrana::win32::CreateShellWindow(request);
    if (!play->overlay || play->canvas.Empty() || !DrawAndPresent(*play, 0, play->overlay)) {
        foundation::LogFailure("window entrance", L"the animation window could not be shown");
        return false;
    }
    ::ShowWindow(play->overlay, SW_SHOWNOACTIVATE);
    play->stage = Stage::Flying;
    // A closing window may go now: its picture stands where it stood.
    if (play->entrance == Entrance::Close && ::InSendMessage()) ::ReplyMessage(0);
    ::SetTimer(m_host, kTimerSafety | play->id,
               static_cast<UINT>(play->intervalMs * play->frames + kSafetyMarginMs), nullptr);
    try {
        std::thread(RunFrames, play, m_host).detach();
    } catch (...) {
        foundation::LogCaught("window entrance worker");
        return false;
    }
    return true;
}

// Over, one way or another: the window is shown again at once; the animation window
// follows a moment later, once the window has drawn itself under it.
void Entrances::Finish(const std::shared_ptr<Play>& play, const wchar_t* why) {
    if (play->stage == Stage::Retiring) return;
    ::KillTimer(m_host, kTimerSafety | play->id);
    play->cancel = true;
    const bool flew = play->stage == Stage::Flying;
    play->stage = Stage::Retiring;
    play->veil.Lift();
    if (foundation::DetailLogging()) {
        wchar_t line[200];
        wchar_t held[48] = L"";
        if (play->heldUs >= 0) std::swprintf(held, std::size(held), L"; window held %lld us", play->heldUs);
        if (flew)
            std::swprintf(line, std::size(line), L"%ls: %d of %d frames presented in %lld ms (every %d ms)%ls%ls%ls",
                          play->entrance == Entrance::Open ? L"open" : L"close", play->presented.load(), play->frames,
                          static_cast<long long>(play->flownMs.load()), play->intervalMs, held, why ? L"; " : L"",
                          why ? why : L"");
        else
            std::swprintf(line, std::size(line), L"%ls of %p not played%ls%ls",
                          play->entrance == Entrance::Open ? L"open" : L"close", static_cast<void*>(play->window),
                          why ? L": " : L"", why ? why : L"");
        foundation::LogDetail("window entrance", line);
    }
    if (play->overlay && play->entrance == Entrance::Open && !why &&
        ::SetTimer(m_host, kTimerRetire | play->id, kRetireMs, nullptr))
        return;
    Retire(play);
}

void Entrances::Retire(const std::shared_ptr<Play>& play) {
    if (HWND overlay = std::exchange(play->overlay, nullptr)) ::DestroyWindow(overlay);
    std::lock_guard lock(m_mutex);
    m_plays.erase(play->id);
}

void Entrances::StopAll() noexcept {
    std::unique_lock lock(m_mutex, std::defer_lock);
    // In a crash the lock may be held by the thread that failed; go on without it.
    const bool locked = lock.try_lock_for(std::chrono::milliseconds(200));
    for (auto& [id, play] : m_plays) {
        play->cancel = true;
        play->veil.Lift();
    }
    if (locked) lock.unlock();
}

} // namespace

bool StartWindowEntrances(AnimationServices services) noexcept {
    try {
        if (g_entrances) return true;
        auto entrances = std::make_unique<Entrances>(std::move(services));
        if (!entrances->Create()) {
            foundation::LogFailure("window entrances", L"the host window could not be made");
            return false;
        }
        // Lives until the process ends: reports may arrive at any time.
        g_entrances = entrances.release();
        return true;
    } catch (...) {
        foundation::LogCaught("window entrances start");
        return false;
    }
}

void OnWindowOpenedOrClosed(HWND window, bool opened) noexcept {
    try {
        if (g_entrances) g_entrances->Report(window, opened);
    } catch (...) {
        foundation::LogCaught("window entrances report");
    }
}

void StopWindowEntrances() noexcept {
    if (g_entrances) g_entrances->StopAll();
}

} // namespace kestrana::extras::win32
