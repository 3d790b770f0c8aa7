#include "gfx/builtin_text_renderer.h"


#include <algorithm>
#include <cmath>
#include <vector>

namespace kestrana::gfx {
namespace {

// Glyph rows top to bottom, '#' is ink. Lower-case letters share the capitals.
struct Glyph {
    char ch;
    const char* rows[5];
};
constexpr Glyph kGlyphs[] = {
    {'0', {"###", "# #", "# #", "# #", "###"}}, {'1', {" # ", "## ", " # ", " # ", "###"}},
    {'2', {"###", "  #", "###", "#  ", "###"}}, {'3', {"###", "  #", " ##", "  #", "###"}},
    {'4', {"# #", "# #", "###", "  #", "  #"}}, {'5', {"###", "#  ", "###", "  #", "###"}},
    {'6', {"###", "#  ", "###", "# #", "###"}}, {'7', {"###", "  #", " # ", " # ", " # "}},
    {'8', {"###", "# #", "###", "# #", "###"}}, {'9', {"###", "# #", "###", "  #", "###"}},
    {'A', {" # ", "# #", "###", "# #", "# #"}}, {'B', {"## ", "# #", "## ", "# #", "## "}},
    {'C', {" ##", "#  ", "#  ", "#  ", " ##"}}, {'D', {"## ", "# #", "# #", "# #", "## "}},
    {'E', {"###", "#  ", "## ", "#  ", "###"}}, {'F', {"###", "#  ", "## ", "#  ", "#  "}},
    {'G', {" ##", "#  ", "# #", "# #", " ##"}}, {'H', {"# #", "# #", "###", "# #", "# #"}},
    {'I', {"###", " # ", " # ", " # ", "###"}}, {'J', {"  #", "  #", "  #", "# #", " # "}},
    {'K', {"# #", "# #", "## ", "# #", "# #"}}, {'L', {"#  ", "#  ", "#  ", "#  ", "###"}},
    {'M', {"# #", "###", "###", "# #", "# #"}}, {'N', {"## ", "# #", "# #", "# #", "# #"}},
    {'O', {" # ", "# #", "# #", "# #", " # "}}, {'P', {"## ", "# #", "## ", "#  ", "#  "}},
    {'Q', {" # ", "# #", "# #", "## ", " ##"}}, {'R', {"## ", "# #", "## ", "# #", "# #"}},
    {'S', {" ##", "#  ", " # ", "  #", "## "}}, {'T', {"###", " # ", " # ", " # ", " # "}},
    {'U', {"# #", "# #", "# #", "# #", "###"}}, {'V', {"# #", "# #", "# #", "# #", " # "}},
    {'W', {"# #", "# #", "###", "###", "# #"}}, {'X', {"# #", "# #", " # ", "# #", "# #"}},
    {'Y', {"# #", "# #", " # ", " # ", " # "}}, {'Z', {"###", "  #", " # ", "#  ", "###"}},
    {'.', {"   ", "   ", "   ", "   ", " # "}}, {',', {"   ", "   ", "   ", " # ", "#  "}},
    {':', {"   ", " # ", "   ", " # ", "   "}}, {';', {"   ", " # ", "   ", " # ", "#  "}},
    {'!', {" # ", " # ", " # ", "   ", " # "}}, {'?', {"###", "  #", " ##", "   ", " # "}},
    {'-', {"   ", "   ", "###", "   ", "   "}}, {'+', {"   ", " # ", "###", " # ", "   "}},
    {'=', {"   ", "###", "   ", "###", "   "}}, {'/', {"  #", "  #", " # ", "#  ", "#  "}},
    {'(', {" # ", "#  ", "#  ", "#  ", " # "}}, {')', {" # ", "  #", "  #", "  #", " # "}},
    {'[', {"## ", "#  ", "#  ", "#  ", "## "}}, {']', {" ##", "  #", "  #", "  #", " ##"}},
    {'\'', {" # ", " # ", "   ", "   ", "   "}}, {'"', {"# #", "# #", "   ", "   ", "   "}},
    {'%', {"# #", "  #", " # ", "#  ", "# #"}}, {'_', {"   ", "   ", "   ", "   ", "###"}},
    {'<', {"  #", " # ", "#  ", " # ", "  #"}}, {'>', {"#  ", " # ", "  #", " # ", "#  "}},
    {'*', {"   ", "# #", " # ", "# #", "   "}}, {'#', {"# #", "###", "# #", "###", "# #"}},
    {'&', {" # ", "# #", " # ", "# #", " ##"}}, {'@', {"###", "# #", "###", "#  ", "###"}},
    {'|', {" # ", " # ", " # ", " # ", " # "}}, {'~', {"   ", " ##", "## ", "   ", "   "}},
};
constexpr const char* kBox[5] = {"###", "# #", "# #", "# #", "###"};
constexpr const char* kSpace[5] = {"   ", "   ", "   ", "   ", "   "};
constexpr const char* kEllipsis[5] = {"   ", "   ", "   ", "   ", "# #"};

// Cells are 4 units wide (3 of ink, 1 of gap) and 7 tall (the glyph sits in rows 1-5).
constexpr int kCellUnits = 4;
constexpr int kLineUnits = 7;

const char* const* RowsFor(char32_t c) {
    if (c == U' ') {
        return kSpace;
    }
    if (c == U'\u2026') {
        return kEllipsis;
    }
    if (c >= U'a' && c <= U'z') {
        c = c - U'a' + U'A';
    }
    for (const Glyph& g : kGlyphs) {
        if (char32_t(g.ch) == c) {
            return g.rows;
        }
    }
    return kBox;
}

// Code points of the text; UTF-16 surrogate pairs (Windows) count as one.
std::vector<char32_t> CodePoints(std::wstring_view text) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t c = char32_t(text[i]);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && char32_t(text[i + 1]) >= 0xDC00 &&
            char32_t(text[i + 1]) < 0xE000) {
            out.push_back(0x10000 + ((c - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else if (c != U'\r' && c != U'\n') {
            out.push_back(c);
        }
    }
    return out;
}

struct Line {
    std::vector<char32_t> glyphs;
    float unit = 1.0f;
    TextExtent extent;
};

Line LayOut(std::wstring_view text, const TextStyle& style, int maxWidth) {
    Line line;
    const float size = std::isfinite(style.size) ? std::clamp(style.size, 1.0f, 1000.0f) : 12.0f;
    line.unit = size / kLineUnits;
    line.glyphs = CodePoints(text);
    const float cell = kCellUnits * line.unit;
    auto widthOf = [&](std::size_t n) { return int(std::ceil(float(n) * cell - line.unit)); };
    if (maxWidth > 0 && !line.glyphs.empty() && widthOf(line.glyphs.size()) > maxWidth) {
        // Keep as many characters as fit with the ellipsis after them.
        std::size_t keep = line.glyphs.size();
        while (keep > 0 && widthOf(keep + 1) > maxWidth) {
            --keep;
        }
        line.glyphs.resize(keep);
        line.glyphs.push_back(U'\u2026');
        line.extent.truncated = true;
    }
    line.extent.height = line.glyphs.empty() ? 0 : int(std::ceil(size));
    line.extent.width = line.glyphs.empty() ? 0 : widthOf(line.glyphs.size());
    if (maxWidth > 0) {
        line.extent.width = std::min(line.extent.width, maxWidth);
    }
    line.extent.baseline = int(std::lround(6 * line.unit));
    return line;
}

} // namespace

TextExtent BuiltinTextRenderer::Measure(std::wstring_view text, const TextStyle& style, int maxWidth) {
    return LayOut(text, style, maxWidth).extent;
}

Bitmap BuiltinTextRenderer::Draw(std::wstring_view text, const TextStyle& style, int maxWidth) {
    const Line line = LayOut(text, style, maxWidth);
    Bitmap out(line.extent.width, line.extent.height);
    if (out.Empty()) {
        return out;
    }
    // Ink is gathered as coverage first, so touching squares join without seams.
    const int w = out.Width(), h = out.Height();
    std::vector<float> coverage(std::size_t(w) * std::size_t(h), 0.0f);
    auto addBox = [&](float x, float y, float bw, float bh) {
        const int xa = std::max(0, int(std::floor(x))), xb = std::min(w, int(std::ceil(x + bw)));
        const int ya = std::max(0, int(std::floor(y))), yb = std::min(h, int(std::ceil(y + bh)));
        for (int py = ya; py < yb; ++py) {
            const float cy = std::min(float(py + 1), y + bh) - std::max(float(py), y);
            for (int px = xa; px < xb; ++px) {
                const float cx = std::min(float(px + 1), x + bw) - std::max(float(px), x);
                coverage[std::size_t(py) * w + px] += std::max(0.0f, cx) * std::max(0.0f, cy);
            }
        }
    };
    // Heavier weights widen each stroke to the right.
    const float extra = style.weight >= 600 ? line.unit * 0.5f : 0.0f;
    for (std::size_t i = 0; i < line.glyphs.size(); ++i) {
        const char* const* rows = RowsFor(line.glyphs[i]);
        const float x0 = float(i) * kCellUnits * line.unit;
        for (int r = 0; r < 5; ++r) {
            for (int c = 0; c < 3; ++c) {
                const bool ink = rows[r][c] == '#';
                const bool inkRight = c < 2 && rows[r][c + 1] == '#';
                if (ink) {
                    // The widening must not overlap the next square of the same stroke.
                    addBox(x0 + float(c) * line.unit, float(r + 1) * line.unit, line.unit + (inkRight ? 0 : extra),
                           line.unit);
                }
            }
        }
    }
    const Pixel ink = style.color.Premultiplied();
    for (int y = 0; y < h; ++y) {
        Pixel* row = out.Row(y);
        for (int x = 0; x < w; ++x) {
            const float c = std::min(1.0f, coverage[std::size_t(y) * w + x]);
            if (c > 0.0f) {
                const std::uint32_t k = std::uint32_t(c * 256.0f + 0.5f);
                const auto scale = [k](std::uint32_t v) { return std::min(255u, (v * k) >> 8); };
                row[x] = (scale(PixelA(ink)) << 24) | (scale(PixelR(ink)) << 16) | (scale(PixelG(ink)) << 8) |
                         scale(PixelB(ink));
            }
        }
    }
    return out;
}

} // namespace kestrana::gfx
