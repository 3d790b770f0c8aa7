// The per-surface appearance keys of section "themes": percentages turned into alpha
// bytes, borders into fractions.
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

// Values are held to their ranges, and a surface reads no other surface's keys.
TEST(SurfaceAppearanceTest, ValuesAreHeldToTheirRangesAndNotSharedBetweenSurfaces) {
    ProgramFolder pf;
    pf.Config(u"[themes]\r\nenable_folder=0\r\nopacity_folder=80\r\nstroke_folder=35\r\nblur_folder=9\r\n"
              u"enable_icontag=1\r\nstroke_icontag=150\r\nblur_icontag=-3\r\n"
              u"enable_finder=1\r\nopacity_finder=60\r\nopacity_finder_dwmcolor=20\r\n"
              u"enable_launchpad=1\r\nblur_launchpad=40\r\nenable_launchpad_backdrop=1\r\n");
    const SurfaceAppearance stack = ReadSurfaceAppearance(pf.store, Surface::FolderStack);
    EXPECT_FALSE(stack.enabled) << "the switch is off; its values are still there for the settings page";
    EXPECT_EQ(stack.opacity, PercentToAlpha(80));
    EXPECT_FLOAT_EQ(stack.stroke, 0.35f);
    EXPECT_FLOAT_EQ(stack.blur, 9);
    const SurfaceAppearance tag = ReadSurfaceAppearance(pf.store, Surface::IconTag);
    EXPECT_FLOAT_EQ(tag.stroke, 1.0f) << "a border past 100 % is a full border";
    EXPECT_FLOAT_EQ(tag.blur, 0);
    const SurfaceAppearance bar = ReadSurfaceAppearance(pf.store, Surface::MenuBar);
    EXPECT_EQ(bar.colorOpacity, PercentToAlpha(20));
    EXPECT_FLOAT_EQ(bar.blur, 0);
    const SurfaceAppearance pad = ReadSurfaceAppearance(pf.store, Surface::Launchpad);
    EXPECT_TRUE(pad.enabled && pad.launchpadBackdrop);
    EXPECT_EQ(pad.opacity, 0) << "the Launchpad has no opacity of its own";
    EXPECT_FALSE(ReadSurfaceAppearance(pf.store, Surface::Dock).enabled);
}

} // namespace
} // namespace kestrana::themes
