#pragma once
// The picture of the "About This PC" window: the logo, the Windows edition as its
// title, a row per fact (label and value) and a button that closes it.

#include "gfx/bitmap.h"

#include <utility>
#include <vector>

namespace kestrana::menubar {

struct AboutLabels {
    gfx::Bitmap title;
    std::vector<std::pair<gfx::Bitmap, gfx::Bitmap>> rows; // label, value
    gfx::Bitmap close;
};

struct AboutLayout {
    int width = 0;
    int height = 0;
    gfx::RectI logo;
    gfx::RectI title;
    int labelRight = 0; // labels end here, values start a gap after it
    std::vector<int> rowTops;
    int rowHeight = 0;
    gfx::RectI close;
};

[[nodiscard]] AboutLayout LayOutAbout(const AboutLabels& labels, float scale);
void DrawAbout(gfx::Bitmap& target, const AboutLayout& layout, const AboutLabels& labels, bool dark, float scale,
               bool closeLit);

} // namespace kestrana::menubar
