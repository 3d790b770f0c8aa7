#pragma once
// One dock: its item row, its sizes and place, the magnification animation, the hide
// states and motions, and its drawing. The platform layer owns the windows and the
// timers; it feeds the bar pointer moves, timer ticks and frame callbacks on the
// user-interface thread and carries out what the bar asks through `DockPlatform`.
//
// Frames are paced by the platform (a worker that sleeps until the due time and then
// posts to the user-interface thread), so every method here runs on that one thread and
// the bar's state needs no lock of its own; the item-list lock guards the row against the
// workers that read it (saves, the window tracker).

#include "dock/dock_animation.h"
#include "dock/dock_renderer.h"
#include "dock/hide_decision.h"
#include "dock/hide_motion.h"
#include "dock/hide_state.h"
#include "dock/ondel_bar_model.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrana::dock {

// The item label shown while the pointer rests on an item.
struct LabelRequest {
    std::wstring text;
    ScreenPoint anchor; // the middle of the icon's outer edge (away from the screen edge)
    Edge edge = Edge::Bottom;
    std::int32_t itemId = kNoItemId; // whose name it is
};

// What the bar asks of the platform. Called on the user-interface thread.
class DockPlatform {
public:
    virtual ~DockPlatform() = default;
    [[nodiscard]] virtual std::int64_t NowMs() = 0;
    // Both dock windows move to `window`; the input window takes the pointer only over
    // `hitArea` (screen pixels).
    virtual void PlaceWindows(const ScreenRect& window, const ScreenRect& hitArea) = 0;
    // Shows `part` of the frame (frame pixels; the rest of the frame is transparent) at
    // its place in the dock window. `dirty` is the part that changed, empty when only
    // `offset` (hide slide) or `opacity` (hide fade) did.
    virtual void Present(const gfx::Bitmap& frame, const gfx::RectI& part, const gfx::RectI& dirty, SlideOffset offset,
                         std::uint8_t opacity) = 0;
    // Calls OndelBar::Frame at `dueMs` (or at once when it is past). One pending call at a time.
    virtual void RequestFrame(std::int64_t dueMs) = 0;
    virtual void ApplyZOrder(ZOrder order) = 0;
    virtual void ShowActivationBar(bool shown, const ScreenRect& rect) = 0;
    virtual void ShowLabel(const std::optional<LabelRequest>& label) = 0;
    // The blurred backdrop behind the bar (the themed translucent look): the bar's
    // rectangle and corner radius in screen pixels, or nothing to remove it.
    virtual void PlaceBackdrop(const std::optional<ScreenRect>& bar, int cornerRadius) = 0;
    // The 100 ms pointer sampling of a hidden dock, on or off.
    virtual void SamplePointer(bool on) = 0;
    // A check of the trigger strip at `dueMs`: call OndelBar::StripCheckDue.
    virtual void ScheduleStripCheck(std::int64_t dueMs) = 0;
};

// Facts the hide motion's watch needs, from outside the bar.
struct DockOpenFacts {
    bool menuOpen = false;
    bool dragging = false;
    bool popupOpen = false;
    bool quitting = false;
};

class OndelBar {
public:
    OndelBar(DockPlatform& platform, themes::DockSkin& skin, const DockSettings& settings, const DockScreen& screen,
             const SkinSpacing& spacing, int refreshHz);

    [[nodiscard]] DockItems& Items() { return m_items; }
    [[nodiscard]] const DockItems& Items() const { return m_items; }
    [[nodiscard]] const OndelBarModel& Model() const { return m_model; }
    [[nodiscard]] DockState State() const { return m_state; }
    [[nodiscard]] float Magnification() const { return m_animator.Magnification(); }
    [[nodiscard]] std::size_t Hovered() const { return m_hovered; }
    [[nodiscard]] const gfx::Bitmap& FrameBitmap() const { return m_frame; }
    // The part of the frame the window shows (frame pixels).
    [[nodiscard]] const gfx::RectI& ShownPart() const { return m_shown; }
    [[nodiscard]] bool PointerInside() const { return m_pointerInside; }
    [[nodiscard]] HideTicker& Ticker() { return m_ticker; }
    // Where the item's icon was last drawn, on the screen; empty when it was not drawn.
    [[nodiscard]] ScreenRect IconOnScreen(std::int32_t itemId) const;

    // The row changed (items added, removed, moved, new pictures, running marks): fit and
    // draw again. Items that come or go grow in or shrink away over the next frames, and
    // the marks of items that ask for attention breathe until that ends.
    void ItemsChanged();
    // New settings, monitor, skin or display rate.
    void Reconfigure(const DockSettings& settings, const DockScreen& screen, const SkinSpacing& skin, int refreshHz);
    void SetSkin(themes::DockSkin& skin);
    void SetDark(bool dark);
    // High contrast (the scheme's colours) or none: the bar is drawn plain and opaque,
    // without the themed backdrop.
    void SetContrast(const std::optional<gfx::ContrastColours>& colours);
    // The system's animations are off: icons magnify without growing into it.
    void SetReducedMotion(bool reduced) { m_animator.SetInstant(reduced); }
    // "themes"/"enable_dock" with its opacity: the bar is drawn translucent over a blurred
    // backdrop where the system offers one.
    void SetBackdrop(bool enabled, std::uint8_t opacity);
    // A menu opening hides the label (it would stand beside the menu); once the menu is
    // closed the whole picture is handed over again, and the label waits for the pointer
    // to move.
    void SetOpenFacts(const DockOpenFacts& facts);
    [[nodiscard]] const DockOpenFacts& OpenFacts() const { return m_open; }
    [[nodiscard]] bool Dark() const { return m_dark; }
    // The entry under a screen point, separators included; 0 for none.
    [[nodiscard]] std::size_t EntryAt(ScreenPoint point) const;
    // The same, for a caller that holds the item-list lock.
    [[nodiscard]] std::size_t EntryAtLocked(ScreenPoint point) const;

    // The item's program is starting: its icon hops until the item has a window, at most
    // for the give-up time.
    void StartBounce(std::int32_t itemId);
    [[nodiscard]] bool Bouncing() const { return !m_bounces.empty(); }

    // The pointer moved over the input window (screen pixels).
    void PointerMoved(ScreenPoint pointer);
    // The pointer left the input window.
    void PointerLeft();
    // A mouse button went down or up over the dock (the pressed item is drawn darker).
    void ButtonChanged(bool down);

    // The once-a-second tick: whether to run the decision now (and the context for it).
    [[nodiscard]] bool WantsHideDecision();
    [[nodiscard]] HideContext MakeHideContext(std::uint64_t monitor, std::uint32_t foregroundProcessId) const;
    void ApplyHideVerdict(HideVerdict verdict);

    // While hidden: a pointer sample of the 100 ms timer.
    void PointerSample(ScreenPoint pointer, bool buttonHeld);
    void StripCheckDue(ScreenPoint pointer);
    // The dock hotkey.
    void HotkeyPressed();
    // The keyboard focus on item `itemId` (kNoItemId: the dock gives it back). While an
    // item holds it the dock stays in view and draws the item with a ring; a hidden dock
    // comes out for it, and goes back once the focus leaves and the pointer is not on it.
    void SetKeyboardFocus(std::int32_t itemId);
    [[nodiscard]] std::int32_t KeyboardFocus() const { return m_keyboardFocus; }
    // The shell's attention changed (full screen, presentation, quiet time): the
    // always-on-top mode may take the top back.
    void AttentionChanged(const ShellAttention& attention);

    // The platform's frame call: runs the due animation steps and draws. Returns the
    // time of the next frame, or nothing when all is still.
    std::optional<std::int64_t> Frame();

    // Draws and presents the current state now (only what changed).
    void Redraw();
    // Draws the whole frame again (after the window was covered or the skin changed).
    void RedrawWhole();

private:
    void Fire(DockEvent event, bool growStarted = false, bool shrinkStarted = false);
    void Carry(DockAction action);
    void UpdateHover();
    void SetHovered(std::size_t hovered);
    [[nodiscard]] std::size_t ItemUnderPointer() const;
    void LayOutAndDraw();
    // The hide watch's step that is due; true when the dock finished hiding.
    bool StepHideWatch(std::int64_t now);
    // The hide or show motion one frame on; the time of its next frame while it runs.
    std::optional<std::int64_t> StepMotion(std::int64_t now);
    // Hands the frame to the platform: `dirty` changed; the shown part follows what is drawn.
    void Show(gfx::RectI dirty, bool moved);
    [[nodiscard]] gfx::RectI MagnifiedReach() const;
    [[nodiscard]] std::int64_t NextFrameSlot(std::int64_t now) const;
    void PlaceWindows();
    // Keeps the input window over the row as drawn.
    void FollowRow();
    void WantFrame(std::int64_t dueMs);
    [[nodiscard]] ScreenRect HitArea() const;
    [[nodiscard]] SlideOffset CurrentOffset() const;
    [[nodiscard]] std::uint8_t CurrentOpacity() const;
    void UpdateActivationBar();
    void UpdateBackdrop();
    void UpdateLabel();
    // One growth step of the items that come or go; true while some still move.
    bool StepGrowth(std::int64_t now);

    DockPlatform& m_platform;
    DockItems m_items;
    OndelBarModel m_model;
    DockRenderer m_renderer;
    MagnifyAnimator m_animator;
    HideTicker m_ticker;
    HideMotion m_hideMotion;
    StripWatcher m_strip;
    DockOpenFacts m_open;
    std::int32_t m_keyboardFocus = kNoItemId;

    DockState m_state = DockState::ShownAtRest;
    gfx::Bitmap m_frame;
    gfx::RectI m_shown;
    bool m_layoutWanted = false; // the pointer moved since the last frame
    std::int64_t m_lastDrawMs = -1000;
    ScreenPoint m_pointer{};
    bool m_pointerInside = false;
    bool m_labelHeld = false; // a menu was open; no label until the pointer moves
    std::size_t m_hovered = 0;
    std::size_t m_pressed = 0;
    bool m_dark = false;
    bool m_backdrop = false;
    std::optional<gfx::ContrastColours> m_contrast;
    float m_barOpacity = 1.0f;
    std::optional<ScreenRect> m_backdropRect;
    ScreenRect m_placedHit; // the input area last handed to the platform
    int m_refreshHz = 60;

    // The hide and show motion: progress from 0 (in place) to 1 (off screen).
    enum class Motion : std::uint8_t { None, Out, In };
    Motion m_motion = Motion::None;
    std::int64_t m_motionStartMs = 0;
    float m_motionProgress = 0;
    std::optional<std::int64_t> m_hideStepDue;
    std::optional<std::int64_t> m_frameDue;
    Edge m_edgeAtHide = Edge::Bottom;

    bool m_growing = false;      // items grow in or shrink away
    std::int64_t m_growthMs = 0; // time of the last growth step
    bool m_attention = false;    // some item asks for attention
    struct Bounce {
        std::int32_t itemId;
        std::int64_t startMs;
    };
    std::vector<Bounce> m_bounces;
    // Ends the bounces whose item has a window, is gone or hopped long enough; true
    // while some still hop.
    bool StepBounces(std::int64_t now);
};

} // namespace kestrana::dock
