#include "extras/window_mesh.h"

#include <algorithm>
#include <cmath>

namespace kestrana::extras {

namespace {

// The flight's own rounding of π: the curves were tuned with it.
constexpr double kPi = 3.141;

// Rectangles in the turned frame, where the dock lies at the bottom: x runs across the
// flight and y along it, growing towards the dock.
struct Span {
    double left, top, right, bottom;
};

Span ToCanonical(const Box& b, FlowEdge edge) {
    switch (edge) {
    case FlowEdge::Top: return {double(b.left), -double(b.bottom), double(b.right), -double(b.top)};
    case FlowEdge::Right: return {double(b.top), double(b.left), double(b.bottom), double(b.right)};
    case FlowEdge::Left: return {double(b.top), -double(b.right), double(b.bottom), -double(b.left)};
    case FlowEdge::Bottom: break;
    }
    return {double(b.left), double(b.top), double(b.right), double(b.bottom)};
}

// Turned-frame y back to the screen's along coordinate.
double AlongToScreen(double y, FlowEdge edge) {
    return edge == FlowEdge::Top || edge == FlowEdge::Left ? -y : y;
}

// The image's line at `offset` pixels from the side of the window facing away from the dock.
double SourceLine(double offset, double extent, FlowEdge edge) {
    return edge == FlowEdge::Top || edge == FlowEdge::Left ? extent - offset : offset;
}

double Lerp(double a, double b, double t) { return a + (b - a) * t; }

// Eases 0..1 in and out with the flight's cosine.
double CosineEase(double t) { return -0.5 * (std::cos(kPi * t) - 1.0); }

struct RowPlace {
    double y, left, right;
};

void Genie(const Span& w, const Span& icon, int f, int n, std::array<RowPlace, kMeshRows>& out) {
    const double height = w.bottom - w.top;
    const double h = height / (kMeshRows - 1);
    const int half = std::max(1, n / 2);
    const double travel = std::max(1.0, icon.top - w.top); // D
    const double squeeze = f < half ? CosineEase(double(f) / half) : 1.0;
    const double threshold = height >= travel ? half : (height / travel) * (height / travel) * half;
    const double slide =
        f > threshold && n > threshold ? -(travel / 2) * (std::cos(kPi * (f - threshold) / (n - threshold)) - 1) : 0.0;
    const double edge = icon.bottom;
    for (int i = 0; i < kMeshRows; ++i) {
        const double y = h * i + slide;
        if (f >= half && w.top + y >= edge) {
            out[i] = {edge, icon.left, icon.right};
            continue;
        }
        const double weight = y < travel ? (0.5 - std::cos(kPi * y / travel) / 2) * squeeze : squeeze;
        out[i] = {w.top + y, (icon.left - w.left) * weight + w.left, (icon.right - w.right) * weight + w.right};
    }
}

// Every row moves as one rectangle does, on the same cosine ease.
void Scale(const Span& w, const Span& icon, int f, int n, std::array<RowPlace, kMeshRows>& out) {
    const double e = CosineEase(double(f) / n);
    for (int i = 0; i < kMeshRows; ++i) {
        const double t = double(i) / (kMeshRows - 1);
        out[i] = {Lerp(Lerp(w.top, w.bottom, t), Lerp(icon.top, icon.bottom, t), e), Lerp(w.left, icon.left, e),
                  Lerp(w.right, icon.right, e)};
    }
}

// The rows nearest the dock leave first and the far rows follow late, so the image is
// drawn out of the window like a cloth through a ring: each row narrows early (square
// root) and only later swings across to the icon (square), which bends its path.
void Suck(const Span& w, const Span& icon, int f, int n, std::array<RowPlace, kMeshRows>& out) {
    const double p = double(f) / n;
    const double wc = (w.left + w.right) / 2, ic = (icon.left + icon.right) / 2;
    const double ww = (w.right - w.left) / 2, iw = (icon.right - icon.left) / 2;
    for (int i = 0; i < kMeshRows; ++i) {
        const double t = double(i) / (kMeshRows - 1);
        const double delay = 0.45 * (1.0 - t);
        const double local = std::clamp((p - delay) / (1.0 - delay), 0.0, 1.0);
        const double e = CosineEase(local);
        const double centre = Lerp(wc, ic, e * e);
        const double halfWidth = Lerp(ww, iw, std::sqrt(e));
        out[i] = {Lerp(Lerp(w.top, w.bottom, t), Lerp(icon.top, icon.bottom, t), e), centre - halfWidth,
                  centre + halfWidth};
    }
}

} // namespace

Box Union(const Box& a, const Box& b) {
    if (a.Empty()) return b;
    if (b.Empty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

MeshFrame ComputeMeshFrame(const FlightPath& path, int f) {
    const int n = std::max(1, path.frames);
    f = std::clamp(f, 0, n);
    const Span w = ToCanonical(path.window, path.edge);
    const Span icon = ToCanonical(path.icon, path.edge);
    std::array<RowPlace, kMeshRows> places{};
    switch (path.effect) {
    case MinimiseEffect::Scale: Scale(w, icon, f, n, places); break;
    case MinimiseEffect::Suck: Suck(w, icon, f, n, places); break;
    case MinimiseEffect::Genie: Genie(w, icon, f, n, places); break;
    }
    MeshFrame frame;
    frame.edge = path.edge;
    const double extent = w.bottom - w.top;
    for (int i = 0; i < kMeshRows; ++i) {
        const double offset = extent * i / (kMeshRows - 1);
        frame.rows[i] = {static_cast<float>(AlongToScreen(places[i].y, path.edge)), static_cast<float>(places[i].left),
                         static_cast<float>(places[i].right),
                         static_cast<float>(SourceLine(offset, extent, path.edge))};
    }
    return frame;
}

std::vector<int> FrameOrder(int frames, bool minimising) {
    std::vector<int> order;
    for (int f = std::max(0, frames - 3); f >= 0; --f) order.push_back(f);
    if (minimising) std::reverse(order.begin(), order.end());
    return order;
}

Box MeshBounds(const MeshFrame& frame) {
    float alongMin = frame.rows[0].along, alongMax = alongMin;
    float crossMin = frame.rows[0].from, crossMax = frame.rows[0].to;
    for (const MeshRow& r : frame.rows) {
        alongMin = std::min(alongMin, r.along);
        alongMax = std::max(alongMax, r.along);
        crossMin = std::min({crossMin, r.from, r.to});
        crossMax = std::max({crossMax, r.from, r.to});
    }
    const int a0 = static_cast<int>(std::lround(alongMin)), a1 = static_cast<int>(std::lround(alongMax));
    const int c0 = static_cast<int>(std::lround(crossMin)), c1 = static_cast<int>(std::lround(crossMax));
    if (IsVertical(frame.edge)) return {a0, c0, a1, c1};
    return {c0, a0, c1, a1};
}

FlowEdge ChooseFlowEdge(const Box& window, const Box& dockMonitor, FlowEdge dockEdge) {
    const int cx = (window.left + window.right) / 2, cy = (window.top + window.bottom) / 2;
    if (IsVertical(dockEdge)) {
        if (cy >= dockMonitor.top && cy < dockMonitor.bottom) return dockEdge;
        return cy < dockMonitor.top ? FlowEdge::Bottom : FlowEdge::Top;
    }
    if (cx >= dockMonitor.left && cx < dockMonitor.right) return dockEdge;
    return cx < dockMonitor.left ? FlowEdge::Right : FlowEdge::Left;
}

} // namespace kestrana::extras
