#include "item_list_support.h"

#include <gtest/gtest.h>

namespace kestrana::dock {
namespace {

using namespace testing;

// The item a record with these values becomes.
std::unique_ptr<Dockico> Built(ItemWorld& world, int uwp, const std::wstring& appname, const std::wstring& filepath,
                               const std::wstring& realpath) {
    ItemRecord record;
    record.uwp = uwp;
    record.appname = appname;
    record.filepath = filepath;
    record.realpath = realpath;
    bool upgraded = false;
    return BuildItem(record, world.shell, world.files, kBase, upgraded);
}

struct IdentityCase {
    int uwp;
    std::wstring appname, filepath, realpath;
    std::wstring key, filepathAfter;
};

TEST(ItemIdentity, KeyFollowsTheAppKind) {
    ItemWorld world;
    world.files.AddDirectory(L"C:\\Data\\My.Docs");
    world.files.AddFile(kBase + L"png\\folder-photos.png", "png");
    const std::vector<IdentityCase> cases = {
        {0, L"Notepad.EXE", L"C:\\Windows\\notepad.exe", L"", L"notepad", L"c:\\windows\\notepad.exe"},
        {1, L"my.tool.app.exe", L"c:\\t\\x.exe", L"", L"my.tool.app", L"c:\\t\\x.exe"},
        {0, L"My.Docs", L"", L"c:\\data\\my.docs", L"my.docs", L"c:\\data\\my.docs"},
        {0, L"photos", L"c:\\p", L"c:\\p", L"folder-photos", L"c:\\p"},
        {0, L"launchpad|", L"", L"", L"launchpad|", L""},
        {2, L"chrome.exe", L"c:\\c\\chrome.exe", L"c:\\c\\chrome.exe --app-id=\"abcdef\" --x", L"abcdef", L"c:\\c\\chrome.exe"},
        {2, L"chrome.exe", L"c:\\c\\chrome.exe", L"c:\\c\\chrome.exe --no-id", L"chrome", L"c:\\c\\chrome.exe"},
        {3, L"wsaclient.exe", L"wsa:\\com.android.settings", L"", L"com.android.settings", L"wsa://com.android.settings"},
        {4, L"msedge_proxy.exe", L"c:\\e\\msedge_proxy.exe", L"c:\\e\\msedge_proxy.exe --profile=1 --app-id=web42", L"web42", L"web42"},
        {5, L"firefoxpwa.exe", L"filips.firefoxpwa.01HQZ", L"", L"01hqz", L"filips.firefoxpwa.01hqz"},
        {0, L"steam.exe", L"", L"steam://rungameid/570", L"steamid_570", L""},
        {1, L"game.exe", L"", L"steamchina://rungameid/1091500/x", L"steamid_1091500", L""},
        {0, L"steam.exe", L"", L"steam://rungameid/", L"steam", L""},
        {9, L"odd.exe", L"", L"", L"odd", L""}, // an unknown kind is a program
    };
    for (const auto& c : cases) {
        const auto item = Built(world, c.uwp, c.appname, c.filepath, c.realpath);
        EXPECT_EQ(item->key, c.key) << c.appname << " " << c.uwp;
        EXPECT_EQ(item->filepath, c.filepathAfter) << c.appname << " " << c.uwp;
    }
}

TEST(ItemIdentity, VirtualPathKeepsOnlyWhatTheShellNeeds) {
    ItemWorld world;
    const std::wstring programs = L"{905E63B6-C1BF-494E-B29C-65B732D3D21A}";
    world.shell.knownFolders[programs] = L"C:\\Program Files";
    world.files.AddFile(L"C:\\Program Files\\Tool\\tool.exe", "exe");
    world.files.AddFile(L"C:\\bin\\app.exe", "exe");
    world.shell.unparsable.insert(L"shell:appsfolder\\gone.app_1!app");
    struct Case {
        std::wstring value, kept;
    };
    for (const auto& c : std::vector<Case>{
             {L"A1b2C3d4E5f6G7h8", L""},                           // a bare 16-character id
             {L"A1b2C3d4E5f6G7h", L"A1b2C3d4E5f6G7h"},             // 15 characters
             {L"A1b2C3d4E5f6G7h.", L"A1b2C3d4E5f6G7h."},           // not only letters and digits
             {L"Microsoft.Windows.Explorer", L"Microsoft.Windows.Explorer"},
             {L"gone.app_1!App", L""},                             // the shell does not know it
             {L"C:\\bin\\app.exe", L""},                           // an existing file
             {programs + L"\\Tool\\tool.exe", L""},                // leads to an existing file
             {programs + L"\\Tool\\missing.exe", programs + L"\\Tool\\missing.exe"},
             {L"{00000000-0000-0000-0000-000000000000}\\x.exe", L"{00000000-0000-0000-0000-000000000000}\\x.exe"},
             {L"", L""},
         }) {
        EXPECT_EQ(CleanVirtualPath(c.value, world.shell, world.files), c.kept) << c.value;
    }
}

TEST(ItemIdentity, PathsAreExpandedMadeLongAndFoldersShareOnePath) {
    ItemWorld world;
    world.shell.SetVariable(L"WinDir", L"C:\\WINDOWS");
    world.shell.SetVariable(L"A", L"%B%");
    world.shell.SetVariable(L"B", L"%A%");
    world.shell.SetVariable(L"Big", std::wstring(20000, L'x'));
    EXPECT_EQ(ExpandEnvironment(L"%windir%\\notepad.exe", world.shell), L"C:\\WINDOWS\\notepad.exe");
    EXPECT_EQ(ExpandEnvironment(L"%A%|%B%", world.shell), L"%B%|%A%"); // expanded once, never again
    EXPECT_EQ(ExpandEnvironment(L"%nope%\\100%%windir%", world.shell), L"%nope%\\100%C:\\WINDOWS");
    EXPECT_EQ(ExpandEnvironment(L"%Big%", world.shell).size(), 20000u);
    EXPECT_EQ(ExpandEnvironment(L"%Big%%Big%", world.shell), L"%Big%%Big%"); // beyond the system's limit

    world.shell.longNames[L"c:\\progra~1\\tool\\tool.exe"] = L"C:\\Program Files\\Tool\\Tool.exe";
    world.files.AddDirectory(L"C:\\Users\\Me\\Music");
    // Paths on a share are taken as written: the load never waits for a server.
    world.shell.longNames[L"\\\\server\\progra~1\\x.exe"] = L"\\\\server\\Program Files\\x.exe";
    world.files.AddDirectory(L"\\\\server\\music");
    world.files.AddDirectory(L"\\\\?\\UNC\\server\\music");
    EXPECT_FALSE(ItemShell::IsSharePath(L"\\\\?\\C:\\Users") || ItemShell::IsSharePath(L"\\\\.\\COM1") ||
                 ItemShell::IsSharePath(L"\\Users"));
    struct Case {
        std::wstring filepath, realpath, filepathAfter, realpathAfter;
    };
    for (const auto& c : std::vector<Case>{
             {L"%WINDIR%\\Notepad.exe", L"", L"c:\\windows\\notepad.exe", L""},
             {L"C:\\PROGRA~1\\Tool\\tool.exe", L"c:\\other~1\\x.exe", L"c:\\program files\\tool\\tool.exe", L"c:\\other~1\\x.exe"},
             {L"c:\\users\\me\\music", L"c:\\users\\me\\music\\song.mp3", L"c:\\users\\me\\music", L"c:\\users\\me\\music"},
             {L"c:\\x\\link.lnk", L"C:\\Users\\Me\\Music", L"c:\\users\\me\\music", L"c:\\users\\me\\music"},
             {L"\\\\server\\progra~1\\x.exe", L"", L"\\\\server\\progra~1\\x.exe", L""},
             {L"c:\\x\\link.lnk", L"//server/music", L"c:\\x\\link.lnk", L"//server/music"},
             {L"\\\\?\\UNC\\server\\music", L"c:\\y.exe", L"\\\\?\\unc\\server\\music", L"c:\\y.exe"},
         }) {
        const auto item = Built(world, 0, L"x", c.filepath, c.realpath);
        EXPECT_EQ(item->filepath, c.filepathAfter) << c.filepath;
        EXPECT_EQ(item->realpath, c.realpathAfter) << c.filepath;
    }
}

} // namespace
} // namespace kestrana::dock
