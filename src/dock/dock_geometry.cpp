#include "dock/dock_geometry.h"

#include <algorithm>
#include <cmath>

namespace kestrana::dock {

namespace {

// Half of the spare length, rounded to the nearest pixel: centres one span in another.
int CentreOffset(int outer, int inner) {
    return static_cast<int>(std::floor((outer - inner) / 2.0 + 0.5));
}

float DepthFactor(const SkinSpacing& skin) {
    return skin.present ? skin.spaceTop : SkinSpacing{}.spaceTop;
}

} // namespace

int Rnd(double value) {
    return static_cast<int>(std::lround(value));
}

DockMetrics DeriveMetrics(float dpiScale) {
    DockMetrics m;
    m.dpiScale = dpiScale > 0 ? dpiScale : 1.0f;
    const double s = m.dpiScale;
    m.a = Rnd(4 * s);
    m.thicknessBase = Rnd(5 * s + 0.5) + m.a;
    m.onePixel = Rnd(s);
    return m;
}

int ClampConfiguredSize(int defaultSize) {
    return std::clamp(defaultSize, kMinIconSize, kMaxIconSize);
}

int MagnifyRangeFor(float iconSize, int maximumSize) {
    float range = std::max(0.0f, static_cast<float>(maximumSize) - iconSize);
    range = std::min(range, std::max(0.0f, kMaxMagnifiedSize - iconSize));
    return static_cast<int>(range);
}

float RadiusFor(float iconSize, int spacing) {
    return kRadiusFactor * (iconSize + static_cast<float>(spacing));
}

std::optional<RowFit> FitRow(const RowFitInput& in) {
    if (!(in.factorSum > 0)) return std::nullopt;
    const SkinSpacing& skin = in.skin;
    const float e1 = std::floor(skin.present ? skin.spaceLeft : SkinSpacing{}.spaceLeft);
    const float e2 = std::floor(skin.present ? skin.spaceRight : SkinSpacing{}.spaceRight);
    // Entries minus seven: the gaps between real items (six placeholders, one gap fewer
    // than items).
    const float gaps = static_cast<float>(static_cast<long long>(in.entryCount) - 7);
    float fitted = (static_cast<float>(in.axisLength) - e1 - e2 - gaps * static_cast<float>(in.spacing)) / in.factorSum;
    fitted = std::max(fitted, kMinFittedIconSize);

    // Shrink to fit; grow back no further than the size the user chose.
    float size = in.currentSize;
    if (fitted != size) size = std::min(fitted, static_cast<float>(in.configuredSize));

    RowFit fit;
    fit.iconSize = size;
    fit.radius = RadiusFor(size, in.spacing);
    fit.magnifyRange = MagnifyRangeFor(size, in.maximumSize);
    return fit;
}

int DockMargin(const DockMetrics& metrics, float iconSize, bool runIconTag, const SkinSpacing& skin) {
    if (skin.present) return static_cast<int>(skin.spaceBottom);
    const double s = metrics.dpiScale;
    return Rnd(5 * s + 0.5) + (runIconTag ? Rnd(4 * s) : 0) + std::max(Rnd(0.1 * iconSize), 3 * Rnd(s));
}

int DockThickness(int margin, float iconSize, const SkinSpacing& skin) {
    const double k = DepthFactor(skin);
    const double fraction = k - std::floor(k);
    return margin + Rnd(iconSize + Rnd(iconSize * fraction)) + Rnd(k);
}

float SlideDistance(const DockMetrics& metrics, float iconSize, const SkinSpacing& skin, int edgeDistance) {
    // The built-in look moves by S + base + 0.1 S + 35; a skin's depth factor takes the
    // place of the 0.1 so that deeper skins slide further.
    const float k = DepthFactor(skin);
    const float depth = skin.present ? (k - std::floor(k)) * iconSize + std::floor(k) : 0.1f * iconSize;
    return iconSize + static_cast<float>(metrics.thicknessBase) + depth + 35.0f +
           static_cast<float>(std::max(0, edgeDistance));
}

AxisSpan EdgeFrame::RowSpan(int menuBarHeight) const {
    if (IsVertical(m_edge)) {
        const int reserve = std::max(0, menuBarHeight);
        return {m_monitor.top + reserve, std::max(0, m_monitor.Height() - 2 * reserve)};
    }
    return {m_monitor.left, m_monitor.Width()};
}

ScreenRect EdgeFrame::ToScreen(int alongStart, int alongLength, int depthStart, int depthLength) const {
    ScreenRect r;
    switch (m_edge) {
    case Edge::Bottom:
        r.left = alongStart;
        r.right = alongStart + alongLength;
        r.bottom = m_monitor.bottom - depthStart;
        r.top = r.bottom - depthLength;
        break;
    case Edge::Top:
        r.left = alongStart;
        r.right = alongStart + alongLength;
        r.top = m_monitor.top + depthStart;
        r.bottom = r.top + depthLength;
        break;
    case Edge::Left:
        r.top = alongStart;
        r.bottom = alongStart + alongLength;
        r.left = m_monitor.left + depthStart;
        r.right = r.left + depthLength;
        break;
    case Edge::Right:
        r.top = alongStart;
        r.bottom = alongStart + alongLength;
        r.right = m_monitor.right - depthStart;
        r.left = r.right - depthLength;
        break;
    }
    return r;
}

int EdgeFrame::AlongOf(ScreenPoint p) const {
    return IsVertical(m_edge) ? p.y : p.x;
}

int EdgeFrame::DepthOf(ScreenPoint p) const {
    switch (m_edge) {
    case Edge::Bottom: return m_monitor.bottom - 1 - p.y;
    case Edge::Top: return p.y - m_monitor.top;
    case Edge::Left: return p.x - m_monitor.left;
    case Edge::Right: return m_monitor.right - 1 - p.x;
    }
    return 0;
}

int EdgeFrame::AlongStart(const ScreenRect& r) const {
    return IsVertical(m_edge) ? r.top : r.left;
}

int EdgeFrame::AlongLength(const ScreenRect& r) const {
    return IsVertical(m_edge) ? r.Height() : r.Width();
}

SlideOffset EdgeFrame::SlideTowardsEdge(float distance) const {
    switch (m_edge) {
    case Edge::Left: return {-distance, 0};
    case Edge::Bottom: return {0, distance};
    case Edge::Right: return {distance, 0};
    case Edge::Top: return {0, -distance};
    }
    return {};
}

int DockWindowLength(int restRowLength, int magnifyRange, const SkinSpacing& skin, int axisLength) {
    const float e1 = std::floor(skin.present ? skin.spaceLeft : SkinSpacing{}.spaceLeft);
    const float e2 = std::floor(skin.present ? skin.spaceRight : SkinSpacing{}.spaceRight);
    // The row grows by exactly 4.234 x A when magnified, so this is its longest length.
    const double grown = std::ceil(4.234 * magnifyRange);
    const double length = restRowLength + grown + e1 + e2;
    return static_cast<int>(std::clamp(length, 0.0, static_cast<double>(std::max(0, axisLength))));
}

ScreenRect DockWindowRect(const EdgeFrame& frame, const AxisSpan& span, int windowLength, int thickness,
                          int edgeDistance, int magnifyRange) {
    const int start = span.start + CentreOffset(span.length, windowLength);
    const int depth = std::max(0, edgeDistance) + std::max(0, thickness) + std::max(0, magnifyRange);
    return frame.ToScreen(start, windowLength, 0, depth);
}

ScreenRect DockArea(const EdgeFrame& frame, const ScreenRect& window, int rowOffset, int rowLength, int thickness,
                    int edgeDistance) {
    // A negative edge distance sinks part of the bar below the screen edge.
    const int depthStart = std::max(0, edgeDistance);
    const int depthEnd = edgeDistance + thickness;
    return frame.ToScreen(frame.AlongStart(window) + rowOffset, std::max(0, rowLength), depthStart,
                          std::max(0, depthEnd - depthStart));
}

ScreenRect TriggerStrip(const EdgeFrame& frame, const ScreenRect& window) {
    return frame.ToScreen(frame.AlongStart(window), frame.AlongLength(window), 0, kTriggerStripDepth);
}

ScreenRect ActivationBarRect(const EdgeFrame& frame, const ScreenRect& window, const ActivationBarSize& size,
                             float dpiScale) {
    const double s = dpiScale > 0 ? dpiScale : 1.0;
    const int depth = Rnd(size.height * s);
    const int length = Rnd(size.width * s);
    const int offset = static_cast<int>(size.offset * s);
    const int start = frame.AlongStart(window) + CentreOffset(frame.AlongLength(window), length);
    return frame.ToScreen(start, length, offset, depth);
}

} // namespace kestrana::dock
