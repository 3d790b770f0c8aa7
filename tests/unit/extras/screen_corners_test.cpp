#include "extras/screen_corners.h"
#include "extras/screen_corner_caps.h"

#include "fakes/memory_log.h"
#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrana::extras {
namespace {

TEST(ScreenCornerSettings, RadiusAndColourTakeTheirDefaultsAndClamps) {
    fakes::SettingsFolder folder;
    fakes::MemoryLog log;
    ScreenCornerReader reader;
    const ScreenCornerSettings absent = reader.Read(folder.store, L"\\\\.\\DISPLAY1");
    EXPECT_FALSE(absent.on);
    EXPECT_EQ(absent.radius, kDefaultCornerRadius);
    EXPECT_EQ(absent.color, 0u);

    folder.Config(u"[DISPLAY1]\r\nscreenround=1\r\nscreenroundsize=24\r\nscreenroundcolor=255\r\n"
                  u"[DISPLAY2]\r\nscreenround=0\r\nscreenroundsize=0\r\nscreenroundcolor=red\r\n"
                  u"[DISPLAY3]\r\nscreenround=1\r\nscreenroundsize=10000\r\nscreenroundcolor=0xFF00FF00\r\n"
                  u"[DISPLAY4]\r\nscreenroundsize=-5\r\nscreenroundcolor=12abc\r\n");
    const ScreenCornerSettings one = reader.Read(folder.store, L"\\\\.\\DISPLAY1");
    EXPECT_TRUE(one.on);
    EXPECT_EQ(one.radius, 24);
    EXPECT_EQ(one.color, 255u);
    const ScreenCornerSettings two = reader.Read(folder.store, L"DISPLAY2");
    EXPECT_FALSE(two.on);
    EXPECT_EQ(two.radius, kDefaultCornerRadius);
    EXPECT_EQ(two.color, 0u);
    const ScreenCornerSettings three = reader.Read(folder.store, L"\\\\.\\DISPLAY3");
    EXPECT_EQ(three.radius, kMaxCornerRadius);
    EXPECT_EQ(three.color, 0x00FF00u) << "opacity is always full: the top byte is dropped";
    const ScreenCornerSettings four = reader.Read(folder.store, L"\\\\.\\DISPLAY4");
    EXPECT_EQ(four.radius, 1);
    EXPECT_EQ(four.color, 0u);

    // Each replaced value is noted once however often it is read; good values never.
    for (int i = 0; i < 3; ++i) (void)reader.Read(folder.store, L"\\\\.\\DISPLAY2");
    (void)reader.Read(folder.store, L"\\\\.\\DISPLAY3");
    EXPECT_EQ(log.Count("screenroundcolor=red"), 1u) << log.Text();
    EXPECT_EQ(log.Count("screenroundsize=10000"), 1u) << log.Text();
    EXPECT_EQ(log.Count("screenroundsize=-5"), 1u) << log.Text();
    EXPECT_EQ(log.Count("DISPLAY1"), 0u) << log.Text();
}

TEST(ScreenCornerSettings, ColourTextIsANumberOrNothing) {
    EXPECT_EQ(ParseCornerColor(L"16777215"), 0xFFFFFFu);
    EXPECT_EQ(ParseCornerColor(L" 0x0000ff "), 0xFFu);
    EXPECT_EQ(ParseCornerColor(L"0"), 0u);
    for (const wchar_t* bad : {L"", L"0x", L"-1", L"1e3", L"ff", L"12 34", L"99999999999"})
        EXPECT_FALSE(ParseCornerColor(bad)) << std::wstring(bad).size();
}

TEST(ScreenCornerCaps, CapsSitInTheFourCornersAtTheMonitorsScale) {
    const MonitorBox m{-1280, 100, 0, 1124};
    EXPECT_EQ(CapSize(10, 96, m), 10);
    EXPECT_EQ(CapSize(10, 144, m), 15);
    EXPECT_EQ(CapSize(15, 120, m), 18) << "truncated toward zero";
    EXPECT_EQ(CapSize(200, 192, {0, 0, 640, 300}), 150) << "never past half the shorter side";
    EXPECT_EQ(CapSize(0, 96, m), 1);
    for (int size : {1, 10, 37}) {
        const auto boxes = CapBoxes(m, size);
        for (const CapBox& box : boxes) {
            EXPECT_EQ(box.size, size);
            EXPECT_GE(box.x, m.left);
            EXPECT_LE(box.x + size, m.right);
            EXPECT_GE(box.y, m.top);
            EXPECT_LE(box.y + size, m.bottom);
            // Each touches the two monitor edges its name says.
            const bool right = box.corner == CapCorner::TopRight || box.corner == CapCorner::BottomRight;
            const bool bottom = box.corner == CapCorner::BottomLeft || box.corner == CapCorner::BottomRight;
            EXPECT_EQ(right ? box.x + size : box.x, right ? m.right : m.left);
            EXPECT_EQ(bottom ? box.y + size : box.y, bottom ? m.bottom : m.top);
        }
    }
}

TEST(ScreenCornerCaps, CoverageHidesTheCornerAndShowsTheCircle) {
    for (int size : {1, 2, 10, 24, 63}) {
        for (CapCorner corner : {CapCorner::TopLeft, CapCorner::TopRight, CapCorner::BottomLeft, CapCorner::BottomRight}) {
            const auto cov = CapCoverage(corner, size);
            ASSERT_EQ(cov.size(), static_cast<std::size_t>(size * size));
            const bool right = corner == CapCorner::TopRight || corner == CapCorner::BottomRight;
            const bool bottom = corner == CapCorner::BottomLeft || corner == CapCorner::BottomRight;
            auto at = [&](int col, int row) { return cov[static_cast<std::size_t>(row * size + col)]; };
            // The screen's own corner pixel is hidden; the pixel towards the screen's middle shows.
            const int outerCol = right ? size - 1 : 0, outerRow = bottom ? size - 1 : 0;
            // (The outer pixel lies wholly outside the circle from a 4-pixel radius on.)
            if (size >= 4) {
                EXPECT_EQ(at(outerCol, outerRow), 255) << size;
            }
            if (size >= 2) {
                EXPECT_EQ(at(size - 1 - outerCol, size - 1 - outerRow), 0) << size;
            }
            // Coverage never falls moving out towards the corner, along either axis.
            for (int row = 0; row < size; ++row)
                for (int col = 0; col + 1 < size; ++col) {
                    const int inner = right ? at(col, row) : at(col + 1, row);
                    const int outer = right ? at(col + 1, row) : at(col, row);
                    EXPECT_LE(inner, outer);
                }
            // The covered area is the square less the quarter circle, within rounding.
            double total = 0;
            for (auto v : cov) total += v / 255.0;
            const double expected = size * size * (1 - std::acos(-1.0) / 4);
            EXPECT_NEAR(total, expected, 0.02 * size * size + 0.5) << size;
        }
    }
    // The four caps are mirror images of each other.
    const auto tl = CapCoverage(CapCorner::TopLeft, 9);
    const auto br = CapCoverage(CapCorner::BottomRight, 9);
    for (int i = 0; i < 81; ++i) EXPECT_EQ(tl[static_cast<std::size_t>(i)], br[static_cast<std::size_t>(80 - i)]);
}

TEST(ScreenCornerSwitch, OnAndOffTellTheCornerProcessAndTheMenuBar) {
    const CornerSwitchPlan off = PlanCornerSwitch(1, 2, false, true, 12);
    EXPECT_TRUE(off.valid && off.write);
    EXPECT_FALSE(off.ensureProcess);
    EXPECT_EQ(off.wParam, 1u);
    EXPECT_EQ(off.lParam, 1);
    EXPECT_EQ(off.menuBarInset, 0);
    const CornerSwitchPlan on = PlanCornerSwitch(0, 2, true, true, 12);
    EXPECT_TRUE(on.valid && on.ensureProcess);
    EXPECT_FALSE(on.write) << "an unchanged flag is not written again";
    EXPECT_EQ(on.wParam, 0u);
    EXPECT_EQ(on.menuBarInset, 12);
    EXPECT_FALSE(PlanCornerSwitch(2, 2, true, false, 12).valid);
    EXPECT_FALSE(PlanCornerSwitch(-1, 2, true, false, 12).valid);
    EXPECT_EQ(MonitorSection(L"\\\\.\\DISPLAY2"), L"DISPLAY2");
}

} // namespace
} // namespace kestrana::extras
