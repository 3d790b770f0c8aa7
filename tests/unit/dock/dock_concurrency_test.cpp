// Docks built and taken down over and over while their jobs run: saves of their rows,
// redraw requests and picture updates from workers, redraws on the "user-interface"
// thread (the test's). Meant for the ThreadSanitizer build as much as for the others.
#include "dock/dock_list.h"
#include "dock/ondel_bar.h"
#include "item_list_support.h"
#include "themes/dock_skin.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace kestrana::dock {
namespace {

using namespace testing;
using namespace std::chrono_literals;

class QuietPlatform final : public DockPlatform {
public:
    std::int64_t NowMs() override { return 0; }
    void PlaceWindows(const ScreenRect&, const ScreenRect&) override {}
    void Present(const gfx::Bitmap&, const gfx::RectI&, const gfx::RectI&, SlideOffset, std::uint8_t) override {}
    void RequestFrame(std::int64_t) override {}
    void ApplyZOrder(ZOrder) override {}
    void ShowActivationBar(bool, const ScreenRect&) override {}
    void ShowLabel(const std::optional<LabelRequest>&) override {}
    void PlaceBackdrop(const std::optional<ScreenRect>&, int) override {}
    void SamplePointer(bool) override {}
    void ScheduleStripCheck(std::int64_t) override {}
};

// What workers post to the user-interface thread: the serial number of the dock to
// redraw, once however often it was asked for, as the system folds repeated paints. A
// dock that is gone by then is simply not found, as a closed window is not.
struct PostBox {
    std::mutex mutex;
    std::set<int> serials;

    void Post(int serial) {
        std::lock_guard lock(mutex);
        serials.insert(serial);
    }
    std::set<int> Take() {
        std::lock_guard lock(mutex);
        return std::exchange(serials, {});
    }
};

struct TestDock {
    int serial = 0;
    QuietPlatform platform;
    std::unique_ptr<OndelBar> bar;

    TestDock(int number, int items, themes::DockSkin& skin) : serial(number) {
        DockSettings settings;
        // Small, so that the drawing does not crowd out the rebuilds.
        settings.defaultSize = 25;
        settings.maxSize = 32;
        bar = std::make_unique<OndelBar>(platform, skin, settings, DockScreen{{0, 0, 320, 200}, 1.0f, 0},
                                         SkinSpacing{}, 60);
        auto picture = std::make_shared<const gfx::Bitmap>(16, 16);
        for (int i = 0; i < items; ++i) {
            auto item = MakeDockico(i == 2);
            if (!item->delimiter) {
                item->tag = L"app" + std::to_wstring(i);
                item->appname = item->tag + L".exe";
                item->filepath = L"c:\\apps\\" + item->appname;
                item->picture = picture;
            }
            std::lock_guard lock(bar->Items().ListMutex());
            bar->Items().Append(std::move(item));
        }
        bar->ItemsChanged();
    }
};

// A worker's picture update, as a live icon's job makes it: through the row's link,
// under the bars-list, item-list and window-list locks in that order.
bool TouchRow(RowLink& link, const std::shared_ptr<const gfx::Bitmap>& picture, int round) {
    std::lock_guard bars(BarsListMutex());
    DockItems* row = link.Row();
    if (!row) return false;
    std::lock_guard list(row->ListMutex());
    if (row->Empty()) return true;
    Dockico& item = (*row)[DockItems::kFirstReal + static_cast<std::size_t>(round) % row->RealCount()];
    item.picture = picture;
    std::lock_guard windows(row->WindowListMutex());
    item.running = !item.running.load();
    item.windows.assign(round % 2, WindowId{7});
    return true;
}

TEST(DockConcurrency, DocksRebuiltHundredsOfTimesWhileTheirJobsRun) {
    ItemWorld world;
    world.files.AddFile(world.Path(L"ico.ini"), FileOf(ProgramList(5, L"first")));
    foundation::JobRunner pool;
    ItemListSaver saver(world.files, kBase, pool);
    auto posts = std::make_shared<PostBox>();
    auto picture = std::make_shared<const gfx::Bitmap>(16, 16);
    themes::DockSkin skin = themes::DockSkin::BuiltIn({}); // drawn with on this thread only
    // However the test ends, no job outlives the world it writes to.
    struct StopAtEnd {
        foundation::JobRunner& pool;
        ~StopAtEnd() {
            pool.Stop();
            pool.WaitIdle(10s);
        }
    } stopAtEnd{pool};

    int rebuilds = 0;
    int serial = 0;
    int notIdle = 0;
    int lastItemCount = 0;
    const auto start = std::chrono::steady_clock::now();
    {
        DockList<TestDock> docks(pool, 2s);
        for (; rebuilds < 300; ++rebuilds) {
            // At least a hundred rebuilds, and more while the time allows.
            if (rebuilds >= 100 && std::chrono::steady_clock::now() - start > 3s) break;
            const int count = 1 + rebuilds % 2;
            for (int d = 0; d < count; ++d) {
                auto jobs = docks.NewJobs();
                auto dock = std::make_unique<TestDock>(++serial, 5 + (rebuilds + d) % 4, skin);
                const int id = dock->serial;
                // The frame pacer's part: redraw requests until the dock's group stops.
                jobs->Run([posts, id](const foundation::JobContext& context) {
                    while (!context.Quitting()) {
                        posts->Post(id);
                        std::this_thread::sleep_for(1ms);
                    }
                });
                jobs->Run([posts, picture, id, link = dock->bar->Items().Link()](const foundation::JobContext& context) {
                    for (int round = 0; !context.Quitting(); ++round) {
                        if (!TouchRow(*link, picture, round)) return;
                        posts->Post(id);
                        std::this_thread::sleep_for(1ms);
                    }
                });
                saver.RequestSave(dock->bar->Items());
                docks.Add(std::move(jobs), std::move(dock));
            }
            // The user-interface thread meanwhile: the redraws asked for, a change of the
            // row and the save it asks for.
            std::this_thread::sleep_for(1ms);
            for (int id : posts->Take()) {
                docks.ForEach([id](TestDock& dock) {
                    if (dock.serial == id) dock.bar->Redraw();
                });
            }
            TestDock& last = docks[docks.Size() - 1];
            {
                std::lock_guard list(last.bar->Items().ListMutex());
                last.bar->Items().Append(MakeDockico());
                last.bar->Items()[last.bar->Items().EndReal() - 1].appname = L"late.exe";
            }
            last.bar->ItemsChanged();
            saver.RequestSave(last.bar->Items());
            if (rebuilds % 2 == 0) saver.WaitIdle(2s); // as the dock host does before a rebuild
            if (!docks.Clear()) ++notIdle;
        }
        // A last dock whose save is waited for: the file holds its row.
        auto jobs = docks.NewJobs();
        auto dock = std::make_unique<TestDock>(++serial, 6, skin);
        lastItemCount = static_cast<int>(dock->bar->Items().RealCount());
        ASSERT_TRUE(saver.RequestSave(dock->bar->Items()));
        docks.Add(std::move(jobs), std::move(dock));
        ASSERT_TRUE(saver.WaitIdle(10s));
    }
    ASSERT_TRUE(pool.WaitIdle(10s));

    EXPECT_GE(rebuilds, 100);
    EXPECT_EQ(notIdle, 0);
    EXPECT_NE(saver.LastResult(), ItemSaveResult::Failed);
    const auto saved = world.Records(L"ico.ini");
    ASSERT_EQ(static_cast<int>(saved.size()), lastItemCount);
    EXPECT_EQ(saved[0].appname, L"app0.exe");
}

} // namespace
} // namespace kestrana::dock
