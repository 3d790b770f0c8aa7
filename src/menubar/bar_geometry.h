#pragma once
// The menu bar's sizes on one screen: its scale, its height and the places of the fixed
// items on its left side. Every size is given at 96 dpi and multiplied by the bar's
// scale, truncated toward zero.

#include <optional>
#include <string>
#include <string_view>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar {

// A bar's own scale ("varloDPI") counts only within 1.0..4.0; otherwise the system's.
[[nodiscard]] float BarScale(std::optional<float> configured, float systemScale);

// The scale for the bar on a screen: with "allscreens" the screen's own section may
// carry "varloDPI", else the "finder" section's value applies.
[[nodiscard]] float BarScaleFor(const foundation::ConfigStore& store, std::wstring_view screenSection, bool allScreens,
                                float systemScale);

// 24 x scale, truncated, raised to the next even number. With the system's "make text
// bigger" (`textScale`, 1 to 2.25) the bar grows by what its text grew, so the texts keep
// their margins; still even.
[[nodiscard]] int BarHeight(float scale, float textScale = 1.0f);
// The size of the bar's texts (menu titles, the application's name, status texts, clock).
[[nodiscard]] float BarTextSize(float scale, float textScale = 1.0f);

// `value` x scale, truncated toward zero (as a float product, the way every bar size is).
[[nodiscard]] int Scaled(float value, float scale);

struct LeftSide {
    int logoX = 0;     // left + 46 s - 33 s, each product truncated
    int logoWidth = 0; // 33 s
    int nameX = 0;     // left + 46 s: where the application's name begins
};
[[nodiscard]] LeftSide LayOutLeftSide(int left, float scale);

// A menu title without its parenthesised access key: "Edit(E)" -> "Edit".
[[nodiscard]] std::wstring TitleWithoutAccessKey(std::wstring_view title);

// The section of a screen's own settings: its device name without the "\\.\" prefix.
[[nodiscard]] std::wstring ScreenSection(std::wstring_view deviceName);

} // namespace kestrana::menubar
