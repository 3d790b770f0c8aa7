#pragma once
// The minimise animation's settings (section "minimize") and the per-program exclusion
// list, read with their defaults, mappings and limits. Read again before every decision:
// the store sees a changed file at once, so a change in the settings page applies to the
// next window without a restart.

#include <string>
#include <string_view>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::extras {

enum class MinimiseEffect : int { Genie = 1, Scale = 2, Suck = 3 };

struct MinimiseSettings {
    bool enabled = false;
    MinimiseEffect effect = MinimiseEffect::Genie;
    float speed = 1.0f;          // duration factor, 0.25..2
    bool toOwnIcon = false;      // "mintoico": into the window's own item
    bool slowdown = false;       // slow motion while Shift is held at the start
    bool disabled = false;       // "DisableMinAnimation"
    bool graphicsCapture = false;
    int placeChoice = 0;         // "minicopos"
};

inline constexpr float kMinSpeed = 0.25f;
inline constexpr float kMaxSpeed = 2.0f;

// Compared without case; anything unknown is the genie.
[[nodiscard]] MinimiseEffect EffectFromText(std::wstring_view text);
// 0 means "not set" (1.0); everything else is held within 0.25..2.
[[nodiscard]] float ClampSpeed(float speed);
// The settings page's label for a speed ("1.5x"); empty for a value it does not offer.
[[nodiscard]] std::wstring SpeedLabel(float speed);

// `captureAvailable`: the system offers graphics capture; otherwise "UWPCapture" reads false.
[[nodiscard]] MinimiseSettings ReadMinimiseSettings(const foundation::ConfigStore& store, bool captureAvailable);

// A program excluded from the effect: any of its keys flagged in "blacklistwindows".
[[nodiscard]] bool IsExcludedProgram(const foundation::ConfigStore& store, std::wstring_view key);

} // namespace kestrana::extras
