#pragma once
// The path a window's image takes into its dock item: 48 lines across the image, each
// with its place along the direction of flight, its two ends across it and the line of
// the image it shows. The maths is written for a dock at the bottom of the screen and
// turned for the other edges; frame 0 is the window in place and frame N lies inside the
// icon.

#include "extras/minimise_settings.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kestrana::extras {

inline constexpr int kMeshRows = 48;

// The same numbering as the dock's "screenposition".
enum class FlowEdge : std::uint8_t { Left = 1, Bottom = 2, Right = 3, Top = 4 };

[[nodiscard]] constexpr bool IsVertical(FlowEdge edge) { return edge == FlowEdge::Left || edge == FlowEdge::Right; }

struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    [[nodiscard]] int Width() const { return right - left; }
    [[nodiscard]] int Height() const { return bottom - top; }
    [[nodiscard]] bool Empty() const { return right <= left || bottom <= top; }
    bool operator==(const Box&) const = default;
};

[[nodiscard]] Box Union(const Box& a, const Box& b);

// Screen coordinates. For a dock at the top or bottom `along` is y and the ends are x;
// for a dock at the left or right `along` is x and the ends are y. `source` is the
// image's line, in pixels along the same axis of the image.
struct MeshRow {
    float along = 0;
    float from = 0;
    float to = 0;
    float source = 0;
};

struct MeshFrame {
    FlowEdge edge = FlowEdge::Bottom;
    std::array<MeshRow, kMeshRows> rows{};
};

struct FlightPath {
    Box window;   // where the window stands (screen)
    Box icon;     // the item it flies into (screen)
    FlowEdge edge = FlowEdge::Bottom;
    MinimiseEffect effect = MinimiseEffect::Genie;
    int frames = 0; // N
};

// The mesh at frame value f (0..N).
[[nodiscard]] MeshFrame ComputeMeshFrame(const FlightPath& path, int f);

// The frame values shown, in order: a minimise runs 0 up to N − 3, a restore the same
// frames backwards.
[[nodiscard]] std::vector<int> FrameOrder(int frames, bool minimising);

// The smallest whole-pixel box holding every row of the frame.
[[nodiscard]] Box MeshBounds(const MeshFrame& frame);

// The direction of flight towards a dock on `edge` of `dockMonitor`: the dock's edge when
// the window's centre lies within the monitor's span across that edge, otherwise the
// side of the monitor the window lies on (a dock on another monitor).
[[nodiscard]] FlowEdge ChooseFlowEdge(const Box& window, const Box& dockMonitor, FlowEdge dockEdge);

} // namespace kestrana::extras
