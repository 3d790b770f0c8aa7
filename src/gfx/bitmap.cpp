#include "gfx/bitmap.h"

#include <algorithm>
#include <utility>

namespace kestrana::gfx {

Pixel Color::Premultiplied() const {
    auto mul = [this](std::uint8_t c) { return std::uint8_t((c * a + 127) / 255); };
    return MakePixel(mul(r), mul(g), mul(b), a);
}

Color Unpremultiply(Pixel p) {
    const unsigned a = PixelA(p);
    if (a == 0) {
        return {0, 0, 0, 0};
    }
    auto div = [a](unsigned c) { return std::uint8_t(std::min(255u, (c * 255 + a / 2) / a)); };
    return {div(PixelR(p)), div(PixelG(p)), div(PixelB(p)), std::uint8_t(a)};
}

RectI Bounding(const RectI& a, const RectI& b) {
    if (a.Empty()) return b;
    if (b.Empty()) return a;
    const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
    return {x0, y0, std::max(a.Right(), b.Right()) - x0, std::max(a.Bottom(), b.Bottom()) - y0};
}

RectI Intersect(const RectI& a, const RectI& b) {
    const int left = std::max(a.x, b.x);
    const int top = std::max(a.y, b.y);
    const int right = std::min(a.Right(), b.Right());
    const int bottom = std::min(a.Bottom(), b.Bottom());
    if (right <= left || bottom <= top) {
        return {};
    }
    return {left, top, right - left, bottom - top};
}

Bitmap::Bitmap(int width, int height) {
    if (width > 0 && height > 0) {
        m_pixels.assign(std::size_t(width) * std::size_t(height), 0);
        m_width = width;
        m_height = height;
    }
}

Bitmap::Bitmap(Bitmap&& other) noexcept
    : m_width(std::exchange(other.m_width, 0)), m_height(std::exchange(other.m_height, 0)),
      m_pixels(std::move(other.m_pixels)) {
    other.m_pixels.clear();
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
    if (this != &other) {
        m_width = std::exchange(other.m_width, 0);
        m_height = std::exchange(other.m_height, 0);
        m_pixels = std::move(other.m_pixels);
        other.m_pixels.clear();
    }
    return *this;
}

Bitmap Bitmap::Clone() const {
    Bitmap copy;
    copy.m_width = m_width;
    copy.m_height = m_height;
    copy.m_pixels = m_pixels;
    return copy;
}

void Bitmap::Fill(Pixel p) {
    std::fill(m_pixels.begin(), m_pixels.end(), p);
}

void Bitmap::Reset(int width, int height) {
    if (width <= 0 || height <= 0) {
        m_width = m_height = 0;
        m_pixels.clear();
        return;
    }
    m_pixels.resize(std::size_t(width) * std::size_t(height));
    m_width = width;
    m_height = height;
}

Bitmap Bitmap::Crop(const RectI& region) const {
    const RectI r = Intersect(region, Bounds());
    Bitmap out(r.width, r.height);
    for (int y = 0; y < r.height; ++y) {
        std::copy_n(Row(r.y + y) + r.x, r.width, out.Row(y));
    }
    return out;
}

Bitmap RotateClockwise(const Bitmap& source, int quarterTurns) {
    const int turns = ((quarterTurns % 4) + 4) % 4;
    if (turns == 0 || source.Empty()) {
        return source.Clone();
    }
    const int w = source.Width(), h = source.Height();
    Bitmap out(turns == 2 ? w : h, turns == 2 ? h : w);
    for (int y = 0; y < h; ++y) {
        const Pixel* row = source.Row(y);
        for (int x = 0; x < w; ++x) {
            switch (turns) {
            case 1: out.Set(h - 1 - y, x, row[x]); break;
            case 2: out.Set(w - 1 - x, h - 1 - y, row[x]); break;
            default: out.Set(y, w - 1 - x, row[x]); break;
            }
        }
    }
    return out;
}

Bitmap FlipVertical(const Bitmap& source) {
    Bitmap out(source.Width(), source.Height());
    for (int y = 0; y < source.Height(); ++y) {
        std::copy_n(source.Row(y), source.Width(), out.Row(source.Height() - 1 - y));
    }
    return out;
}

} // namespace kestrana::gfx
