#pragma once
// PNG reading and writing without the platform: every colour type and bit depth,
// interlaced files and transparency chunks are read into premultiplied BGRA; writing
// produces 8-bit RGBA files (golden images, screenshots).

#include "gfx/bitmap.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kestrana::gfx {

struct PngReadOptions {
    // Off only for fuzzing, so mutated data reaches the deeper stages.
    bool verifyChecksums = true;
};

[[nodiscard]] bool LooksLikePng(std::span<const std::uint8_t> data);

// Nothing for truncated, malformed or oversized data (see image_limits.h).
[[nodiscard]] std::optional<Bitmap> DecodePng(std::span<const std::uint8_t> data, const PngReadOptions& options = {});

// Empty for an empty bitmap.
[[nodiscard]] std::vector<std::uint8_t> EncodePng(const Bitmap& bitmap);

} // namespace kestrana::gfx
