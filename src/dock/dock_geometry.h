#pragma once
// Where the dock stands and how big its icons are. All maths is done along one axis (the
// dock's length) and one depth (away from the screen edge) and mapped to the chosen edge
// at the end, so the four edges share one set of formulas.

#include "gfx/screen_rect.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kestrana::dock {

// The screen edge the dock stands on, as stored in "screenposition".
enum class Edge : std::uint8_t { Left = 1, Bottom = 2, Right = 3, Top = 4 };

// Left and right docks lay their row out from top to bottom.
[[nodiscard]] constexpr bool IsVertical(Edge edge) { return edge == Edge::Left || edge == Edge::Right; }

using gfx::ScreenPoint;
using gfx::ScreenRect;

// Nearest whole number, halves away from zero.
[[nodiscard]] int Rnd(double value);

// Sizes that follow from the monitor's scale alone.
struct DockMetrics {
    float dpiScale = 1;    // monitor DPI / 96
    int a = 4;              // rnd(4 x scale)
    int thicknessBase = 10; // rnd(5 x scale + 0.5) + a
    int onePixel = 1;      // rnd(scale)
};
[[nodiscard]] DockMetrics DeriveMetrics(float dpiScale);

// The dock skin's spacing record. Without a skin the built-in values apply: end margins
// of 70.1 and a depth factor of 0.1, and the dock works out its own bottom spacing.
struct SkinSpacing {
    bool present = false;
    float spaceLeft = 70.1f;  // end margin before the first icon
    float spaceTop = 0.1f;    // depth factor k
    float spaceRight = 70.1f; // end margin after the last icon
    float spaceBottom = 0;    // bottom spacing (its whole part), with a skin only
    int runOffset = 0;
};

inline constexpr int kMinIconSize = 25;
inline constexpr int kMaxIconSize = 196;
inline constexpr int kMaxMagnifiedSize = 256;
inline constexpr float kMinFittedIconSize = 10;
inline constexpr float kRadiusFactor = 3.34f;

// The resting icon size the user asked for, as the dock window uses it.
[[nodiscard]] int ClampConfiguredSize(int defaultSize);
// M: how far an icon may grow beyond S, so that S + M stays within 256.
[[nodiscard]] int MagnifyRangeFor(float iconSize, int maximumSize);
// R: the reach of the bulge around the pointer.
[[nodiscard]] float RadiusFor(float iconSize, int spacing);

struct RowFitInput {
    int axisLength = 0;         // W: the monitor's length along the dock axis
    std::size_t entryCount = 0; // entries in the item vector, placeholders included
    float factorSum = 0;        // U: size factors of the real items
    int spacing = 0;            // "iconspace"
    float currentSize = 0;      // S before the fit
    int configuredSize = 64;    // the clamped "defaultsize"
    int maximumSize = 0;        // "maxsize"
    SkinSpacing skin;
};

struct RowFit {
    float iconSize = 0;   // S
    float radius = 0;     // R
    int magnifyRange = 0; // M
};

// Sizes the icons so the row fits the screen: they shrink (never below 10 pixels) when
// the row is too long and grow back to the configured size, and no further, when it is
// not. Nothing to fit in an empty row.
[[nodiscard]] std::optional<RowFit> FitRow(const RowFitInput& input);

// The depth between the screen-side edge of the bar and its icons.
[[nodiscard]] int DockMargin(const DockMetrics& metrics, float iconSize, bool runIconTag, const SkinSpacing& skin);
// The bar's depth perpendicular to the edge.
[[nodiscard]] int DockThickness(int margin, float iconSize, const SkinSpacing& skin);
// How far the hide slide moves the dock towards its edge: far enough to leave the screen
// even when the dock stands off the edge.
[[nodiscard]] float SlideDistance(const DockMetrics& metrics, float iconSize, const SkinSpacing& skin,
                                  int edgeDistance);

struct AxisSpan {
    int start = 0;  // screen coordinate along the axis
    int length = 0;
};

struct SlideOffset {
    float dx = 0, dy = 0;
};

// A monitor seen from one of its edges: "along" runs with the dock (x for bottom and top
// docks, y for left and right ones), "depth" counts pixels in from the edge.
class EdgeFrame {
public:
    EdgeFrame(const ScreenRect& monitor, Edge edge) : m_monitor(monitor), m_edge(edge) {}

    [[nodiscard]] Edge GetEdge() const { return m_edge; }
    [[nodiscard]] const ScreenRect& Monitor() const { return m_monitor; }

    // The stretch of the edge the row may use (W): a vertical dock leaves room at both
    // ends for a menu bar shown on this monitor.
    [[nodiscard]] AxisSpan RowSpan(int menuBarHeight) const;

    [[nodiscard]] ScreenRect ToScreen(int alongStart, int alongLength, int depthStart, int depthLength) const;
    [[nodiscard]] int AlongOf(ScreenPoint p) const;
    [[nodiscard]] int DepthOf(ScreenPoint p) const;
    [[nodiscard]] int AlongStart(const ScreenRect& r) const;
    [[nodiscard]] int AlongLength(const ScreenRect& r) const;

    // Towards the edge: left -x, bottom +y, right +x, top -y.
    [[nodiscard]] SlideOffset SlideTowardsEdge(float distance) const;

private:
    ScreenRect m_monitor;
    Edge m_edge;
};

// Window length along the axis: the resting row, room for the row's full growth and the
// two end margins, within the usable stretch.
[[nodiscard]] int DockWindowLength(int restRowLength, int magnifyRange, const SkinSpacing& skin, int axisLength);

// The two dock windows: centred on the usable stretch, reaching from the screen edge past
// the bar by the magnification range so magnified icons fit.
[[nodiscard]] ScreenRect DockWindowRect(const EdgeFrame& frame, const AxisSpan& span, int windowLength,
                                        int thickness, int edgeDistance, int magnifyRange);

// Where the bar itself lies: the row as laid out, lifted off the edge by the edge
// distance, as deep as the bar. What other windows must not cover in the smart mode.
[[nodiscard]] ScreenRect DockArea(const EdgeFrame& frame, const ScreenRect& window, int rowOffset, int rowLength,
                                  int thickness, int edgeDistance);

inline constexpr int kTriggerStripDepth = 2;
// The strip along the monitor's edge, as long as the dock window, that brings a hidden
// dock back.
[[nodiscard]] ScreenRect TriggerStrip(const EdgeFrame& frame, const ScreenRect& window);

struct ActivationBarSize {
    int offset = 12;  // "actbaroffset": distance from the edge at 96 DPI
    int height = 12;  // "actbarheight": depth at 96 DPI
    int width = 400;  // "actbarwidth": length at 96 DPI
};
// The mark left on screen for a hidden dock, centred along the dock window.
[[nodiscard]] ScreenRect ActivationBarRect(const EdgeFrame& frame, const ScreenRect& window,
                                           const ActivationBarSize& size, float dpiScale);

} // namespace kestrana::dock
