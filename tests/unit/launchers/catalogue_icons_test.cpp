// Icons: where each comes from, what the cache keeps, and their arrival from the workers.

#include "catalogue_support.h"

#include "gfx/builtin_text_renderer.h"
#include "gfx/png_codec.h"
#include "launchers/pad_renderer.h"
#include "launchers/pad_view.h"

namespace kestrana::launchers::testing {
namespace {

struct IconWorldFixture : PadWorld {
    std::shared_ptr<FakeIcons> icons = std::make_shared<FakeIcons>();
    IconWorld world{std::shared_ptr<foundation::FileSystem>(std::shared_ptr<void>(), &folder.files), icons, folder.base};

    // Each icon keyed by its path.
    IconResult Resolve(const std::wstring& path, bool mask = false) {
        return ResolveIcon(IconRequest{path, path, EntrySource::Applications}, world, mask);
    }
    [[nodiscard]] std::optional<gfx::Bitmap> Cached(const std::wstring& file) const {
        const auto bytes = folder.files.Content(file);
        return bytes ? gfx::DecodePng(*bytes) : std::nullopt;
    }
};

TEST(CatalogueIcons, LookUpOrderAndWhatTheCacheKeeps) {
    IconWorldFixture f;
    f.icons->sizes = {{L"C:\\big.exe", 512}, {L"C:\\small.exe", 48}, {L"C:\\mine.exe", 256}};
    const auto files = [&f](const wchar_t* path) { return IconFilesOf(f.folder.base, path, path); };
    gfx::Bitmap own(20, 20);
    f.folder.files.AddFile(files(L"C:\\mine.exe").userByKey, gfx::EncodePng(own));

    const IconResult mine = f.Resolve(L"C:\\mine.exe");
    EXPECT_EQ(mine.origin, IconOrigin::UserPicture);
    EXPECT_EQ(mine.picture->Width(), 20);

    EXPECT_EQ(f.Resolve(L"C:\\big.exe").origin, IconOrigin::Extracted);
    EXPECT_EQ(f.Cached(files(L"C:\\big.exe").cache)->Width(), 256) << "cached at most 256 px";
    const IconResult small = f.Resolve(L"C:\\small.exe");
    EXPECT_EQ(f.Cached(files(L"C:\\small.exe").cache)->Width(), 48) << "never blown up";
    const IconResult again = f.Resolve(L"C:\\small.exe");
    EXPECT_EQ(again.origin, IconOrigin::Cache);
    EXPECT_EQ(again.picture->Pixels()[0], small.picture->Pixels()[0]);

    // With the mask the cached icon is masked once and kept beside; nothing is extracted again.
    const IconResult masked = f.Resolve(L"C:\\small.exe", true);
    EXPECT_EQ(masked.origin, IconOrigin::Cache);
    EXPECT_EQ(gfx::PixelA(masked.picture->At(0, 0)), 0) << "the corner lies outside the rounded square";
    EXPECT_EQ(gfx::PixelA(masked.picture->At(24, 24)), 255);
    ASSERT_TRUE(f.Cached(files(L"C:\\small.exe").masked));
    EXPECT_EQ(f.icons->extracted, (std::vector<std::wstring>{L"C:\\big.exe", L"C:\\small.exe"}));

    // Nothing to extract: the shell's icon of the path, not cached so a later start tries again.
    const IconResult direct = f.Resolve(L"C:\\none.exe");
    EXPECT_EQ(direct.origin, IconOrigin::Direct);
    EXPECT_FALSE(f.folder.files.IsFile(files(L"C:\\none.exe").cache));
}

TEST(CatalogueIcons, ArriveFromTheWorkersWhileEntriesShowThePlaceholder) {
    IconWorldFixture f;
    f.Choice(1);
    f.Applications(40);
    for (int i = 1; i <= 40; ++i) f.icons->sizes[L"C:\\Apps\\app" + std::to_wstring(i) + L".exe"] = 64;
    foundation::JobRunner jobs;
    int arrivals = 0;
    {
        CatalogueIcons icons(f.world, jobs, [&arrivals] { ++arrivals; });
        auto catalogue = f.Catalogue(&icons);
        catalogue.Load();
        ASSERT_TRUE(icons.WaitIdle(std::chrono::seconds(20)));
        EXPECT_EQ(catalogue.Rename({0, 0}, L"Renamed"), true);
        EXPECT_EQ(catalogue.TakeIcons(), 39u) << "the renamed entry waits for an icon under its new key";
        EXPECT_FALSE(catalogue.EntryAt({0, 0})->icon);
        EXPECT_TRUE(catalogue.EntryAt({1, 4})->icon);
        EXPECT_GE(arrivals, 1);
    }
    ASSERT_TRUE(jobs.WaitIdle(std::chrono::seconds(5)));
    EXPECT_EQ(f.icons->extracted.size(), 40u);

    CatalogueIcons icons(f.world, jobs);
    auto catalogue = f.Catalogue(&icons);
    catalogue.Load();
    icons.RunHere();
    EXPECT_EQ(catalogue.TakeIcons(), 40u);
    EXPECT_EQ(f.icons->extracted.size(), 40u) << "every icon from the cache the second time";
}

// The Launchpad holds its icons at the size it draws them: set to that size, every icon
// comes again, smaller, while the cache keeps the large one; once hidden, the renderer lets
// the large pictures go and keeps nothing beside the held icons.
TEST(CatalogueIcons, AreHeldAtTheirDrawingSizeAndTheLargeOnesAreLetGo) {
    IconWorldFixture f;
    f.Choice(1);
    f.Applications(40);
    for (int i = 1; i <= 40; ++i) f.icons->sizes[L"C:\\Apps\\app" + std::to_wstring(i) + L".exe"] = 256;
    foundation::JobRunner jobs;
    CatalogueIcons icons(f.world, jobs);
    auto catalogue = f.Catalogue(&icons);
    catalogue.Load();
    icons.RunHere();
    ASSERT_EQ(catalogue.TakeIcons(), 40u);
    PadView view(catalogue.Pages());
    view.SetGeometry(LayOutPad({.width = 1920, .height = 1080}));
    view.PagesChanged();
    const int size = view.Geometry().iconSize;
    ASSERT_LT(size, 256);
    gfx::BuiltinTextRenderer text;
    PadRenderer renderer(text);
    gfx::Bitmap frame;
    const gfx::Bitmap backdrop;
    const auto drawTwice = [&] {
        for (int i = 0; i < 2; ++i) renderer.Render(frame, view, backdrop, {}, 1000);
    };
    drawTwice();

    EXPECT_TRUE(catalogue.SetIconSize(size));
    EXPECT_FALSE(catalogue.SetIconSize(size)) << "the same size asks for nothing again";
    icons.RunHere();
    EXPECT_EQ(catalogue.TakeIcons(), 40u);
    for (std::size_t i = 0; i < kIconsPerPage; ++i) {
        const LaunchpadEntry* entry = catalogue.EntryAt({0, i});
        ASSERT_TRUE(entry && entry->icon);
        EXPECT_EQ(entry->icon->Width(), size);
    }
    EXPECT_EQ(f.Cached(IconFilesOf(f.folder.base, catalogue.EntryAt({0, 0})->Key(), catalogue.EntryAt({0, 0})->path).cache)->Width(), 256)
        << "the cache keeps the large picture for a larger size later";

    drawTwice();
    const std::size_t large = std::size_t(256) * 256 * 4;
    EXPECT_GE(renderer.Trim(), kIconsPerPage * large) << "the first page's large pictures are let go";
    drawTwice();
    EXPECT_EQ(renderer.Trim(), 0u) << "icons drawn at their own size need no copies";

    // Hidden, only the first page keeps its icons; the next showing asks for the rest.
    EXPECT_EQ(catalogue.LetIconsGo(1), 40u - kIconsPerPage);
    EXPECT_FALSE(catalogue.EntryAt({1, 0})->icon);
    EXPECT_TRUE(catalogue.EntryAt({0, kIconsPerPage - 1})->icon);
    catalogue.RequestMissingIcons();
    icons.RunHere();
    EXPECT_EQ(catalogue.TakeIcons(), 40u - kIconsPerPage);
    EXPECT_EQ(catalogue.EntryAt({1, 0})->icon->Width(), size);
    // With none missing, asking again must not cancel a request on its way.
    EXPECT_TRUE(catalogue.SetIconSize(size + 10));
    catalogue.RequestMissingIcons();
    icons.RunHere();
    EXPECT_EQ(catalogue.TakeIcons(), 40u);
}

TEST(CatalogueIcons, PackagedApplicationsPreferTheirLargestLogo) {
    fakes::FakeFileSystem files;
    const std::wstring assets = L"C:\\Apps\\Pkg\\Assets\\";
    for (const wchar_t* name : {L"Logo.scale-200.png", L"Logo.targetsize-256_altform-unplated.png", L"Other.png"}) {
        files.AddFile(assets + name, "png");
    }
    EXPECT_EQ(PickPackageLogo(files, assets + L"Logo.png"), assets + L"Logo.scale-200.png");
    files.AddFile(assets + L"Logo.targetsize-256.png", "png");
    EXPECT_EQ(PickPackageLogo(files, assets + L"Logo.png"), assets + L"Logo.targetsize-256.png");
    EXPECT_EQ(PickPackageLogo(files, assets + L"Missing.png"), std::nullopt);
}

} // namespace
} // namespace kestrana::launchers::testing
