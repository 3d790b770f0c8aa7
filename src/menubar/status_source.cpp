#include "menubar/status_source.h"

#include "menubar/bar_geometry.h"

namespace kestrana::menubar {

int FaceWidth(const StatusFace& face, int textWidth, float scale) {
    if (!face.shown) return 0;
    if (face.meter == Meter::Lines) return textWidth + Scaled(14, scale);
    if (face.meter != Meter::None) return Scaled(static_cast<float>(MeterWidth(face.meter)), scale);
    const bool hasText = !face.text.empty() && textWidth > 0;
    if (face.glyph == Glyph::None) return hasText ? textWidth + Scaled(16, scale) : 0;
    return Scaled(34, scale) + (hasText ? textWidth + Scaled(6, scale) : 0);
}

namespace {
int Slot(float scale) { return Scaled(26, scale); }
int Margin(float scale) { return Scaled(4, scale); } // on each side
} // namespace

int PartsWidth(std::size_t parts, float scale) {
    return parts == 0 ? 0 : static_cast<int>(parts) * Slot(scale) + 2 * Margin(scale);
}

gfx::RectI PartRect(int cellX, int height, std::size_t index, float scale) {
    return {cellX + Margin(scale) + static_cast<int>(index) * Slot(scale), 0, Slot(scale), height};
}

int PartAt(int cellX, int x, std::size_t parts, float scale) {
    const int inside = x - cellX - Margin(scale);
    if (inside < 0 || parts == 0) return -1;
    const int index = inside / Slot(scale);
    return index < static_cast<int>(parts) ? index : -1;
}

} // namespace kestrana::menubar
