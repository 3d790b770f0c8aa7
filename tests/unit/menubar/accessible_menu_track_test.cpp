// Following a menu opened through an accessible menu bar: the lit title, switching along
// the titles while a menu is up, and the end of it.
#include "menubar/accessible_menu_track.h"

#include <gtest/gtest.h>

namespace kestrana::menubar {
namespace {

TEST(AccessibleMenuTrack, PointerOnAnotherTitleSwitchesOnlyWhileAMenuIsUp) {
    AccessibleMenuTrack track;
    track.Begin(1, 0);
    EXPECT_EQ(track.Tick(2, 0, 50).open, -1) << "not up yet";
    track.Tick(1, 0xA, 100);
    const auto step = track.Tick(2, 0xA, 150);
    EXPECT_TRUE(step.open == 2 && step.litChanged && track.Lit() == 2);
    // Title 1's pop-up still closing, then none for a moment: no end, no second switch.
    EXPECT_EQ(track.Tick(0, 0xA, 200).open, -1);
    EXPECT_EQ(track.Tick(0, 0, 250).open, -1);
    track.Tick(2, 0xB, 300);
    // A sub-menu above it and back keep it open.
    EXPECT_FALSE(track.Tick(-1, 0xC, 350).litChanged);
    EXPECT_FALSE(track.Tick(-1, 0xB, 400).litChanged);
    EXPECT_EQ(track.Tick(0, 0xB, 450).open, 0);
}

TEST(AccessibleMenuTrack, EndsWhenThePopupGoesOrNeverComes) {
    AccessibleMenuTrack track;
    track.Begin(0, 1000);
    track.Tick(-1, 0xA, 1050);
    EXPECT_TRUE(track.Tick(-1, 0, 1100).litChanged && !track.Active()) << "chosen, Escape or a click elsewhere";
    EXPECT_EQ(track.Tick(1, 0xA, 1150).open, -1) << "nothing follows once it ended";

    track.Begin(0, 2000); // a title that ran a command instead of opening a menu
    EXPECT_TRUE(track.Tick(-1, 0, 2000 + kAccessiblePickUpMs - 1).open == -1 && track.Active());
    EXPECT_TRUE(track.Tick(-1, 0, 2000 + kAccessiblePickUpMs).litChanged && track.Lit() == -1);

    // One pop-up window re-used for the next title's menu is taken after the pick-up time.
    track.Begin(0, 0);
    track.Tick(-1, 0xA, 10);
    track.Tick(1, 0xA, 20);
    track.Tick(-1, 0xA, 20 + kAccessiblePickUpMs);
    EXPECT_EQ(track.Tick(0, 0xA, 30 + kAccessiblePickUpMs).open, 0);
}

} // namespace
} // namespace kestrana::menubar
