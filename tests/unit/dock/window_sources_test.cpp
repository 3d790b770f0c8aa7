// What the window event sources report: the reconciliation pass (only differences, only
// windows the task list would show), what a hook module's report may cause, and which
// start-menu shortcuts name a browser's web application.
#include "dock/web_app_catalog.h"
#include "dock/window_event_codes.h"
#include "dock/window_reconcile.h"

#include <gtest/gtest.h>

#include <map>

namespace kestrana::dock {
namespace {

class ListedWindows final : public TopLevelWindowList {
public:
    std::map<std::uint64_t, WindowShape> shapes;
    std::vector<TopLevelWindow> Enumerate() const override {
        std::vector<TopLevelWindow> list;
        for (const auto& [id, shape] : shapes) list.push_back({static_cast<WindowId>(id), shape});
        // Z-order is no id order, and a window re-created between two looks is seen twice.
        std::reverse(list.begin(), list.end());
        if (!list.empty()) list.push_back(list.front());
        return list;
    }
    WindowShape Shape(WindowId window) const override { return shapes.at(static_cast<std::uint64_t>(window)); }
};

class Recorder final : public WindowEventSink {
public:
    std::vector<std::pair<WindowEventKind, std::uint64_t>> seen;
    void OnWindowEvent(const WindowEvent& event) override {
        EXPECT_EQ(event.source, WindowEventSource::Reconcile);
        seen.emplace_back(event.kind, static_cast<std::uint64_t>(event.window));
    }
    auto Take() { return std::exchange(seen, {}); }
};

using K = WindowEventKind;
using Seen = std::vector<std::pair<WindowEventKind, std::uint64_t>>;

TEST(WindowReconcile, ReportsOnlyWhatChangedAmongTaskListWindows) {
    ListedWindows windows;
    const WindowShape plain{.visible = true};
    windows.shapes = {{1, plain},
                      {2, {.visible = true, .toolWindow = true}},
                      {3, {.visible = true, .owned = true}},
                      {4, {.visible = true, .owned = true, .appWindow = true}},
                      {5, {.visible = true, .cloaked = true}},
                      {6, {.visible = true, .minimised = true}},
                      {7, {.visible = false}}};
    WindowReconciler reconciler(windows);
    Recorder sink;

    reconciler.Pass(sink);
    EXPECT_EQ(sink.Take(), (Seen{{K::Appeared, 1}, {K::Appeared, 4}, {K::Appeared, 6}, {K::Minimised, 6}}));
    reconciler.Pass(sink);
    EXPECT_TRUE(sink.Take().empty());

    windows.shapes[1].minimised = true;
    windows.shapes[6].minimised = false;
    windows.shapes.erase(4);
    windows.shapes[2].toolWindow = false;
    windows.shapes[7].visible = true;
    windows.shapes[9] = plain;
    reconciler.Pass(sink);
    EXPECT_EQ(sink.Take(), (Seen{{K::Minimised, 1}, {K::Appeared, 2}, {K::Destroyed, 4}, {K::Restored, 6},
                                 {K::Appeared, 7}, {K::Appeared, 9}}));

    windows.shapes[9].cloaked = true;
    windows.shapes[7].visible = false;
    reconciler.Pass(sink);
    EXPECT_EQ(sink.Take(), (Seen{{K::Destroyed, 7}, {K::Destroyed, 9}}));

    reconciler.Forget();
    reconciler.Pass(sink);
    EXPECT_EQ(sink.Take(), (Seen{{K::Appeared, 1}, {K::Minimised, 1}, {K::Appeared, 2}, {K::Appeared, 6}}));
}

TEST(WindowReport, NeverMoreThanALookAtAnotherProgramsTopLevelWindow) {
    const ReportedWindow alive{.exists = true, .topLevel = true};
    const ReportedWindow gone{};
    const ReportedWindow child{.exists = true};
    const ReportedWindow ours{.exists = true, .topLevel = true, .ours = true};
    const ReportedWindow minimised{.exists = true, .topLevel = true, .minimised = true};
    for (auto claim : {ReportClaim::Opened, ReportClaim::Closed, ReportClaim::Activated, ReportClaim::Minimised,
                       ReportClaim::Restored}) {
        EXPECT_EQ(JudgeReport(claim, ours), std::nullopt);
        EXPECT_EQ(JudgeReport(claim, child), std::nullopt);
    }
    EXPECT_EQ(JudgeReport(ReportClaim::Closed, gone), K::Destroyed);
    // A window said to be closed that is still there is looked at, never dropped.
    EXPECT_EQ(JudgeReport(ReportClaim::Closed, alive), K::Changed);
    EXPECT_EQ(JudgeReport(ReportClaim::Opened, gone), std::nullopt);
    EXPECT_EQ(JudgeReport(ReportClaim::Opened, alive), K::Appeared);
    EXPECT_EQ(JudgeReport(ReportClaim::Activated, alive), K::Activated);
    // The module reports before the system acts: a claim the window does not bear out yet is a look.
    EXPECT_EQ(JudgeReport(ReportClaim::Minimised, alive), K::Changed);
    EXPECT_EQ(JudgeReport(ReportClaim::Minimised, minimised), K::Minimised);
    EXPECT_EQ(JudgeReport(ReportClaim::Restored, minimised), K::Changed);
    EXPECT_EQ(JudgeReport(ReportClaim::Restored, alive), K::Restored);

    EXPECT_EQ(OpenCloseClaim(1), ReportClaim::Opened);
    EXPECT_EQ(OpenCloseClaim(2), ReportClaim::Closed);
    EXPECT_EQ(WindowReportClaim(0), std::nullopt);
    EXPECT_EQ(WindowReportClaim(4), std::nullopt);
    EXPECT_EQ(WindowReportClaim(~std::uintptr_t{0}), std::nullopt);
}

TEST(WebAppCatalog, KeepsBrowserShortcutsWithAnAppIdAndMatchesTitles) {
    EXPECT_EQ(WebAppIdOf(L"--profile-directory=Default --app-id=abcdef"), L"abcdef");
    EXPECT_EQ(WebAppIdOf(L"--app-id=\"abc def\" --x"), L"abc def");
    EXPECT_EQ(WebAppIdOf(L"--uninstall-app-id=xyz"), L"");
    EXPECT_EQ(WebAppIdOf(L"--x=--app-id=abc"), L"");

    WebAppCatalog catalog;
    catalog.AddShortcut(L"Music", L"C:\\Chrome\\Application\\chrome_proxy.exe", L"--app-id=music1");
    catalog.AddShortcut(L"Music Studio", L"C:\\Chrome\\Application\\chrome_proxy.exe", L"--app-id=studio");
    catalog.AddShortcut(L"Mail", L"C:\\Edge\\Application\\msedge_proxy.exe", L"--profile-directory=Default --app-id=mail1");
    catalog.AddShortcut(L"Notes", L"C:\\Tools\\notes.exe", L"--app-id=notes");       // no browser
    catalog.AddShortcut(L"Chrome", L"C:\\Chrome\\Application\\chrome.exe", L"--incognito"); // no app
    EXPECT_EQ(catalog.Size(), 3u);

    EXPECT_EQ(catalog.FindByTitle(Browser::Chrome, L"music"), L"music1");
    EXPECT_EQ(catalog.FindByTitle(Browser::Chrome, L"Music Studio - Track 4"), L"studio");
    EXPECT_EQ(catalog.FindByTitle(Browser::Chrome, L"Inbox - Music"), L"music1");
    EXPECT_EQ(catalog.FindByTitle(Browser::Chrome, L"Musical"), L"");
    EXPECT_EQ(catalog.FindByTitle(Browser::Chrome, L"Mail"), L"");
    EXPECT_EQ(catalog.FindByTitle(Browser::Edge, L"Mail"), L"mail1");
    EXPECT_EQ(catalog.FindByTitle(Browser::Edge, L""), L"");
}

} // namespace
} // namespace kestrana::dock
