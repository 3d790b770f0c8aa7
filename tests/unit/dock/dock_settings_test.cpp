// The dock's settings: each key's limits, and reading them from config.ini.
#include "dock/dock_settings.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrana::dock {
namespace {

TEST(DockSettingsLimits, OutOfRangeValuesFallBack) {
    for (int v : {0, 5, -1, 99}) EXPECT_EQ(ScreenPositionFromSetting(v), Edge::Bottom) << v;
    EXPECT_EQ(ScreenPositionFromSetting(1), Edge::Left);
    EXPECT_EQ(ScreenPositionFromSetting(4), Edge::Top);
    for (int v : {0, 10, -3}) EXPECT_EQ(DisplayModeFromSetting(v), DisplayMode::Normal) << v;
    EXPECT_EQ(IconEffectFromSetting(6), IconEffect::Scale);
    EXPECT_EQ(IconEffectFromSetting(0), IconEffect::None);
    EXPECT_EQ(ShowHideTypeFromSetting(3), 0);
    EXPECT_FALSE(ShowModeWindowsFromSetting(2));
    EXPECT_EQ(ShowActBarFromSetting(3), 0);
    // The bar may sink rnd(5 x scale + 0.5) into the edge: 6 at 1.0, 8 at 1.5.
    EXPECT_EQ(EdgeDistanceFromSetting(-50, 1.0f), -6);
    EXPECT_EQ(EdgeDistanceFromSetting(-50, 1.5f), -8);
    EXPECT_EQ(EdgeDistanceFromSetting(500, 1.0f), 200);

    // The monitor's own value first, then the general one, then 64 at the scale.
    EXPECT_EQ(DefaultSizeFrom(80, 48, 1.0f), 80);
    EXPECT_EQ(DefaultSizeFrom(0, 48, 1.0f), 48);
    EXPECT_EQ(DefaultSizeFrom(0, 0, 1.5f), 96);
    EXPECT_EQ(DefaultSizeFrom(0, 0, 1.25f), 80);
    EXPECT_EQ(DefaultSizeFrom(20, 0, 1.0f), 25);
    EXPECT_EQ(DefaultSizeFrom(300, 0, 1.0f), 256);
    EXPECT_EQ(MaxSizeFrom(0, 0, 2.5f), 256);
    EXPECT_EQ(MaxSizeFrom(0, 150, 1.0f), 150);

    EXPECT_FLOAT_EQ(HoverLightFactor(IconEffect::Light, 40, false), 0.4f);
    EXPECT_FLOAT_EQ(HoverLightFactor(IconEffect::ScaleAndLight, 40, true), 0);
    EXPECT_FLOAT_EQ(HoverLightFactor(IconEffect::SelectAndLight, 40, false), 0);
}

class DockSettingsFile : public ::testing::Test, protected fakes::SettingsFolder {};

TEST_F(DockSettingsFile, MonitorSectionComesFirst) {
    Config(u"[normal]\r\ndefaultsize=48\r\nmaxsize=100\r\nscreenposition=3\r\ndisplaymode=4\r\n"
           u"iconspace=30\r\nedgedistance=-40\r\nshowmodewindows=1\r\nmouseactsleep=5\r\nshowactbar=1\r\n"
           u"dockicoeffect=4\r\ndockicoeffect_bglight=70\r\ndockicoeffect_icolight=0\r\n"
           u"actbaroffset=20\r\nactbarheight=6\r\nactbarwidth=300\r\nrunicontag=1\r\nscreens=\\\\.\\DISPLAY2\r\n"
           u"[DISPLAY2]\r\ndefaultsize=72\r\n[themes]\r\nenable_dock=1\r\n");
    const std::string before = ConfigText();
    const DockSettings s = ReadDockSettings(store, L"\\\\.\\DISPLAY2", 1.0f);
    EXPECT_EQ(s.defaultSize, 72);
    EXPECT_EQ(s.maxSize, 100);
    EXPECT_EQ(s.screenPosition, Edge::Right);
    EXPECT_EQ(s.displayMode, DisplayMode::Smart);
    EXPECT_EQ(s.iconSpace, 20);
    EXPECT_EQ(s.edgeDistance, -6);
    EXPECT_TRUE(s.showModeWindows);
    EXPECT_EQ(s.mouseActSleep, 5);
    EXPECT_EQ(s.showActBar, 1);
    EXPECT_EQ(s.iconEffect, IconEffect::ScaleAndLight);
    EXPECT_EQ(s.backgroundLight, 70);
    EXPECT_EQ(s.iconLight, 0); // an explicit 0 is kept
    EXPECT_EQ(s.actBar.offset, 20);
    EXPECT_EQ(s.actBar.height, 6);
    EXPECT_EQ(s.actBar.width, 300);
    EXPECT_TRUE(s.runIconTag);
    EXPECT_TRUE(s.enableDock);
    EXPECT_EQ(s.screens, L"\\\\.\\DISPLAY2");
    // Nothing was missing, so nothing was written.
    EXPECT_EQ(ConfigText(), before);

    // Another monitor falls back to the general value.
    EXPECT_EQ(ReadDockSettings(store, L"\\\\.\\DISPLAY1", 1.0f).defaultSize, 48);
}

TEST_F(DockSettingsFile, MissingKeysTakeDefaultsAndOldFilesAreCompleted) {
    Config(u"[normal]\r\ndockicoeffect=3\r\n");
    const DockSettings s = ReadDockSettings(store, L"\\\\.\\DISPLAY1", 1.5f);
    EXPECT_FALSE(store.HasKey(L"normal", L"actbaroffset")) << "reading never writes";
    CompleteDockSettings(store);
    EXPECT_EQ(s.defaultSize, 96); // floor(64 x 1.5)
    EXPECT_EQ(s.maxSize, 192);
    EXPECT_EQ(s.screenPosition, Edge::Bottom);
    EXPECT_EQ(s.displayMode, DisplayMode::Normal);
    // No light strengths yet: the effect starts over at magnification, written back.
    EXPECT_EQ(s.iconEffect, IconEffect::Scale);
    EXPECT_EQ(store.ReadInt(L"normal", L"dockicoeffect"), 1);
    EXPECT_EQ(store.ReadInt(L"normal", L"dockicoeffect_bglight"), 50);
    EXPECT_EQ(s.backgroundLight, 50);
    EXPECT_EQ(s.actBar.offset, 12);
    EXPECT_EQ(store.ReadInt(L"normal", L"actbaroffset"), 12);
    EXPECT_EQ(store.ReadInt(L"normal", L"actbarheight"), 12);
    EXPECT_EQ(store.ReadInt(L"normal", L"actbarwidth"), 400);

    // A later change of the effect survives the next read.
    store.WriteInt(L"normal", L"dockicoeffect", 5);
    EXPECT_EQ(ReadDockSettings(store, L"\\\\.\\DISPLAY1", 1.5f).iconEffect, IconEffect::SelectAndLight);

    EXPECT_TRUE(WriteMaxSize(store, L"\\\\.\\DISPLAY1", 140));
    EXPECT_EQ(store.ReadInt(L"normal", L"maxsize"), 140);
    EXPECT_EQ(store.ReadInt(L"DISPLAY1", L"maxsize"), 140);
}

TEST_F(DockSettingsFile, TheDarkFlagFollowsTheSystemOnlyWhenAskedTo) {
    Config(u"[normal]\r\ndarkmode=0\r\n");
    EXPECT_FALSE(FollowSystemDark(store, true)) << "\"darkmodesystem\" is off";
    EXPECT_FALSE(store.ReadBool(L"normal", L"darkmode"));

    store.WriteBool(L"normal", L"darkmodesystem", true);
    const std::string light = ConfigText();
    EXPECT_FALSE(FollowSystemDark(store, false)) << "already light: nothing to write or rebuild";
    EXPECT_EQ(ConfigText(), light);
    EXPECT_TRUE(FollowSystemDark(store, true));
    EXPECT_TRUE(store.ReadBool(L"normal", L"darkmode"));
    EXPECT_FALSE(FollowSystemDark(store, true));
    EXPECT_TRUE(FollowSystemDark(store, false));
    EXPECT_FALSE(store.ReadBool(L"normal", L"darkmode"));

    // A file without the flag reads as light: a light system changes nothing.
    Config(u"[normal]\r\ndarkmodesystem=1\r\n");
    EXPECT_FALSE(FollowSystemDark(store, false));
    EXPECT_FALSE(store.HasKey(L"normal", L"darkmode"));
}

} // namespace
} // namespace kestrana::dock
