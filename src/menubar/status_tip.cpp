#include "menubar/status_tip.h"

#include "gfx/canvas.h"

#include <algorithm>

namespace kestrana::menubar {
namespace {

int PadX(float scale) { return static_cast<int>(10.0f * scale); }
int PadY(float scale) { return static_cast<int>(6.0f * scale); }

} // namespace

int VolumeTipMs(int stored) { return stored > 0 ? stored : 2000; }

std::vector<std::wstring> TipLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(L'\n', start), text.size());
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (!line.empty()) lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

gfx::RectI PlaceTip(int textWidth, int textHeight, const gfx::RectI& cell, int barBottom, const gfx::RectI& screen,
                    float scale) {
    gfx::RectI box;
    box.width = std::max(0, textWidth) + 2 * PadX(scale);
    box.height = std::max(0, textHeight) + 2 * PadY(scale);
    box.x = cell.x + cell.width / 2 - box.width / 2;
    box.y = barBottom + static_cast<int>(6.0f * scale);
    // The right edge first, then the left: a tip wider than the screen starts at its left.
    box.x = std::min(box.x, screen.Right() - box.width);
    box.x = std::max(box.x, screen.x);
    return box;
}

gfx::Bitmap DrawTip(const std::vector<gfx::Bitmap>& lines, int width, int height, bool dark, float scale) {
    gfx::Bitmap picture(width, height);
    if (picture.Empty()) return picture;
    gfx::Canvas canvas(picture);
    canvas.Clear(0);
    const gfx::Color back = dark ? gfx::Color{40, 40, 42, 240} : gfx::Color{250, 250, 250, 240};
    const gfx::Color border = dark ? gfx::Color{255, 255, 255, 50} : gfx::Color{0, 0, 0, 50};
    const gfx::Color ink = dark ? gfx::Color{238, 238, 238, 255} : gfx::Color{28, 28, 30, 255};
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    canvas.FillRoundedRect({0, 0, w, h}, 6.0f * scale, back);
    canvas.StrokeRoundedRect({0, 0, w, h}, 6.0f * scale, std::max(1.0f, scale * 0.8f), border);
    int y = PadY(scale);
    for (const gfx::Bitmap& line : lines) {
        canvas.DrawCoverage(line, PadX(scale), y, ink);
        y += line.Height();
    }
    return picture;
}

} // namespace kestrana::menubar
