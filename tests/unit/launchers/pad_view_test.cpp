// The Launchpad view's input: clicks, Escape, the wheel and swipes, and the drag that
// moves, groups and ungroups icons, with the saves and renames it asks for.

#include "catalogue_support.h"
#include "gfx/builtin_text_renderer.h"
#include "launchers/pad_renderer.h"
#include "launchers/pad_view.h"

namespace kestrana::launchers::testing {
namespace {

struct ViewWorld : PadWorld {
    LaunchpadCatalogue catalogue = (Choice(1), Applications(40), Catalogue());
    PadView view{catalogue.Pages()};
    std::int64_t now = 1000;

    ViewWorld() {
        catalogue.Load();
        view.SetGeometry(LayOutPad({.width = 1920, .height = 1080}));
        view.PagesChanged();
    }
    [[nodiscard]] PadPoint IconCentre(int cell) const {
        const gfx::RectI r = view.Geometry().IconRect(cell);
        return {r.x + r.width / 2, r.y + r.height / 2};
    }
    // Beside the icon, under it: a place to drop without combining.
    [[nodiscard]] PadPoint CellFoot(int cell) const {
        const gfx::RectI r = view.Geometry().Cell(cell);
        return {r.x + r.width / 2, r.Bottom() - 2};
    }
    PadCommand Drag(PadPoint from, PadPoint to) {
        view.Press(from, now);
        view.Move({from.x + 30, from.y + 30}, now += 16);
        view.Move(to, now += 16);
        return view.Release(to, now += 16);
    }
    PadCommand Click(PadPoint at) {
        view.Press(at, now);
        return view.Release(at, now += 50);
    }
    [[nodiscard]] std::vector<int> FirstPage() { return Shape(catalogue.Pages())[0]; }
};

TEST(PadView, DroppingOntoAnIconMakesAGroupRenamedInPlaceAndSaved) {
    ViewWorld world;
    EXPECT_EQ(world.Drag(world.IconCentre(0), world.IconCentre(1)).kind, PadCommand::Kind::Save);
    const auto grouped = world.FirstPage();
    EXPECT_EQ(std::vector<int>(grouped.begin(), grouped.begin() + 3), (std::vector<int>{-2, 3, 4}));
    ASSERT_TRUE(world.view.Renaming());
    EXPECT_EQ(world.view.RenameText(), L"other");
    ASSERT_TRUE(world.catalogue.Save());

    world.view.Type(L"Tools"); // replaces the proposed name
    const PadCommand rename = world.view.Key(PadKey::Enter, world.now);
    ASSERT_EQ(rename.kind, PadCommand::Kind::RenameGroup);
    EXPECT_EQ(rename.text, L"Tools");
    world.catalogue.RenameGroup(rename.place.page, rename.place.position, rename.text);
    ASSERT_TRUE(world.catalogue.Save());

    // What was saved comes back on the next start.
    auto again = world.Catalogue();
    again.Load();
    const auto& group = std::get<LaunchpadGroup>(again.Pages()[0][0]);
    EXPECT_EQ(group.name, L"Tools");
    ASSERT_EQ(group.entries.size(), 2u);
    EXPECT_EQ(group.entries[0].name, L"App 2");
    EXPECT_EQ(group.entries[1].name, L"App 1");

    // Another entry dropped onto the group joins it; the group keeps its name.
    world.view.Key(PadKey::Escape, world.now); // closes the group
    EXPECT_EQ(world.Drag(world.IconCentre(3), world.IconCentre(0)).kind, PadCommand::Kind::Save);
    EXPECT_FALSE(world.view.Renaming());
    EXPECT_EQ(std::get<LaunchpadGroup>(world.catalogue.Pages()[0][0]).entries.size(), 3u);
}

TEST(PadView, DraggingMovesAnIconAndNeighboursMakeRoom) {
    ViewWorld world;
    world.view.Press(world.IconCentre(0), world.now);
    world.view.Move(world.CellFoot(3), world.now += 16);
    ASSERT_EQ(world.view.Drag(), DragState::Dragging);
    EXPECT_FALSE(world.view.CombineTarget());
    EXPECT_EQ(world.view.PageTiles(0)[2].cell, 3); // passing by moves nothing yet
    world.view.Tick(world.now += PadView::kReflowMs);
    const auto tiles = world.view.PageTiles(0);
    EXPECT_EQ(tiles[2].cell, 2);
    EXPECT_EQ(tiles[3].cell, 4); // cell 3 is left free for the dragged icon
    EXPECT_EQ(world.view.Release(world.CellFoot(3), world.now += 16).kind, PadCommand::Kind::Save);
    const auto moved = world.FirstPage();
    EXPECT_EQ(std::vector<int>(moved.begin(), moved.begin() + 5), (std::vector<int>{2, 3, 4, 1, 5}));

    // Put back where it was: nothing to save.
    EXPECT_EQ(world.Drag(world.IconCentre(4), world.CellFoot(4)).kind, PadCommand::Kind::None);
}

TEST(PadView, DraggingInsideAnOpenGroupReordersItAndDraggingOutTakesTheEntryOut) {
    ViewWorld world;
    world.Drag(world.IconCentre(0), world.IconCentre(1));
    world.view.Key(PadKey::Escape, world.now); // ends the rename
    world.view.Key(PadKey::Escape, world.now); // closes the group
    world.Drag(world.IconCentre(2), world.IconCentre(0)); // App 4 joins: App 2, App 1, App 4
    world.Click(world.IconCentre(0));
    ASSERT_TRUE(world.view.OpenGroup());
    const auto memberAt = [&](int cell) {
        const gfx::RectI r = world.view.GroupCell(cell);
        return PadPoint{r.x + r.width / 2, r.y + 40};
    };
    const auto names = [&] {
        std::vector<std::wstring> out;
        for (const auto& e : std::get<LaunchpadGroup>(world.catalogue.Pages()[0][0]).entries) out.push_back(e.name);
        return out;
    };
    // The last member dragged onto the first cell: the others make room, then it lands there.
    world.view.Press(memberAt(2), world.now);
    world.view.Move(memberAt(0), world.now += 16);
    const auto tiles = world.view.GroupTiles();
    ASSERT_EQ(tiles.size(), 2u);
    EXPECT_EQ(tiles[0].cell, 1);
    EXPECT_EQ(world.view.Release(memberAt(0), world.now += 16).kind, PadCommand::Kind::Save);
    EXPECT_EQ(names(), (std::vector<std::wstring>{L"App 4", L"App 2", L"App 1"}));
    EXPECT_TRUE(world.view.OpenGroup());
    // Dropped back where it was: nothing to save.
    EXPECT_EQ(world.Drag(memberAt(1), memberAt(1)).kind, PadCommand::Kind::None);

    const PadPoint bottomRight = world.CellFoot(34);
    EXPECT_EQ(world.Drag(memberAt(0), bottomRight).kind, PadCommand::Kind::Save);
    EXPECT_FALSE(world.view.OpenGroup());
    const auto page = world.FirstPage();
    EXPECT_EQ(page[0], -2);
    EXPECT_EQ(page.back(), 4);
}

TEST(PadView, AGroupHeldAtItsSideTurnsItsPagesUnderADraggedMember) {
    ViewWorld world;
    auto& page = world.catalogue.Pages()[0];
    LaunchpadGroup group{L"Big", {}};
    for (int i = 0; i < 25; ++i) group.entries.push_back(std::get<LaunchpadEntry>(page[i]));
    page.erase(page.begin() + 1, page.begin() + 25);
    page[0] = group;
    world.view.PagesChanged();
    world.Click(world.IconCentre(0));
    const int y = world.view.GroupCell(0).y + 40;
    const auto memberAt = [&](int cell) { return PadPoint{world.view.GroupCell(cell).x + 40, y}; };
    // App 1 held at the right side: the second page comes (once); it lands before App 23.
    world.view.Press(memberAt(0), world.now);
    world.view.Move({world.view.GroupPanel().Right() - 4, y}, world.now += 16);
    for (int i = 0; i < 2; ++i) world.view.Tick(world.now += PadView::kEdgeTurnMs);
    ASSERT_EQ(world.view.GroupPage(), 1u);
    world.view.Move(memberAt(1), world.now += 16);
    ASSERT_EQ(world.view.Release(memberAt(1), world.now += 16).kind, PadCommand::Kind::Save);
    const auto& members = std::get<LaunchpadGroup>(world.catalogue.Pages()[0][0]).entries;
    EXPECT_EQ(members[20].name + members[21].name + members[22].name, L"App 22App 1App 23");
}

// An entry renamed from its menu: typed under its icon, committed by Enter or a click,
// kept by Escape; the typing never reaches the search meanwhile.
TEST(PadView, AnEntryIsRenamedInPlace) {
    ViewWorld world;
    const EntryPlace third{0, 2, std::nullopt};
    world.view.BeginRenameEntry(third);
    ASSERT_TRUE(world.view.RenamedEntry());
    EXPECT_EQ(world.view.RenameText(), L"App 3");
    world.view.Type(L"Editorx"); // replaces the old name
    world.view.Key(PadKey::Backspace, world.now);
    EXPECT_FALSE(world.view.Wheel(-120, false, false, world.now));
    const PadCommand enter = world.view.Key(PadKey::Enter, world.now);
    ASSERT_EQ(enter.kind, PadCommand::Kind::Rename);
    EXPECT_EQ(enter.text, L"Editor");
    EXPECT_EQ(world.catalogue.EntryAt(enter.place)->name, L"App 3") << "the catalogue renames, not the view";
    EXPECT_TRUE(world.view.SearchText().empty());
    ASSERT_TRUE(world.catalogue.Rename(enter.place, enter.text));
    world.view.PagesChanged();

    // Escape keeps the name and leaves the Launchpad up; an unchanged name asks nothing.
    world.view.BeginRenameEntry(third);
    world.view.Type(L"Other");
    EXPECT_EQ(world.view.Key(PadKey::Escape, world.now).kind, PadCommand::Kind::None);
    EXPECT_FALSE(world.view.RenamedEntry());
    world.view.BeginRenameEntry(third);
    EXPECT_EQ(world.view.Key(PadKey::Enter, world.now).kind, PadCommand::Kind::None);

    // A click elsewhere commits; found again by its new name.
    world.view.BeginRenameEntry(third);
    world.view.Type(L"Writer");
    const PadCommand clicked = world.Click({5, 500});
    ASSERT_EQ(clicked.kind, PadCommand::Kind::Rename);
    ASSERT_TRUE(world.catalogue.Rename(clicked.place, clicked.text));
    world.view.PagesChanged();
    world.view.Type(L"writ");
    ASSERT_EQ(world.view.Hits().size(), 1u);
    EXPECT_EQ(world.catalogue.EntryAt(world.view.Hits()[0].place)->name, L"Writer");
    world.view.Key(PadKey::Escape, world.now);

    // Another entry came to that place meanwhile: nothing is renamed.
    world.view.BeginRenameEntry(third);
    world.view.Type(L"Lost");
    std::swap(world.catalogue.Pages()[0][2], world.catalogue.Pages()[0][3]);
    EXPECT_EQ(world.view.Key(PadKey::Enter, world.now).kind, PadCommand::Kind::None);
}

TEST(PadView, TheQuestionsBoxesGrowWithTheTextSizeAndStayOnTheScreen) {
    ViewWorld world;
    world.view.AskDelete(EntryPlace{0, 2, std::nullopt}, L"Remove?");
    const PadPromptBoxes normal = world.view.PromptBoxes();
    for (const auto& [width, text] : {std::pair{1920, 2.0f}, std::pair{800, 2.25f}}) {
        world.view.SetGeometry(LayOutPad({.width = width, .height = 1080, .textScale = text}));
        const PadPromptBoxes bigger = world.view.PromptBoxes();
        EXPECT_GT(bigger.text.height, normal.text.height);
        EXPECT_GT(bigger.confirm.height, normal.confirm.height);
        EXPECT_GT(bigger.cancel.width, normal.cancel.width);
        EXPECT_GE(bigger.panel.x, 0) << width;
        EXPECT_LE(bigger.panel.Right(), width) << width;
        EXPECT_GE(bigger.cancel.x, bigger.text.x - bigger.icon.width) << width; // the buttons fit the panel
    }
}

TEST(PadView, RemovingAnEntryIsAskedInTheViewAndOnlyAConfirmationRemovesIt) {
    ViewWorld world;
    const EntryPlace third{0, 2, std::nullopt};
    world.view.AskDelete(third, L"App 3\nRemove?");
    const PadPromptBoxes boxes = world.view.PromptBoxes();
    const auto centre = [](const gfx::RectI& r) { return PadPoint{r.x + r.width / 2, r.y + r.height / 2}; };
    EXPECT_EQ(world.Click(centre(boxes.text)).kind, PadCommand::Kind::None); // kept, or Escape would hide
    EXPECT_EQ(world.view.Key(PadKey::Escape, world.now).kind, PadCommand::Kind::None);
    EXPECT_FALSE(world.view.Confirming());
    for (const PadPoint beside : {centre(boxes.cancel), PadPoint{5, 5}}) {
        world.view.AskDelete(third, L"Remove?");
        EXPECT_EQ(world.Click(beside).kind, PadCommand::Kind::None);
        EXPECT_FALSE(world.view.Confirming());
    }
    world.view.AskDelete(third, L"Remove?");
    const PadCommand clicked = world.Click(centre(boxes.confirm));
    ASSERT_EQ(clicked.kind, PadCommand::Kind::Delete);
    EXPECT_EQ(world.catalogue.EntryAt(clicked.place)->name, L"App 3");
    world.view.AskDelete(third, L"Remove?");
    EXPECT_EQ(world.view.Key(PadKey::Enter, world.now).kind, PadCommand::Kind::Delete);
    // Another entry came to that place while the question was up: nothing is removed.
    world.view.AskDelete(third, L"Remove?");
    std::swap(world.catalogue.Pages()[0][2], world.catalogue.Pages()[0][3]);
    EXPECT_EQ(world.view.Key(PadKey::Enter, world.now).kind, PadCommand::Kind::None);
}

TEST(PadView, ClicksAndEscape) {
    ViewWorld world;
    const PadCommand launch = world.Click(world.IconCentre(2));
    EXPECT_EQ(launch.kind, PadCommand::Kind::Launch);
    EXPECT_EQ(world.catalogue.EntryAt(launch.place)->name, L"App 3");
    EXPECT_EQ(world.Click({5, 500}).kind, PadCommand::Kind::Hide);

    world.Drag(world.IconCentre(0), world.IconCentre(1));
    world.view.Key(PadKey::Enter, world.now); // keeps "other"
    world.Click({5, 500});                    // outside the group closes it
    EXPECT_FALSE(world.view.OpenGroup());
    EXPECT_EQ(world.Click(world.IconCentre(0)).kind, PadCommand::Kind::None);
    ASSERT_TRUE(world.view.OpenGroup());

    // Escape clears the search, then closes the group, then hides.
    world.view.Type(L"app 3");
    EXPECT_EQ(world.view.Hits().size(), 11u); // App 3 and App 30..39
    EXPECT_EQ(world.view.Key(PadKey::Escape, world.now).kind, PadCommand::Kind::None);
    EXPECT_TRUE(world.view.SearchText().empty());
    EXPECT_TRUE(world.view.OpenGroup());
    EXPECT_EQ(world.view.Key(PadKey::Escape, world.now).kind, PadCommand::Kind::None);
    EXPECT_FALSE(world.view.OpenGroup());
    EXPECT_EQ(world.view.Key(PadKey::Escape, world.now).kind, PadCommand::Kind::Hide);

    // Enter launches the best hit.
    world.view.Type(L"app 7");
    const PadCommand enter = world.view.Key(PadKey::Enter, world.now);
    ASSERT_EQ(enter.kind, PadCommand::Kind::Launch);
    EXPECT_EQ(world.catalogue.EntryAt(enter.place)->name, L"App 7");

    // A notice takes the next click, or Enter, and nothing else.
    world.view.ShowNotice(L"Too many files");
    EXPECT_EQ(world.Click(world.IconCentre(2)).kind, PadCommand::Kind::None);
    EXPECT_TRUE(world.view.Notice().empty());
    world.view.ShowNotice(L"Too many files");
    EXPECT_FALSE(world.view.Type(L"x"));
    EXPECT_FALSE(world.view.Wheel(-120, false, false, world.now += 1000));
    EXPECT_EQ(world.view.Key(PadKey::Enter, world.now).kind, PadCommand::Kind::None);
    EXPECT_TRUE(world.view.Notice().empty());
    EXPECT_EQ(world.view.SearchText(), L"app 7");
}

TEST(PadView, WheelSwipesAndDotsTurnPagesOnlyWhenNothingElseIsUnderWay) {
    ViewWorld world;
    ASSERT_EQ(world.view.PageCount(), 2u);
    EXPECT_FALSE(world.view.Wheel(-240, false, false, world.now)); // a fast spin is no page turn
    EXPECT_TRUE(world.view.Wheel(-120, false, false, world.now));
    EXPECT_EQ(world.view.Page(), 1u);
    EXPECT_FALSE(world.view.Wheel(120, false, false, world.now + 100)); // the slide still runs
    const float halfway = world.view.PagePosition(world.now + PadView::kSlideMs / 2);
    EXPECT_GT(halfway, 0.0f);
    EXPECT_LT(halfway, 1.0f);
    world.now += PadView::kSlideMs;
    EXPECT_FALSE(world.view.Wheel(240, true, false, world.now)); // no page after the last
    EXPECT_FALSE(world.view.Wheel(-120, true, false, world.now)); // one notch sideways is a nudge
    EXPECT_TRUE(world.view.Wheel(-240, true, false, world.now));  // two notches left: previous page
    EXPECT_EQ(world.view.Page(), 0u);
    world.now += PadView::kSlideMs;

    // Not while an icon is dragged; a drag held at the right side turns the page instead.
    world.view.Press(world.IconCentre(0), world.now);
    world.view.Move({1915, 500}, world.now += 16);
    EXPECT_FALSE(world.view.Wheel(-120, false, false, world.now));
    world.view.Tick(world.now += PadView::kEdgeTurnMs);
    EXPECT_EQ(world.view.Page(), 1u);
    world.now += PadView::kSlideMs;
    world.view.Move(world.CellFoot(0), world.now);
    EXPECT_EQ(world.view.Release(world.CellFoot(0), world.now).kind, PadCommand::Kind::Save);
    EXPECT_EQ(Shape(world.catalogue.Pages())[1][0], 1);

    // A swipe on empty space follows the finger and turns when it went far enough.
    world.view.Press({960, 1040}, world.now);
    world.view.Move({1100, 1040}, world.now += 16);
    EXPECT_LT(world.view.PagePosition(world.now), 1.0f);
    world.view.Release({1400, 1040}, world.now += 16);
    EXPECT_EQ(world.view.Page(), 0u);

    // A click on a page's dot goes there.
    world.now += PadView::kSlideMs;
    EXPECT_EQ(world.Click(world.view.DotCentre(1, 2)).kind, PadCommand::Kind::None);
    EXPECT_EQ(world.view.Page(), 1u);
}

// More hits than a page holds: every one can be reached by the wheel, the dots and the
// keyboard, and a new search starts again on its first page.
TEST(PadView, EveryHitOfALongSearchCanBeReached) {
    ViewWorld world;
    world.view.Type(L"app");
    ASSERT_EQ(world.view.Hits().size(), 40u);
    ASSERT_EQ(world.view.ResultPageCount(), 2u);
    const auto shownNames = [&] {
        std::vector<std::wstring> names;
        for (const auto& tile : world.view.ResultTiles()) names.push_back(tile.entry->name);
        return names;
    };
    auto seen = shownNames();
    EXPECT_EQ(seen.size(), kIconsPerPage);
    EXPECT_FALSE(world.view.Wheel(120, false, false, world.now)); // nothing before the first page
    EXPECT_TRUE(world.view.Wheel(-120, false, false, world.now));
    const auto second = shownNames();
    seen.insert(seen.end(), second.begin(), second.end());
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end()) << "a hit shown twice";
    EXPECT_EQ(seen.size(), 40u);
    // The second page's tiles answer clicks as what they show.
    const PadCommand click = world.Click(world.IconCentre(0));
    ASSERT_EQ(click.kind, PadCommand::Kind::Launch);
    EXPECT_EQ(world.catalogue.EntryAt(click.place)->name, second.front());

    // Back by the first dot; the keyboard steps off its last hit onto the next page.
    EXPECT_EQ(world.Click(world.view.DotCentre(0, 2)).kind, PadCommand::Kind::None);
    EXPECT_EQ(world.view.ResultPage(), 0u);
    for (int i = 0; i < 35; ++i) world.view.Key(PadKey::Tab, world.now);
    EXPECT_EQ(world.view.ResultPage(), 1u);
    EXPECT_EQ(world.view.Selection(), 0);
    for (int i = 0; i < 10; ++i) world.view.Key(PadKey::Right, world.now); // stops at the last hit
    const PadCommand last = world.view.Key(PadKey::Enter, world.now);
    ASSERT_EQ(last.kind, PadCommand::Kind::Launch);
    EXPECT_EQ(world.catalogue.EntryAt(last.place)->name, second.back());
    for (int i = 0; i < 5; ++i) world.view.Key(PadKey::Left, world.now);
    EXPECT_EQ(world.view.ResultPage(), 0u);
    EXPECT_EQ(world.view.Selection(), static_cast<int>(kIconsPerPage) - 1);

    world.view.Wheel(-120, false, false, world.now);
    world.view.Type(L" 1");
    EXPECT_EQ(world.view.ResultPage(), 0u);
    EXPECT_EQ(world.view.ResultPageCount(), 1u);
}

// The desktop under the Launchpad: blurred and darkened unless the themed backdrop is on,
// whose blur amount then decides the blur and whose backdrop switch keeps the dark plate.
TEST(PadBackdrop, TheThemedSwitchesDecideTheBlurAndThePlate) {
    gfx::Bitmap desktop(1920 / PadRenderer::kBackdropShrink, 1080 / PadRenderer::kBackdropShrink);
    for (int y = 0; y < desktop.Height(); ++y)
        for (int x = 0; x < desktop.Width(); ++x)
            desktop.Row(y)[x] = ((x / 4 + y / 4) % 2) ? gfx::MakePixel(255, 255, 255, 255) : gfx::MakePixel(0, 0, 0, 255);
    struct Seen {
        int brightest = 0, darkest = 255;
    };
    const auto backdropOf = [&](themes::SurfaceAppearance theme) {
        const PadBackdropLook look = BackdropLook(theme, 1.0f);
        gfx::Bitmap out;
        PadRenderer::MakeBackdrop(desktop, out, 1920, 1080, look.blurRadius, look.tint);
        Seen seen;
        for (int x = 0; x < 1920; ++x) {
            const int red = gfx::PixelR(out.Row(528)[x]); // across the middle of a row of squares
            seen.brightest = std::max(seen.brightest, red);
            seen.darkest = std::min(seen.darkest, red);
        }
        return seen;
    };
    const Seen standard = backdropOf({});
    EXPECT_LT(standard.brightest - standard.darkest, 128) << "not blurred";
    EXPECT_LT(standard.brightest, 200) << "not darkened";

    themes::SurfaceAppearance themed;
    themed.enabled = true;
    const Seen sharp = backdropOf(themed); // blur 0, no plate
    EXPECT_GT(sharp.brightest, 250);
    EXPECT_LT(sharp.darkest, 5);
    themed.launchpadBackdrop = true;
    const Seen plated = backdropOf(themed);
    EXPECT_LT(plated.brightest, 200);
    EXPECT_GT(plated.brightest - plated.darkest, 128) << "the plate blurred it";
    themed.launchpadBackdrop = false;
    themed.blur = 48;
    const Seen blurred = backdropOf(themed);
    EXPECT_LT(blurred.brightest - blurred.darkest, 128);
    EXPECT_GT(blurred.brightest, standard.brightest) << "darkened without the backdrop switch";
}

// Every state drawn at the screen's edges and mid-effect (the sanitizers watch the pixels
// touched), and an empty catalogue that answers input without failing.
TEST(PadView, DrawsEveryStateAndCopesWithNoApplications) {
    ViewWorld world;
    gfx::BuiltinTextRenderer text;
    PadRenderer renderer(text);
    gfx::Bitmap frame;
    const gfx::Bitmap backdrop; // none: a plain plate
    auto draw = [&](const EffectFrame& effect = {}) { renderer.Render(frame, world.view, backdrop, effect, world.now); };
    draw(EffectAt(0, true, 10)); // zoomed past the screen's edges
    draw(EffectAt(1, false, 100));
    world.view.Wheel(-120, false, false, world.now);
    draw();
    world.view.Press(world.IconCentre(34), world.now);
    world.view.Move({1919, 1079}, world.now += 16);
    draw(); // dragged into the corner
    world.view.Release({1919, 1079}, world.now += 16);
    world.Drag(world.IconCentre(0), world.IconCentre(1));
    draw(); // the group open, being renamed
    world.view.Type(L"tool");
    draw();
    world.view.BeginRenameEntry({0, 0, 1}); // a member of the open group, named under its icon
    world.view.Type(std::wstring(80, L'W'));
    draw();
    EXPECT_EQ(frame.Width(), 1920);
    gfx::Bitmap panel;
    renderer.RenderGroup(panel, world.view);
    EXPECT_EQ(panel.Width(), world.view.GroupPanel().width);
    EXPECT_GT(gfx::PixelA(panel.Row(panel.Height() / 2)[panel.Width() / 2]), 200); // the panel is there, not the page
    world.view.AskDelete({0, 3, std::nullopt}, std::wstring(400, L'x') + L"\nMore text than the box holds");
    draw();
    world.view.Key(PadKey::Escape, world.now);
    world.view.Key(PadKey::Escape, world.now);
    renderer.RenderGroup(panel, world.view);
    EXPECT_TRUE(panel.Empty());

    std::vector<LaunchpadPage> none;
    PadView empty(none);
    empty.SetGeometry(LayOutPad({.width = 800, .height = 600}));
    empty.PagesChanged();
    EXPECT_EQ(empty.PageCount(), 1u);
    EXPECT_FALSE(empty.Wheel(-120, false, false, 0));
    EXPECT_EQ(empty.Key(PadKey::Enter, 0).kind, PadCommand::Kind::None);
    EXPECT_EQ(empty.Key(PadKey::Right, 0).kind, PadCommand::Kind::None);
    empty.Type(L"x");
    EXPECT_TRUE(empty.Hits().empty());
    empty.Press({400, 300}, 0);
    EXPECT_EQ(empty.Release({400, 300}, 10).kind, PadCommand::Kind::Hide);
    renderer.Render(frame, empty, backdrop, {}, 0);
}

// High contrast: the frame shows none of the desktop and no tint; outside the icons it is
// made of the scheme's colours only, selection and an open group included.
TEST(PadLook, HighContrastDrawsTheSchemesColoursOverNoDesktop) {
    ViewWorld world;
    gfx::BuiltinTextRenderer text;
    PadRenderer renderer(text);
    gfx::Bitmap backdrop(1920, 1080);
    backdrop.Fill(gfx::Color{220, 30, 40, 255}.Premultiplied());
    // Every mixture of these three has no more red than green; the desktop has.
    const gfx::ContrastColours scheme{{0, 0, 0, 255}, {255, 255, 0, 255}, {0, 200, 255, 255}};
    const auto& g = world.view.Geometry();
    const auto inIcon = [&](int x, int y) {
        for (int i = 0; i < kPadColumns * kPadRows; ++i)
            if (const gfx::RectI r = g.IconRect(i); x >= r.x && x < r.Right() && y >= r.y && y < r.Bottom()) return true;
        return false;
    };
    struct Seen {
        int translucent = 0, foreign = 0, highlight = 0;
    };
    const auto look = [&](const gfx::Bitmap& frame) {
        Seen seen;
        for (int y = 0; y < frame.Height(); y += 3) {
            for (int x = 0; x < frame.Width(); x += 3) {
                if (inIcon(x, y)) continue;
                const gfx::Pixel p = frame.Row(y)[x];
                seen.translucent += gfx::PixelA(p) != 255;
                seen.foreign += gfx::PixelR(p) > gfx::PixelG(p);
                seen.highlight += gfx::PixelR(p) == 0 && gfx::PixelG(p) == 200 && gfx::PixelB(p) == 255;
            }
        }
        return seen;
    };
    gfx::Bitmap frame;
    world.view.Key(PadKey::Right, world.now); // a selected icon
    renderer.Render(frame, world.view, backdrop, {}, world.now);
    EXPECT_GT(look(frame).foreign, 0) << "the own look shows the desktop";

    renderer.SetLook(PadLook::For(scheme));
    renderer.Render(frame, world.view, backdrop, {}, world.now);
    Seen seen = look(frame);
    EXPECT_EQ(seen.translucent, 0);
    EXPECT_EQ(seen.foreign, 0);
    EXPECT_GT(seen.highlight, 0) << "the selection in the scheme's highlight";

    world.Drag(world.IconCentre(0), world.IconCentre(1)); // a group, open over the page
    ASSERT_TRUE(world.view.OpenGroup());
    renderer.Render(frame, world.view, backdrop, {}, world.now);
    EXPECT_EQ(frame.Row(g.height - 1)[0], scheme.window.Premultiplied()) << "the page is not dimmed";
    gfx::Bitmap panel;
    renderer.RenderGroup(panel, world.view);
    EXPECT_EQ(panel.Row(panel.Height() / 2)[2], scheme.window.Premultiplied());
}

} // namespace
} // namespace kestrana::launchers::testing
