#pragma once
// The portable half of one dock: its sizes and its place on the monitor, worked out from
// the settings, the monitor and the skin, and kept in step with the item row. The bar's
// windows ask it where to stand and hand it the pointer on every frame; it never touches
// the items except to lay them out, and it holds no lock of its own (the bar's item-list
// lock guards it together with the items).

#include "dock/dock_geometry.h"
#include "dock/dock_settings.h"
#include "dock/dockico.h"
#include "dock/magnification.h"

namespace kestrana::dock {

// The monitor a dock lives on, as the platform layer reports it.
struct DockScreen {
    ScreenRect monitor;
    float dpiScale = 1;    // monitor DPI / 96
    int menuBarHeight = 0; // height of the menu bar when one is shown on this monitor
};

class OndelBarModel {
public:
    OndelBarModel(const DockSettings& settings, const DockScreen& screen, const SkinSpacing& skin = {});

    // New settings, monitor or skin: the icon size starts again from the configured size.
    // Call Refit afterwards.
    void Reconfigure(const DockSettings& settings, const DockScreen& screen, const SkinSpacing& skin);

    // After every change of the items, the size or the screen: fits the row, lays it out at
    // rest and places the window. True when the window rectangle changed.
    bool Refit(DockItems& items);

    // One frame: lays the row out for the pointer (screen coordinates) and A.
    MagnifyResult LayOut(DockItems& items, ScreenPoint pointer, float magnification, bool dragging = false);

    // The pointer lies on the bar itself (not on the window's empty part).
    [[nodiscard]] bool PointerOnBar(ScreenPoint pointer) const { return m_dockArea.Contains(pointer); }
    [[nodiscard]] bool PointerOnTriggerStrip(ScreenPoint pointer) const { return TriggerStripRect().Contains(pointer); }

    [[nodiscard]] const DockSettings& Settings() const { return m_settings; }
    [[nodiscard]] const DockMetrics& Metrics() const { return m_metrics; }
    [[nodiscard]] const EdgeFrame& Frame() const { return m_frame; }
    [[nodiscard]] Edge GetEdge() const { return m_frame.GetEdge(); }
    [[nodiscard]] float IconSize() const { return m_iconSize; }         // S
    [[nodiscard]] int ConfiguredSize() const { return m_configuredSize; }
    [[nodiscard]] int MagnifyRange() const { return m_magnifyRange; }   // M
    [[nodiscard]] float Radius() const { return m_radius; }             // R
    [[nodiscard]] int Margin() const { return m_margin; }
    [[nodiscard]] int Thickness() const { return m_thickness; }
    [[nodiscard]] int RestRowLength() const { return m_restRowLength; }
    [[nodiscard]] int RowLength() const { return m_rowLength; }         // L of the last pass
    [[nodiscard]] int RowOffset() const { return m_rowOffset; }
    [[nodiscard]] int WindowLength() const { return m_windowLength; }
    [[nodiscard]] const ScreenRect& WindowRect() const { return m_windowRect; }
    [[nodiscard]] const ScreenRect& DockAreaRect() const { return m_dockArea; }
    [[nodiscard]] ScreenRect TriggerStripRect() const { return TriggerStrip(m_frame, m_windowRect); }
    [[nodiscard]] ScreenRect ActivationBar() const;
    [[nodiscard]] float SlideDistance() const;
    [[nodiscard]] SlideOffset HiddenOffset() const { return m_frame.SlideTowardsEdge(SlideDistance()); }
    [[nodiscard]] MagnificationLayout& Layout() { return m_layout; }

private:
    void PlaceWindow();
    void UpdateDockArea();

    DockSettings m_settings;
    DockScreen m_screen;
    SkinSpacing m_skin;
    DockMetrics m_metrics;
    EdgeFrame m_frame;
    MagnificationLayout m_layout;

    int m_configuredSize = 64;
    float m_iconSize = 64;
    int m_magnifyRange = 0;
    float m_radius = 0;
    int m_margin = 0;
    int m_thickness = 0;
    int m_restRowLength = 0;
    int m_rowLength = 0;
    int m_rowOffset = 0;
    int m_windowLength = 0;
    ScreenRect m_windowRect;
    ScreenRect m_dockArea;
};

} // namespace kestrana::dock
