#pragma once
// Rounded screen corners: each switched-on monitor gets four square caps, one per corner,
// each showing its quarter of a 2r × 2r square with the inscribed circle cut away, in one
// colour at full opacity. Here are the radius and colour rules, the caps' places and
// pixels, and what switching a monitor tells the others. Nothing here reads the settings
// store, so the corner process builds it in without the rest of the program.

#include "extras/hot_corners.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::extras {

inline constexpr int kDefaultCornerRadius = 10;
inline constexpr int kMaxCornerRadius = 200; // at 96 dpi; larger ones eat the screen

// The monitor's section: its device name without the "\\.\" prefix.
[[nodiscard]] std::wstring MonitorSection(std::wstring_view deviceName);

// 0 and missing give the default; the rest is held within 1..kMaxCornerRadius.
[[nodiscard]] int ClampCornerRadius(std::int64_t radius);
// A colour written as a decimal or 0x hexadecimal number; anything else is nullopt.
[[nodiscard]] std::optional<std::uint32_t> ParseCornerColor(std::wstring_view text);

enum class CapCorner : int { TopLeft = 0, TopRight = 1, BottomLeft = 2, BottomRight = 3 };

struct CapBox {
    CapCorner corner = CapCorner::TopLeft;
    int x = 0;
    int y = 0;
    int size = 0;
};

// The radius in the monitor's pixels: scaled by its dpi and truncated, never past half
// the monitor's shorter side, at least 1.
[[nodiscard]] int CapSize(int radius96, int dpi, const MonitorBox& monitor);
[[nodiscard]] std::array<CapBox, 4> CapBoxes(const MonitorBox& monitor, int size);

// The cap's coverage, row by row, size × size bytes: 255 where the cap hides the screen,
// 0 where the screen shows through, and in between along the arc so that it looks round.
[[nodiscard]] std::vector<std::uint8_t> CapCoverage(CapCorner corner, int size);

// What switching one monitor's corners leads to.
struct CornerSwitchPlan {
    bool valid = false;          // false: the index names no monitor, nothing happens
    bool write = false;          // the stored flag changes
    bool ensureProcess = false;  // make sure the corner process runs
    std::uintptr_t wParam = 0;   // message to the corner process: 0 on, 1 off
    std::intptr_t lParam = 0;    // the monitor index
    int menuBarInset = 0;        // how far the menu bar keeps from the corners
};
[[nodiscard]] CornerSwitchPlan PlanCornerSwitch(int monitorIndex, int monitorCount, bool on, bool storedOn, int radius);

inline constexpr unsigned kScreenCornerMessage = 32666;
inline constexpr wchar_t kScreenCornerClass[] = L"KestranaScreenRound";
inline constexpr wchar_t kScreenCornerTitle[] = L"ScreenRound";

} // namespace kestrana::extras
