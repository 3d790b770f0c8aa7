// How often captured pictures of other programs' windows are taken, and when a new
// picture counts as new.
#include "gfx/window_pictures.h"

#include <gtest/gtest.h>

namespace kestrana::gfx {
namespace {

TEST(CaptureScheduleTest, AtMostFourPassesASecondOneAtATimeAndStaleResultsDropped) {
    CaptureSchedule schedule;
    EXPECT_FALSE(schedule.StartIfDue(0)); // nothing shown
    const auto first = schedule.Restart();
    ASSERT_TRUE(schedule.StartIfDue(0));
    EXPECT_FALSE(schedule.StartIfDue(400)); // the pass is still running
    EXPECT_TRUE(schedule.Finished(first));
    // Over a simulated second with a tick every 10 ms, passes finishing at once.
    int passes = 1;
    for (std::int64_t t = 10; t < 1000; t += 10)
        if (schedule.StartIfDue(t)) {
            ++passes;
            schedule.Finished(schedule.Generation());
        }
    EXPECT_LE(passes, 4);
    EXPECT_GE(passes, 3);

    // The first pass of an opening pictures every window, later ones one each in turn.
    schedule.Restart();
    EXPECT_EQ(schedule.Batch(3), (std::vector<std::size_t>{0, 1, 2}));
    std::vector<int> taken(3, 0);
    for (int pass = 0; pass < 9; ++pass) {
        const auto batch = schedule.Batch(3);
        ASSERT_EQ(batch.size(), 1u);
        ++taken[batch[0]];
    }
    EXPECT_EQ(taken, (std::vector<int>{3, 3, 3}));
    EXPECT_EQ(schedule.Batch(2).size(), 1u); // a window closed meanwhile: still in range
    EXPECT_LT(schedule.Batch(2)[0], 2u);
    EXPECT_TRUE(schedule.Batch(0).empty());
    schedule.Restart();
    EXPECT_EQ(schedule.Batch(2).size(), 2u);

    // A pass that outlives its opening brings nothing back.
    ASSERT_TRUE(schedule.StartIfDue(2000));
    const auto old = schedule.Generation();
    schedule.Restart();
    EXPECT_FALSE(schedule.Finished(old));
    EXPECT_TRUE(schedule.StartIfDue(2001)); // the new opening's first pass is due at once
    schedule.Stop();
    EXPECT_FALSE(schedule.Finished(schedule.Generation() - 1));
    EXPECT_FALSE(schedule.StartIfDue(9000));
}

TEST(CaptureScheduleTest, StillWindowsRestAndAChangedOneIsTakenAgainAtItsTurn) {
    CaptureSchedule schedule;
    schedule.Restart();
    ASSERT_EQ(schedule.Batch(4, 0).size(), 4u);
    // Every picture came back as before, except window 2's.
    for (std::size_t i = 0; i < 4; ++i) schedule.Taken(i, i == 2, 100);
    std::vector<int> taken(4, 0);
    std::int64_t now = 250;
    for (; now < 100 + CaptureSchedule::kRestMs; now += 250)
        for (std::size_t i : schedule.Batch(4, now)) {
            ++taken[i];
            schedule.Taken(i, i == 2, now);
        }
    EXPECT_EQ(taken[0] + taken[1] + taken[3], 0); // resting
    EXPECT_GE(taken[2], 10);                      // every pass while the others rest
    // Once rested, the still ones come back in turn; an unknown index is ignored.
    schedule.Taken(9, true, now);
    std::vector<int> after(4, 0);
    for (int pass = 0; pass < 4; ++pass)
        for (std::size_t i : schedule.Batch(4, now + pass * 250)) ++after[i];
    EXPECT_EQ(after, (std::vector<int>{1, 1, 1, 1}));
}

TEST(PictureFingerprintTest, TellsOnePixelAndTheSizeApart) {
    Bitmap a(8, 4), b(8, 4), c(4, 8);
    a.Fill(0xFF102030u);
    b.Fill(0xFF102030u);
    c.Fill(0xFF102030u);
    EXPECT_EQ(PictureFingerprint(a), PictureFingerprint(b));
    b.Set(7, 3, 0xFF102031u);
    EXPECT_NE(PictureFingerprint(a), PictureFingerprint(b));
    EXPECT_NE(PictureFingerprint(a), PictureFingerprint(c));
    EXPECT_EQ(ChoosePictureSource(true), PictureSource::Live);
    EXPECT_EQ(ChoosePictureSource(false), PictureSource::Captured);
}

} // namespace
} // namespace kestrana::gfx
