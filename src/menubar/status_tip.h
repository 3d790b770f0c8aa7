#pragma once
// The small tip a status item shows under itself: the hover tip (the battery's charge
// and state, the volume) and the volume tip after a volume change ("audiotip"): its
// lines, its place under the item within the screen, and its picture.

#include "gfx/bitmap.h"

#include <string>
#include <vector>

namespace kestrana::menubar {

// How long the volume tip stays: "voltiptime" in ms, where 0 (or less) means 2000.
[[nodiscard]] int VolumeTipMs(int stored);

// The lines of a tip text, split at line breaks; empty lines are dropped.
[[nodiscard]] std::vector<std::wstring> TipLines(const std::wstring& text);

// The tip's rectangle (screen pixels) for text of the given size: padded, centred under
// `cell` a little below `barBottom`, and moved sideways to stay inside `screen`.
[[nodiscard]] gfx::RectI PlaceTip(int textWidth, int textHeight, const gfx::RectI& cell, int barBottom,
                                  const gfx::RectI& screen, float scale);

// The tip's picture for its lines (coverage masks, one a line), light or dark, the size
// PlaceTip gave.
[[nodiscard]] gfx::Bitmap DrawTip(const std::vector<gfx::Bitmap>& lines, int width, int height, bool dark, float scale);

} // namespace kestrana::menubar
