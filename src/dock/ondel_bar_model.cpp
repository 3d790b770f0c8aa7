#include "dock/ondel_bar_model.h"

#include <algorithm>

namespace kestrana::dock {

OndelBarModel::OndelBarModel(const DockSettings& settings, const DockScreen& screen, const SkinSpacing& skin)
    : m_frame(screen.monitor, settings.screenPosition) {
    Reconfigure(settings, screen, skin);
}

void OndelBarModel::Reconfigure(const DockSettings& settings, const DockScreen& screen, const SkinSpacing& skin) {
    m_settings = settings;
    m_screen = screen;
    m_skin = skin;
    m_metrics = DeriveMetrics(screen.dpiScale);
    // The limit depends on the scale, and a dock that follows the pointer changes monitor.
    m_settings.edgeDistance = EdgeDistanceFromSetting(settings.edgeDistance, m_metrics.dpiScale);
    m_frame = EdgeFrame(screen.monitor, settings.screenPosition);
    m_configuredSize = ClampConfiguredSize(settings.defaultSize);
    m_iconSize = static_cast<float>(m_configuredSize);
    m_magnifyRange = MagnifyRangeFor(m_iconSize, settings.maxSize);
    m_radius = RadiusFor(m_iconSize, settings.iconSpace);
    m_margin = DockMargin(m_metrics, m_iconSize, settings.runIconTag, skin);
    m_thickness = DockThickness(m_margin, m_iconSize, skin);
    m_layout.Invalidate();
    PlaceWindow();
}

bool OndelBarModel::Refit(DockItems& items) {
    const AxisSpan span = m_frame.RowSpan(m_screen.menuBarHeight);
    RowFitInput in;
    in.axisLength = span.length;
    in.entryCount = items.Size();
    in.factorSum = items.FactorSum();
    in.spacing = m_settings.iconSpace;
    in.currentSize = m_iconSize;
    in.configuredSize = m_configuredSize;
    in.maximumSize = m_settings.maxSize;
    in.skin = m_skin;
    if (const auto fit = FitRow(in)) {
        m_iconSize = fit->iconSize;
        m_radius = fit->radius;
        m_magnifyRange = fit->magnifyRange;
    }
    m_margin = DockMargin(m_metrics, m_iconSize, m_settings.runIconTag, m_skin);
    m_thickness = DockThickness(m_margin, m_iconSize, m_skin);
    m_restRowLength = PlaceAtRest(items, m_iconSize, m_settings.iconSpace);
    m_layout.Invalidate();

    const ScreenRect before = m_windowRect;
    PlaceWindow();
    return m_windowRect != before;
}

void OndelBarModel::PlaceWindow() {
    const AxisSpan span = m_frame.RowSpan(m_screen.menuBarHeight);
    m_windowLength = DockWindowLength(m_restRowLength, m_magnifyRange, m_skin, span.length);
    m_windowRect = DockWindowRect(m_frame, span, m_windowLength, m_thickness, m_settings.edgeDistance, m_magnifyRange);
    m_rowLength = m_restRowLength;
    m_rowOffset = RowOffsetFor(m_windowLength, m_rowLength);
    UpdateDockArea();
}

void OndelBarModel::UpdateDockArea() {
    // A row too long for the monitor even at the smallest size runs past the window;
    // only what the window shows can be covered.
    const ScreenRect area = DockArea(m_frame, m_windowRect, m_rowOffset, m_rowLength, m_thickness, m_settings.edgeDistance);
    m_dockArea = {std::max(area.left, m_windowRect.left), std::max(area.top, m_windowRect.top),
                  std::min(area.right, m_windowRect.right), std::min(area.bottom, m_windowRect.bottom)};
}

MagnifyResult OndelBarModel::LayOut(DockItems& items, ScreenPoint pointer, float magnification, bool dragging) {
    MagnifyInput in;
    in.iconSize = m_iconSize;
    in.magnification = std::clamp(magnification, 0.0f, static_cast<float>(m_magnifyRange));
    in.radius = m_radius;
    in.spacing = m_settings.iconSpace;
    in.pointer = RowPointer(m_frame.AlongOf(pointer), m_frame.AlongStart(m_windowRect), m_windowLength, m_restRowLength);
    in.windowLength = m_windowLength;
    in.dragging = dragging;
    const MagnifyResult result = m_layout.LayOut(items, in);
    if (result.outcome != LayoutOutcome::Abandoned) {
        m_rowLength = result.rowLength;
        m_rowOffset = result.rowOffset;
        UpdateDockArea();
    }
    return result;
}

ScreenRect OndelBarModel::ActivationBar() const {
    return ActivationBarRect(m_frame, m_windowRect, m_settings.actBar, m_metrics.dpiScale);
}

float OndelBarModel::SlideDistance() const {
    return dock::SlideDistance(m_metrics, m_iconSize, m_skin, m_settings.edgeDistance);
}

} // namespace kestrana::dock
