// The per-surface appearance keys of section "themes": every surface's switch and values
// read through one accessor, percentages turned into alpha bytes, borders into fractions.
#include "themes/surface_appearance.h"

#include "themes_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrana::themes {
namespace {

using testing::ProgramFolder;

TEST(PercentToAlphaTest, TimesTwoPointFiveFiveCutToAnInteger) {
    EXPECT_EQ(PercentToAlpha(0), 0);
    EXPECT_EQ(PercentToAlpha(1), 2);     // 2.55
    EXPECT_EQ(PercentToAlpha(50), 127);  // 127.5 falls just short in binary
    EXPECT_EQ(PercentToAlpha(100), 254); // 2.55 is a hair under in binary, so 254.99...
    EXPECT_EQ(PercentToAlpha(-20), 0);
    EXPECT_EQ(PercentToAlpha(250), PercentToAlpha(100));
}

// Each surface reads its own keys and none of another surface's.
TEST(SurfaceAppearanceTest, EverySurfaceReadsItsOwnKeys) {
    ProgramFolder pf;
    pf.Config(u"[themes]\r\n"
              u"enable_dock=1\r\nopacity_dock=40\r\nblur_dock=30\r\n"
              u"enable_finder=1\r\nopacity_finder=60\r\nopacity_finder_dwmcolor=20\r\nblur_finder=12.5\r\n"
              u"enable_folder=0\r\nopacity_folder=80\r\nstroke_folder=35\r\nblur_folder=9\r\n"
              u"enable_folder_ico=1\r\nfolder_ico_size=72\r\n"
              u"enable_menu=1\r\nopacity_menu=90\r\nstroke_menu=10\r\nblur_menu=4\r\n"
              u"enable_icontag=1\r\nopacity_icontag=70\r\nstroke_icontag=150\r\nblur_icontag=3\r\n"
              u"enable_iconreflection=1\r\nopacity_iconreflection=30\r\nblur_iconreflection=6\r\n"
              u"blur_iconreflectionoffset=-4\r\nblur_iconreflectionstoppoint=55\r\n"
              u"enable_window=1\r\nopacity_window=100\r\nstroke_window=0\r\nblur_window=20\r\n"
              u"enable_launchpad=1\r\nblur_launchpad=40\r\nenable_launchpad_backdrop=1\r\npaduseWinUI=0\r\n");
    const auto read = [&](Surface s) { return ReadSurfaceAppearance(pf.store, s); };

    const SurfaceAppearance dock = read(Surface::Dock);
    EXPECT_TRUE(dock.enabled);
    EXPECT_EQ(dock.opacity, 102);
    EXPECT_FLOAT_EQ(dock.blur, 30);
    EXPECT_EQ(dock.stroke, 0);

    const SurfaceAppearance bar = read(Surface::MenuBar);
    EXPECT_EQ(bar.opacity, PercentToAlpha(60));
    EXPECT_EQ(bar.colorOpacity, PercentToAlpha(20));
    EXPECT_FLOAT_EQ(bar.blur, 12.5f);

    const SurfaceAppearance stack = read(Surface::FolderStack);
    EXPECT_FALSE(stack.enabled) << "the switch is off; its values are still there for the settings page";
    EXPECT_EQ(stack.opacity, PercentToAlpha(80));
    EXPECT_FLOAT_EQ(stack.stroke, 0.35f);
    EXPECT_FLOAT_EQ(stack.blur, 9);

    const SurfaceAppearance folderIcon = read(Surface::FolderIcon);
    EXPECT_TRUE(folderIcon.enabled);
    EXPECT_EQ(folderIcon.folderIconSize, 72);
    EXPECT_EQ(folderIcon.opacity, 0);

    EXPECT_FLOAT_EQ(read(Surface::Menu).stroke, 0.10f);
    EXPECT_EQ(read(Surface::Menu).opacity, PercentToAlpha(90));
    EXPECT_FLOAT_EQ(read(Surface::IconTag).stroke, 1.0f) << "a border past 100 % is a full border";

    const SurfaceAppearance reflection = read(Surface::IconReflection);
    EXPECT_EQ(reflection.opacity, PercentToAlpha(30));
    EXPECT_FLOAT_EQ(reflection.blur, 6);
    EXPECT_EQ(reflection.reflectionOffset, -4);
    EXPECT_EQ(reflection.reflectionStopPoint, 55);

    const SurfaceAppearance window = read(Surface::Window);
    EXPECT_EQ(window.opacity, 254);
    EXPECT_FLOAT_EQ(window.blur, 20);

    const SurfaceAppearance pad = read(Surface::Launchpad);
    EXPECT_TRUE(pad.enabled);
    EXPECT_FLOAT_EQ(pad.blur, 40);
    EXPECT_TRUE(pad.launchpadBackdrop);
    EXPECT_FALSE(pad.launchpadWinUI);
    EXPECT_EQ(pad.opacity, 0);
}

} // namespace
} // namespace kestrana::themes
