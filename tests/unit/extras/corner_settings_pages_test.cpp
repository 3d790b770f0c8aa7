#include "extras/corner_settings_pages.h"
#include "extras/hot_corners.h"
#include "extras/screen_corners.h"
#include "extras/stage_manager.h"
#include "extras/stage_settings_page.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

namespace kestrana::extras {
namespace {

using foundation::SettingsModel;
using foundation::WriteStatus;

const foundation::ControlDescriptor& ControlOf(const foundation::PageDescriptor& page, std::wstring_view id) {
    for (const auto& control : page.controls)
        if (control.id == id) return control;
    ADD_FAILURE() << "no control " << std::string(id.begin(), id.end());
    static const foundation::ControlDescriptor none;
    return none;
}

TEST(HotCornersPage, AFirstActionClearsTheOtherSlotsUnlessSeveralAreWanted) {
    fakes::SettingsFolder folder;
    folder.Config(u"[normal]\r\nbottomleft=2\r\nbottomleft2=5\r\nbottomleft3=7\r\nbottomright2=4\r\n");
    CornerSettingsReader reader;
    {
        // Second slots set in the file: the page starts with several actions allowed.
        const auto page = HotCornersSettingsPage(folder.store, true);
        SettingsModel model(folder.store);
        EXPECT_EQ(model.Read(ControlOf(page, L"hotcornersmore")), L"1");
        EXPECT_EQ(model.Write(ControlOf(page, L"bottomleft"), L"1").status, WriteStatus::Written);
        EXPECT_EQ(reader.Read(folder.store, Corner::BottomLeft),
                  (std::vector<CornerAction>{CornerAction::AllWindows, CornerAction::ShowDesktop, CornerAction::ScreenSaver}));
        // Turned off: the next first action stands alone.
        EXPECT_EQ(model.Write(ControlOf(page, L"hotcornersmore"), L"0").status, WriteStatus::Written);
        EXPECT_FALSE(model.Enabled(page, ControlOf(page, L"bottomleft2")));
        EXPECT_EQ(model.Write(ControlOf(page, L"bottomleft"), L"2").status, WriteStatus::Written);
        EXPECT_EQ(reader.Read(folder.store, Corner::BottomLeft), std::vector<CornerAction>{CornerAction::Launchpad});
        EXPECT_FALSE(folder.store.HasKey(L"normal", L"bottomleft2"));
        EXPECT_FALSE(folder.store.HasKey(L"normal", L"bottomleft3"));
        // The other corner keeps its slots.
        EXPECT_EQ(folder.store.ReadInt(L"normal", L"bottomright2"), 4);
    }
    {
        // Nothing beyond first slots: the page starts with one action a corner.
        folder.Config(u"[normal]\r\nbottomleft=99\r\n");
        const auto page = HotCornersSettingsPage(folder.store, false);
        SettingsModel model(folder.store);
        EXPECT_EQ(model.Read(ControlOf(page, L"hotcornersmore")), L"0");
        EXPECT_EQ(model.Read(ControlOf(page, L"bottomleft")), L"0") << "a value the table lacks shows as nothing";
        EXPECT_EQ(model.Write(ControlOf(page, L"bottomleft"), L"9").status, WriteStatus::Refused);
        // Widgets only where the system has them.
        const auto refused = model.Write(ControlOf(page, L"bottomright"), L"8");
        EXPECT_EQ(refused.status, WriteStatus::Refused);
        ASSERT_TRUE(refused.tip);
        EXPECT_FALSE(folder.store.HasKey(L"normal", L"bottomright"));
    }
}

TEST(HotCornersPage, TheThirdSlotWaitsForTheSecond) {
    fakes::SettingsFolder folder;
    const auto page = HotCornersSettingsPage(folder.store, true);
    SettingsModel model(folder.store);
    ASSERT_EQ(model.Write(ControlOf(page, L"hotcornersmore"), L"1").status, WriteStatus::Written);
    EXPECT_TRUE(model.Enabled(page, ControlOf(page, L"bottomright2")));
    EXPECT_FALSE(model.Enabled(page, ControlOf(page, L"bottomright3")));
    ASSERT_EQ(model.Write(ControlOf(page, L"bottomright2"), L"6").status, WriteStatus::Written);
    EXPECT_TRUE(model.Enabled(page, ControlOf(page, L"bottomright3")));
    EXPECT_FALSE(model.Enabled(page, ControlOf(page, L"bottomleft3")));
    ASSERT_EQ(model.Write(ControlOf(page, L"bottomright2"), L"0").status, WriteStatus::Written);
    EXPECT_FALSE(model.Enabled(page, ControlOf(page, L"bottomright3")));
}

TEST(ScreenCornersPage, WritesTheChosenMonitorsSectionAndRefusesUiAccessItCannotHave) {
    fakes::SettingsFolder folder;
    bool uiAccess = false;
    const auto page = ScreenCornersSettingsPage([] { return std::vector<foundation::Choice>{}; }, [&] { return uiAccess; });
    SettingsModel model(folder.store);
    model.SetMonitor(L"\\\\.\\DISPLAY2");
    EXPECT_EQ(model.Read(ControlOf(page, L"screenroundsize")), L"10");
    EXPECT_FALSE(model.Enabled(page, ControlOf(page, L"screenroundsize")));
    const auto on = model.Write(ControlOf(page, L"screenround"), L"1");
    EXPECT_EQ(on.status, WriteStatus::Written);
    EXPECT_EQ(on.effect, foundation::SettingEffect::ScreenCorners);
    EXPECT_TRUE(model.Enabled(page, ControlOf(page, L"screenroundsize")));
    EXPECT_EQ(model.Write(ControlOf(page, L"screenroundsize"), L"10000").status, WriteStatus::Clamped);
    EXPECT_EQ(model.Write(ControlOf(page, L"screenroundcolor"), L"red").status, WriteStatus::Refused);
    EXPECT_EQ(model.Write(ControlOf(page, L"screenroundcolor"), L"255").status, WriteStatus::Written);

    // The program reads back what the page wrote, for that monitor only.
    ScreenCornerReader reader;
    const ScreenCornerSettings two = reader.Read(folder.store, L"\\\\.\\DISPLAY2");
    EXPECT_TRUE(two.on);
    EXPECT_EQ(two.radius, kMaxCornerRadius);
    EXPECT_EQ(two.color, 255u);
    EXPECT_FALSE(reader.Read(folder.store, L"\\\\.\\DISPLAY1").on);

    const auto refused = model.Write(ControlOf(page, L"screenroundUiAccess"), L"1");
    EXPECT_EQ(refused.status, WriteStatus::Refused);
    ASSERT_TRUE(refused.tip);
    EXPECT_FALSE(folder.store.ReadBool(L"normal", L"screenroundUiAccess"));
    uiAccess = true;
    EXPECT_EQ(model.Write(ControlOf(page, L"screenroundUiAccess"), L"1").status, WriteStatus::Written);
    EXPECT_EQ(model.Write(ControlOf(page, L"screenroundUiAccess"), L"0").status, WriteStatus::Written);
}

TEST(StageManagerPage, WritesTheChosenMonitorsSectionWhichTheStripReads) {
    fakes::SettingsFolder folder;
    const auto page = StageManagerSettingsPage([] { return std::vector<foundation::Choice>{}; });
    SettingsModel model(folder.store);
    model.SetMonitor(L"\\\\.\\DISPLAY2");
    EXPECT_FALSE(model.Enabled(page, ControlOf(page, L"stagemanager_windowssize")));
    const auto on = model.Write(ControlOf(page, L"stagemanager_enable"), L"1");
    EXPECT_EQ(on.status, WriteStatus::Written);
    EXPECT_EQ(on.effect, foundation::SettingEffect::StageManager);
    EXPECT_TRUE(model.Enabled(page, ControlOf(page, L"stagemanager_windowssize")));
    EXPECT_EQ(model.Write(ControlOf(page, L"stagemanager_windowssize"), L"20").status, WriteStatus::Clamped);
    EXPECT_EQ(model.Write(ControlOf(page, L"stagemanager_windowssize"), L"0").status, WriteStatus::Written); // automatic
    EXPECT_EQ(model.Write(ControlOf(page, L"stagemanager_count"), L"99").status, WriteStatus::Clamped);
    EXPECT_EQ(model.Write(ControlOf(page, L"stagemanager_listshowmode"), L"7").status, WriteStatus::Refused);
    EXPECT_EQ(model.Write(ControlOf(page, L"stagemanager_listshowmode"), L"2").status, WriteStatus::Written);
    EXPECT_EQ(model.Write(ControlOf(page, L"stagemanager_listright"), L"1").status, WriteStatus::Written);
    EXPECT_EQ(model.Write(ControlOf(page, L"stagemanager_showwindowtitle"), L"1").status, WriteStatus::Written);

    const StageSettings two = ReadStageSettings(folder.store, L"DISPLAY2");
    EXPECT_TRUE(two.enabled);
    EXPECT_TRUE(two.listRight);
    EXPECT_EQ(two.showMode, 2);
    EXPECT_EQ(two.count, 20);
    EXPECT_EQ(two.windowsSize, 0);
    EXPECT_FALSE(ReadStageSettings(folder.store, L"DISPLAY1").enabled);
    EXPECT_EQ(folder.store.ReadInt(L"stagemanager", L"stagemanager_showwindowtitle"), 1);
}

} // namespace
} // namespace kestrana::extras
