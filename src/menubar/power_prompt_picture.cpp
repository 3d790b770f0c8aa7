#include "menubar/power_prompt_picture.h"

#include "gfx/canvas.h"
#include "menubar/bar_geometry.h"

#include <algorithm>

namespace kestrana::menubar {
namespace {

bool Inside(const gfx::RectI& r, int x, int y) { return x >= r.x && x < r.Right() && y >= r.y && y < r.Bottom(); }

gfx::RectF F(const gfx::RectI& r) {
    return {static_cast<float>(r.x), static_cast<float>(r.y), static_cast<float>(r.width), static_cast<float>(r.height)};
}

void Centred(gfx::Canvas& canvas, const gfx::Bitmap& label, const gfx::RectI& box, gfx::Color color) {
    canvas.DrawCoverage(label, box.x + (box.width - label.Width()) / 2, box.y + (box.height - label.Height()) / 2, color);
}

} // namespace

PromptLayout LayOutPrompt(float s, int questionWidth, int delayWidth) {
    PromptLayout l;
    const int pad = Scaled(22, s);
    const int buttonWidth = Scaled(96, s), buttonHeight = Scaled(28, s), gap = Scaled(10, s);
    l.width = std::max(Scaled(380, s), questionWidth + 2 * pad);
    l.question = {pad, pad, l.width - 2 * pad, Scaled(22, s)};
    l.delay = {pad, l.question.Bottom() + Scaled(16, s), delayWidth + Scaled(36, s), buttonHeight};
    l.countdown = {l.delay.Right() + gap, l.delay.y, Scaled(80, s), buttonHeight};
    const int buttonsY = l.delay.Bottom() + Scaled(20, s);
    l.confirm = {l.width - pad - buttonWidth, buttonsY, buttonWidth, buttonHeight};
    l.cancel = {l.confirm.x - gap - buttonWidth, buttonsY, buttonWidth, buttonHeight};
    l.height = buttonsY + buttonHeight + pad;
    return l;
}

PromptPart PromptPartAt(const PromptLayout& l, int x, int y) {
    if (Inside(l.delay, x, y)) return PromptPart::Delay;
    if (Inside(l.cancel, x, y)) return PromptPart::Cancel;
    if (Inside(l.confirm, x, y)) return PromptPart::Confirm;
    return PromptPart::None;
}

void DrawPrompt(gfx::Bitmap& target, const PromptLayout& l, const PromptLabels& labels, bool dark, float s,
                PromptPart hot) {
    gfx::Canvas canvas(target);
    canvas.Clear(0);
    const gfx::Color panel = dark ? gfx::Color{40, 40, 42, 250} : gfx::Color{246, 246, 246, 250};
    const gfx::Color text = dark ? gfx::Color{238, 238, 238, 255} : gfx::Color{28, 28, 30, 255};
    const gfx::Color button = dark ? gfx::Color{70, 70, 74, 255} : gfx::Color{255, 255, 255, 255};
    const gfx::Color border = dark ? gfx::Color{255, 255, 255, 50} : gfx::Color{0, 0, 0, 45};
    const gfx::Color accent{10, 100, 214, 255};
    const float radius = 10.0f * s, small = 6.0f * s;
    canvas.FillRoundedRect({0, 0, static_cast<float>(l.width), static_cast<float>(l.height)}, radius, panel);
    canvas.StrokeRoundedRect({0, 0, static_cast<float>(l.width), static_cast<float>(l.height)}, radius, std::max(1.0f, s),
                             border);
    canvas.DrawCoverage(labels.question, l.question.x, l.question.y + (l.question.height - labels.question.Height()) / 2,
                        text);

    for (const auto& [box, part] : {std::pair{l.delay, PromptPart::Delay}, std::pair{l.cancel, PromptPart::Cancel}}) {
        gfx::Color fill = button;
        if (hot == part) fill = dark ? gfx::Color{90, 90, 96, 255} : gfx::Color{232, 232, 236, 255};
        canvas.FillRoundedRect(F(box), small, fill);
        canvas.StrokeRoundedRect(F(box), small, std::max(1.0f, s), border);
    }
    // The delay button: its value, and an arrow saying it opens a list.
    canvas.DrawCoverage(labels.delay, l.delay.x + Scaled(12, s), l.delay.y + (l.delay.height - labels.delay.Height()) / 2,
                        text);
    const float ax = static_cast<float>(l.delay.Right()) - 14.0f * s, ay = static_cast<float>(l.delay.y) + l.delay.height / 2.0f;
    canvas.StrokeLine({ax - 3.5f * s, ay - 1.8f * s}, {ax, ay + 1.8f * s}, 1.5f * s, text);
    canvas.StrokeLine({ax, ay + 1.8f * s}, {ax + 3.5f * s, ay - 1.8f * s}, 1.5f * s, text);
    if (!labels.countdown.Empty())
        canvas.DrawCoverage(labels.countdown, l.countdown.x,
                            l.countdown.y + (l.countdown.height - labels.countdown.Height()) / 2, accent);
    Centred(canvas, labels.cancel, l.cancel, text);

    gfx::Color confirmFill = accent;
    if (hot == PromptPart::Confirm) confirmFill = {30, 118, 230, 255};
    canvas.FillRoundedRect(F(l.confirm), small, confirmFill);
    Centred(canvas, labels.confirm, l.confirm, {255, 255, 255, 255});
}

} // namespace kestrana::menubar
