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
inline constexpr int kOwnerAnswerMs = 500;              // an owner slower than this to answer is taken as hung

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

// A click handed to the companion that reaches owners the bar cannot: one argument of
// four decimal numbers separated by "|": the owner window; the callback message with the
// kind of click in bits 16-19 and the icon's version in bits 20-23; the point as x + (y
// shifted left by 16), 16 bits each; the icon's id. The companion replays the same
// sequence the bar would have.
struct CompanionClick {
    std::uint64_t owner = 0;
    std::uint32_t callback = 0;
    TrayClick click = TrayClick::Left;
    std::uint32_t version = 0;
    TrayPoint point;
    std::uint32_t id = 0;
};
[[nodiscard]] std::wstring CompanionArgument(const CompanionClick& click);
// Nothing for anything that is not such an argument.
[[nodiscard]] std::optional<CompanionClick> ParseCompanionArgument(std::wstring_view text);
// The icon the companion replays the click for.
[[nodiscard]] TrayIcon CompanionIcon(const CompanionClick& click);

} // namespace kestrana::menubar::tray
