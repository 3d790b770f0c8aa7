// One dock's sizes and place, swept over monitors, edges, scales and row lengths.
#include "dock/ondel_bar_model.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrana::dock {
namespace {

DockItems Row(int count) {
    DockItems items;
    for (int i = 0; i < count; ++i) items.Append(MakeDockico(i % 6 == 5));
    return items;
}

bool Inside(const ScreenRect& inner, const ScreenRect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The edge pixel row or column of the monitor that the dock stands on.
int EdgeGap(const ScreenRect& r, const ScreenRect& monitor, Edge edge) {
    switch (edge) {
    case Edge::Left: return r.left - monitor.left;
    case Edge::Right: return monitor.right - r.right;
    case Edge::Top: return r.top - monitor.top;
    case Edge::Bottom: return monitor.bottom - r.bottom;
    }
    return -1;
}

TEST(OndelBarModelSweep, WindowBarAndStripStayOnTheirMonitorAndEdge) {
    const DockScreen screens[] = {
        {{0, 0, 1920, 1080}, 1.0f, 0},
        {{-1280, 200, 0, 1224}, 1.0f, 28},
        {{0, 0, 3840, 2160}, 2.0f, 56},
        {{1920, 0, 3360, 900}, 1.25f, 0},
    };
    const SkinSpacing skins[] = {{}, {true, 12.5f, 8.2f, 16.0f, 10.0f, 0}};
    for (const DockScreen& screen : screens)
        for (int edge = 1; edge <= 4; ++edge)
            for (const SkinSpacing& skin : skins)
                for (int edgeDistance : {-10, 0, 30})
                    for (int count : {1, 5, 20, 45, 120}) {
                        DockSettings settings;
                        settings.screenPosition = static_cast<Edge>(edge);
                        settings.defaultSize = static_cast<int>(64 * screen.dpiScale);
                        settings.maxSize = static_cast<int>(128 * screen.dpiScale);
                        settings.iconSpace = 4;
                        settings.edgeDistance = edgeDistance;
                        OndelBarModel model(settings, screen, skin);
                        DockItems items = Row(count);
                        model.Refit(items);
                        const std::string where = "monitor " + std::to_string(screen.monitor.left) + " edge " +
                                                  std::to_string(edge) + " items " + std::to_string(count) +
                                                  " distance " + std::to_string(edgeDistance);
                        const Edge e = model.GetEdge();
                        const ScreenRect& window = model.WindowRect();
                        EXPECT_TRUE(Inside(window, screen.monitor)) << where;
                        EXPECT_EQ(EdgeGap(window, screen.monitor, e), 0) << where;
                        EXPECT_TRUE(Inside(model.DockAreaRect(), window)) << where;
                        EXPECT_EQ(EdgeGap(model.DockAreaRect(), screen.monitor, e), std::max(0, edgeDistance)) << where;
                        EXPECT_TRUE(Inside(model.TriggerStripRect(), screen.monitor)) << where;
                        EXPECT_EQ(EdgeGap(model.TriggerStripRect(), screen.monitor, e), 0) << where;
                        EXPECT_TRUE(Inside(model.ActivationBar(), screen.monitor)) << where;

                        // Shrunk only as far as needed, and never past the size asked for.
                        EXPECT_LE(model.IconSize(), static_cast<float>(model.ConfiguredSize())) << where;
                        EXPECT_GE(model.IconSize(), 10.0f) << where;
                        const AxisSpan span = model.Frame().RowSpan(screen.menuBarHeight);
                        const int margins = static_cast<int>(skin.present ? skin.spaceLeft : 70.1f) +
                                            static_cast<int>(skin.present ? skin.spaceRight : 70.1f);
                        if (model.IconSize() > 10.0f) {
                            EXPECT_LE(model.RestRowLength() + margins, span.length + 1) << where;
                        }
                        if (model.IconSize() < static_cast<float>(model.ConfiguredSize()) && model.IconSize() > 10.0f) {
                            // The fit reserves a full spacing per gap; separators use half of it.
                            const float unused = 4 * (static_cast<float>(count - 1) - (items.FactorSum() - 1));
                            EXPECT_GE(model.RestRowLength() + margins, span.length - unused - 1) << where;
                        }

                        // Fully magnified over the middle icon: the row stays in the window and
                        // the pointer stays on that icon.
                        const std::size_t middle = DockItems::kFirstReal + items.RealCount() / 2;
                        const int restOffset = model.RowOffset();
                        const int along = model.Frame().AlongStart(window) + restOffset +
                                          static_cast<int>(items[middle].restStart + items[middle].size / 2);
                        const int depth = std::max(0, edgeDistance) + model.Thickness() / 2;
                        const ScreenRect probe = model.Frame().ToScreen(along, 1, depth, 1);
                        const ScreenPoint pointer{probe.left, probe.top};
                        EXPECT_TRUE(model.PointerOnBar(pointer)) << where;
                        const MagnifyResult r =
                            model.LayOut(items, pointer, static_cast<float>(model.MagnifyRange()));
                        ASSERT_NE(r.outcome, LayoutOutcome::Abandoned);
                        if (model.WindowLength() < span.length) {
                            EXPECT_GE(r.rowOffset, 0) << where;
                            EXPECT_LE(r.rowOffset + r.rowLength, model.WindowLength()) << where;
                        }
                        const float onRow = static_cast<float>(along - model.Frame().AlongStart(window) - r.rowOffset);
                        if (!items[middle].IsSeparator()) {
                            EXPECT_EQ(ItemAt(items, onRow), middle) << where;
                        }
                    }
}

TEST(OndelBarModelSettings, SizesFollowTheSettings) {
    const DockScreen screen{{0, 0, 1920, 1080}, 1.0f, 0};
    DockSettings settings;
    settings.defaultSize = 20;
    settings.maxSize = 25;
    OndelBarModel model(settings, screen);
    DockItems items = Row(8);
    model.Refit(items);
    EXPECT_FLOAT_EQ(model.IconSize(), 25);
    EXPECT_EQ(model.MagnifyRange(), 0); // "maxsize" equal to the size: no magnification

    settings.defaultSize = 256;
    settings.maxSize = 256;
    settings.screenPosition = Edge::Top;
    settings.edgeDistance = -40; // beyond what this scale allows
    model.Reconfigure(settings, screen, {});
    EXPECT_TRUE(model.Refit(items));
    EXPECT_FLOAT_EQ(model.IconSize(), 196);
    EXPECT_EQ(model.MagnifyRange(), 60);
    EXPECT_EQ(model.Settings().edgeDistance, -6);
    EXPECT_EQ(model.WindowRect().top, 0);
    EXPECT_LT(model.HiddenOffset().dy, 0);
    EXPECT_FLOAT_EQ(model.HiddenOffset().dx, 0);
    EXPECT_FALSE(model.Refit(items)); // nothing changed
}

} // namespace
} // namespace kestrana::dock
