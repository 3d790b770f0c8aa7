#include "extras/win32/minimise_watcher.h"

#include "dock/win32/dock_host.h"
#include "extras/frame_timing.h"
#include "extras/mesh_renderer.h"
#include "extras/minimise_decision.h"
#include "extras/win32/window_capture.h"
#include "extras/win32/window_facts.h"
#include "extras/win32/window_veil.h"
#include "foundation/config_store.h"
#include "foundation/diagnostic_log.h"
#include "foundation/hook_protocol.h"
#include "foundation/process_state.h"
#include "foundation/shell_messages.h"
#include "foundation/text.h"
#include "foundation/win32/foreign_sender.h"
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
#include <optional>
#include <thread>
#include <utility>

namespace kestrana::extras::win32 {

namespace {

using foundation::Process;
namespace msg = foundation;

constexpr UINT kMsgFlightStart = WM_APP + 0x6A; // wParam the window, lParam the Play
constexpr UINT kMsgFlightDone = WM_APP + 0x6B;  // wParam the flight's id
constexpr UINT kMsgFlightCaptured = WM_APP + 0x6C; // wParam the flight's id
// How long a window's picture may take before it is minimised without a flight.
constexpr UINT kCaptureLimitMs = 1000;
// Timer ids: the flight's id plus one of these.
constexpr UINT_PTR kTimerSafety = 0x10000000;
constexpr UINT_PTR kTimerSettle = 0x20000000;
constexpr UINT kSettlePollMs = 15;
constexpr std::int64_t kSettleLimitMs = 2000;
// Beyond the flight's own length, how long the worker may take before the window is
// shown again without it.
constexpr int kSafetyMarginMs = 3000;
#ifndef DWMWA_TRANSITIONS_FORCEDISABLED
constexpr DWORD DWMWA_TRANSITIONS_FORCEDISABLED = 3;
#endif

std::int64_t NowMs() noexcept {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

using win32::ToBox; // beside the overload below
Box ToBox(const dock::ScreenRect& r) { return {r.left, r.top, r.right, r.bottom}; }

void SetSystemTransitions(HWND window, bool off) noexcept {
    const BOOL value = off ? TRUE : FALSE;
    ::DwmSetWindowAttribute(window, DWMWA_TRANSITIONS_FORCEDISABLED, &value, sizeof value);
}

struct Target {
    Box icon;
    FlowEdge edge = FlowEdge::Bottom;
};

// Where a minimised window's own item will grow in ("mintoico" off): where the row's last
// pinned item stands now ("minicopos" 0, it goes just before it), or one icon past the
// last item (1; 2 leaves room for the separator in front of it). The row re-centres as
// the item grows, so this is close, not exact.
dock::ScreenRect OwnItemPlace(dock::win32::DockWindow& dock, int placeChoice) {
    auto& items = dock.Bar().Items();
    std::int32_t lastKept = dock::kNoItemId, lastReal = dock::kNoItemId;
    {
        std::lock_guard listLock(items.ListMutex());
        items.ForEachReal([&](std::size_t, const dock::Dockico& item) {
            if (item.IsSeparator()) return;
            lastReal = item.id;
            if (item.kept) lastKept = item.id;
        });
    }
    if (placeChoice == 0 && lastKept != dock::kNoItemId) return dock.Bar().IconOnScreen(lastKept);
    dock::ScreenRect r = lastReal != dock::kNoItemId ? dock.Bar().IconOnScreen(lastReal) : dock::ScreenRect{};
    if (r.Empty()) return r;
    const bool vertical = dock::IsVertical(dock.Bar().Model().GetEdge());
    int step = vertical ? r.Height() : r.Width();
    if (placeChoice == 2) step += step / 2;
    if (vertical) r.top += step, r.bottom += step;
    else r.left += step, r.right += step;
    return r;
}

std::optional<Target> FindTarget(dock::win32::DockHost* host, HWND window, const Box& box,
                                 const MinimiseSettings& settings, bool minimising) {
    const ItemPlace place = FindItem(host, window);
    if (!place.dock) return std::nullopt;
    dock::ScreenRect icon = place.dock->Bar().IconOnScreen(place.itemId);
    if (minimising && !settings.toOwnIcon) {
        const dock::ScreenRect own = OwnItemPlace(*place.dock, settings.placeChoice);
        if (!own.Empty()) icon = own;
    }
    if (icon.Empty()) return std::nullopt;
    const auto dockEdge = static_cast<FlowEdge>(static_cast<int>(place.dock->Bar().Model().GetEdge()));
    return Target{ToBox(icon), ChooseFlowEdge(box, ToBox(place.dock->Monitor().rect), dockEdge)};
}

// Slow motion is asked for by holding Shift; three looks in a row rule out a stray reading.
bool ShiftHeld() {
    for (int i = 0; i < 3; ++i)
        if (!(::GetAsyncKeyState(VK_SHIFT) & 0x8000)) return false;
    return true;
}

struct Flight {
    std::uint64_t id = 0;
    HWND window = nullptr;
    bool minimising = true;
    HWND overlay = nullptr;
    Box area; // the overlay's place on the screen
    FlightPath path;
    std::vector<int> order;
    int intervalMs = 15;
    MeshSource source;
    gfx::Bitmap canvas;
    gfx::RectI lastDrawn;
    gfx::LayeredWindowSurface surface;
    WindowVeil veil;
    std::atomic<bool> cancel{false};
    std::atomic<bool> workerDone{false};
    std::atomic<int> presented{0};
    std::int64_t startedMs = 0;
    std::atomic<std::int64_t> flownMs{0};
    std::int64_t settleStartMs = 0;
    bool settling = false;
    bool captured = false;
    std::int64_t askedMs = 0;   // when the picture was asked for
    std::int64_t captureMs = 0; // how long the worker took for it
    RECT rect{};        // the window as seen when the picture was asked for
    gfx::Bitmap image;  // written by the capture worker before it reports
};

// Clears what the last frame drew, draws frame `f` and shows only the part it covers:
// the animation window shrinks with the image, and a present costs in proportion to the
// window's size wherever layered windows are composed on the processor.
bool DrawAndPresent(Flight& flight, int f, HWND overlay) {
    const MeshFrame mesh = ComputeMeshFrame(flight.path, f);
    const gfx::RectI previous = flight.lastDrawn;
    for (int y = previous.y; y < previous.Bottom(); ++y)
        std::fill_n(flight.canvas.Row(y) + previous.x, previous.width, gfx::Pixel{0});
    gfx::RectI drawn = DrawMeshFrame(flight.source, mesh, flight.canvas, flight.area.left, flight.area.top);
    flight.lastDrawn = drawn;
    if (drawn.Empty()) drawn = {0, 0, 1, 1};
    const POINT at{flight.area.left + drawn.x, flight.area.top + drawn.y};
    const bool shown = flight.surface.PresentPart(overlay, flight.canvas, drawn, at, 255, &drawn);
    if (shown) ++flight.presented;
    return shown;
}

void FlyFrames(const std::shared_ptr<Flight>& flight, HWND watcher) noexcept {
    try {
        const auto start = std::chrono::steady_clock::now();
        // Copied once: the user-interface thread may drop the window after a time-out.
        HWND overlay = flight->overlay;
        for (std::size_t k = 1; k < flight->order.size() && !flight->cancel.load(); ++k) {
            const auto due = start + std::chrono::milliseconds(flight->intervalMs * std::int64_t(k));
            // A frame already a whole interval late is dropped (never the last), so a slow
            // present shortens the flight's frames rather than stretching its time.
            const bool last = k + 1 == flight->order.size();
            if (!last && std::chrono::steady_clock::now() > due + std::chrono::milliseconds(flight->intervalMs)) continue;
            std::this_thread::sleep_until(due);
            if (flight->cancel.load()) break;
            DrawAndPresent(*flight, flight->order[k], overlay);
        }
    } catch (...) {
        foundation::LogCaught("minimise flight");
    }
    flight->flownMs = NowMs() - flight->startedMs;
    flight->workerDone = true;
    ::PostMessageW(watcher, kMsgFlightDone, static_cast<WPARAM>(flight->id), 0);
}

class Watcher {
public:
    explicit Watcher(AnimationServices services)
        : m_services(std::move(services)), m_facts(m_services.docks), m_decider(m_facts, m_animated) {}

    bool Create() noexcept;
    void StopAll() noexcept;
    std::shared_ptr<const KeptImage> ImageOf(HWND window) const { return m_animated.Image(Id(window)); }
    [[nodiscard]] HWND Window() const { return m_window; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT Answer(WPARAM code, HWND window);
    void StartFlight(HWND window, Play play);
    void Fly(const std::shared_ptr<Flight>& flight, std::shared_ptr<const KeptImage> kept);
    void Complete(const std::shared_ptr<Flight>& flight);
    void Settle(const std::shared_ptr<Flight>& flight, bool timedOut);
    std::shared_ptr<Flight> FlightById(std::uint64_t id);
    [[nodiscard]] MinimiseSettings Settings() const {
        return m_services.store ? ReadMinimiseSettings(*m_services.store, false) : MinimiseSettings{};
    }

    AnimationServices m_services;
    HWND m_window = nullptr;
    Win32AnimationFacts m_facts;
    AnimatedWindows m_animated;
    MinimiseDecider m_decider;
    std::timed_mutex m_flightsMutex; // the map, against a stop from another thread
    std::map<std::uint64_t, std::shared_ptr<Flight>> m_flights;
    std::uint64_t m_nextId = 1;
    std::int64_t m_displayChangedMs = -kDisplaySettleMs;
};

Watcher* g_watcher = nullptr;

bool Watcher::Create() noexcept {
    const std::wstring className(msg::kWatcherWindowClass);
    if (!kestrana::win32::RegisterWindowClass(className, Proc, 0)) return false;
    kestrana::win32::ShellWindowRequest request;
    request.className = className;
    request.title = std::wstring(msg::kWatcherWindowTitle);
    request.width = 10;
    request.height = 10;
    request.toolWindow = true;
    request.noActivate = true;
    request.createOnThisThread = true;
    m_window = kestrana::win32::CreateShellWindow(request);
    if (!m_window) return false;
    ::SetPropW(m_window, L"KestranaWatcher", this);
    kestrana::win32::ExcludeFromPeek(m_window);
    // Read once now, so the first question does not pay for parsing the settings file.
    const MinimiseSettings settings = Settings();
    wchar_t line[96];
    std::swprintf(line, std::size(line), L"started: on %d, effect %d, speed %.2f", settings.enabled ? 1 : 0,
                  static_cast<int>(settings.effect), static_cast<double>(settings.speed));
    foundation::LogDetail("minimise watcher", line);
    return true;
}

LRESULT CALLBACK Watcher::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = static_cast<Watcher*>(::GetPropW(window, L"KestranaWatcher"));
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    try {
        switch (message) {
        case msg::kMsgHookAsk:
            // Taking a window over pictures, hides and minimises it: only for a question
            // its own process sent. A refusal leaves the window to the system.
            if (!kestrana::win32::AcceptHookReport(reinterpret_cast<HWND>(lParam), true, "minimise watcher",
                                                   L"question " + std::to_wstring(wParam)))
                return 0;
            return self->Answer(wParam, reinterpret_cast<HWND>(lParam));
        case kMsgFlightStart: self->StartFlight(reinterpret_cast<HWND>(wParam), static_cast<Play>(lParam)); return 0;
        case kMsgFlightDone:
            if (auto flight = self->FlightById(wParam)) self->Complete(flight);
            return 0;
        case kMsgFlightCaptured: {
            auto flight = self->FlightById(wParam);
            if (!flight || flight->captured || flight->settling) return 0;
            flight->captured = true;
            ::KillTimer(window, kTimerSafety | flight->id);
            if (foundation::DetailLogging()) {
                wchar_t line[96];
                std::swprintf(line, std::size(line), L"picture taken in %lld ms, here after %lld ms",
                              static_cast<long long>(flight->captureMs),
                              static_cast<long long>(NowMs() - flight->askedMs));
                foundation::LogDetail("minimise watcher", line);
            }
            std::shared_ptr<const KeptImage> kept;
            if (!flight->image.Empty()) {
                auto keep = std::make_shared<KeptImage>();
                keep->image = std::move(flight->image);
                keep->window = ToBox(flight->rect);
                kept = keep;
                self->m_animated.Keep(Id(flight->window), kept);
            }
            self->Fly(flight, kept);
            return 0;
        }
        case WM_TIMER: {
            const UINT_PTR kind = wParam & 0xF0000000u;
            auto flight = self->FlightById(wParam & 0x0FFFFFFFu);
            if (!flight) {
                ::KillTimer(window, wParam);
                return 0;
            }
            if (kind == kTimerSafety) {
                ::KillTimer(window, wParam);
                foundation::LogFailure("minimise watcher", flight->minimising && !flight->captured
                                                               ? L"the window's picture did not come in time"
                                                               : L"a flight overran; the window is shown without it");
                flight->cancel = true;
                self->Complete(flight);
            } else if (kind == kTimerSettle) {
                self->Settle(flight, NowMs() - flight->settleStartMs > kSettleLimitMs);
            }
            return 0;
        }
        case WM_DISPLAYCHANGE: self->m_displayChangedMs = NowMs(); break;
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) self->m_displayChangedMs = NowMs();
            break;
        case WM_SYSCOMMAND:
            if (((wParam & 0xFFF0) == SC_CLOSE && lParam == 0) || (wParam & 0xFFF0) == SC_RESTORE) return 0;
            break;
        case WM_SIZE:
            if (wParam == SIZE_MINIMIZED) return 0;
            break;
        case WM_DESTROY: self->StopAll(); break;
        default: break;
        }
    } catch (...) {
        foundation::LogCaught("minimise watcher");
        if (message == msg::kMsgHookAsk) return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Watcher::Answer(WPARAM code, HWND window) {
    const auto began = std::chrono::steady_clock::now();
    const auto& process = Process();
    const SystemState system{process.quit.load(), process.suspended.load(), process.sessionLocked.load(),
                             !gfx::SystemAnimations()};
    const foundation::ConfigStore* store = m_services.store;
    const auto& stage = m_services.stageManagerTakes;
    const Verdict verdict = m_decider.Decide(
        code, Id(window), Settings(), system,
        [store](std::wstring_view key) { return store && IsExcludedProgram(*store, key); },
        [&stage](WindowId w) { return stage && stage(Handle(w)); });
    int answer = verdict.answer;
    if (verdict.play != Play::None &&
        !::PostMessageW(m_window, kMsgFlightStart, reinterpret_cast<WPARAM>(window), static_cast<LPARAM>(verdict.play))) {
        // The flight could not be queued: the system does it after all.
        if (verdict.play == Play::Minimise) m_animated.Remove(Id(window));
        else m_animated.SetState(Id(window), FlightState::Minimised);
        answer = 0;
    }
    if (!foundation::DetailLogging()) return answer;
    const auto micros =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - began).count();
    wchar_t line[96];
    std::swprintf(line, std::size(line), L"ask %u for %p: %d in %lld us", unsigned(code), static_cast<void*>(window),
                  answer, static_cast<long long>(micros));
    foundation::LogDetail("minimise watcher", line);
    return answer;
}

std::shared_ptr<Flight> Watcher::FlightById(std::uint64_t id) {
    std::lock_guard lock(m_flightsMutex);
    auto it = m_flights.find(id);
    return it == m_flights.end() ? nullptr : it->second;
}

void Watcher::StartFlight(HWND window, Play play) {
    auto flight = std::make_shared<Flight>();
    flight->id = m_nextId++ & 0x0FFFFFFFu;
    flight->window = window;
    flight->minimising = play == Play::Minimise;
    {
        std::lock_guard lock(m_flightsMutex);
        m_flights[flight->id] = flight;
    }
    if (!flight->minimising) {
        Fly(flight, m_animated.Image(Id(window)));
        return;
    }
    // The picture is taken on a worker; the window waits for it, minimised without a
    // flight when it does not come in time.
    flight->rect = VisibleWindowRect(window);
    flight->askedMs = NowMs();
    HWND watcher = m_window;
    ::SetTimer(m_window, kTimerSafety | flight->id, kCaptureLimitMs, nullptr);
    const bool queued = RunCaptureJob([flight, watcher] {
        const std::int64_t began = NowMs();
        flight->image = CaptureWindowImage(flight->window, flight->rect);
        flight->captureMs = NowMs() - began;
        ::PostMessageW(watcher, kMsgFlightCaptured, static_cast<WPARAM>(flight->id), 0);
    });
    if (!queued) Complete(flight);
}

void Watcher::Fly(const std::shared_ptr<Flight>& flight, std::shared_ptr<const KeptImage> kept) {
    HWND window = flight->window;
    const MinimiseSettings settings = Settings();
    const auto target = kept ? FindTarget(m_services.docks ? m_services.docks() : nullptr, window, kept->window,
                                          settings, flight->minimising)
                             : std::nullopt;
    if (!kept || !target) {
        foundation::LogDetail("minimise watcher", kept ? L"no dock item to fly to" : L"no window image");
        Complete(flight);
        return;
    }
    const bool settlingDisplay = NowMs() - m_displayChangedMs < kDisplaySettleMs;
    const FramePlan plan =
        PlanFrames(settings.effect, RefreshRate(window), settings.speed, settlingDisplay, settings.slowdown && ShiftHeld());
    flight->path = {kept->window, target->icon, target->edge, settings.effect, plan.frames};
    flight->order = FrameOrder(plan.frames, flight->minimising);
    flight->intervalMs = std::max(1, plan.intervalMs);
    flight->area = Union(kept->window, target->icon);
    flight->source = MeshSource(kept->image, target->edge);
    flight->canvas = gfx::Bitmap(flight->area.Width(), flight->area.Height());

    kestrana::win32::ShellWindowRequest request;
    request.className = std::wstring(msg::kAnimationWindowClass);
    request.x = flight->area.left;
    request.y = flight->area.top;
    request.width = flight->area.Width();
    request.height = flight->area.Height();
    request.layered = true;
    request.clickThrough = true;
    request.toolWindow = true;
    request.topmost = true;
    request.noActivate = true;
    flight->overlay = kestrana::win32::CreateShellWindow(request);
    if (!flight->overlay || flight->order.empty() || !DrawAndPresent(*flight, flight->order.front(), flight->overlay)) {
        foundation::LogFailure("minimise watcher", L"the animation window could not be shown");
        Complete(flight);
        return;
    }
    ::ShowWindow(flight->overlay, SW_SHOWNOACTIVATE);
    // The first frame shows the window where it stands; only now may the window itself go.
    if (flight->minimising) {
        SetSystemTransitions(window, true);
        flight->veil.Drop(window);
    }
    flight->startedMs = NowMs();
    const auto length = static_cast<UINT>(flight->intervalMs * flight->order.size() + kSafetyMarginMs);
    ::SetTimer(m_window, kTimerSafety | flight->id, length, nullptr);
    try {
        std::thread(FlyFrames, flight, m_window).detach();
    } catch (...) {
        foundation::LogCaught("minimise watcher: worker");
        ::KillTimer(m_window, kTimerSafety | flight->id);
        Complete(flight);
    }
}

// The flight is over (or never began): the system minimises or restores the window now,
// with its own animation off, while the last frame stays on screen.
void Watcher::Complete(const std::shared_ptr<Flight>& flight) {
    if (flight->settling) return;
    ::KillTimer(m_window, kTimerSafety | flight->id);
    flight->settling = true;
    flight->settleStartMs = NowMs();
    HWND window = flight->window;
    if (!::IsWindow(window)) {
        Settle(flight, true);
        return;
    }
    m_animated.SetState(Id(window), FlightState::Completing);
    SetSystemTransitions(window, true);
    if (flight->minimising) {
        ::ShowWindowAsync(window, SW_MINIMIZE);
    } else {
        // Restored behind the veil; it is lifted once the window stands where the last frame shows it.
        if (flight->overlay) flight->veil.Drop(window);
        ::ShowWindowAsync(window, SW_RESTORE);
    }
    ::SetTimer(m_window, kTimerSettle | flight->id, kSettlePollMs, nullptr);
}

void Watcher::Settle(const std::shared_ptr<Flight>& flight, bool timedOut) {
    HWND window = flight->window;
    const bool exists = ::IsWindow(window) != FALSE;
    const bool iconic = exists && ::IsIconic(window);
    const bool arrived = !exists || iconic == flight->minimising;
    if (!arrived && !timedOut) return;
    ::KillTimer(m_window, kTimerSettle | flight->id);
    if (!arrived) foundation::LogFailure("minimise watcher", L"the window did not change in time; shown as it is");
    // Visible again before the animation window goes, so nothing flickers.
    flight->veil.Lift();
    if (exists) SetSystemTransitions(window, false);
    flight->cancel = true;
    if (HWND overlay = std::exchange(flight->overlay, nullptr)) ::DestroyWindow(overlay);
    if (exists && iconic) m_animated.SetState(Id(window), FlightState::Minimised);
    else m_animated.Remove(Id(window));
    wchar_t line[128];
    std::swprintf(line, std::size(line), L"%ls: %d of %d frames presented in %lld ms (every %d ms)",
                  flight->minimising ? L"minimise" : L"restore", flight->presented.load(),
                  static_cast<int>(flight->order.size()), static_cast<long long>(flight->flownMs.load()),
                  flight->intervalMs);
    foundation::LogDetail("minimise watcher", line);
    std::lock_guard lock(m_flightsMutex);
    m_flights.erase(flight->id);
}

void Watcher::StopAll() noexcept {
    std::unique_lock lock(m_flightsMutex, std::defer_lock);
    // In a crash the lock may be held by the thread that failed; go on without it.
    const bool locked = lock.try_lock_for(std::chrono::milliseconds(200));
    for (auto& [id, flight] : m_flights) {
        flight->cancel = true;
        flight->veil.Lift();
    }
    if (locked) lock.unlock();
}

} // namespace

bool StartMinimiseWatcher(AnimationServices services) noexcept {
    try {
        if (g_watcher) return true; // settings are read again at every question
        auto watcher = std::make_unique<Watcher>(std::move(services));
        if (!watcher->Create()) {
            foundation::LogFailure("minimise watcher", L"the watcher window could not be made");
            return false;
        }
        // Lives until the process ends: the companion may ask at any time.
        g_watcher = watcher.release();
        return true;
    } catch (...) {
        foundation::LogCaught("minimise watcher start");
        return false;
    }
}

void StopMinimiseWatcher() noexcept {
    if (g_watcher) g_watcher->StopAll();
}

std::shared_ptr<const gfx::Bitmap> MinimisedWindowImage(HWND window) noexcept {
    try {
        if (!g_watcher) return nullptr;
        const auto kept = g_watcher->ImageOf(window);
        return kept ? std::shared_ptr<const gfx::Bitmap>(kept, &kept->image) : nullptr;
    } catch (...) {
        foundation::LogCaught("minimise watcher window facts");
        return nullptr;
    }
}

} // namespace kestrana::extras::win32
