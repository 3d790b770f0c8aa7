#pragma once
// Open and close animations of other programs' windows: a window that opens grows out of
// a slightly smaller, transparent copy of itself into place, and one that closes shrinks
// and fades from where it stood. Both are drawn from a picture of the window in an
// animation window of ours; the real window is never moved or resized by them.
//
// The settings ("WindowsOpen" and "WindowsClose": "enable", "AnimationEffect",
// "AnimationSpeed"; "normal"/"windowscenter"), which windows take part, how many frames
// an animation draws and what each frame shows live here.

#include "extras/frame_timing.h"
#include "extras/minimise_decision.h"
#include "extras/window_mesh.h"
#include "gfx/bitmap.h"

#include <string_view>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::extras {

// "AnimationEffect"; any other number is the zoom.
enum class EntranceEffect : int {
    Zoom = 0, // from 85 % of the window's size, fading in
    Fade = 1, // in place, fading only
    Rise = 2, // rising a little into place, fading in
};

enum class Entrance : std::uint8_t { Open, Close };

struct EntranceKind {
    bool enabled = false;
    EntranceEffect effect = EntranceEffect::Zoom;
    // "AnimationSpeed": the duration in hundredths of the normal one, as the minimise
    // speed is shown (50 is twice as fast); 0 or absent is 100, held within 25..200.
    int durationPercent = 100;
};

struct EntranceSettings {
    EntranceKind open;
    EntranceKind close;
    bool centreOpened = false; // "windowscenter": a window that opens is moved to the middle of its work area
    [[nodiscard]] const EntranceKind& Of(Entrance e) const { return e == Entrance::Open ? open : close; }
};

[[nodiscard]] EntranceEffect EntranceEffectFromNumber(int value);
[[nodiscard]] int ClampDurationPercent(int value);
[[nodiscard]] EntranceSettings ReadEntranceSettings(const foundation::ConfigStore& store);

// Classes whose windows never get an open or close animation of ours, whatever else
// they show: known when the window is created, before it has a title or is visible.
[[nodiscard]] bool EntranceRefusesClass(std::wstring_view className);
// A window on screen that may be animated: the windows the minimise effect takes, less
// the refused classes and untitled browser-engine pop-ups.
[[nodiscard]] bool QualifiesForEntrance(const WindowLook& look);

// The whole test for a window on screen now.
[[nodiscard]] bool ShouldAnimateEntrance(Entrance entrance, const EntranceSettings& settings,
                                         const SystemState& system, const WindowLook& look,
                                         const MinimiseDecider::Excluded& excluded);

// Normal length of each animation at "AnimationSpeed" 100.
inline constexpr int kOpenDurationMs = 220;
inline constexpr int kCloseDurationMs = 180;

// Frames follow the display's refresh like the minimise flight; at least two, so the
// first and the last frame are both shown.
[[nodiscard]] FramePlan PlanEntrance(Entrance entrance, int refreshHz, int durationPercent);

// What frame `frame` of `frames` shows: the window's picture scaled about its centre,
// moved down by a share of its height and drawn at an opacity.
struct EntranceFrame {
    float scale = 1.0f;
    float drop = 0.0f; // share of the window's height
    float opacity = 1.0f;
    bool operator==(const EntranceFrame&) const = default;
};
// An opening ends exactly on the window (scale 1, no drop, opaque); a closing begins there
// and ends invisible.
[[nodiscard]] EntranceFrame EntranceFrameAt(EntranceEffect effect, Entrance entrance, int frame, int frames);

// Where the picture lies on the screen for `frame`.
[[nodiscard]] gfx::RectF EntranceRect(const Box& window, const EntranceFrame& frame);
// The animation window's place: every frame of `effect` fits inside it.
[[nodiscard]] Box EntranceArea(const Box& window, EntranceEffect effect);

// Where a window of this size stands centred in the work area; a window larger than the
// work area keeps its top-left corner inside it, so its title bar stays reachable.
[[nodiscard]] Box CentreIn(const Box& window, const Box& workArea);

// Draws the picture for `frame` into `target`, whose top-left pixel lies at `area`'s
// corner on the screen; the frame's opacity is left to the presenter (it costs nothing
// there). Clears what `lastDrawn` covered first; returns what this frame covers.
gfx::RectI DrawEntranceFrame(const gfx::Bitmap& image, const Box& window, const Box& area,
                             const EntranceFrame& frame, const gfx::RectI& lastDrawn, gfx::Bitmap& target);

} // namespace kestrana::extras
