#pragma once
// The confirmation before a power action: its layout (the question, the delay choice
// with its countdown, and the two buttons) and its picture.

#include "gfx/bitmap.h"

#include <cstdint>

namespace kestrana::menubar {

struct PromptLayout {
    int width = 0;
    int height = 0;
    gfx::RectI question;
    gfx::RectI delay;     // the button that opens the delay list
    gfx::RectI countdown; // the time left, right of the delay button
    gfx::RectI cancel;
    gfx::RectI confirm;
};

[[nodiscard]] PromptLayout LayOutPrompt(float scale, int questionWidth, int delayWidth);

enum class PromptPart : std::uint8_t { None, Delay, Cancel, Confirm };
[[nodiscard]] PromptPart PromptPartAt(const PromptLayout& layout, int x, int y);

// Coverage masks of the texts.
struct PromptLabels {
    gfx::Bitmap question;
    gfx::Bitmap delay;
    gfx::Bitmap countdown;
    gfx::Bitmap cancel;
    gfx::Bitmap confirm;
};

void DrawPrompt(gfx::Bitmap& target, const PromptLayout& layout, const PromptLabels& labels, bool dark, float scale,
                PromptPart hot);

} // namespace kestrana::menubar
