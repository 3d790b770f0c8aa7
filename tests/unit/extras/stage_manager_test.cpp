// The stage manager's strip: its settings, slot geometry on both sides, and which windows
// the column shows in which order.
#include "extras/stage_manager.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

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
