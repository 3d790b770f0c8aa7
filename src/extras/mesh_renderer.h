#pragma once
// Draws a window's image along a mesh frame: each band between two mesh rows is filled
// line by line, every line stretching one line of the image between the band's ends.
// Sampling is bilinear on a pyramid of halved copies, so a window folded into an icon
// stays smooth instead of sparkling.

#include "extras/window_mesh.h"
#include "gfx/bitmap.h"

#include <vector>

namespace kestrana::extras {

// The window's image made ready for one direction of flight: turned so the flight runs
// down its rows, with its halved copies. Made once per animation; read-only afterwards,
// so a worker may draw from it while another thread holds it.
class MeshSource {
public:
    MeshSource() = default;
    MeshSource(const gfx::Bitmap& image, FlowEdge edge);

    [[nodiscard]] bool Empty() const { return m_levels.empty(); }
    [[nodiscard]] FlowEdge Edge() const { return m_edge; }
    [[nodiscard]] const std::vector<gfx::Bitmap>& Levels() const { return m_levels; }

private:
    FlowEdge m_edge = FlowEdge::Bottom;
    std::vector<gfx::Bitmap> m_levels; // [0] full size; each next one half of the one before
};

// Draws `frame` into `target`, whose top-left pixel lies at (originX, originY) on the
// screen; what falls outside is cut off. The pixels are written, not blended: clear what
// the previous frame drew first. Returns the part of `target` drawn on (target pixels).
gfx::RectI DrawMeshFrame(const MeshSource& source, const MeshFrame& frame, gfx::Bitmap& target, int originX,
                         int originY);

} // namespace kestrana::extras
