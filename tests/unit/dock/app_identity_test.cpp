// Identifying which application a window belongs to, over fakes of the window facts.
#include "dock/app_identity.h"
#include "fakes/fake_windows.h"
#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

namespace kestrana::dock {
namespace {

using fakes::FakeFacts;
using fakes::FakePause;
using fakes::FakeWebApps;
using fakes::FakeWindow;

struct World {
    fakes::SettingsFolder folder;
    FakeFacts facts;
    FakeWebApps webApps;
    FakePause pause;
    IdentifyPorts Ports() { return {facts, webApps, pause, folder.store}; }
    AppIdentity Identify(WindowId w, IdentifyOptions options = {}) { return IdentifyWindow(w, Ports(), options); }
};

TEST(IdentifyWindow, OneWindowOfEachKind) {
    World world;
    world.folder.Config(u"[unsave]\r\nvlc.exe=Player\r\n");
    auto& f = world.facts;
    f.images = {{1, L"C:\\Windows\\Notepad.exe"}, {2, L"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe"},
                {3, L"C:\\Program Files (x86)\\Microsoft\\Edge\\Application\\msedge.exe"},
                {4, L"C:\\Program Files\\WSA\\WsaClient.exe"}, {5, L"C:\\Program Files\\Mozilla Firefox\\firefox.exe"},
                {6, L"C:\\Program Files\\VLC\\vlc.exe"}};
    const std::wstring chromeDir = L"c:\\program files\\google\\chrome\\application\\";
    struct Case {
        FakeWindow window;
        std::wstring program, filePath, label;
        AppKind kind;
    };
    const Case cases[] = {
        {{L"Notepad", L"a.txt - Notepad", 1}, L"notepad.exe", L"c:\\windows\\notepad.exe", L"a.txt - Notepad", AppKind::Program},
        {{L"CabinetWClass", L"Documents", 9, L"Microsoft.Windows.Explorer"}, L"explorer.exe", L"c:\\windows\\explorer.exe", L"File Explorer", AppKind::Program},
        {{L"Progman", L"Program Manager", 9}, L"explorer.exe", L"c:\\windows\\explorer.exe", L"File Explorer", AppKind::Program},
        {{L"CabinetWClass", L"Control Panel", 9, L"Microsoft.Windows.ControlPanel"}, L"controlpanel", L"c:\\windows\\explorer.exe", L"Control Panel", AppKind::Program},
        {{L"Chrome_WidgetWin_1", L"Docs", 2, L"Chrome._crx_AbcDef.UserData.Default"}, L"chrome_proxy.exe", L"abcdef", L"Docs", AppKind::BrowserWebApp},
        {{L"Chrome_WidgetWin_1", L"Music", 2}, L"chrome_proxy.exe", L"cinhimbnkkaeohfgghhklpknlkffjgod", L"Music", AppKind::BrowserWebApp},
        {{L"Chrome_WidgetWin_1", L"Music - Google Chrome", 2}, L"chrome.exe", chromeDir + L"chrome.exe", L"Music - Google Chrome", AppKind::Program},
        {{L"Chrome_WidgetWin_1", L"Mail", 3}, L"pwahelper.exe", L"edgemailappid", L"Mail", AppKind::AppIdProgram},
        {{L"WsaWin", L"Settings", 4, L"WSA!com.android.settings"}, L"wsaclient.exe", L"wsa://com.android.settings", L"Settings", AppKind::Android},
        {{L"MozillaWindowClass", L"Notes", 5, L"filips.firefoxpwa.01ABC"}, L"firefoxpwa.exe", L"filips.firefoxpwa.01abc", L"Notes", AppKind::FirefoxWebApp},
        {{L"MozillaWindowClass", L"Home — Mozilla Firefox", 5, L"filips.firefoxpwa.01ABC"}, L"firefox.exe", L"filips.firefoxpwa.01abc", L"Home — Mozilla Firefox", AppKind::Program},
        {{L"Qt5QWindowIcon", L"clip.mp4", 6, L"{6D809377-6AF0-444B-8957-A3773F02200E}\\VLC\\vlc.exe"}, L"vlc.exe", L"c:\\program files\\vlc\\vlc.exe", L"Player", AppKind::Program},
    };
    std::uint64_t n = 100;
    for (const Case& c : cases) {
        const AppIdentity id = world.Identify(f.Add(++n, c.window));
        EXPECT_EQ(id.program, c.program) << c.window.title;
        EXPECT_EQ(id.filePath, c.filePath) << c.window.title;
        EXPECT_EQ(id.label, c.label) << c.window.title;
        EXPECT_EQ(id.kind, c.kind) << c.window.title;
    }
    EXPECT_EQ(world.Identify(f.Add(1, {L"TRAYICO", L"trayico", 1})).Empty(), true);
    EXPECT_TRUE(world.Identify(f.Add(2, {L"Windows.UI.Core.CoreWindow", L"Calculator", 1})).Empty());
    EXPECT_EQ(world.Identify(WindowId{102}, {.programOnly = true}).label, L"");
    EXPECT_EQ(world.Identify(WindowId{102}).imagePath, L"c:\\windows\\explorer.exe");
}

TEST(IdentifyWindow, HostedStoreApplicationWaitsForItsContentWindow) {
    World world;
    auto& f = world.facts;
    f.images = {{10, L"C:\\Windows\\System32\\ApplicationFrameHost.exe"}, {11, L"C:\\Program Files\\WindowsApps\\Calc.exe"}};
    f.packages[11] = L"Microsoft.WindowsCalculator_8wekyb3d8bbwe";
    const WindowId frame = f.Add(1, {L"ApplicationFrameWindow", L"Calculator", 10, L"Microsoft.WindowsCalculator_8wekyb3d8bbwe!App"});
    world.pause.onWait = [&](int wait) {
        if (wait == 3) f.Add(2, {L"Windows.UI.Core.CoreWindow", L"Calculator", 11, L"", true, frame});
    };
    AppIdentity id = world.Identify(frame);
    EXPECT_EQ(world.pause.waits, std::vector<int>(3, kFrameRetryMs));
    EXPECT_EQ(id.kind, AppKind::Packaged);
    EXPECT_EQ(id.filePath, L"microsoft.windowscalculator_8wekyb3d8bbwe!app");
    EXPECT_EQ(id.program, L"calc.exe");

    // Not followed, or never found: the frame stands for itself.
    EXPECT_EQ(world.Identify(frame, {.followFrame = false}).program, L"applicationframehost.exe");
    f.windows.erase(WindowId{2});
    world.pause.waits.clear();
    world.pause.onWait = nullptr;
    id = world.Identify(frame);
    EXPECT_EQ(world.pause.waits.size(), static_cast<std::size_t>(kFrameRetries));
    EXPECT_EQ(id.program, L"applicationframehost.exe");
}

TEST(IdentifyWindow, EachJavaProcessIsItsOwnApplication) {
    World world;
    auto& f = world.facts;
    f.images = {{77, L"C:\\Java\\bin\\javaw.exe"}, {78, L"C:\\Java\\bin\\javaw.exe"}};
    const WindowId mine = f.Add(1, {L"SunAwtFrame", L"IDE", 77});
    const WindowId other = f.Add(2, {L"SunAwtFrame", L"Tool", 78});
    // The hook module's id arrives a little after the window.
    world.pause.onWait = [&](int wait) {
        if (wait == 2) f.windows[mine].appId = L"Java*pid77";
        f.windows[other].appId = L"Java*pid77"; // copied from another process: not its own
    };
    EXPECT_EQ(world.Identify(mine).filePath, L"java*pid77");
    EXPECT_EQ(world.pause.waits.size(), 2u);
    EXPECT_EQ(world.Identify(other).filePath, L"c:\\java\\bin\\javaw.exe");
}

} // namespace
} // namespace kestrana::dock
