// One dock driven frame by frame: the pointer, the clock and the frame calls come from
// the test, and what the dock asks of the platform is recorded.
#include "dock/ondel_bar.h"

#include "dock/item_bounce.h"
#include "dock/unread_marks.h"
#include "fakes/golden_image.h"
#include "gfx/canvas.h"
#include "themes/dock_skin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kestrana::dock {
namespace {

class FakePlatform final : public DockPlatform {
public:
    std::int64_t now = 1000;
    std::optional<std::int64_t> frameDue;
    int presents = 0;
    gfx::RectI lastDirty;
    gfx::RectI shown;
    SlideOffset lastOffset;
    std::uint8_t lastOpacity = 255;
    ScreenRect window, hitArea;
    std::vector<ZOrder> zOrders;
    bool sampling = false;
    bool actbar = false;
    std::optional<LabelRequest> label;
    std::optional<std::int64_t> stripCheck;

    std::int64_t NowMs() override { return now; }
    void PlaceWindows(const ScreenRect& w, const ScreenRect& hit) override {
        window = w;
        hitArea = hit;
    }
    void Present(const gfx::Bitmap&, const gfx::RectI& part, const gfx::RectI& dirty, SlideOffset offset,
                 std::uint8_t opacity) override {
        ++presents;
        shown = part;
        lastDirty = dirty;
        lastOffset = offset;
        lastOpacity = opacity;
    }
    void RequestFrame(std::int64_t dueMs) override {
        if (!frameDue || dueMs < *frameDue) frameDue = dueMs;
    }
    void ApplyZOrder(ZOrder order) override { zOrders.push_back(order); }
    void ShowActivationBar(bool shown, const ScreenRect&) override { actbar = shown; }
    void ShowLabel(const std::optional<LabelRequest>& l) override { label = l; }
    void SamplePointer(bool on) override { sampling = on; }
    void ScheduleStripCheck(std::int64_t dueMs) override { stripCheck = dueMs; }
    void PlaceBackdrop(const std::optional<ScreenRect>& bar, int) override { backdrop = bar; }
    std::optional<ScreenRect> backdrop;
};

gfx::Bitmap TilePicture(gfx::Color colour) {
    gfx::Bitmap picture(128, 128);
    gfx::Canvas canvas(picture);
    canvas.FillRoundedRect({8, 8, 112, 112}, 28, colour);
    canvas.FillRoundedRect({36, 36, 56, 56}, 12, gfx::Color{255, 255, 255, 220});
    return picture;
}

void FillRow(DockItems& items, int count, bool withSeparator) {
    const gfx::Color colours[] = {{40, 120, 240, 255}, {250, 160, 40, 255}, {60, 190, 120, 255},
                                  {230, 70, 90, 255},  {140, 90, 230, 255}, {90, 100, 115, 255}};
    for (int i = 0; i < count; ++i) {
        if (withSeparator && i == count - 1) items.Append(MakeDockico(true));
        auto item = MakeDockico();
        item->tag = L"Item " + std::to_wstring(i + 1);
        item->picture = std::make_shared<const gfx::Bitmap>(TilePicture(colours[i % 6]));
        item->running = i % 2 == 0;
        items.Append(std::move(item));
    }
}

struct DockFixture {
    FakePlatform platform;
    themes::DockSkin skin = themes::DockSkin::BuiltIn({});
    std::unique_ptr<OndelBar> bar;

    explicit DockFixture(DockSettings settings, int refreshHz = 60, ScreenRect monitor = {0, 0, 1280, 800},
                         int count = 6) {
        themes::DockSkinOptions options;
        options.screenPosition = static_cast<int>(settings.screenPosition);
        skin = themes::DockSkin::BuiltIn(options);
        bar = std::make_unique<OndelBar>(platform, skin, settings, DockScreen{monitor, 1.0f, 0}, SkinSpacing{}, refreshHz);
        FillRow(bar->Items(), count, true);
        bar->ItemsChanged();
    }

    ScreenPoint OnRow(float fraction) const {
        const ScreenRect area = bar->Model().DockAreaRect();
        if (IsVertical(bar->Model().GetEdge()))
            return {(area.left + area.right) / 2, area.top + static_cast<int>(fraction * static_cast<float>(area.Height()))};
        return {area.left + static_cast<int>(fraction * static_cast<float>(area.Width())), (area.top + area.bottom) / 2};
    }

    // Runs the frames the bar asks for, advancing the clock to each due time. Returns how
    // many frames ran.
    int RunFrames(int limit = 1000) {
        int frames = 0;
        while (platform.frameDue && frames < limit) {
            platform.now = std::max(platform.now, *platform.frameDue);
            platform.frameDue.reset();
            bar->Frame();
            ++frames;
        }
        return frames;
    }
};

DockSettings Settings(DisplayMode mode = DisplayMode::Normal, Edge edge = Edge::Bottom) {
    DockSettings s;
    s.defaultSize = 48;
    s.maxSize = 96;
    s.displayMode = mode;
    s.screenPosition = edge;
    s.runIcon = true;
    return s;
}

TEST(OndelBar, GrowsToTheMagnifyRangeInTheFramesOfTheDisplayRate) {
    for (const int hz : {60, 144}) {
        DockFixture dock(Settings(), hz);
        const int range = dock.bar->Model().MagnifyRange();
        ASSERT_EQ(range, 48);
        dock.bar->PointerMoved(dock.OnRow(0.5f));
        EXPECT_EQ(dock.bar->State(), DockState::Growing);
        const int frames = dock.RunFrames();
        // floor(48 / 6) = 8, raised to 10 frames at 60 Hz; 24 at 144 Hz.
        EXPECT_EQ(frames, hz == 60 ? 10 : 24) << hz;
        EXPECT_FLOAT_EQ(dock.bar->Magnification(), static_cast<float>(range));
        EXPECT_EQ(dock.bar->State(), DockState::Magnified);
        // The pointer may wander over the grown icons: the hit area reaches past the bar.
        EXPECT_LT(dock.platform.hitArea.top, dock.bar->Model().DockAreaRect().top);
    }
}

TEST(OndelBar, TheInputAreaCoversTheDrawnRowWhileMagnified) {
    // A short row grows far past its resting ends (centred, so its icons move under a
    // still pointer): the input area must cover the whole drawn row and keep the pointer,
    // or clicks on the outer icons land nowhere.
    for (const int count : {1, 2, 3, 6}) {
        DockFixture dock(Settings(), 60, {0, 0, 1920, 1080}, count);
        for (const float fraction : {0.1f, 0.5f, 0.9f}) {
            dock.bar->PointerLeft();
            dock.RunFrames();
            const ScreenPoint pointer = dock.OnRow(fraction);
            dock.bar->PointerMoved(pointer);
            dock.RunFrames();
            ASSERT_EQ(dock.bar->State(), DockState::Magnified);
            const std::string where = std::to_string(count) + " icons at " + std::to_string(fraction);
            const ScreenRect drawn = dock.bar->Model().DockAreaRect();
            const ScreenRect hit = dock.platform.hitArea;
            EXPECT_TRUE(hit.Contains(pointer)) << where;
            EXPECT_LE(hit.left, drawn.left) << where;
            EXPECT_GE(hit.right, drawn.right) << where;
        }
    }
}

TEST(OndelBar, ABounceEndsWithTheFirstWindowOrGivesUp) {
    for (std::int64_t t = 0; t <= 2 * kBouncePeriodMs; t += 35) {
        EXPECT_GE(BounceLift(t, 48, 30), 0.0f);
        EXPECT_LE(BounceLift(t, 48, 30), 24.0f);
    }
    EXPECT_FLOAT_EQ(BounceLift(kBouncePeriodMs / 2, 48, 100), 24.0f);
    EXPECT_FLOAT_EQ(BounceLift(kBouncePeriodMs / 2, 48, 10), 10.0f);
    EXPECT_FLOAT_EQ(BounceLift(kBouncePeriodMs, 48, 100), 0.0f);

    DockFixture dock(Settings());
    DockItems& items = dock.bar->Items();
    dock.bar->StartBounce(items[3].id);
    dock.RunFrames(20);
    EXPECT_TRUE(dock.bar->Bouncing());
    {
        std::lock_guard lock(items.ListMutex());
        std::lock_guard windows(items.WindowListMutex());
        items[3].windows.push_back(WindowId{7});
    }
    dock.RunFrames();
    EXPECT_FALSE(dock.bar->Bouncing());
    EXPECT_FALSE(dock.platform.frameDue.has_value()); // still again

    const std::int64_t start = dock.platform.now;
    dock.bar->StartBounce(items[4].id);
    dock.RunFrames(5000);
    EXPECT_FALSE(dock.bar->Bouncing());
    EXPECT_GE(dock.platform.now - start, kBounceGiveUpMs);
    EXPECT_LT(dock.platform.now - start, kBounceGiveUpMs + 100);
}

TEST(OndelBar, NothingAnimatesWhenTheMaximumIsTheRestingSize) {
    DockSettings settings = Settings();
    settings.maxSize = settings.defaultSize;
    DockFixture dock(settings);
    dock.bar->PointerMoved(dock.OnRow(0.3f));
    EXPECT_FALSE(dock.platform.frameDue.has_value());
    EXPECT_EQ(dock.bar->Magnification(), 0.0f);
}

TEST(OndelBar, LeavingShrinksAndTheAutoHideModeSlidesTheDockAwayAfterTheWatch) {
    DockFixture dock(Settings(DisplayMode::AutoHide));
    dock.bar->PointerMoved(dock.OnRow(0.5f));
    dock.RunFrames();
    dock.bar->PointerLeft();
    EXPECT_EQ(dock.bar->State(), DockState::Shrinking);
    const std::int64_t shrinkStart = dock.platform.now;
    dock.RunFrames();
    EXPECT_EQ(dock.bar->Magnification(), 0.0f);
    EXPECT_EQ(dock.bar->State(), DockState::Hidden);
    // The 26 watch steps of 15 ms come after the shrink.
    EXPECT_GE(dock.platform.now - shrinkStart, 26 * 15);
    EXPECT_TRUE(dock.platform.sampling);
    const SlideOffset full = dock.bar->Model().HiddenOffset();
    EXPECT_GT(full.dy, 0.0f); // a bottom dock slides down
    EXPECT_FLOAT_EQ(dock.platform.lastOffset.dy, full.dy);
}

TEST(OndelBar, TheTriggerStripBringsAHiddenDockBackUnlessTheModeForbidsIt) {
    for (const DisplayMode mode : {DisplayMode::AutoHide, DisplayMode::Hide}) {
        DockFixture dock(Settings(mode));
        dock.bar->PointerMoved(dock.OnRow(0.5f));
        dock.RunFrames();
        dock.bar->PointerLeft();
        dock.RunFrames();
        ASSERT_EQ(dock.bar->State(), DockState::Hidden);
        const ScreenRect strip = dock.bar->Model().TriggerStripRect();
        dock.bar->PointerSample({(strip.left + strip.right) / 2, strip.bottom - 1}, false);
        if (mode == DisplayMode::Hide) {
            EXPECT_EQ(dock.bar->State(), DockState::Hidden);
            continue;
        }
        EXPECT_EQ(dock.bar->State(), DockState::Showing);
        const std::int64_t start = dock.platform.now;
        dock.RunFrames();
        EXPECT_EQ(dock.bar->State(), DockState::ShownAtRest);
        EXPECT_GE(dock.platform.now - start, 400);
        EXPECT_FALSE(dock.platform.sampling);
        EXPECT_FLOAT_EQ(dock.platform.lastOffset.dy, 0.0f);
    }
}

TEST(OndelBar, ADelayedStripChecksThePointerAgainBeforeShowing) {
    DockSettings settings = Settings(DisplayMode::AutoHide);
    settings.mouseActSleep = 5;
    DockFixture dock(settings);
    dock.bar->PointerMoved(dock.OnRow(0.5f));
    dock.RunFrames();
    dock.bar->PointerLeft();
    dock.RunFrames();
    const ScreenRect strip = dock.bar->Model().TriggerStripRect();
    const ScreenPoint onStrip{(strip.left + strip.right) / 2, strip.bottom - 1};
    dock.bar->PointerSample(onStrip, false);
    EXPECT_EQ(dock.bar->State(), DockState::Hidden);
    ASSERT_TRUE(dock.platform.stripCheck.has_value());
    EXPECT_EQ(*dock.platform.stripCheck - dock.platform.now, 500);
    dock.bar->StripCheckDue({onStrip.x, strip.top - 300}); // moved away meanwhile
    EXPECT_EQ(dock.bar->State(), DockState::Hidden);
    dock.bar->PointerSample(onStrip, true); // a held button never shows it
    dock.bar->PointerSample(onStrip, false);
    dock.bar->StripCheckDue(onStrip);
    EXPECT_EQ(dock.bar->State(), DockState::Showing);
}

TEST(OndelBar, ThePointerComingBackDuringTheHideUndoesIt) {
    DockFixture dock(Settings(DisplayMode::AutoHide));
    dock.bar->PointerMoved(dock.OnRow(0.5f));
    dock.RunFrames();
    dock.bar->PointerLeft();
    // Run only the shrink and the first watch steps.
    for (int i = 0; i < 14 && dock.platform.frameDue; ++i) {
        dock.platform.now = std::max(dock.platform.now, *dock.platform.frameDue);
        dock.platform.frameDue.reset();
        dock.bar->Frame();
    }
    ASSERT_EQ(dock.bar->State(), DockState::Hiding);
    dock.bar->PointerMoved(dock.OnRow(0.5f));
    EXPECT_EQ(dock.bar->State(), DockState::Showing);
    dock.RunFrames();
    EXPECT_EQ(dock.bar->State(), DockState::ShownAtRest);
}

TEST(OndelBar, TheHotkeyModeOnlyMovesWithTheHotkey) {
    DockFixture dock(Settings(DisplayMode::Hotkey));
    dock.bar->PointerMoved(dock.OnRow(0.5f));
    dock.RunFrames();
    dock.bar->PointerLeft();
    dock.RunFrames();
    EXPECT_EQ(dock.bar->State(), DockState::ShownAtRest);
    dock.bar->HotkeyPressed();
    dock.RunFrames();
    EXPECT_EQ(dock.bar->State(), DockState::Hidden);
    dock.bar->HotkeyPressed();
    dock.RunFrames();
    EXPECT_EQ(dock.bar->State(), DockState::ShownAtRest);
}

TEST(OndelBar, TheKeyboardFocusBringsAHiddenDockOutHoldsItAndLetsItGo) {
    DockFixture dock(Settings(DisplayMode::AutoHide));
    dock.bar->PointerMoved(dock.OnRow(0.5f));
    dock.RunFrames();
    dock.bar->PointerLeft();
    dock.RunFrames();
    ASSERT_EQ(dock.bar->State(), DockState::Hidden);
    const std::int32_t first = dock.bar->Items()[DockItems::kFirstReal].id;
    dock.bar->SetKeyboardFocus(first);
    dock.RunFrames();
    EXPECT_EQ(dock.bar->State(), DockState::ShownAtRest);
    // Long past the watch: the focus keeps it out although the pointer is elsewhere.
    dock.platform.now += 10'000;
    dock.bar->Redraw();
    dock.RunFrames();
    EXPECT_EQ(dock.bar->State(), DockState::ShownAtRest);
    dock.bar->SetKeyboardFocus(kNoItemId);
    dock.RunFrames();
    EXPECT_EQ(dock.bar->State(), DockState::Hidden);
}

TEST(DockRenderer, UnreadMarksGoToTheirProgramsItemsAndSitOnTheIconsCorner) {
    DockFixture dock(Settings());
    const gfx::Bitmap rest = dock.bar->FrameBitmap().Clone();
    DockItems& items = dock.bar->Items();
    Dockico& chat = items[DockItems::kFirstReal + 1];
    std::map<std::wstring, int> marks{{L"chat.exe", 0}, {L"gone.exe", 4}};
    {
        std::lock_guard lock(items.ListMutex());
        chat.appname = L"Chat.exe";
        items[DockItems::kFirstReal + 2].appname = L"chat"; // not a program's file name
        EXPECT_TRUE(ApplyUnreadMarks(items, marks));
        EXPECT_FALSE(ApplyUnreadMarks(items, marks)); // nothing new: nothing to draw
        items.ForEachReal([&](std::size_t, const Dockico& item) {
            EXPECT_EQ(item.unread, &item == &chat ? 0 : kNoUnread) << item.tag;
        });
    }
    dock.bar->Redraw();
    const gfx::Bitmap& frame = dock.bar->FrameBitmap();
    const gfx::RectF icon = ItemRectInFrame(dock.bar->Model(), chat, frame.Width(), frame.Height());
    // A red mark on the upper right corner of that icon only, inside the redrawn part.
    const gfx::RectI dirty = dock.platform.lastDirty;
    int changed = 0, red = 0;
    for (int y = 0; y < frame.Height(); ++y)
        for (int x = 0; x < frame.Width(); ++x) {
            const gfx::Pixel p = frame.At(x, y);
            if (p == rest.At(x, y)) continue;
            ++changed;
            EXPECT_TRUE(x >= dirty.x && x < dirty.Right() && y >= dirty.y && y < dirty.Bottom()) << x << "," << y;
            EXPECT_GE(x, icon.x + icon.width / 2) << x << "," << y;
            EXPECT_LE(y, icon.y + icon.height / 2) << x << "," << y;
            if (gfx::PixelR(p) > 200 && gfx::PixelG(p) < 90) ++red;
        }
    EXPECT_GT(red, 40);
    EXPECT_GT(changed, red / 2);
    // A count is written on the mark; a mark that goes leaves the icon as it was.
    const gfx::Bitmap dot = frame.Clone();
    marks[L"chat.exe"] = 7;
    {
        std::lock_guard lock(items.ListMutex());
        EXPECT_TRUE(ApplyUnreadMarks(items, marks));
    }
    dock.bar->Redraw();
    const auto now = dock.bar->FrameBitmap().Pixels();
    EXPECT_FALSE(std::equal(now.begin(), now.end(), dot.Pixels().begin(), dot.Pixels().end()));
    {
        std::lock_guard lock(items.ListMutex());
        EXPECT_TRUE(ApplyUnreadMarks(items, {}));
    }
    dock.bar->Redraw();
    testing::ExpectSameImage(dock.bar->FrameBitmap(), rest, 2, "after the mark went");
}

TEST(DockRenderer, TheFocusRingIsDrawnAroundTheFocusedIconAndGoesWithIt) {
    DockFixture dock(Settings());
    const gfx::Bitmap rest = dock.bar->FrameBitmap().Clone();
    const std::int32_t second = dock.bar->Items()[DockItems::kFirstReal + 1].id;
    dock.bar->SetKeyboardFocus(second);
    const gfx::RectI dirty = dock.platform.lastDirty;
    ASSERT_FALSE(dirty.Empty());
    EXPECT_LT(dirty.width, dock.bar->FrameBitmap().Width() / 3) << "only around the one icon";
    // Pixels changed, and all of them inside the redrawn part.
    const gfx::Bitmap& ringed = dock.bar->FrameBitmap();
    int changed = 0;
    for (int y = 0; y < ringed.Height(); ++y)
        for (int x = 0; x < ringed.Width(); ++x)
            if (ringed.At(x, y) != rest.At(x, y)) {
                ++changed;
                EXPECT_TRUE(x >= dirty.x && x < dirty.Right() && y >= dirty.y && y < dirty.Bottom()) << x << "," << y;
            }
    EXPECT_GT(changed, 40);
    // A partial drawing of the ring ends where a whole drawing does, and leaving takes it away.
    const gfx::Bitmap partial = ringed.Clone();
    dock.bar->RedrawWhole();
    testing::ExpectSameImage(dock.bar->FrameBitmap(), partial, 2, "focus ring");
    dock.bar->SetKeyboardFocus(kNoItemId);
    testing::ExpectSameImage(dock.bar->FrameBitmap(), rest, 2, "after the focus left");
}

TEST(OndelBar, ActivationBarMarksAHiddenDock) {
    DockSettings settings = Settings(DisplayMode::AutoHide);
    settings.showActBar = 1;
    DockFixture dock(settings);
    dock.bar->PointerMoved(dock.OnRow(0.5f));
    dock.RunFrames();
    EXPECT_FALSE(dock.platform.actbar);
    dock.bar->PointerLeft();
    dock.RunFrames();
    EXPECT_TRUE(dock.platform.actbar);
}

TEST(OndelBar, TheLabelFollowsTheHoveredItem) {
    DockFixture dock(Settings());
    const ScreenPoint farEnd = dock.OnRow(0.95f); // on the last icon at rest
    dock.bar->PointerMoved(dock.OnRow(0.1f));
    dock.RunFrames();
    EXPECT_NE(dock.bar->Hovered(), 0u);
    EXPECT_TRUE(dock.bar->PointerInside());
    ASSERT_TRUE(dock.platform.label.has_value());
    const std::wstring first = dock.platform.label->text;
    EXPECT_FALSE(first.empty());
    // The label sits above the icon, inside the window's top part.
    EXPECT_LT(dock.platform.label->anchor.y, dock.bar->Model().DockAreaRect().bottom);
    dock.bar->PointerMoved(farEnd);
    dock.RunFrames();
    ASSERT_TRUE(dock.platform.label.has_value());
    EXPECT_NE(dock.platform.label->text, first);
    dock.bar->PointerLeft();
    EXPECT_FALSE(dock.platform.label.has_value());
}

TEST(OndelBar, AMenuTakesTheLabelAndHandsTheWholePictureOverWhenItCloses) {
    DockFixture dock(Settings());
    const ScreenPoint on = dock.OnRow(0.3f);
    dock.bar->PointerMoved(on);
    dock.RunFrames();
    ASSERT_TRUE(dock.platform.label.has_value());
    DockOpenFacts open;
    open.menuOpen = true;
    dock.bar->SetOpenFacts(open);
    EXPECT_FALSE(dock.platform.label.has_value());
    // Frames while the menu is open (the press, the animation) bring no label back.
    dock.bar->ButtonChanged(true);
    dock.bar->ButtonChanged(false);
    dock.RunFrames();
    EXPECT_FALSE(dock.platform.label.has_value());
    const int presents = dock.platform.presents;
    dock.bar->SetOpenFacts({});
    EXPECT_GT(dock.platform.presents, presents);
    EXPECT_EQ(gfx::Intersect(dock.platform.lastDirty, dock.platform.shown), dock.platform.shown);
    // Closed with the pointer still on the item: the label waits for it to move.
    EXPECT_FALSE(dock.platform.label.has_value());
    dock.bar->PointerMoved(on);
    EXPECT_FALSE(dock.platform.label.has_value());
    dock.bar->PointerMoved({on.x + 2, on.y});
    dock.RunFrames();
    EXPECT_TRUE(dock.platform.label.has_value());
}

TEST(OndelBar, NoIconIsDrawnPastTheWindowAtEitherEndOfTheRow) {
    // The row's length correction hands the last entries extra size when the pointer
    // is at the end; the pictures must still fit the room above the bar.
    for (const Edge edge : {Edge::Bottom, Edge::Top, Edge::Left, Edge::Right}) {
        DockFixture dock(Settings(DisplayMode::Normal, edge), 60, {0, 0, 1920, 1080});
        for (const float fraction : {0.01f, 0.5f, 0.99f}) {
            dock.bar->PointerMoved(dock.OnRow(fraction));
            dock.RunFrames();
            const ScreenRect window = dock.bar->Model().WindowRect();
            const float largest = dock.bar->Model().IconSize() + static_cast<float>(dock.bar->Model().MagnifyRange());
            std::lock_guard lock(dock.bar->Items().ListMutex());
            const DockItems& row = dock.bar->Items();
            for (std::size_t i = DockItems::kFirstReal; i < row.EndReal(); ++i) {
                if (row[i].IsSeparator()) continue;
                const ScreenRect icon = dock.bar->IconOnScreen(row[i].id);
                const std::string where = "edge " + std::to_string(static_cast<int>(edge)) + " at " +
                                          std::to_string(fraction) + " item " + std::to_string(i);
                EXPECT_LE(static_cast<float>(std::max(icon.Width(), icon.Height())), largest + 1) << where;
                EXPECT_GE(icon.left, window.left) << where;
                EXPECT_GE(icon.top, window.top) << where;
                EXPECT_LE(icon.right, window.right) << where;
                EXPECT_LE(icon.bottom, window.bottom) << where;
            }
        }
    }
}

TEST(OndelBar, TheBlurredBackdropFollowsTheBarAndLeavesWhileItMoves) {
    DockFixture dock(Settings(DisplayMode::AutoHide));
    EXPECT_FALSE(dock.platform.backdrop.has_value());
    dock.bar->SetBackdrop(true, 128);
    ASSERT_TRUE(dock.platform.backdrop.has_value());
    const ScreenRect atRest = *dock.platform.backdrop;
    // It lies on the bar, within the dock window.
    EXPECT_TRUE(dock.bar->Model().WindowRect().Contains({atRest.left, atRest.top}));
    EXPECT_LE(atRest.left, dock.bar->Model().DockAreaRect().left);
    dock.bar->PointerMoved(dock.OnRow(0.5f));
    dock.RunFrames();
    ASSERT_TRUE(dock.platform.backdrop.has_value());
    EXPECT_GT(dock.platform.backdrop->Width(), atRest.Width()); // the bar grew with the icons
    dock.bar->PointerLeft();
    dock.RunFrames();
    EXPECT_EQ(dock.bar->State(), DockState::Hidden);
    EXPECT_FALSE(dock.platform.backdrop.has_value());
    dock.bar->SetBackdrop(false, 0);
    EXPECT_FALSE(dock.platform.backdrop.has_value());
}

// Counts the drawn pixels that lie outside the part the window shows.
int PixelsOutside(const gfx::Bitmap& frame, const gfx::RectI& part) {
    int count = 0;
    for (int y = 0; y < frame.Height(); ++y)
        for (int x = 0; x < frame.Width(); ++x) {
            const bool inside = x >= part.x && x < part.Right() && y >= part.y && y < part.Bottom();
            if (!inside && gfx::PixelA(frame.Row(y)[x]) != 0) ++count;
        }
    return count;
}

TEST(OndelBar, PointerMovesBetweenFramesMakeOneFrameForTheLastPosition) {
  // A display that reports no rate (0) is paced as a 60 Hz one.
  for (const int hz : {60, 0}) {
    DockFixture dock(Settings(), hz);
    dock.bar->PointerMoved(dock.OnRow(0.3f));
    dock.RunFrames();
    const int before = dock.platform.presents;
    for (float f = 0.3f; f < 0.7f; f += 0.05f) dock.bar->PointerMoved(dock.OnRow(f));
    EXPECT_EQ(dock.platform.presents, before); // nothing is drawn between frames
    ASSERT_TRUE(dock.platform.frameDue.has_value());
    EXPECT_EQ(*dock.platform.frameDue, dock.platform.now + 1000 / 60); // one display refresh after the last
    EXPECT_EQ(dock.RunFrames(), 1);
    EXPECT_EQ(dock.platform.presents, before + 1);
    const gfx::Bitmap drawn = dock.bar->FrameBitmap().Clone();
    dock.bar->RedrawWhole(); // laid out for the pointer where it is now
    testing::ExpectSameImage(dock.bar->FrameBitmap(), drawn, 2, "after the coalesced moves");

    // A move across the row changes no size: nothing is presented.
    const ScreenPoint at = dock.OnRow(0.65f);
    dock.bar->PointerMoved({at.x, at.y + 1});
    dock.RunFrames();
    dock.bar->PointerMoved({at.x, at.y - 1});
    const int still = dock.platform.presents;
    dock.RunFrames();
    EXPECT_EQ(dock.platform.presents, still);
  }
}

TEST(OndelBar, TheWindowShowsOnlyWhatIsDrawnAndGrowsForTheMagnification) {
    for (const Edge edge : {Edge::Bottom, Edge::Left}) {
        DockFixture dock(Settings(DisplayMode::Normal, edge));
        const gfx::Bitmap& frame = dock.bar->FrameBitmap();
        const gfx::RectI rest = dock.platform.shown;
        EXPECT_EQ(PixelsOutside(frame, rest), 0);
        EXPECT_LT(rest.width * rest.height, frame.Width() * frame.Height() / 2);

        dock.bar->PointerMoved(dock.OnRow(0.1f));
        dock.RunFrames(2);
        const gfx::RectI growing = dock.platform.shown;
        dock.RunFrames();
        // One step to the whole reach of the magnified row, not one per frame.
        EXPECT_EQ(dock.platform.shown, growing);
        for (float f = 0.0f; f <= 1.0f; f += 0.1f) {
            dock.bar->PointerMoved(dock.OnRow(f));
            dock.RunFrames();
            EXPECT_EQ(PixelsOutside(frame, dock.platform.shown), 0) << f;
        }
        dock.bar->PointerLeft();
        dock.RunFrames();
        EXPECT_EQ(dock.platform.shown, rest);
    }
}

TEST(DockRenderer, HighContrastDrawsTheBarPlainAndOpaqueInTheSchemesColours) {
    DockFixture dock(Settings());
    const auto& items = dock.bar->Items();
    const std::int32_t first = items[DockItems::kFirstReal].id;
    const std::int32_t second = items[DockItems::kFirstReal + 1].id;
    // A point of the bar between the first two icons, in frame pixels.
    const auto between = [&] {
        const ScreenRect a = dock.bar->IconOnScreen(first), b = dock.bar->IconOnScreen(second);
        return std::pair{(a.right + b.left) / 2 - dock.platform.window.left,
                         (a.top + a.bottom) / 2 - dock.platform.window.top};
    };
    const gfx::ContrastColours scheme{{10, 20, 30, 255}, {250, 240, 0, 255}, {0, 255, 255, 255}};
    const auto [x0, y0] = between();
    EXPECT_NE(dock.bar->FrameBitmap().At(x0, y0), scheme.window.Premultiplied());

    dock.bar->SetContrast(scheme);
    dock.bar->SetKeyboardFocus(items[items.EndReal() - 1].id); // away from the two measured

    const auto [x, y] = between();
    const gfx::Bitmap& frame = dock.bar->FrameBitmap();
    EXPECT_EQ(frame.At(x, y), scheme.window.Premultiplied());
    // The running mark and the focus ring take the scheme's text and highlight colours.
    int text = 0, highlight = 0;
    for (const gfx::Pixel p : frame.Pixels()) {
        text += p == scheme.text.Premultiplied();
        highlight += p == scheme.highlight.Premultiplied();
    }
    EXPECT_GT(text, 20);
    EXPECT_GT(highlight, 20);

    dock.bar->SetContrast(std::nullopt); // back to the theme's look
    EXPECT_NE(dock.bar->FrameBitmap().At(x, y), scheme.window.Premultiplied());
}

TEST(OndelBar, WithTheSystemsAnimationsOffTheIconsMagnifyInOneFrame) {
    DockFixture dock(Settings());
    dock.bar->SetReducedMotion(true);
    dock.bar->PointerMoved(dock.OnRow(0.5f));
    dock.platform.now = std::max(dock.platform.now, dock.platform.frameDue.value_or(dock.platform.now));
    dock.platform.frameDue.reset();
    dock.bar->Frame();
    EXPECT_EQ(dock.bar->Magnification(), static_cast<float>(dock.bar->Model().MagnifyRange()));
    dock.bar->PointerLeft();
    dock.platform.now = std::max(dock.platform.now, dock.platform.frameDue.value_or(dock.platform.now));
    dock.platform.frameDue.reset();
    dock.bar->Frame();
    EXPECT_EQ(dock.bar->Magnification(), 0.0f);
}

TEST(DockRenderer, DrawsOnlyWhatChanged) {
    DockSettings settings = Settings();
    settings.iconEffect = IconEffect::Select;
    DockFixture dock(settings);
    const gfx::Bitmap& frame = dock.bar->FrameBitmap();
    ASSERT_FALSE(frame.Empty());
    const int before = dock.platform.presents;
    dock.bar->Redraw(); // nothing changed
    EXPECT_EQ(dock.platform.presents, before);
    dock.bar->PointerMoved(dock.OnRow(0.1f)); // the select look appears under one icon
    EXPECT_GT(dock.platform.presents, before);
    const gfx::RectI dirty = dock.platform.lastDirty;
    EXPECT_FALSE(dirty.Empty());
    EXPECT_LT(dirty.width, frame.Width() / 2);
}

// Drawing only the changed parts frame after frame must end where a whole drawing does.
TEST(DockRenderer, PartialFramesAddUpToTheWholeFrame) {
    for (const IconEffect effect : {IconEffect::Scale, IconEffect::ScaleAndLight, IconEffect::Select}) {
        DockSettings settings = Settings();
        settings.iconEffect = effect;
        DockFixture dock(settings);
        auto sameAsWhole = [&dock, effect](const char* when) {
            const gfx::Bitmap partial = dock.bar->FrameBitmap().Clone();
            dock.bar->RedrawWhole();
            // A cached resting copy and a direct draw may round a channel differently by one or two.
            testing::ExpectSameImage(dock.bar->FrameBitmap(), partial, 2,
                                     std::string(when) + " effect " + std::to_string(static_cast<int>(effect)));
        };
        dock.bar->PointerMoved(dock.OnRow(0.2f));
        for (int i = 0; i < 4 && dock.platform.frameDue; ++i) {
            dock.platform.now = *dock.platform.frameDue;
            dock.platform.frameDue.reset();
            dock.bar->Frame();
        }
        sameAsWhole("while growing");
        dock.RunFrames();
        for (float f = 0.2f; f < 0.9f; f += 0.13f) {
            dock.bar->PointerMoved(dock.OnRow(f));
            dock.RunFrames();
        }
        sameAsWhole("after sweeping");
        dock.bar->PointerLeft();
        dock.RunFrames();
        sameAsWhole("back at rest");
    }
}

// The whole frame at rest and at full magnification, on each edge.
TEST(DockRenderer, GoldenFramesOnEveryEdge) {
    const struct {
        Edge edge;
        const char* name;
    } edges[] = {{Edge::Bottom, "bottom"}, {Edge::Left, "left"}, {Edge::Right, "right"}, {Edge::Top, "top"}};
    for (const auto& e : edges) {
        DockSettings settings = Settings(DisplayMode::Normal, e.edge);
        settings.defaultSize = 32;
        settings.maxSize = 64;
        DockFixture dock(settings, 60, {0, 0, 1024, 768}, 4);
        testing::CheckGoldenImage("dock", std::string(e.name) + "_rest", dock.bar->FrameBitmap());
        dock.bar->PointerMoved(dock.OnRow(0.4f));
        dock.RunFrames();
        testing::CheckGoldenImage("dock", std::string(e.name) + "_magnified", dock.bar->FrameBitmap());
    }
}

} // namespace
} // namespace kestrana::dock
