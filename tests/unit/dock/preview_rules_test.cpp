// Window previews: settings limits, the windows chosen, the row's size, the place beside
// the item, opening and closing with the pointer, and the capture pace.
#include "dock/preview_rules.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

#include <numeric>

namespace kestrana::dock {
namespace {

// --- settings ---

class PreviewSettingsFile : public ::testing::Test, protected fakes::SettingsFolder {};

TEST_F(PreviewSettingsFile, ClampsDelayAndSizeAndReadsFlags) {
    struct Case {
        const char16_t* text;
        int delayMs, size;
        bool enabled, title;
    };
    const Case cases[] = {
        {u"", 100, 100, false, false},
        {u"[DWMThumbnail]\r\ndelay=0\r\nsize=50\r\n", 100, 100, false, false},
        {u"[DWMThumbnail]\r\ndelay=20\r\nsize=500\r\nenabled=1\r\n", 1000, 300, true, false},
        {u"[DWMThumbnail]\r\ndelay=4\r\nsize=180\r\ntitle=1\r\n", 400, 180, false, true},
        {u"[DWMThumbnail]\r\ndelay=-3\r\nsize=-1\r\n", 100, 100, false, false},
    };
    for (const Case& c : cases) {
        Config(c.text);
        const PreviewSettings s = ReadPreviewSettings(store);
        EXPECT_EQ(s.delayMs, c.delayMs) << std::u16string(c.text).size();
        EXPECT_EQ(s.size, c.size);
        EXPECT_EQ(s.enabled, c.enabled);
        EXPECT_EQ(s.title, c.title);
    }
}

// --- which windows ---

PreviewCandidate Win(std::uint64_t id, std::wstring cls = L"Notepad", std::wstring title = L"t") {
    return {static_cast<WindowId>(id), std::move(cls), std::move(title)};
}

TEST(PreviewWindows, FileManagerTabStandInsAreLeftOut) {
    const std::vector<PreviewCandidate> windows{Win(1, L"CabinetWClass"), Win(2, std::wstring(kTabProxyClass)),
                                                Win(3, L"CabinetWClass"), Win(4, std::wstring(kTabProxyClass))};
    EXPECT_EQ(ChoosePreviewWindows(L"Explorer.EXE", windows, {}), (std::vector{WindowId{1}, WindowId{3}}));
    // Another program's window of that class is its own business.
    EXPECT_EQ(ChoosePreviewWindows(L"other.exe", windows, {}).size(), 4u);
}

TEST(PreviewWindows, OneVmConsoleIsReplacedByItsUsableGuestStandIns) {
    const std::wstring proxy(kVmProxyClass);
    PreviewCandidate hidden = Win(12, proxy, L"hidden guest");
    hidden.visible = false;
    PreviewCandidate hung = Win(13, proxy, L"hung guest");
    hung.responsive = false;
    const std::vector<PreviewCandidate> proxies{Win(10, proxy, L"guest A"), Win(11, proxy, L""), hidden, hung,
                                                Win(14, L"Other", L"x"), Win(15, proxy, L"guest B")};
    const std::vector<PreviewCandidate> console{Win(1, L"VMUIFrame")};
    EXPECT_EQ(ChoosePreviewWindows(L"VMware.exe", console, proxies), (std::vector{WindowId{10}, WindowId{15}}));
    // Without usable stand-ins, or with two consoles, the item's own windows stay.
    EXPECT_EQ(ChoosePreviewWindows(L"vmware.exe", console, std::span(proxies).subspan(1, 4)),
              std::vector{WindowId{1}});
    const std::vector<PreviewCandidate> two{Win(1, L"VMUIFrame"), Win(2, L"VMUIFrame")};
    EXPECT_EQ(ChoosePreviewWindows(L"vmware.exe", two, proxies).size(), 2u);
    // Other programs never look at stand-ins.
    EXPECT_EQ(ChoosePreviewWindows(L"notepad.exe", console, proxies), std::vector{WindowId{1}});
}

// --- the row ---

int RowUnits(const std::vector<SourceSize>& sources, int h, float scale) {
    int total = 0;
    for (const SourceSize& s : sources)
        total += Rnd(static_cast<double>(s.width) * h / s.height + 4.0 * scale);
    return total;
}

TEST(PreviewRow, ShrinksToTheTallestRowThatFits) {
    struct Case {
        std::size_t count;
        SourceSize source;
        int monitor;
        bool vertical;
        float scale;
        int size;
    };
    const Case cases[] = {
        {10, {1920, 1080}, 1920, false, 1.0f, 200}, // the pictures must shrink well below 200
        {2, {1920, 1080}, 1920, false, 1.0f, 200},  // they fit at full size
        {10, {1920, 1080}, 1920, true, 1.0f, 200},  // 256 pixels less beside a side dock
        {6, {800, 600}, 2560, false, 1.5f, 300},
        {3, {600, 900}, 1366, false, 1.25f, 50},    // clamped up to 100
        {40, {1920, 1080}, 1280, false, 1.0f, 999}, // clamped down to 300, then shrinks
    };
    for (const Case& c : cases) {
        const std::vector<SourceSize> sources(c.count, c.source);
        const PreviewRow row = SizePreviewRow(sources, c.monitor, c.vertical, c.scale, c.size);
        const int available = c.monitor - (c.vertical ? 256 : 0);
        const int cap = Rnd(PreviewSize(c.size) * static_cast<double>(c.scale));
        SCOPED_TRACE(testing::Message() << c.count << " windows on " << c.monitor);
        ASSERT_EQ(row.widths.size(), c.count);
        EXPECT_LE(row.height, cap);
        EXPECT_LE(RowUnits(sources, row.height, c.scale), available);
        // One pixel taller would no longer fit (unless already at the cap).
        if (row.height < cap) {
            EXPECT_GT(RowUnits(sources, row.height + 1, c.scale), available);
        }
        EXPECT_LE(row.Width(), available);
        for (int w : row.widths)
            EXPECT_NEAR(w, static_cast<double>(c.source.width) * row.height / c.source.height, 0.51);
    }
    // Ten 16:9 windows on 1920 pixels: each is about 16/9 x H + 4 wide, so H is near 106.
    const std::vector<SourceSize> ten(10, SourceSize{1920, 1080});
    const PreviewRow row = SizePreviewRow(ten, 1920, false, 1.0f, 200);
    EXPECT_NEAR(row.height, (1920.0 / 10 - 4) * 9 / 16, 1.0);
    EXPECT_EQ(row.gap, 4);
}

TEST(PreviewRow, DegenerateSourcesAndHugeCountsStayBounded) {
    // A window of no size counts as square; a 16384 square one as any other square.
    const std::vector<SourceSize> odd{{0, 0}, {16384, 16384}, {-5, 100}};
    const PreviewRow row = SizePreviewRow(odd, 1920, false, 1.0f, 200);
    for (int w : row.widths) EXPECT_EQ(w, row.height);
    // So many that not even one pixel per picture fits: the loop still ends.
    const std::vector<SourceSize> many(5000, SourceSize{1920, 1080});
    const PreviewRow tiny = SizePreviewRow(many, 800, false, 1.0f, 200);
    EXPECT_EQ(tiny.height, 1);
    // Room for the "+N" mark makes the row lower.
    const std::vector<SourceSize> eight(8, SourceSize{1920, 1080});
    EXPECT_LT(SizePreviewRow(eight, 1366, false, 1.0f, 300, 120).height,
              SizePreviewRow(eight, 1366, false, 1.0f, 300, 0).height);
}

TEST(PreviewRow, CountIsCappedWithTheRestOnTheMark) {
    for (std::size_t n : {0u, 1u, 7u, 8u, 9u, 100u}) {
        const PreviewCount c = CapPreviewCount(n);
        EXPECT_EQ(c.shown + c.more, n);
        EXPECT_LE(c.shown, kMaxPreviewPictures);
        EXPECT_EQ(c.more > 0, n > kMaxPreviewPictures);
    }
}

TEST(PreviewPlace, StandsBesideTheIconOnEveryEdgeAndInsideTheMonitor) {
    const ScreenRect monitor{1920, 0, 3840, 1080}; // a second monitor, to the right
    const int w = 600, h = 150, gap = 8;
    struct Case {
        Edge edge;
        ScreenRect icon;
    };
    const Case cases[] = {
        {Edge::Bottom, {2800, 1000, 2864, 1064}}, {Edge::Bottom, {1930, 1000, 1994, 1064}},
        {Edge::Bottom, {3800, 1000, 3840, 1064}}, {Edge::Top, {2800, 10, 2864, 74}},
        {Edge::Left, {1925, 500, 1989, 564}},     {Edge::Left, {1925, 1000, 1989, 1064}},
        {Edge::Right, {3770, 20, 3834, 84}},
    };
    for (const Case& c : cases) {
        const ScreenRect r = PlacePreview(c.icon, c.edge, w, h, monitor, gap);
        SCOPED_TRACE(static_cast<int>(c.edge));
        EXPECT_EQ(r.Width(), w);
        EXPECT_EQ(r.Height(), h);
        EXPECT_GE(r.left, monitor.left);
        EXPECT_LE(r.right, monitor.right);
        EXPECT_GE(r.top, monitor.top);
        EXPECT_LE(r.bottom, monitor.bottom);
        EXPECT_FALSE(r.Intersects(c.icon));
        switch (c.edge) {
        case Edge::Bottom: EXPECT_EQ(r.bottom, c.icon.top - gap); break;
        case Edge::Top: EXPECT_EQ(r.top, c.icon.bottom + gap); break;
        case Edge::Left: EXPECT_EQ(r.left, c.icon.right + gap); break;
        case Edge::Right: EXPECT_EQ(r.right, c.icon.left - gap); break;
        }
        // Centred on the icon wherever the monitor leaves room.
        if (!IsVertical(c.edge) && r.left > monitor.left && r.right < monitor.right) {
            EXPECT_NEAR((r.left + r.right) / 2, (c.icon.left + c.icon.right) / 2, 1);
        }
    }
    // Larger than the monitor: pinned to its left and top.
    const ScreenRect big = PlacePreview({2800, 1000, 2864, 1064}, Edge::Bottom, 3000, 2000, monitor, gap);
    EXPECT_EQ(big.left, monitor.left);
    EXPECT_EQ(big.top, monitor.top);
}

// --- opening and closing ---

TEST(PreviewHoverTest, OpensAfterTheDelayAndNotForItemsPassedOver) {
    PreviewHover hover(500);
    hover.HoverItem(1, true, 0);
    EXPECT_EQ(hover.NextDue(), 500);
    hover.HoverItem(2, true, 300); // moved on before the delay: the wait starts again
    EXPECT_EQ(hover.Tick(500), PreviewHover::Action::None);
    hover.HoverItem(2, true, 600); // the same item again keeps its start
    EXPECT_EQ(hover.Tick(799), PreviewHover::Action::None);
    EXPECT_EQ(hover.Tick(800), PreviewHover::Action::Show);
    EXPECT_EQ(hover.Item(), 2);
    EXPECT_TRUE(hover.Shown());
    // A pinned item that does not run shows nothing.
    PreviewHover idle(100);
    idle.HoverItem(3, false, 0);
    EXPECT_FALSE(idle.NextDue());
    EXPECT_EQ(idle.Tick(1000), PreviewHover::Action::None);
    // Leaving before the delay cancels.
    idle.HoverItem(4, true, 0);
    idle.HoverItem(kNoItemId, false, 50);
    EXPECT_EQ(idle.Tick(1000), PreviewHover::Action::None);
}

TEST(PreviewHoverTest, StaysWhileThePointerCrossesToThePreviewAndClosesWhenItLeavesBoth) {
    PreviewHover hover(100);
    hover.HoverItem(1, true, 0);
    ASSERT_EQ(hover.Tick(100), PreviewHover::Action::Show);
    hover.HoverItem(kNoItemId, false, 1000); // off the dock, on the way to the preview
    hover.PointerInPreview(true, 1100);
    EXPECT_EQ(hover.Tick(1000 + PreviewHover::kLeaveGraceMs + 10), PreviewHover::Action::None);
    hover.PointerInPreview(false, 5000); // out of the preview, nowhere near the item
    EXPECT_EQ(hover.Tick(5000 + PreviewHover::kLeaveGraceMs - 1), PreviewHover::Action::None);
    EXPECT_EQ(hover.Tick(5000 + PreviewHover::kLeaveGraceMs), PreviewHover::Action::Close);
    EXPECT_FALSE(hover.Shown());
    EXPECT_FALSE(hover.NextDue());

    // Back on the item within the grace: it stays.
    hover.HoverItem(1, true, 6000);
    ASSERT_EQ(hover.Tick(6100), PreviewHover::Action::Show);
    hover.HoverItem(kNoItemId, false, 6200);
    hover.HoverItem(1, true, 6300);
    EXPECT_EQ(hover.Tick(9000), PreviewHover::Action::None);
    // The preview heard of the pointer before the dock noticed it leave: still no close.
    hover.PointerInPreview(true, 8000);
    hover.HoverItem(kNoItemId, false, 8010);
    EXPECT_EQ(hover.Tick(8010 + 10 * PreviewHover::kLeaveGraceMs), PreviewHover::Action::None);
    // Another item while shown: its preview comes at once.
    hover.HoverItem(2, true, 9000);
    EXPECT_EQ(hover.Tick(9000), PreviewHover::Action::Show);
    EXPECT_EQ(hover.Item(), 2);
}

TEST(PreviewHoverTest, AClickOpensAtOnceAndClosingForgetsEverything) {
    PreviewHover hover(1000);
    hover.HoverItem(5, true, 0);
    hover.OpenNow(5, 10);
    EXPECT_EQ(hover.Tick(10), PreviewHover::Action::Show);
    hover.OpenNow(5, 20); // already up: nothing new
    EXPECT_EQ(hover.Tick(20), PreviewHover::Action::None);
    hover.Closed(); // its item stopped running
    EXPECT_FALSE(hover.Shown());
    EXPECT_EQ(hover.Item(), kNoItemId);
    EXPECT_EQ(hover.Tick(5000), PreviewHover::Action::None);
}

TEST(PreviewPeekTest, PeeksAfterARestFollowsThePointerAndEndsWhenItLeaves) {
    PreviewPeek peek;
    EXPECT_FALSE(peek.NextDue());
    peek.Hover(1, 1000);
    EXPECT_EQ(peek.NextDue(), 1000 + PreviewPeek::kRestMs);
    EXPECT_EQ(peek.Tick(true, 1000 + PreviewPeek::kRestMs - 1), PreviewPeek::Action::None);
    EXPECT_EQ(peek.Tick(true, 1000 + PreviewPeek::kRestMs), PreviewPeek::Action::Show);
    EXPECT_EQ(peek.Peeked(), 1);
    EXPECT_FALSE(peek.NextDue());
    // On to the next picture: the peek follows at once.
    peek.Hover(2, 1500);
    EXPECT_EQ(peek.NextDue(), 1500);
    EXPECT_EQ(peek.Tick(true, 1500), PreviewPeek::Action::Show);
    EXPECT_EQ(peek.Peeked(), 2);
    // Off the pictures: it ends.
    peek.Hover(-1, 1600);
    EXPECT_EQ(peek.NextDue(), 1600);
    EXPECT_EQ(peek.Tick(true, 1600), PreviewPeek::Action::End);
    EXPECT_EQ(peek.Peeked(), -1);
    EXPECT_EQ(peek.Tick(true, 1700), PreviewPeek::Action::None);
    // A quick pass over a picture peeks at nothing; back on, it waits again.
    peek.Hover(0, 2000);
    peek.Hover(-1, 2100);
    EXPECT_EQ(peek.Tick(true, 3000), PreviewPeek::Action::None);
}

TEST(PreviewPeekTest, TheSettingOffOrTheClosingEndsIt) {
    PreviewPeek peek;
    peek.Hover(0, 0);
    EXPECT_EQ(peek.Tick(false, 5000), PreviewPeek::Action::None); // "aeropeek" off: never
    EXPECT_EQ(peek.Tick(true, 5000), PreviewPeek::Action::Show);
    EXPECT_EQ(peek.Tick(false, 5001), PreviewPeek::Action::End); // switched off meanwhile
    EXPECT_EQ(peek.Tick(true, 5002), PreviewPeek::Action::Show);
    EXPECT_EQ(peek.Closed(), PreviewPeek::Action::End);
    EXPECT_EQ(peek.Closed(), PreviewPeek::Action::None);
    EXPECT_EQ(peek.Tick(true, 9000), PreviewPeek::Action::None);
}

} // namespace
} // namespace kestrana::dock
