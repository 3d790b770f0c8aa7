#include "gfx/pixel_rows.h"

#include <cstring>

namespace kestrana::gfx {
namespace {

constexpr int kBlock = 4;          // pixels per block
constexpr int kLanes = kBlock * 4; // channels per block

inline void Load(const Pixel* p, std::uint16_t (&lanes)[kLanes]) {
    std::uint8_t bytes[kLanes];
    std::memcpy(bytes, p, sizeof bytes);
    for (int i = 0; i < kLanes; ++i) {
        lanes[i] = bytes[i];
    }
}

inline void Store(const std::uint16_t (&lanes)[kLanes], Pixel* p) {
    std::uint8_t bytes[kLanes];
    for (int i = 0; i < kLanes; ++i) {
        bytes[i] = std::uint8_t(lanes[i]);
    }
    std::memcpy(p, bytes, sizeof bytes);
}

// x * k / 255 rounded, for x * k < 65536 - 256.
inline std::uint16_t MulDiv255(std::uint16_t x, std::uint16_t k) {
    const std::uint16_t t = std::uint16_t(x * k + 128);
    return std::uint16_t((t + (t >> 8)) >> 8);
}

inline Pixel OverOne(Pixel s, Pixel d) {
    const std::uint32_t sa = s >> 24;
    if (sa == 255) {
        return s;
    }
    if (s == 0) {
        return d;
    }
    const std::uint32_t k = 255 - sa;
    std::uint32_t rb = (d & 0x00FF00FFu) * k + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    std::uint32_t ga = ((d >> 8) & 0x00FF00FFu) * k + 0x00800080u;
    ga = ((ga + ((ga >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    return s + (rb | (ga << 8));
}

inline Pixel ScaleOne(Pixel p, std::uint32_t k) {
    const std::uint32_t rb = (((p & 0x00FF00FFu) * k) >> 8) & 0x00FF00FFu;
    const std::uint32_t ga = ((((p >> 8) & 0x00FF00FFu) * k) >> 8) & 0x00FF00FFu;
    return rb | (ga << 8);
}

// Blends one block of four; `s` already scaled.
inline void OverBlock(const std::uint16_t (&s)[kLanes], Pixel* dst) {
    std::uint16_t d[kLanes];
    Load(dst, d);
    std::uint16_t k[kLanes];
    for (int p = 0; p < kBlock; ++p) {
        const std::uint16_t inv = std::uint16_t(255 - s[4 * p + 3]);
        k[4 * p] = k[4 * p + 1] = k[4 * p + 2] = k[4 * p + 3] = inv;
    }
    std::uint16_t r[kLanes];
    for (int i = 0; i < kLanes; ++i) {
        r[i] = std::uint16_t(s[i] + MulDiv255(d[i], k[i]));
    }
    Store(r, dst);
}

} // namespace

void MixRows(const Pixel* const* rows, const std::uint16_t* weights, int taps, int count, Pixel* out) {
    int i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        std::uint16_t acc[kLanes] = {};
        for (int t = 0; t < taps; ++t) {
            std::uint16_t v[kLanes];
            Load(rows[t] + i, v);
            const std::uint16_t w = weights[t];
            for (int c = 0; c < kLanes; ++c) {
                acc[c] = std::uint16_t(acc[c] + v[c] * w);
            }
        }
        for (int c = 0; c < kLanes; ++c) {
            acc[c] = std::uint16_t(std::uint16_t(acc[c] + 128) >> 8);
        }
        Store(acc, out + i);
    }
    for (; i < count; ++i) {
        std::uint32_t rb = 0, ga = 0;
        for (int t = 0; t < taps; ++t) {
            const Pixel p = rows[t][i];
            rb += (p & 0x00FF00FFu) * weights[t];
            ga += ((p >> 8) & 0x00FF00FFu) * weights[t];
        }
        rb = ((rb + 0x00800080u) >> 8) & 0x00FF00FFu;
        ga = ((ga + 0x00800080u) >> 8) & 0x00FF00FFu;
        out[i] = rb | (ga << 8);
    }
}

void OverRow(const Pixel* src, Pixel* dst, int count) {
    // The last blended block: a flat translucent area over a flat background (a bar over
    // a cleared frame) repeats it, and then the result is simply copied.
    Pixel lastSrc[kBlock] = {}, lastDst[kBlock] = {}, lastOut[kBlock] = {};
    bool haveLast = false;
    int i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        Pixel s[kBlock];
        std::memcpy(s, src + i, sizeof s);
        // Whole blocks that are clear or opaque are common (icon margins and bodies).
        if ((s[0] | s[1] | s[2] | s[3]) == 0) {
            continue;
        }
        if ((s[0] & s[1] & s[2] & s[3]) >> 24 == 255) {
            std::memcpy(dst + i, s, sizeof s);
            continue;
        }
        if (haveLast && std::memcmp(s, lastSrc, sizeof s) == 0 && std::memcmp(dst + i, lastDst, sizeof s) == 0) {
            std::memcpy(dst + i, lastOut, sizeof s);
            continue;
        }
        std::memcpy(lastSrc, s, sizeof s);
        std::memcpy(lastDst, dst + i, sizeof s);
        std::uint16_t lanes[kLanes];
        Load(s, lanes);
        OverBlock(lanes, dst + i);
        std::memcpy(lastOut, dst + i, sizeof s);
        haveLast = true;
    }
    for (; i < count; ++i) {
        dst[i] = OverOne(src[i], dst[i]);
    }
}

void OverRowScaled(const Pixel* src, std::uint32_t k, Pixel* dst, int count) {
    if (k >= 256) {
        OverRow(src, dst, count);
        return;
    }
    const std::uint16_t k16 = std::uint16_t(k);
    int i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        std::uint16_t lanes[kLanes];
        Load(src + i, lanes);
        for (int c = 0; c < kLanes; ++c) {
            lanes[c] = std::uint16_t((lanes[c] * k16) >> 8);
        }
        OverBlock(lanes, dst + i);
    }
    for (; i < count; ++i) {
        dst[i] = OverOne(ScaleOne(src[i], k), dst[i]);
    }
}

void ScaleRow(const Pixel* src, std::uint32_t k, Pixel* dst, int count) {
    if (k >= 256) {
        std::memmove(dst, src, std::size_t(count) * sizeof(Pixel));
        return;
    }
    for (int i = 0; i < count; ++i) {
        dst[i] = ScaleOne(src[i], k);
    }
}

} // namespace kestrana::gfx
