#pragma once
// The stage manager's rules: its per-monitor settings, the strip's geometry (slot size,
// space, how many slots fit, the window and the column's tilt) and which of a monitor's
// windows the column shows, in which order.

#include "dock/dock_geometry.h"
#include "dock/dockico.h"
#include "gfx/bitmap.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::extras {

using dock::ScreenRect;
using dock::WindowId;

// The monitor's own section (its device name without "\\.\"), as stored.
struct StageSettings {
    bool enabled = false;
    bool listRight = false;
    int showMode = 0;   // 0..2
    float space = 0;    // as stored; 0: 40
    int windowsSize = 0; // 0: a eighth of the work area's height
    int count = 0;       // 0: 5
    bool border = false;
};

[[nodiscard]] int StageShowModeFromSetting(int value);
// Whether the column shows: mode 0 always, 1 while the pointer is on the strip's area,
// 2 while the window on the stage leaves that area free.
[[nodiscard]] bool StripShown(int showMode, bool pointerOnStrip, bool stageOverStrip);
[[nodiscard]] StageSettings ReadStageSettings(const foundation::ConfigStore& store, std::wstring_view monitorSection);

struct StageScreen {
    ScreenRect workArea;
    float scale = 1.0f;
    int dockReserved = 0;    // the dock's reserved length on this monitor
    int menuBarHeight = 0;   // the menu bar's on this monitor
};

struct StripLayout {
    int space = 0;
    int size = 0;
    int count = 0;
    int visibleSlots = 0;
    int inset = 0;
    int edgeOffset = 0;      // negative for a right column
    int columnWidth = 0;
    int columnHeight = 0;
    bool right = false;
    ScreenRect window;       // the strip window on the screen
    float rotationDegrees = 0; // about the column's vertical axis
    float perspectiveDepth = 0;
    // Slot i's rectangle in the strip window, i < visibleSlots.
    [[nodiscard]] ScreenRect Slot(int index) const;
};

[[nodiscard]] StripLayout LayOutStrip(const StageSettings& settings, const StageScreen& screen);

// --- the pictures in the column ---

// Where a window's picture stands in its slot: the slot less `inset` on the left and
// right, the window's shape kept, centred. A window of no size fills that room.
[[nodiscard]] ScreenRect PictureInSlot(const ScreenRect& slot, int inset, int sourceWidth, int sourceHeight);

// A picture once the column is turned about its vertical axis through (`axisX`,
// `axisY`) by `degrees` and seen with `depth` (negative: the side turned towards the
// viewer grows): its left and right edges, each with its own top and bottom.
struct TiltedPicture {
    float left = 0, right = 0;
    float leftTop = 0, leftBottom = 0;
    float rightTop = 0, rightBottom = 0;
    // The upright rectangle around it (whole pixels, outwards).
    [[nodiscard]] ScreenRect Bounds() const;
    [[nodiscard]] bool Contains(float x, float y) const;
};
[[nodiscard]] TiltedPicture TiltPicture(const ScreenRect& picture, float axisX, float axisY, float degrees, float depth);

// Draws `picture` (opaque) into `target` over the tilted shape, each column of the shape
// taking the matching column of the picture stretched to its height.
void DrawTilted(gfx::Bitmap& target, const gfx::Bitmap& picture, const TiltedPicture& shape);

// The slot chosen from the keyboard: `key` +1 (down) or -1 (up) from `current` (-1:
// none yet, which starts at the top or bottom), kept within `slots`; -1 with no slots.
[[nodiscard]] int StepSlot(int current, int key, int slots);

// --- which windows ---

struct StageCandidate {
    WindowId id = WindowId::None;
    std::wstring className;
    std::wstring title;
    std::wstring appKey; // the application identity key, lower-case
};

// Classes and titles that never go into the strip (launchers, credential prompts, tool
// palettes, drawing files that redraw on every change).
[[nodiscard]] bool StageExcluded(const StageCandidate& window);

// The "stagemanagerblacklist" keys set to 1, lower-cased.
[[nodiscard]] std::unordered_set<std::wstring> ReadStageBlacklist(const foundation::ConfigStore& store);

// The windows the column shows: `recentFirst` (the monitor's eligible top-level windows,
// most recently active first) without the active one, the excluded and the blacklisted,
// at most `slots` of them.
[[nodiscard]] std::vector<WindowId> ChooseStripWindows(std::span<const StageCandidate> recentFirst, WindowId active,
                                                       const std::unordered_set<std::wstring>& blacklist, int slots);

// The monitors' activation order as the stage manager keeps it: what came forward last
// is first. Choosing a slot's window brings it forward; the one that was in front goes
// to the column's top.
class StageOrder {
public:
    void Activated(WindowId window);
    void Gone(WindowId window);
    [[nodiscard]] WindowId Front() const { return m_order.empty() ? WindowId::None : m_order.front(); }
    [[nodiscard]] const std::vector<WindowId>& RecentFirst() const { return m_order; }

private:
    std::vector<WindowId> m_order;
};

} // namespace kestrana::extras
