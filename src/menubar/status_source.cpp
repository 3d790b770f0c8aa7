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

} // namespace kestrana::menubar
