#pragma once
// What a click or hover on a tray icon in the bar becomes for the owner window: the
// owner's callback message, again and again, carrying the mouse messages the taskbar
// would have sent, in the form the icon's interface version expects.

#include "menubar/tray/tray_list.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::menubar::tray {

enum class TrayClick : std::uint8_t { Left, Right, Double, Hover };

inline constexpr std::uint32_t kDefaultCallback = 1120; // an icon that gave none
inline constexpr int kAnsweredTimeoutMs = 30;           // how long a sent step may wait

struct TrayStep {
    std::uint32_t message = 0;
    std::uint64_t wParam = 0;
    std::uint64_t lParam = 0;
    bool send = false; // expects an answer: sent with a time-out; otherwise posted
    int pauseMs = 0;   // wait this long before the step
    bool operator==(const TrayStep&) const = default;
};

struct TrayPoint {
    int x = 0, y = 0; // screen pixels
};

[[nodiscard]] std::vector<TrayStep> ClickSequence(const TrayIcon& icon, TrayClick click, TrayPoint point);

// The companion's argument for one step, "owner|message|lParam|wParam" in decimal, and
// its reading of it (nothing for anything else).
[[nodiscard]] std::wstring CompanionArgument(std::uint64_t owner, const TrayStep& step);
struct CompanionStep {
    std::uint64_t owner = 0;
    std::uint32_t message = 0;
    std::uint64_t lParam = 0, wParam = 0;
};
[[nodiscard]] std::optional<CompanionStep> ParseCompanionArgument(std::wstring_view text);

} // namespace kestrana::menubar::tray
