#pragma once
// The picture type every bar draws into: premultiplied 32-bit BGRA, rows top-down with no
// padding, so one frame can be handed to the layered-window code as it is. A colour
// channel is never above its pixel's alpha.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kestrana::gfx {

// One premultiplied pixel, 0xAARRGGBB: bytes B, G, R, A in memory on little-endian machines.
using Pixel = std::uint32_t;

[[nodiscard]] constexpr Pixel MakePixel(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    return (Pixel(a) << 24) | (Pixel(r) << 16) | (Pixel(g) << 8) | Pixel(b);
}
[[nodiscard]] constexpr std::uint8_t PixelA(Pixel p) { return std::uint8_t(p >> 24); }
[[nodiscard]] constexpr std::uint8_t PixelR(Pixel p) { return std::uint8_t(p >> 16); }
[[nodiscard]] constexpr std::uint8_t PixelG(Pixel p) { return std::uint8_t(p >> 8); }
[[nodiscard]] constexpr std::uint8_t PixelB(Pixel p) { return std::uint8_t(p); }

// A colour as people write it (straight, not premultiplied).
struct Color {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;

    [[nodiscard]] Pixel Premultiplied() const;
    bool operator==(const Color&) const = default;
};

// The straight colour of a premultiplied pixel (rounded; exact when alpha is 255).
[[nodiscard]] Color Unpremultiply(Pixel p);

struct PointF {
    float x = 0, y = 0;
};

struct RectF {
    float x = 0, y = 0, width = 0, height = 0;
    [[nodiscard]] float Right() const { return x + width; }
    [[nodiscard]] float Bottom() const { return y + height; }
    [[nodiscard]] bool Empty() const { return !(width > 0) || !(height > 0); }
};

struct RectI {
    int x = 0, y = 0, width = 0, height = 0;
    [[nodiscard]] int Right() const { return x + width; }
    [[nodiscard]] int Bottom() const { return y + height; }
    [[nodiscard]] bool Empty() const { return width <= 0 || height <= 0; }
    bool operator==(const RectI&) const = default;
};

[[nodiscard]] RectI Intersect(const RectI& a, const RectI& b);
// The smallest rectangle holding both; an empty one adds nothing.
[[nodiscard]] RectI Bounding(const RectI& a, const RectI& b);

class Bitmap {
public:
    Bitmap() = default;
    // A transparent bitmap; a non-positive size gives an empty one.
    Bitmap(int width, int height);

    Bitmap(Bitmap&& other) noexcept;
    Bitmap& operator=(Bitmap&& other) noexcept;
    // Copies are explicit (Clone) so a frame is never duplicated by accident.
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    [[nodiscard]] Bitmap Clone() const;

    [[nodiscard]] int Width() const { return m_width; }
    [[nodiscard]] int Height() const { return m_height; }
    [[nodiscard]] bool Empty() const { return m_width == 0; }
    [[nodiscard]] RectI Bounds() const { return {0, 0, m_width, m_height}; }

    [[nodiscard]] Pixel* Row(int y) { return m_pixels.data() + std::size_t(y) * std::size_t(m_width); }
    [[nodiscard]] const Pixel* Row(int y) const { return m_pixels.data() + std::size_t(y) * std::size_t(m_width); }
    [[nodiscard]] std::span<Pixel> Pixels() { return m_pixels; }
    [[nodiscard]] std::span<const Pixel> Pixels() const { return m_pixels; }

    [[nodiscard]] Pixel At(int x, int y) const { return Row(y)[x]; }
    void Set(int x, int y, Pixel p) { Row(y)[x] = p; }

    void Fill(Pixel p);
    // Changes the size, keeping the memory when it is large enough; the content is undefined.
    void Reset(int width, int height);

    // A copy of a region (clipped to the bitmap).
    [[nodiscard]] Bitmap Crop(const RectI& region) const;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<Pixel> m_pixels;
};

// Exact copies turned by whole quarter turns (clockwise on screen; negative turns go the
// other way) or mirrored top to bottom: skin pictures made for a bottom bar are turned
// for bars on the other edges.
[[nodiscard]] Bitmap RotateClockwise(const Bitmap& source, int quarterTurns);
[[nodiscard]] Bitmap FlipVertical(const Bitmap& source);

} // namespace kestrana::gfx
