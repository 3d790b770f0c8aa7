// The stage manager's strip: its settings, slot geometry on both sides, and which windows
// the column shows in which order.
#include "extras/stage_manager.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrana::extras {
namespace {

class StageSettingsFile : public ::testing::Test, protected fakes::SettingsFolder {};

TEST_F(StageSettingsFile, ReadsTheMonitorsOwnSectionAndFoldsBadShowModes) {
    Config(u"[DISPLAY2]\r\nstagemanager_enable=1\r\nstagemanager_listright=1\r\nstagemanager_listshowmode=7\r\n"
           u"stagemanager_space=12.5\r\nstagemanager_windowssize=90\r\nstagemanager_count=3\r\n"
           u"[DISPLAY1]\r\nstagemanager_listshowmode=2\r\nstagemanager_listborder=1\r\n"
           u"[stagemanagerblacklist]\r\nNotepad.exe=1\r\ncalc.exe=0\r\nmspaint.exe=1\r\n");
    const StageSettings two = ReadStageSettings(store, L"DISPLAY2");
    EXPECT_TRUE(two.enabled);
    EXPECT_TRUE(two.listRight);
    EXPECT_EQ(two.showMode, 0); // 7 is no mode
    EXPECT_FLOAT_EQ(two.space, 12.5f);
    EXPECT_EQ(two.windowsSize, 90);
    EXPECT_EQ(two.count, 3);
    const StageSettings one = ReadStageSettings(store, L"DISPLAY1");
    EXPECT_FALSE(one.enabled);
    EXPECT_EQ(one.showMode, 2);
    EXPECT_TRUE(one.border);
    for (int v : {-1, 3, 7}) EXPECT_EQ(StageShowModeFromSetting(v), 0);
    const auto blacklist = ReadStageBlacklist(store);
    EXPECT_EQ(blacklist, (std::unordered_set<std::wstring>{L"notepad.exe", L"mspaint.exe"}));
}

TEST(StageStrip, NoKeysOnA1080WorkAreaGivesFiveSlotsOf135) {
    const StripLayout l = LayOutStrip({}, {{0, 0, 1920, 1080}, 1.0f, 0, 0});
    EXPECT_EQ(l.space, 40);
    EXPECT_EQ(l.size, 135);
    EXPECT_EQ(l.visibleSlots, 5); // (1080 + 120) / 175 = 6, at most 5
    EXPECT_EQ(l.inset, 45);
    EXPECT_EQ(l.edgeOffset, 10);
    EXPECT_EQ(l.columnWidth, 270);
    EXPECT_EQ(l.columnHeight, 5 * 135 + 4 * 40);
    EXPECT_EQ(l.window, (ScreenRect{0, 0, 270, 1080}));
    EXPECT_FLOAT_EQ(l.rotationDegrees, 70.0f);
}

TEST(StageStrip, SlotsFitTheRoomLeftByDockAndMenuBarOnEitherSide) {
    struct Case {
        StageSettings settings;
        StageScreen screen;
    };
    StageSettings right;
    right.listRight = true;
    StageSettings many;
    many.count = 50;
    many.windowsSize = 80;
    many.space = 10;
    StageSettings ten;
    ten.count = 10;
    const Case cases[] = {
        {{}, {{0, 0, 1920, 1080}, 1.0f, 80, 28}},
        {ten, {{0, 0, 1920, 1080}, 1.0f, 80, 28}}, // the column may reach into the spaces' room
        {right, {{1920, 0, 4480, 1400}, 1.5f, 0, 36}},
        {many, {{0, 0, 1366, 728}, 1.25f, 70, 0}},
        {many, {{0, 0, 800, 100}, 1.0f, 90, 30}}, // no room at all
    };
    for (const Case& c : cases) {
        const StripLayout l = LayOutStrip(c.settings, c.screen);
        const int h = c.screen.workArea.Height();
        const int room = h - c.screen.dockReserved - c.screen.menuBarHeight + 3 * l.space;
        const int pitch = l.size + l.space;
        SCOPED_TRACE(h);
        EXPECT_EQ(l.space, static_cast<int>((c.settings.space > 0 ? c.settings.space : 40) * c.screen.scale));
        EXPECT_LE(l.visibleSlots, l.count);
        EXPECT_GE(l.visibleSlots, 0);
        EXPECT_LE(l.visibleSlots * pitch, std::max(room, 0));
        if (l.visibleSlots < l.count) {
            EXPECT_GT((l.visibleSlots + 1) * pitch, room);
        }
        EXPECT_EQ(l.window.top, c.screen.workArea.top);
        EXPECT_EQ(l.window.bottom, c.screen.workArea.bottom);
        if (l.right) {
            EXPECT_EQ(l.window.right, c.screen.workArea.right);
            EXPECT_EQ(l.window.Width(), 2 * (h / 6));
            EXPECT_LT(l.edgeOffset, 0);
            EXPECT_FLOAT_EQ(l.rotationDegrees, -27.5f);
        } else {
            EXPECT_EQ(l.window.left, c.screen.workArea.left);
            EXPECT_EQ(l.window.Width(), 2 * l.size);
        }
        // Slots top to bottom, apart by the space, each inside the strip window.
        for (int i = 0; i < l.visibleSlots; ++i) {
            const ScreenRect s = l.Slot(i);
            EXPECT_EQ(s.Height(), l.size);
            EXPECT_GE(s.top, 0);
            EXPECT_LE(s.bottom, l.window.Height());
            if (i > 0) {
                EXPECT_EQ(s.top - l.Slot(i - 1).bottom, l.space);
            }
        }
        EXPECT_TRUE(l.Slot(l.visibleSlots).Empty());
        EXPECT_TRUE(l.Slot(-1).Empty());
    }
}

TEST(StagePictures, APictureKeepsItsWindowsShapeInsideTheSlotLessTheInset) {
    const ScreenRect slot{10, 100, 280, 235}; // 270 x 135, inset 45: room 180 x 135
    struct Case {
        int width, height;
        ScreenRect expected;
    };
    const Case cases[] = {
        {1600, 900, {55, 117, 235, 218}},  // wide: the room's width decides, centred up and down
        {600, 1000, {104, 100, 185, 235}}, // tall: the height decides, centred across
        {180, 135, {55, 100, 235, 235}},   // the room's own shape fills it
        {0, 500, {55, 100, 235, 235}},     // no size: the whole room
        {20000, 1, {55, 167, 235, 168}},   // never thinner than a pixel
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        EXPECT_EQ(PictureInSlot(slot, 45, c.width, c.height), c.expected);
    }
}

TEST(StagePictures, TurningNarrowsThePictureAndTheSideTowardsTheViewerGrows) {
    const ScreenRect picture{55, 100, 235, 235};
    const float axisX = 145, axisY = 500;
    // Not turned and without perspective: the picture as it was.
    const TiltedPicture flat = TiltPicture(picture, axisX, axisY, 0, 0);
    EXPECT_FLOAT_EQ(flat.left, 55);
    EXPECT_FLOAT_EQ(flat.right, 235);
    EXPECT_FLOAT_EQ(flat.rightTop, 100);
    EXPECT_EQ(flat.Bounds(), picture);
    for (float degrees : {70.0f, -27.5f}) {
        SCOPED_TRACE(degrees);
        const TiltedPicture t = TiltPicture(picture, axisX, axisY, degrees, -1.0f / 1920);
        const float plainWidth = 180 * std::cos(degrees * 3.14159265f / 180);
        EXPECT_NEAR(t.right - t.left, plainWidth, plainWidth * 0.1f);
        EXPECT_LT(t.left, axisX);
        EXPECT_GT(t.right, axisX);
        // The edge turned towards the viewer is the taller one, both centred on the axis's height.
        const float leftHeight = t.leftBottom - t.leftTop, rightHeight = t.rightBottom - t.rightTop;
        if (degrees > 0) EXPECT_GT(rightHeight, leftHeight);
        else EXPECT_GT(leftHeight, rightHeight);
        EXPECT_TRUE(t.Contains((t.left + t.right) / 2, (t.leftTop + t.leftBottom) / 2));
        EXPECT_FALSE(t.Contains(t.right + 1, (t.rightTop + t.rightBottom) / 2));
        const ScreenRect box = t.Bounds();
        EXPECT_LE(box.left, t.left);
        EXPECT_GE(box.right, t.right);
        EXPECT_LE(box.top, std::min(t.leftTop, t.rightTop));
    }
}

TEST(StagePictures, DrawingFillsTheTurnedShapeFromThePictureAndNothingElse) {
    gfx::Bitmap picture(4, 2);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 2; ++y) picture.Set(x, y, 0xFF000000u | static_cast<gfx::Pixel>(x * 16 + y)); // column, row
    gfx::Bitmap target(20, 20);
    TiltedPicture shape;
    shape.left = 2, shape.right = 10;
    shape.leftTop = 6, shape.leftBottom = 10; // 4 high on the left
    shape.rightTop = 4, shape.rightBottom = 12; // 8 high on the right
    DrawTilted(target, picture, shape);
    for (int x = 0; x < 20; ++x)
        for (int y = 0; y < 20; ++y) {
            const bool inside = shape.Contains(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
            const gfx::Pixel p = target.At(x, y);
            if (!inside) {
                EXPECT_EQ(p, 0u) << x << "," << y;
                continue;
            }
            // Left to right through the picture's columns, top to bottom through its rows.
            EXPECT_EQ((p & 0xFFu) / 16, static_cast<gfx::Pixel>((x - 2) / 2)) << x << "," << y;
        }
    EXPECT_EQ(target.At(3, 6) & 0xFu, 0u);  // top half of the left edge: the first row
    EXPECT_EQ(target.At(3, 9) & 0xFu, 1u);  // bottom half: the second
    EXPECT_EQ(target.At(9, 11) & 0xFu, 1u); // the taller right edge reaches lower
    gfx::Bitmap empty;
    DrawTilted(target, empty, shape); // nothing to draw: no change, no fault
}

TEST(StageStrip, ShowModesAndKeyboardSteps) {
    for (int mode : {0, 7, -1})
        for (bool pointer : {false, true})
            for (bool covered : {false, true}) EXPECT_TRUE(StripShown(mode, pointer, covered));
    EXPECT_FALSE(StripShown(1, false, false));
    EXPECT_TRUE(StripShown(1, true, true));
    EXPECT_TRUE(StripShown(2, false, false));
    EXPECT_FALSE(StripShown(2, false, true));
    EXPECT_TRUE(StripShown(2, true, true)); // reached for, it shows over the stage

    struct Step {
        int current, key, slots, expected;
    };
    const Step steps[] = {{-1, +1, 4, 0}, {-1, -1, 4, 3}, {0, +1, 4, 1}, {3, +1, 4, 3}, {0, -1, 4, 0},
                          {2, -1, 4, 1},  {9, +1, 4, 0},  {1, +1, 0, -1}, {-1, -1, 1, 0}};
    for (const Step& s : steps) EXPECT_EQ(StepSlot(s.current, s.key, s.slots), s.expected) << s.current << " " << s.key;
}

StageCandidate W(std::uint64_t id, std::wstring cls = L"Notepad", std::wstring title = L"t", std::wstring app = L"notepad.exe") {
    return {static_cast<WindowId>(id), std::move(cls), std::move(title), std::move(app)};
}

TEST(StageWindows, ColumnShowsTheOthersMostRecentFirstWithoutExcludedOrListed) {
    const std::vector<StageCandidate> recent{
        W(1),                                              // the active one
        W(2, L"HwndWrapper[Listary.exe;;abc]"),            // a launcher
        W(3, L"Afx", L"plan.DWG - editor", L"cad.exe"),    // a drawing
        W(4, L"MSPaintApp", L"x", L"MSPaint.exe"),         // listed
        W(5, L"CabinetWClass", L"Docs", L"explorer.exe"),
        W(6, L"Credential Dialog Xaml Host"),
        W(7),
        W(8),
        W(5), // reported twice
        W(9),
    };
    const std::unordered_set<std::wstring> listed{L"mspaint.exe"};
    EXPECT_EQ(ChooseStripWindows(recent, WindowId{1}, listed, 5),
              (std::vector{WindowId{5}, WindowId{7}, WindowId{8}, WindowId{9}}));
    EXPECT_EQ(ChooseStripWindows(recent, WindowId{1}, listed, 2), (std::vector{WindowId{5}, WindowId{7}}));
    EXPECT_TRUE(ChooseStripWindows(recent, WindowId{1}, listed, 0).empty());
}

TEST(StageWindows, ChoosingASlotSwapsItWithTheWindowInFront) {
    StageOrder order;
    for (std::uint64_t id : {3u, 2u, 1u}) order.Activated(WindowId{id}); // 1 in front, then 2, 3
    std::vector<StageCandidate> recent;
    auto column = [&] {
        recent.clear();
        for (WindowId id : order.RecentFirst()) recent.push_back(W(static_cast<std::uint64_t>(id)));
        return ChooseStripWindows(recent, order.Front(), {}, 5);
    };
    EXPECT_EQ(column(), (std::vector{WindowId{2}, WindowId{3}}));
    order.Activated(WindowId{3}); // chosen from the column
    EXPECT_EQ(order.Front(), WindowId{3});
    EXPECT_EQ(column(), (std::vector{WindowId{1}, WindowId{2}})); // the previous front on top
    order.Gone(WindowId{1});
    EXPECT_EQ(column(), std::vector{WindowId{2}});
    order.Activated(WindowId::None);
    EXPECT_EQ(order.Front(), WindowId{3});
}

} // namespace
} // namespace kestrana::extras
