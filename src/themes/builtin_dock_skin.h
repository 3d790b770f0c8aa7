#pragma once
// The dock's own look when no skin is chosen: the same pictures the shipped theme's skin
// has (a frosted rounded bar, a soft running dot, a fading separator line and a blue
// progress bar), drawn here at any display scale so the bar stays sharp without reading
// a file.

#include "gfx/bitmap.h"
#include "gfx/resample.h"

namespace kestrana::themes {

struct BuiltInSkinImages {
    gfx::Bitmap background;    // 64 x 64 at scale 1
    gfx::Bitmap blurMask;      // 64 x 64
    gfx::Bitmap run;           // 12 x 12
    gfx::Bitmap delimiter;     // 10 x 64
    gfx::Bitmap progressFrame; // 40 x 12
    gfx::Bitmap progressFill;  // 40 x 12
};

// Insets and spaces of the built-in pictures, in pixels at scale 1.
inline constexpr float kBuiltInClip = 22;
inline constexpr float kBuiltInLimClip = 14;
inline constexpr float kBuiltInProClip = 6;
inline constexpr float kBuiltInSpaceEnds = 12;   // before the first and after the last icon
inline constexpr float kBuiltInSpaceAcross = 8;  // between the bar's long sides and the icons
inline constexpr int kBuiltInRunOffset = 2;

// Every picture is its scale-1 size times `scale`, truncated (at least one pixel).
[[nodiscard]] BuiltInSkinImages MakeBuiltInSkinImages(float scale, bool dark);

} // namespace kestrana::themes
