#pragma once
// Icon files (.ico): a directory of pictures at several sizes, each a PNG or a Windows
// bitmap with an optional 1-bit mask. The entry that best fits the wanted size is read.

#include "gfx/bitmap.h"

#include <cstdint>
#include <optional>
#include <span>

namespace kestrana::gfx {

[[nodiscard]] bool LooksLikeIco(std::span<const std::uint8_t> data);

// `wantedSize` is the edge the caller will draw at; 0 asks for the largest entry. The
// smallest entry at least that large wins (deeper colour on ties), else the largest one;
// an entry that fails to decode gives way to the next best. The picture is returned at
// its own size.
[[nodiscard]] std::optional<Bitmap> DecodeIco(std::span<const std::uint8_t> data, int wantedSize = 0);

} // namespace kestrana::gfx
