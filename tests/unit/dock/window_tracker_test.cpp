// The window tracker over a fake desktop: which item each window lights up, running-only
// items and minimised windows coming and going, attention, several docks, what is saved.
#include "dock/item_growth.h"
#include "dock/running_pictures.h"
#include "dock/window_tracker.h"
#include "fakes/fake_windows.h"
#include "gfx/png_codec.h"
#include "item_list_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace kestrana::dock {
namespace {

using namespace std::chrono_literals;
using V = std::vector<std::wstring>;

class FakePictures final : public TrackerPictures {
public:
    std::atomic<int> programs{0};
    std::shared_ptr<const gfx::Bitmap> ProgramPicture(const PictureFacts&) override {
        ++programs;
        return std::make_shared<gfx::Bitmap>(4, 4);
    }
    std::shared_ptr<const gfx::Bitmap> WindowSnapshot(WindowId) override { return snapshot; }
    std::shared_ptr<const gfx::Bitmap> snapshot = std::make_shared<gfx::Bitmap>(2, 2);
};

void Pin(DockItems& row, const std::wstring& appname, const std::wstring& path = L"") {
    auto item = MakeDockico(appname.empty());
    item->appname = appname;
    item->filepath = item->realpath = path;
    row.Append(std::move(item));
}

void PinDefaults(DockItems& row) {
    Pin(row, L"explorer.exe", L"c:\\windows\\explorer.exe");
    Pin(row, L"controlpanel");
    Pin(row, L"notepad.exe", L"c:\\windows\\notepad.exe");
    Pin(row, L"chrome.exe", L"c:\\chrome\\chrome.exe");
    Pin(row, L"");
    Pin(row, L"trash|");
}

// "name:windows", "*" for an item that is not pinned, "~" for one on its way out.
V Summary(const DockItems& row) {
    V names;
    row.ForEachReal([&](std::size_t, const Dockico& item) {
        std::wstring name = item.delimiter ? L"|" : item.appname.empty() ? L"[" + item.tag + L"]" : item.appname;
        if (!item.kept) name += L"*";
        if (!item.windows.empty()) name += L":" + std::to_wstring(item.windows.size());
        if (item.leaving) name += L"~";
        names.push_back(name);
    });
    return names;
}

struct Desk {
    explicit Desk(std::u16string_view config) {
        folder.Config(config);
        facts.images = {{1, L"C:\\Windows\\notepad.exe"}, {2, L"C:\\Windows\\regedit.exe"},
                        {3, L"C:\\Windows\\explorer.exe"}, {4, L"C:\\Windows\\System32\\rundll32.exe"},
                        {5, L"C:\\Chrome\\chrome.exe"}, {6, L"C:\\Games\\game.exe"}};
        PinDefaults(row);
        tracker.AttachRow(row, [this] { ++redraws; }, 48);
    }
    void Open(std::uint64_t n, fakes::FakeWindow window) {
        facts.Add(n, std::move(window));
        Send(WindowEventKind::Appeared, n);
    }
    void Send(WindowEventKind kind, std::uint64_t n, WindowEventSource source = WindowEventSource::Reconcile) {
        tracker.OnWindowEvent({kind, WindowId{n}, source});
        ASSERT_TRUE(tracker.WaitIdle(5s));
    }
    void Close(std::uint64_t n) {
        facts.windows.erase(WindowId{n});
        Send(WindowEventKind::Destroyed, n);
    }
    void Settle(DockItems& which) {
        while (StepItemGrowth(which, kItemGrowthMs).moving) {}
    }

    testing::ItemWorld folder;
    fakes::FakeFacts facts;
    fakes::FakeWebApps webApps;
    fakes::FakePause pause;
    FakePictures pictures;
    std::atomic<std::int64_t> now{0};
    foundation::JobRunner jobs;
    WindowTracker tracker{{facts, webApps, pause, facts, folder.store, pictures},
                          jobs,
                          {L"c:\\kestrana\\kestrana.exe", [this] { return now.load(); }}};
    DockItems row;
    std::atomic<int> redraws{0};
};

TEST(WindowTracker, ProgramsLightUpTheirItemsOnceAndRunningOnlyItemsComeAndGo) {
    Desk desk(u"[normal]\r\nrunicolim=1\r\n");
    desk.Open(11, {L"Notepad", L"a.txt - Notepad", 1});
    for (auto source : {WindowEventSource::WinEvent, WindowEventSource::ShellHook, WindowEventSource::Companion})
        desk.Send(WindowEventKind::Appeared, 11, source);
    desk.Send(WindowEventKind::Activated, 11);
    desk.Open(12, {L"Notepad", L"b.txt - Notepad", 1});
    desk.Open(13, {L"RegEdit", L"Registry Editor", 2});
    desk.Open(14, {L"RegEdit", L"Registry Editor", 2});
    EXPECT_EQ(Summary(desk.row), V({L"explorer.exe", L"controlpanel", L"notepad.exe:2", L"chrome.exe", L"|*",
                                    L"regedit.exe*:2", L"|", L"trash|"}));
    EXPECT_EQ(desk.row[8].sizeFactor, 0.0f); // grows in
    EXPECT_TRUE(desk.row[8].picture);
    EXPECT_GT(desk.redraws.load(), 0);

    // Another dock shows the same windows at once, full size, with the picture already found.
    DockItems second;
    PinDefaults(second);
    desk.tracker.AttachRow(second, [] {}, 48);
    ASSERT_TRUE(desk.tracker.WaitIdle(5s));
    EXPECT_EQ(Summary(second), Summary(desk.row));
    EXPECT_EQ(second[8].sizeFactor, 1.0f);
    EXPECT_EQ(desk.pictures.programs.load(), 1);

    // The pinned item stays when its program ends; the running-only item and its separator go.
    for (std::uint64_t n : {11, 12, 13}) desk.Close(n);
    EXPECT_EQ(Summary(desk.row)[2], L"notepad.exe");
    EXPECT_FALSE(desk.row[5].running);
    desk.Close(14);
    EXPECT_EQ(Summary(second), V({L"explorer.exe", L"controlpanel", L"notepad.exe", L"chrome.exe", L"|*~",
                                  L"regedit.exe*~", L"|", L"trash|"}));
    desk.Settle(desk.row);
    EXPECT_EQ(Summary(desk.row), V({L"explorer.exe", L"controlpanel", L"notepad.exe", L"chrome.exe", L"|", L"trash|"}));
}

TEST(WindowTracker, ShellWindowsWebApplicationsAndExcludedPrograms) {
    Desk desk(u"[blacklist]\r\ngame.exe=1\r\n");
    const std::wstring files = L"Microsoft.Windows.Explorer";
    desk.Open(21, {L"CabinetWClass", L"Documents", 3, files});
    desk.Open(22, {L"CabinetWClass", L"Pictures", 3, files});
    desk.Open(23, {L"Progman", L"Program Manager", 3});
    desk.Open(24, {L"CabinetWClass", L"Control Panel", 3, L"Microsoft.Windows.ControlPanel"});
    desk.Open(25, {L"Chrome_WidgetWin_1", L"Music", 5});
    desk.Open(26, {L"Chrome_WidgetWin_1", L"News - Google Chrome", 5});
    desk.Open(27, {L"GameWindow", L"Game", 6});
    desk.Open(28, {L"RunDLL", L"Printer settings", 4});
    fakes::FakeWindow tool{L"Notepad", L"Find", 1};
    tool.shape.toolWindow = true;
    desk.Open(29, tool);
    EXPECT_EQ(Summary(desk.row), V({L"explorer.exe:3", L"controlpanel:1", L"notepad.exe", L"chrome.exe:1",
                                    L"chrome_proxy.exe*:1", L"|", L"trash|"}));
}

// "Never show as running" takes the program's windows out at once, and taking it back
// brings them back, without waiting for another event of theirs.
TEST(WindowTracker, ExcludingAProgramTakesEffectWithoutAnotherEvent) {
    Desk desk(u"");
    desk.Open(13, {L"RegEdit", L"Registry Editor", 2});
    desk.Open(14, {L"RegEdit", L"Registry Editor", 2});
    desk.Open(11, {L"Notepad", L"a.txt - Notepad", 1});
    const V shown{L"explorer.exe", L"controlpanel", L"notepad.exe:1", L"chrome.exe", L"regedit.exe*:2", L"|", L"trash|"};
    ASSERT_EQ(Summary(desk.row), shown);

    desk.folder.Config(u"[blacklist]\r\nregedit.exe=1\r\n");
    desk.tracker.LookAgain();
    ASSERT_TRUE(desk.tracker.WaitIdle(5s));
    desk.Settle(desk.row);
    EXPECT_EQ(Summary(desk.row), V({L"explorer.exe", L"controlpanel", L"notepad.exe:1", L"chrome.exe", L"|", L"trash|"}));

    desk.folder.Config(u"");
    desk.tracker.LookAgain();
    ASSERT_TRUE(desk.tracker.WaitIdle(5s));
    EXPECT_EQ(Summary(desk.row), shown);
}

// Over a long session many windows come and go, some without a report of their going:
// the tracker keeps nothing of them once the passes have looked, and shows none of them.
TEST(WindowTracker, WindowsThatWentAreForgottenEvenWhenTheirGoingWasNotReported) {
    Desk desk(u"");
    desk.Open(10, {L"Notepad", L"stays - Notepad", 1});
    for (std::uint64_t n = 100; n < 400; ++n) {
        desk.Open(n, {n % 2 ? L"Notepad" : L"RegEdit", L"doc " + std::to_wstring(n), n % 2 ? 1u : 2u});
        if (n % 3 == 0) desk.Close(n);
        else desk.facts.windows.erase(WindowId{n}); // gone unreported
    }
    EXPECT_GT(desk.tracker.RememberedWindows(), 1u);
    for (int pass = 0; pass < 64; ++pass) desk.tracker.OnPassEnded();
    ASSERT_TRUE(desk.tracker.WaitIdle(5s));
    desk.Settle(desk.row);
    EXPECT_EQ(desk.tracker.RememberedWindows(), 1u);
    EXPECT_EQ(Summary(desk.row), V({L"explorer.exe", L"controlpanel", L"notepad.exe:1", L"chrome.exe", L"|", L"trash|"}));
}

// Many programs that are not pinned come and go: their pictures are not all kept, but the
// picture of one still running is, for the next dock.
TEST(WindowTracker, PicturesOfProgramsThatWentAreNotAllKept) {
    Desk desk(u"");
    desk.Open(13, {L"RegEdit", L"Registry Editor", 2});
    for (std::uint32_t p = 100; p < 140; ++p) {
        desk.facts.images[p] = L"C:\\Apps\\tool" + std::to_wstring(p) + L".exe";
        desk.Open(p, {L"Tool", L"Tool " + std::to_wstring(p), p});
        desk.Close(p);
        desk.Settle(desk.row); // its item has gone
    }
    EXPECT_LE(desk.tracker.KeptPictures(), 20u);
    const int taken = desk.pictures.programs.load();

    DockItems second;
    PinDefaults(second);
    desk.tracker.AttachRow(second, [] {}, 48);
    ASSERT_TRUE(desk.tracker.WaitIdle(5s));
    const V summary = Summary(second);
    const auto regedit = std::find(summary.begin(), summary.end(), L"regedit.exe*:1");
    ASSERT_NE(regedit, summary.end());
    EXPECT_TRUE(second[DockItems::kFirstReal + static_cast<std::size_t>(regedit - summary.begin())].picture);
    EXPECT_EQ(desk.pictures.programs.load(), taken);
}

TEST(WindowTracker, MinimisedWindowsGetAnItemOfTheirOwnUntilRestored) {
    Desk desk(u"[minimize]\r\nminicopos=2\r\n");
    desk.Open(11, {L"Notepad", L"a.txt - Notepad", 1});
    desk.facts.windows[WindowId{11}].shape.minimised = true;
    desk.Send(WindowEventKind::Minimised, 11);
    desk.Send(WindowEventKind::Changed, 11);
    EXPECT_EQ(Summary(desk.row), V({L"explorer.exe", L"controlpanel", L"notepad.exe:1", L"chrome.exe", L"|", L"trash|",
                                    L"|*", L"[a.txt - Notepad]*:1"}));
    EXPECT_EQ(desk.row[10].picture, desk.pictures.snapshot);

    desk.facts.windows[WindowId{11}].shape.minimised = false;
    desk.Send(WindowEventKind::Restored, 11);
    desk.Settle(desk.row);
    EXPECT_EQ(Summary(desk.row).size(), 6u);

    desk.folder.Config(u"[minimize]\r\nmintoico=1\r\n");
    desk.facts.windows[WindowId{11}].shape.minimised = true;
    desk.Send(WindowEventKind::Minimised, 11);
    EXPECT_EQ(Summary(desk.row).size(), 6u);
}

// A window that first shows minimised and matches no item goes to the running program
// the minimised-window look-up finds (here by its application id), and stays there.
TEST(WindowTracker, AWindowFirstSeenMinimisedJoinsTheRunningProgramThatOwnsIt) {
    Desk desk(u"[minimize]\r\nmintoico=1\r\n");
    desk.facts.images[7] = L"C:\\Apps\\Launcher.exe";
    desk.facts.images[8] = L"C:\\Apps\\Worker.exe";
    Pin(desk.row, L"launcher.exe", L"c:\\apps\\launcher.exe");
    desk.row[desk.row.EndReal() - 1].virtualpath = L"Contoso.App";
    desk.Open(31, {L"Main", L"Contoso", 7});
    fakes::FakeWindow report{L"Report", L"Report", 8, L"Contoso.App"};
    report.shape.minimised = true;
    desk.Open(32, report);
    EXPECT_EQ(Summary(desk.row).back(), L"launcher.exe:2");

    desk.facts.windows[WindowId{32}].shape.minimised = false;
    desk.Send(WindowEventKind::Restored, 32);
    desk.Settle(desk.row);
    EXPECT_EQ(Summary(desk.row).back(), L"launcher.exe:2");

    // Opened normally, the same program's window matches nothing and gets an item of its own.
    desk.Open(33, {L"Report", L"Report 2", 8, L"Contoso.App"});
    const V summary = Summary(desk.row);
    EXPECT_EQ(std::count(summary.begin(), summary.end(), L"launcher.exe:2"), 1);
    EXPECT_EQ(std::count(summary.begin(), summary.end(), L"worker.exe*:1"), 1);
}

TEST(WindowTracker, AttentionMarksTheItemUntilTheWindowIsActivated) {
    Desk desk(u"");
    desk.Open(11, {L"Notepad", L"a.txt - Notepad", 1});
    desk.Send(WindowEventKind::Attention, 11, WindowEventSource::ShellHook);
    EXPECT_TRUE(desk.row[5].attention);
    desk.Send(WindowEventKind::Activated, 11);
    EXPECT_FALSE(desk.row[5].attention);
    desk.now = 3999; // the same window again so soon is not heard
    desk.Send(WindowEventKind::Attention, 11, WindowEventSource::ShellHook);
    EXPECT_FALSE(desk.row[5].attention);
    desk.now = 4000;
    desk.Send(WindowEventKind::Attention, 11, WindowEventSource::ShellHook);
    EXPECT_TRUE(desk.row[5].attention);
}

TEST(WindowTracker, NothingTrackedIsSaved) {
    Desk desk(u"[normal]\r\nrunicolim=1\r\n[minimize]\r\nminicopos=2\r\n");
    desk.Open(13, {L"RegEdit", L"Registry Editor", 2});
    fakes::FakeWindow minimised{L"Notepad", L"a.txt - Notepad", 1};
    minimised.shape.minimised = true;
    desk.Open(11, minimised);
    ASSERT_EQ(Summary(desk.row).size(), 10u);
    ItemListSaver saver(desk.folder.files, desk.folder.base, desk.jobs);
    ASSERT_TRUE(saver.RequestSave(desk.row));
    ASSERT_TRUE(saver.WaitIdle(5s));
    V saved;
    for (const ItemRecord& record : desk.folder.Records(L"ico.ini"))
        saved.push_back(record.delimiter ? L"|" : record.appname);
    EXPECT_EQ(saved, V({L"explorer.exe", L"controlpanel", L"notepad.exe", L"chrome.exe", L"|", L"trash|"}));
}

// Docks are rebuilt (display changes) while reports pour in; meant for ThreadSanitizer too.
TEST(WindowTracker, DocksComeAndGoWhileWindowsAreReported) {
    Desk desk(u"[normal]\r\nrunicolim=1\r\n");
    for (std::uint64_t n = 11; n <= 14; ++n) desk.facts.Add(n, {L"RegEdit", L"Registry Editor", 2});
    for (int round = 0; round < 50; ++round) {
        auto row = std::make_unique<DockItems>();
        PinDefaults(*row);
        const auto handle = desk.tracker.AttachRow(*row, [] {}, 48);
        for (std::uint64_t n = 11; n <= 14; ++n) {
            desk.tracker.OnWindowEvent({WindowEventKind::Appeared, WindowId{n}, WindowEventSource::WinEvent});
            if (n % 2 == 0) desk.tracker.OnWindowEvent({WindowEventKind::Destroyed, WindowId{n}, WindowEventSource::ShellHook});
        }
        if (round % 2 == 0) desk.tracker.DetachRow(handle);
        row.reset();
    }
    ASSERT_TRUE(desk.tracker.WaitIdle(5s));
    DockItems last;
    PinDefaults(last);
    desk.tracker.AttachRow(last, [] {}, 48);
    ASSERT_TRUE(desk.tracker.WaitIdle(5s));
    EXPECT_EQ(Summary(last), V({L"explorer.exe", L"controlpanel", L"notepad.exe", L"chrome.exe", L"|*",
                                L"regedit.exe*:2", L"|", L"trash|"}));
}

// A closed window must not keep its item because every job place was taken when it was
// reported: the next reconciliation pass picks the report up.
TEST(WindowTracker, ReportsRefusedByAFullRunnerRunAfterTheNextPass) {
    Desk desk(u"[normal]\r\nrunicolim=1\r\n");
    desk.Open(13, {L"RegEdit", L"Registry Editor", 2});
    ASSERT_EQ(desk.tracker.TrackedWindows(), std::vector<WindowId>{WindowId{13}});
    // The opening's own jobs (its picture, say) must be done before every place is taken.
    ASSERT_TRUE(desk.tracker.WaitIdle(5s));
    ASSERT_TRUE(desk.jobs.WaitIdle(5s));
    std::atomic<bool> release{false};
    for (int i = 0; i < foundation::JobRunner::kMaxJobs; ++i)
        ASSERT_TRUE(desk.jobs.Run([&](const foundation::JobContext&) {
            while (!release) std::this_thread::sleep_for(1ms);
        }));
    desk.facts.windows.erase(WindowId{13});
    desk.tracker.OnWindowEvent({WindowEventKind::Destroyed, WindowId{13}, WindowEventSource::ShellHook});
    release = true;
    ASSERT_TRUE(desk.jobs.WaitIdle(5s));
    ASSERT_TRUE(desk.tracker.WaitIdle(5s));
    EXPECT_EQ(desk.tracker.TrackedWindows(), std::vector<WindowId>{WindowId{13}}); // queued, not run
    desk.tracker.OnPassEnded();
    ASSERT_TRUE(desk.tracker.WaitIdle(5s));
    EXPECT_TRUE(desk.tracker.TrackedWindows().empty());
}

TEST(RunningPictures, ConfiguredThenCachedThenTheProgramsOwnWhichIsKept) {
    testing::ItemWorld world;
    world.Config(u"[unsaveicon]\r\nvlc=C:\\pics\\vlc.png\r\n");
    world.files.AddFile(L"C:\\pics\\vlc.png", gfx::EncodePng(gfx::Bitmap(4, 2)));
    int asked = 0;
    const gfx::NativeImageDecoder decoder;
    const RunningPictures pictures(world.store, decoder, [&](const PictureFacts&) {
        ++asked;
        return std::make_shared<const gfx::Bitmap>(5, 5);
    });
    PictureFacts vlc, mpv;
    vlc.key = L"vlc";
    mpv.key = L"mpv";
    EXPECT_EQ(pictures.Picture(vlc)->Height(), 2);
    EXPECT_EQ(pictures.Picture(mpv)->Width(), 5);
    EXPECT_TRUE(world.Exists(L"runpng\\mpv.png"));
    EXPECT_EQ(pictures.Picture(mpv)->Width(), 5);
    EXPECT_EQ(asked, 1);
}

} // namespace
} // namespace kestrana::dock
