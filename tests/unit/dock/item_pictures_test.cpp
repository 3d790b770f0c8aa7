#include "dock/item_list_manager.h"
#include "dock/item_pictures.h"

#include "gfx/png_codec.h"
#include "item_list_support.h"
#include "themes/theme_choices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <mutex>
#include <set>
#include <thread>
#include <tuple>

namespace kestrana::dock {
namespace {

using namespace testing;
using foundation::RegistryRoot;

// Pictures tell where they came from by their size: every source gets its own.
std::vector<std::uint8_t> Png(int width, int height = 0) {
    gfx::Bitmap bitmap(width, height ? height : width);
    bitmap.Fill(gfx::MakePixel(10, 20, 30, 255));
    return gfx::EncodePng(bitmap);
}

class FakeIcons final : public IconSource {
public:
    std::map<std::wstring, int> fileIcons; // lower-case path -> size
    mutable std::vector<std::wstring> asked;
    std::optional<gfx::Bitmap> FileIcon(const std::wstring& path) const override {
        asked.push_back(L"file:" + path);
        const auto it = fileIcons.find(foundation::AsciiLower(path));
        if (it == fileIcons.end()) return std::nullopt;
        return gfx::Bitmap(it->second, it->second);
    }
    std::optional<gfx::Bitmap> ResourceIcon(const std::wstring& file, int index) const override {
        asked.push_back(L"res:" + file + L"," + std::to_wstring(index));
        return gfx::Bitmap(100 + (index < 0 ? -index : index), 1);
    }
};

class FakeRegistryReader final : public RegistryReader {
public:
    // Values by root, lower-case key path and value name; sub-keys follow from the paths.
    std::map<std::tuple<RegistryRoot, std::wstring, std::wstring>, std::wstring> values;
    void Set(RegistryRoot root, const std::wstring& key, const std::wstring& name, const std::wstring& value) {
        values[{root, foundation::AsciiLower(key), foundation::AsciiLower(name)}] = value;
    }
    std::vector<std::wstring> SubKeyNames(RegistryRoot root, std::wstring_view subKey) const override {
        const std::wstring prefix = foundation::AsciiLower(subKey) + L"\\";
        std::vector<std::wstring> names;
        for (const auto& [id, value] : values) {
            const auto& [valueRoot, key, name] = id;
            if (valueRoot != root || !key.starts_with(prefix)) continue;
            const std::wstring child = key.substr(prefix.size(), key.find(L'\\', prefix.size()) - prefix.size());
            if (std::find(names.begin(), names.end(), child) == names.end()) names.push_back(child);
        }
        return names;
    }
    std::optional<std::wstring> ReadString(RegistryRoot root, std::wstring_view subKey, std::wstring_view name) const override {
        const auto it = values.find({root, foundation::AsciiLower(subKey), foundation::AsciiLower(name)});
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
};

struct PictureWorld : ItemWorld {
    FakeRegistryReader registry;
    FakeIcons icons;
    gfx::NativeImageDecoder decoder;
    std::unique_ptr<themes::ThemeChoices> choices;
    std::unique_ptr<themes::ThemeFiles> theme;
    std::unique_ptr<ItemPictures> pictures;
    std::unique_ptr<PictureLoader> loader;
    foundation::JobRunner jobs;
    std::atomic<int> arrivals{0};

    // `pictureFiles`: what the pictures are read through (the world's disk by default).
    explicit PictureWorld(foundation::FileSystem* pictureFiles = nullptr, int workers = 2) {
        Write(L"config.ini", "[themes]\r\ndockicons=mine\r\n[minimize]\r\nminicopos=0\r\n");
        choices = std::make_unique<themes::ThemeChoices>(store);
        foundation::FileSystem& disk = pictureFiles ? *pictureFiles : files;
        theme = std::make_unique<themes::ThemeFiles>(disk, kBase, *choices);
        const PictureSources sources{disk, *theme, decoder, icons, registry, shell};
        pictures = std::make_unique<ItemPictures>(sources);
        loader = std::make_unique<PictureLoader>(sources, workers);
    }
    [[nodiscard]] PictureDelivery Delivery() { return {&jobs, [this] { ++arrivals; }}; }
    void Picture(const std::wstring& path, int width, int height = 0) { files.AddFile(path, Png(width, height)); }
    void Icon(std::wstring_view name, int size) { Picture(kBase + L"themes\\mine\\icons\\" + std::wstring(name) + L".png", size); }
    void DefaultIcon(std::wstring_view name, int size) {
        Picture(kBase + L"themes\\default\\icons\\" + std::wstring(name) + L".png", size);
    }
    // Width of the picture the item gets (0: none) and its live mark.
    std::pair<int, LivePicture> Of(const PictureFacts& facts, PictureState state = {}) {
        const auto resolved = pictures->Resolve(facts, state);
        return {resolved.picture ? resolved.picture->Width() : 0, resolved.live};
    }
};

PictureFacts Facts(std::wstring appname, std::wstring key = {}, AppKind kind = AppKind::Program) {
    PictureFacts facts;
    facts.id = 1;
    facts.appname = std::move(appname);
    facts.key = key.empty() ? facts.appname : std::move(key);
    facts.appKind = kind;
    return facts;
}

TEST(ItemPictures, ChosenThenThemedThenSpecialPictures) {
    PictureWorld world;
    world.Icon(L"notes", 11);
    world.Picture(kBase + L"single icon\\editor.png", 12);
    world.Picture(L"C:\\pics\\mine.png", 13);
    world.Picture(L"C:\\pics\\con.png", 14); // a device name: never read
    world.Icon(L"Trash_Full", 15);
    world.Icon(L"Trash_Full_dark", 16);
    world.DefaultIcon(L"Trash_Empty", 17);
    world.Icon(L"explorer", 18);
    world.DefaultIcon(L"pad", 19);
    world.Icon(L"Calendar", 20);
    world.Icon(L"ControlPlanel", 21);
    world.Icon(L"virtualdesktop", 22);
    world.Picture(L"C:\\pics\\wide.png", 600, 300);

    auto chosen = Facts(L"notes.exe", L"notes");
    chosen.icopath = L"C:\\pics\\mine.png";
    EXPECT_EQ(world.Of(chosen).first, 13);
    chosen.icopath = L"C:\\pics\\gone.png";
    EXPECT_EQ(world.Of(chosen).first, 11);
    chosen.icopath = L"C:\\pics\\con.png";
    EXPECT_EQ(world.Of(chosen).first, 11);
    chosen.icopath = L"C:\\pics\\wide.png";
    const auto wide = world.pictures->Resolve(chosen, {});
    ASSERT_TRUE(wide.picture);
    EXPECT_EQ(wide.picture->Height(), 128); // brought down to 256 on its long side
    // A dock that grows to 100 px holds its pictures at 100 px, one copy for every item of
    // the same file; small pictures are never blown up.
    PictureState small;
    small.pictureSize = PictureSizeFor(64, 100);
    const auto fitted = world.pictures->Resolve(chosen, small);
    ASSERT_TRUE(fitted.picture);
    EXPECT_EQ(fitted.picture->Width(), 100);
    EXPECT_EQ(fitted.picture->Height(), 50);
    EXPECT_EQ(world.pictures->Resolve(chosen, small).picture, fitted.picture);
    chosen.icopath = L"C:\\pics\\mine.png";
    EXPECT_EQ(world.Of(chosen, small).first, 13);
    EXPECT_EQ(PictureSizeFor(150, 100), 150) << "the resting size when magnification is smaller";
    EXPECT_EQ(PictureSizeFor(64, 400), kItemPictureSize);
    chosen.icopath = L"C:\\pics\\wide.png";
    EXPECT_EQ(world.Of(Facts(L"editor.exe", L"editor")).first, 12);

    auto trash = Facts(L"trash|", L"trash-empty");
    trash.icopath = L"C:\\pics\\mine.png"; // the trash always shows its state
    EXPECT_EQ(world.Of(trash, {false, true}).first, 15);
    EXPECT_EQ(world.Of(trash, {true, true}).first, 16);
    EXPECT_EQ(world.Of(trash, {true, false}).first, 17);

    using P = std::pair<int, LivePicture>;
    EXPECT_EQ(world.Of(Facts(L"explorer.exe", L"explorer")), P(18, LivePicture::None));
    EXPECT_EQ(world.Of(Facts(L"launchpad|", L"launchpad-")), P(19, LivePicture::None));
    EXPECT_EQ(world.Of(Facts(L"cal|")), P(20, LivePicture::Calendar));
    EXPECT_EQ(world.Of(Facts(L"systemtime")), P(0, LivePicture::Clock));
    EXPECT_EQ(world.Of(Facts(L"weather")), P(0, LivePicture::Weather));
    EXPECT_EQ(world.Of(Facts(L"battery")), P(0, LivePicture::Battery));
    EXPECT_EQ(world.Of(Facts(L"controlpanel")), P(21, LivePicture::None));
    EXPECT_EQ(world.Of(Facts(L"virtualdesktop")), P(22, LivePicture::None));
    EXPECT_EQ(world.Of(Facts(L"network")), P(0, LivePicture::None)); // no picture anywhere
    EXPECT_TRUE(world.icons.asked.empty());
}

TEST(ItemPictures, FoldersShowTheirDesktopIniIconElseTheThemeFolder) {
    PictureWorld world;
    world.shell.SetVariable(L"SystemRoot", L"C:\\Windows");
    world.DefaultIcon(L"folder", 30);
    world.files.AddFile(L"C:\\Data\\Res\\desktop.ini", "[.ShellClassInfo]\r\nIconResource=\"%SystemRoot%\\system32\\imageres.dll\",-183\r\n");
    world.files.AddFile(L"C:\\Windows\\system32\\imageres.dll", "dll");
    world.files.AddFile(L"C:\\Data\\File\\desktop.ini", "[.ShellClassInfo]\r\nIconFile=own.ico\r\nIconIndex=0\r\n");
    world.Picture(L"C:\\Data\\File\\own.ico", 31); // a PNG under any name reads as a picture
    world.files.AddDirectory(L"C:\\Data\\Plain");
    struct Case {
        std::wstring folder;
        int width;
    };
    for (const auto& c : {Case{L"c:\\data\\res", 283}, Case{L"c:\\data\\file", 31}, Case{L"c:\\data\\plain", 30}}) {
        auto facts = Facts(L"name", L"name");
        facts.filepath = facts.realpath = c.folder;
        // The fake icons tell their source by their width, which may pass the size held.
        const auto resolved = world.pictures->Resolve(facts, {.pictureSize = 1024});
        ASSERT_TRUE(resolved.picture) << c.folder;
        EXPECT_EQ(resolved.picture->Width(), c.width) << c.folder;
        EXPECT_EQ(resolved.key, L"folder-name");
    }
    EXPECT_EQ(world.icons.asked, std::vector<std::wstring>{L"res:C:\\Windows\\system32\\imageres.dll,-183"});

    EXPECT_EQ(ParseIconLocation(L"  \"c:\\a b\\x.exe\" , -7 ", world.shell).path, L"c:\\a b\\x.exe");
    EXPECT_EQ(ParseIconLocation(L"c:\\a,b\\x.exe", world.shell).index, 0);
    EXPECT_EQ(ParseIconLocation(L"c:\\a,b\\x.exe", world.shell).path, L"c:\\a,b\\x.exe");
}

TEST(ItemPictures, KindSpecificSourcesAndTheShellIcon) {
    PictureWorld world;
    const std::wstring uninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    world.Picture(L"C:\\Android\\app.png", 40);
    world.Picture(L"C:\\Web\\edge-app.ico", 41);
    world.Picture(L"C:\\Web\\ff.ico", 42);
    world.files.AddFile(L"C:\\Games\\game.exe", "exe");
    world.files.AddFile(L"C:\\Apps\\real.exe", "exe");
    world.registry.Set(RegistryRoot::CurrentUser, uninstall + L"\\Other", L"UninstallString", L"x.exe --app-id=zzz");
    world.registry.Set(RegistryRoot::CurrentUser, uninstall + L"\\EdgeApp", L"UninstallString",
                               L"\"msedge.exe\" --uninstall-app-id --app-id=AbC --profile");
    world.registry.Set(RegistryRoot::CurrentUser, uninstall + L"\\EdgeApp", L"DisplayIcon", L"C:\\Web\\edge-app.ico,0");
    world.registry.Set(RegistryRoot::CurrentUser, uninstall + L"\\FFPWA-01hqz", L"DisplayIcon", L"\"C:\\Web\\ff.ico\"");
    world.registry.Set(RegistryRoot::LocalMachine, uninstall + L"\\Steam App 570", L"DisplayIcon", L"C:\\Games\\game.exe");
    world.icons.fileIcons[L"c:\\apps\\real.exe"] = 48;
    world.icons.fileIcons[L"c:\\store\\pkg"] = 256;

    auto android = Facts(L"wsaclient.exe", L"com.x", AppKind::Android);
    android.filepath = L"C:\\Android\\app.png";
    auto edge = Facts(L"msedge_proxy.exe", L"abc", AppKind::BrowserWebApp);
    edge.runline = L"--profile-directory=Default --app-id=abc";
    edge.filepath = L"abc";
    auto firefox = Facts(L"firefoxpwa.exe", L"01hqz", AppKind::FirefoxWebApp);
    auto program = Facts(L"gone.exe", L"gone");
    program.filepath = L"C:\\Apps\\gone.exe"; // missing: a program asks for its realpath instead
    program.realpath = L"C:\\Apps\\real.exe";
    auto packaged = Facts(L"pkg", L"pkg", AppKind::Packaged);
    packaged.filepath = L"C:\\Store\\pkg";
    auto steam = Facts(L"steam.exe", L"steamid_570");
    steam.realpath = L"steam://rungameid/570";

    EXPECT_EQ(world.Of(android).first, 40);
    EXPECT_EQ(world.Of(edge).first, 41);
    EXPECT_EQ(world.Of(firefox).first, 42);
    EXPECT_EQ(world.Of(program).first, 48);
    EXPECT_EQ(world.Of(packaged).first, 256);
    EXPECT_EQ(world.Of(steam).first, 100); // the game's own icon, index 0
    EXPECT_EQ(world.icons.asked, (std::vector<std::wstring>{L"file:C:\\Apps\\real.exe", L"file:C:\\Store\\pkg",
                                                            L"res:C:\\Games\\game.exe,0"}));
}

TEST(PictureLoader, RowsGetTheirPicturesFromWorkersAndRunTimeOverridesReachEveryItemOfTheKey) {
    PictureWorld world;
    world.Icon(L"explorer", 18);
    world.Icon(L"Calendar", 20);
    DockItems row;
    Fill(row, {Program(L"explorer"), Separator(), Program(L"notes"), Program(L"cal")}, world);
    row[4].appname = L"left over";
    const std::int32_t separatorId = row[4].id;
    row[6].appname = L"cal|";
    PictureRequest request;
    {
        // Workers hand nothing over while the bars-list lock is held: what shows here was
        // done at once, before any picture (the separator reset, the live picture marked).
        std::lock_guard bars(BarsListMutex());
        request = world.loader->Request(row, {}, world.Delivery());
        EXPECT_TRUE(row[4].id != separatorId && row[4].appname.empty());
        EXPECT_EQ(row[6].live, LivePicture::Calendar);
    }
    ASSERT_TRUE(request.Wait(std::chrono::seconds(10)));
    EXPECT_EQ(row[3].picture->Width(), 18);
    EXPECT_EQ(row[6].picture->Width(), 20);
    EXPECT_FALSE(row[4].picture);
    EXPECT_EQ(world.arrivals, 1);
    // A live picture drawn meanwhile is newer than what a later pass finds.
    const auto drawn = std::make_shared<const gfx::Bitmap>(7, 7);
    PictureRequest again;
    {
        std::lock_guard bars(BarsListMutex());
        again = world.loader->Request(row, {}, world.Delivery());
        std::lock_guard list(row.ListMutex());
        row[6].picture = drawn;
    }
    ASSERT_TRUE(again.Wait(std::chrono::seconds(10)));
    EXPECT_EQ(row[6].picture, drawn);
    // So is one drawn before it: a later pass leaves the drawing alone.
    ASSERT_TRUE(world.loader->Request(row, {}, world.Delivery()).Wait(std::chrono::seconds(10)));
    EXPECT_EQ(row[6].picture, drawn);

    world.Picture(kBase + L"single icon\\notes.png", 50);
    ASSERT_TRUE(world.loader->Override(row, L"notes.png", world.Delivery()).Wait(std::chrono::seconds(10)));
    EXPECT_TRUE(row[5].picture->Width() == 50 && row[3].picture->Width() == 18);
}

// A disk whose share ("\\\\server\\...") holds up its first caller until `answer` is set,
// and that notes which threads touched files. Every picture source is reached through a
// file first, so a picture resolved on some thread shows here.
struct ShareOnHold final : FileSystemProxy {
    using FileSystemProxy::FileSystemProxy;
    bool IsFile(const std::wstring& p) const override { return Touch(p) && FileSystemProxy::IsFile(p); }
    bool IsDirectory(const std::wstring& p) const override { return Touch(p) && FileSystemProxy::IsDirectory(p); }
    std::optional<std::vector<std::uint8_t>> Read(const std::wstring& p) const override {
        return Touch(p) ? FileSystemProxy::Read(p) : std::nullopt;
    }
    bool Before(bool) const override { return true; }
    bool Touch(const std::wstring& path) const {
        {
            std::lock_guard lock(mutex);
            threads.insert(std::this_thread::get_id());
        }
        if (path.starts_with(L"\\\\") && !holding.exchange(true)) answered.wait();
        return true;
    }
    std::promise<void> answer;
    std::shared_future<void> answered = answer.get_future().share();
    mutable std::atomic<bool> holding{false};
    mutable std::mutex mutex;
    mutable std::set<std::thread::id> threads;
};

TEST(PictureLoader, PicturesOnAShareNeverHoldUpTheAskingThread) {
    fakes::FakeFileSystem disk;
    ShareOnHold share(disk);
    PictureWorld world(&share, 1);
    const std::wstring uninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Web";
    disk.AddFile(L"\\\\server\\pics\\chosen.png", Png(31));
    disk.AddFile(L"\\\\server\\pics\\web.ico", Png(32));
    disk.AddFile(L"\\\\server\\pics\\icons.dll", "dll");
    disk.AddFile(L"C:\\Net\\desktop.ini", "[.ShellClassInfo]\r\nIconResource=\\\\server\\pics\\icons.dll,3\r\n");
    disk.AddFile(L"C:\\Apps\\tool.lnk", "shortcut"); // the shell follows it to the share
    world.registry.Set(RegistryRoot::CurrentUser, uninstall, L"UninstallString", L"p.exe --app-id=web");
    world.registry.Set(RegistryRoot::CurrentUser, uninstall, L"DisplayIcon", L"\\\\server\\pics\\web.ico");
    world.icons.fileIcons[L"c:\\apps\\tool.lnk"] = 48;
    std::vector<ItemRecord> records{Program(L"chosen"), Program(L"net"), Program(L"web"), Program(L"tool")};
    records[0].icopath = L"\\\\server\\pics\\chosen.png";
    records[1].filepath = records[1].realpath = L"c:\\net";
    records[2].uwp = 4;
    records[2].realpath = L"p.exe --app-id=web";
    records[3].filepath = records[3].realpath = L"c:\\apps\\tool.lnk";
    DockItems row;
    Fill(row, records, world);

    auto request = world.loader->Request(row, {}, world.Delivery());
    EXPECT_FALSE(request.Wait(std::chrono::milliseconds(50))); // the share does not answer
    share.answer.set_value();
    ASSERT_TRUE(request.Wait(std::chrono::seconds(10)));
    const std::vector<int> widths{31, 103, 32, 48}; // the desktop.ini's icon has index 3
    for (std::size_t i = 0; i < widths.size(); ++i) EXPECT_EQ(row[3 + i].picture->Width(), widths[i]) << i;
    EXPECT_EQ(share.threads.count(std::this_thread::get_id()), 0u); // not one file on this thread
}

TEST(PictureLoader, ARequestThatFoundTheRunnerFullIsAskedAgain) {
    PictureWorld world;
    world.Icon(L"explorer", 18);
    DockItems row;
    Fill(row, {Program(L"explorer")}, world);
    std::promise<void> release;
    const std::shared_future<void> held = release.get_future().share();
    for (int i = 0; i < foundation::JobRunner::kMaxJobs; ++i) world.jobs.Run([held](const foundation::JobContext&) { held.wait(); });
    auto request = world.loader->Request(row, {}, world.Delivery());
    EXPECT_FALSE(request.Wait(std::chrono::milliseconds(1)));
    release.set_value();
    ASSERT_TRUE(world.jobs.WaitIdle(std::chrono::seconds(10)));
    world.loader->RetryDropped();
    ASSERT_TRUE(request.Wait(std::chrono::seconds(10)));
    EXPECT_EQ(row[3].picture->Width(), 18);
}

TEST(ItemListManager, FirstStartShowsTheDefaultsLabelledAndPicturedAndRestoreLoadsAgain) {
    PictureWorld world;
    world.Write(L"config.ini", "[themes]\r\ndockicons=mine\r\n"); // no "minicopos" yet: a save follows
    world.Icon(L"explorer", 18);
    ItemListManager manager(world.store, world.shell, world.clock, *world.loader, world.jobs);
    DockItems row;
    auto loaded = manager.Load(row, {}, world.Delivery());
    EXPECT_EQ(loaded.source, ItemListSource::Defaults);
    ASSERT_TRUE(loaded.pictures.Wait(std::chrono::seconds(10)));
    ASSERT_EQ(row.RealCount(), 6u);
    EXPECT_EQ(row[3].key, L"explorer");
    EXPECT_EQ(row[3].picture->Width(), 18);
    EXPECT_EQ(row[6].tag, L"09:07");
    EXPECT_EQ(row[6].live, LivePicture::Clock);
    ASSERT_TRUE(world.jobs.WaitIdle(std::chrono::seconds(10)));
    EXPECT_EQ(manager.Saver().Finished(), 1u);
    EXPECT_EQ(world.Records(L"ico.ini")[3].tag, L"09:07");

    world.files.AddFile(world.Path(L"ico_backup.ini"), FileOf(ProgramList(3, L"kept")));
    EXPECT_TRUE(manager.Restore(row, {}, world.Delivery()));
    EXPECT_EQ(row.RealCount(), 4u);
    EXPECT_EQ(row[3].appname, L"kept1.exe");
    EXPECT_FALSE(manager.Restore(row, {}, world.Delivery()));
    ASSERT_TRUE(world.jobs.WaitIdle(std::chrono::seconds(10)));
}

} // namespace
} // namespace kestrana::dock
