#pragma once
// One dock on screen: the input window "OndelAPP", the drawing window "OndelAPPRend", the
// activation bar "OndelActbar" and the item label, all owned by the user-interface
// thread. It turns window messages and timers into calls on the bar's rules and carries
// out what the rules ask (moving, presenting, z-order).

#include "dock/dock_drag.h"
#include "dock/drop_gap.h"
#include "dock/item_drops.h"
#include "foundation/job_runner.h"
#include "dock/ondel_bar.h"
#include "dock/win32/dock_clicks.h"
#include "dock/win32/dock_drop.h"
#include "dock/win32/dock_menus.h"
#include "dock/win32/frame_pacer.h"
#include "gfx/win32/monitors.h"
#include "dock/win32/preview_window.h"
#include "foundation/win32/accessible_host.h"
#include "foundation/win32/unique_handle.h"
#include "gfx/text_renderer.h"
#include "gfx/win32/layered_window_surface.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

namespace kestrana::dock::win32 {

using gfx::EnumerateMonitors;
using gfx::MonitorInfo;

class DockWindow final : public DockPlatform {
public:
    // Creates the windows on the calling (user-interface) thread. Check Valid().
    DockWindow(foundation::JobRunner& jobs, themes::DockSkin& skin, gfx::TextRenderer& text, const DockSettings& settings,
               const MonitorInfo& monitor, const SkinSpacing& spacing);
    ~DockWindow() override;
    DockWindow(const DockWindow&) = delete;
    DockWindow& operator=(const DockWindow&) = delete;

    [[nodiscard]] bool Valid() const { return m_input && m_render; }
    [[nodiscard]] OndelBar& Bar() { return *m_bar; }
    [[nodiscard]] const MonitorInfo& Monitor() const { return m_monitor; }
    [[nodiscard]] HWND InputWindow() const { return m_input; }
    [[nodiscard]] HWND RenderWindow() const { return m_render; }

    void Reconfigure(const DockSettings& settings, const MonitorInfo& monitor, const SkinSpacing& spacing);
    // Clicks on the items start programs and switch windows from now on.
    void EnableClicks(DockClicks::Services services);
    [[nodiscard]] bool TrashFull() const { return m_clicks && m_clicks->TrashFull(); }
    // Right clicks open the dock's menus from now on (after EnableClicks).
    void EnableMenus(DockMenus::Services services);
    // The program's window previews follow this dock's pointer and clicks from now on
    // (call before EnableClicks). `preview` outlives the dock.
    void EnablePreviews(PreviewWindow* preview) { m_preview = preview; }
    // A question in the dock's own menu window: true when `confirm` was chosen.
    bool Confirm(const std::wstring& title, const std::wstring& text, const std::wstring& confirm,
                 const std::wstring& cancel);

    // What a worker calls when it changed the row (the window tracker): posts one redraw
    // to this dock however often it is called before the dock gets to it. Harmless after
    // the dock is gone.
    [[nodiscard]] std::function<void()> RowChangedPoster() const;
    // Called on the user-interface thread after the dock took a worker's change in, with
    // the icon size the row now has.
    void SetRowChangedHook(std::function<void(float iconSize)> hook) { m_rowChangedHook = std::move(hook); }
    // While set, `tick` runs at once and then on the weather timer: the row holds a weather
    // item. Empty stops the timer.
    void SetWeatherTick(std::function<void()> tick);
    [[nodiscard]] bool WeatherTicking() const { return static_cast<bool>(m_weatherTick); }
    // For workers that hand item pictures to the row: asks this thread to draw them.
    [[nodiscard]] std::function<void()> PicturesArrived() const;

    // DockPlatform
    std::int64_t NowMs() override;
    void PlaceWindows(const ScreenRect& window, const ScreenRect& hitArea) override;
    void Present(const gfx::Bitmap& frame, const gfx::RectI& part, const gfx::RectI& dirty, SlideOffset offset,
                 std::uint8_t opacity) override;
    void RequestFrame(std::int64_t dueMs) override;
    void ApplyZOrder(ZOrder order) override;
    void ShowActivationBar(bool shown, const ScreenRect& rect) override;
    void ShowLabel(const std::optional<LabelRequest>& label) override;
    void PlaceBackdrop(const std::optional<ScreenRect>& bar, int cornerRadius) override;
    void SamplePointer(bool on) override;
    void ScheduleStripCheck(std::int64_t dueMs) override;

    static void RegisterClasses() noexcept;

    // The dock's focus hotkey: the keyboard comes to this dock, its first item (or the one
    // that had it last) taking the focus; Escape gives it back to the window that had it.
    void TakeKeyboard();

    enum class Button : std::uint8_t { Left, Middle, Right };

private:
    static LRESULT CALLBACK InputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK RenderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The input window's messages, one step each.
    void OnPointerMove(POINT client, bool leftHeld);
    void OnPointerLeave();
    void OnButtonDown(Button button);
    void OnButtonUp(Button button);
    // A lifted icon lands where the pointer let it go, or goes back where it came from.
    void PutIconDown(ScreenPoint at);
    void PutIconBack();
    // A press that lifted nothing ends: the capture and the pressed look go.
    void ForgetPress(ScreenPoint at, Button button);
    void DeliverClick(Button button);
    void OpenMenuAt(ScreenPoint at, std::int64_t pressedAtMicros);
    // True when the timer was the dock's.
    bool OnTimer(WPARAM id);
    void FollowShellAttention();
    [[nodiscard]] bool MenuOpen() const;
    // Runs `fn` on the row under its item-list lock.
    template <typename Fn>
    decltype(auto) WithRow(Fn&& fn) {
        std::lock_guard lock(m_bar->Items().ListMutex());
        return std::forward<Fn>(fn)(m_bar->Items());
    }
    void StartHideTick();
    void CheckPointerStillOn();
    void OnHideTick();
    void PresentHitArea();
    // The left button is held and the pointer moved: an icon may lift and its gap move.
    void Drag(ScreenPoint at);
    // The lifted icon's own window takes its picture and follows the pointer from where
    // it was grabbed; Escape is watched for until the drag ends.
    void LiftIcon();
    // The drag ended this way: the window lets go, and a new order is saved.
    void FinishDrag(DockDrag::Outcome outcome);
    // Files dragged from another program: what a drop at `at` would do, and the drop.
    [[nodiscard]] DropDecision DropAt(ScreenPoint at);
    void Dropped(const std::vector<std::wstring>& paths, ScreenPoint at, DWORD keys);
    // The drag hovers at `at`: the gap follows it; returns the effect a drop would have.
    DWORD DragHover(ScreenPoint at, DWORD keys, const std::vector<std::wstring>& paths);
    // The realpath of entry `index`, empty for none.
    [[nodiscard]] std::wstring ItemRealpath(std::size_t index);
    // Something moves on the dock that a drop must not land in the middle of.
    [[nodiscard]] bool Busy();
    // Puts the waiting drop's files in place of the gap once the dock is still.
    void LandDrop();
    void NoteFrameFigures(std::int64_t frameMicros);
    // A key pressed while the dock holds the keyboard.
    void OnKey(int virtualKey);
    // The focus mark goes; with `restore` the window that had the keyboard gets it back.
    void LeaveKeyboard(bool restore);
    // High contrast, the system's animations and its text size, as Windows has them now.
    void FollowSystemLook();
    void TakeRowChange();
    // What the preview needs of one of this dock's items, asked when it opens.
    [[nodiscard]] PreviewWindow::Resolver PreviewResolver();

    // What the frames cost, summed over about a second for the detail log.
    struct FrameFigures {
        std::int64_t sinceMs = 0;
        int moves = 0;         // pointer moves over the input window
        int frames = 0;        // paced frame calls
        int presents = 0;      // pictures handed to the system
        int moveOnly = 0;      // presents that only moved the window
        std::int64_t windowPixels = 0;
        std::int64_t dirtyPixels = 0;
        std::int64_t frameMicros = 0;   // the bar's frame call, presenting included
        std::int64_t presentMicros = 0; // presenting alone
        int width = 0, height = 0;      // the window at the last present
    };
    FrameFigures m_figures;

    foundation::JobRunner& m_jobs;
    gfx::TextRenderer& m_text;
    MonitorInfo m_monitor;
    HWND m_input = nullptr;  // "OndelAPP": takes the pointer over the bar
    HWND m_render = nullptr; // "OndelAPPRend": shows the frames, lets clicks through
    HWND m_actbar = nullptr; // "OndelActbar"
    HWND m_label = nullptr;  // the item's name
    HWND m_backdrop = nullptr; // the blurred backdrop behind the bar, where the system blurs
    bool m_backdropRefused = false;
    gfx::LayeredWindowSurface m_renderSurface;
    gfx::LayeredWindowSurface m_inputSurface;
    gfx::LayeredWindowSurface m_labelSurface;
    gfx::LayeredWindowSurface m_actbarSurface;
    std::unique_ptr<FramePacer> m_pacer;
    std::unique_ptr<OndelBar> m_bar;
    std::unique_ptr<DockClicks> m_clicks; // after the bar: gone before it
    std::unique_ptr<DockMenus> m_menus;   // after the clicks: gone before them
    std::unique_ptr<DockDrop> m_drop;     // after the menus: gone before them
    HWND m_keyboardFrom = nullptr;        // had the keyboard before the dock took it
    float m_textScale = 1.0f;             // "Make text bigger"
    std::int32_t m_lastFocus = kNoItemId; // where the focus was when the dock last had it
    DockDrag m_drag;
    kestrana::win32::UniqueWindow m_dragIcon; // the lifted icon, above everything
    gfx::LayeredWindowSurface m_dragIconSurface;
    POINT m_dragGrab{}; // the pointer's place on the lifted icon
    kestrana::win32::UniqueHook m_escapeHook;
    struct PendingDrop {
        std::vector<std::wstring> paths;
        std::size_t index = 0; // where they go when no gap is open
        std::int64_t sinceMs = 0;
    };
    std::optional<PendingDrop> m_pendingDrop;
    ScreenRect m_window;
    ScreenRect m_hitArea;
    bool m_tracking = false;
    bool m_decisionRunning = false;
    std::wstring m_labelText;
    gfx::Bitmap m_labelBitmap;
    std::unordered_map<std::wstring, gfx::Bitmap> m_labelPictures; // each name drawn once
    POINT m_labelAt{};
    std::shared_ptr<std::atomic<bool>> m_rowChangePosted = std::make_shared<std::atomic<bool>>(false);
    std::function<void(float)> m_rowChangedHook;
    std::function<void()> m_weatherTick;
    PreviewWindow* m_preview = nullptr;
    // Made when a screen reader first asks; last, so it is gone before what it reads.
    std::unique_ptr<kestrana::win32::AccessibleHost> m_reader;
};

} // namespace kestrana::dock::win32
