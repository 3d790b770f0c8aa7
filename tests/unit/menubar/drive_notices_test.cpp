// Drive notices: the roots a device message names, the drive list that keeps each name
// until the drive leaves, and the texts.
#include "menubar/drive_notices.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

#include <map>

namespace kestrana::menubar {
namespace {

TEST(DriveNotices, MaskBitsAreLettersFromA) {
    EXPECT_TRUE(DriveRoots(0).empty());
    EXPECT_EQ(DriveRoots(0x1 | 0x10), (std::vector<std::wstring>{L"A:\\", L"E:\\"}));
    EXPECT_EQ(DriveRoots(0xFC000000u | (1u << 25)), (std::vector<std::wstring>{L"Z:\\"})); // bits past Z ignored
}

TEST(DriveNotices, NamesKeptFromArrivalToRemovalAndMissingRootsSkipped) {
    std::map<std::wstring, std::wstring> present{{L"E:\\", L"STICK"}, {L"G:\\", L""}};
    const DriveList::Probe probe = [&](const std::wstring& root) -> std::optional<std::wstring> {
        const auto it = present.find(root);
        if (it == present.end()) return std::nullopt;
        return it->second;
    };
    DriveList drives;
    // F: is announced but its root is not there: no notice.
    EXPECT_EQ(drives.Arrived((1u << 4) | (1u << 5) | (1u << 6), probe),
              (std::vector<DriveNotice>{{L"E:\\", L"STICK", true}, {L"G:\\", L"", true}}));
    present.clear(); // a removed drive has no label to ask
    EXPECT_EQ(drives.Removed(1u << 4), (std::vector<DriveNotice>{{L"E:\\", L"STICK", false}}));
    EXPECT_EQ(drives.Removed(1u << 4), (std::vector<DriveNotice>{{L"E:\\", L"", false}})); // already gone

    // The scan after an arrival: a label that was not ready is read again, a drive that went
    // without a message is forgotten, and one whose label cannot be read keeps its name.
    present = {{L"G:\\", L"LATE"}};
    EXPECT_EQ(drives.Arrived((1u << 7) | (1u << 8), [](const std::wstring&) { return std::optional<std::wstring>(L"DISK"); })
                  .size(),
              2u); // H: and I:
    EXPECT_EQ(drives.Rescan((1u << 6) | (1u << 8), probe), 1u); // H: went silently
    EXPECT_EQ(drives.Removed(1u << 6), (std::vector<DriveNotice>{{L"G:\\", L"LATE", false}}));
    EXPECT_EQ(drives.Removed(1u << 7), (std::vector<DriveNotice>{{L"H:\\", L"", false}}));
    EXPECT_EQ(drives.Removed(1u << 8), (std::vector<DriveNotice>{{L"I:\\", L"DISK", false}})); // kept, unreadable

    fakes::SettingsFolder folder;
    EXPECT_EQ(DriveNoticeText({L"E:\\", L"STICK", true}, folder.store), L"STICK (E:) is connected");
    EXPECT_EQ(DriveNoticeText({L"G:\\", L"", false}, folder.store), L"USB drive (G:) was removed");
}

TEST(DriveEject, OutcomesFromErrorsAndVetoesAndTheirTexts) {
    const struct {
        EjectAnswer answer;
        EjectOutcome outcome;
    } cases[] = {
        {{0, {}}, EjectOutcome::Ejected},  {{5, {}}, EjectOutcome::InUse},   {{32, {}}, EjectOutcome::InUse},
        {{33, {}}, EjectOutcome::InUse},   {{21, {}}, EjectOutcome::Failed}, {{1, {}}, EjectOutcome::Failed},
        // A veto outweighs the error field: a program, service or open file holds the drive...
        {{0, 0}, EjectOutcome::InUse},     {{0, 3}, EjectOutcome::InUse},    {{0, 5}, EjectOutcome::InUse},
        {{0, 6}, EjectOutcome::InUse},
        // ...the drive went already, or the system will not let it go at all.
        {{0, 13}, EjectOutcome::Ejected},  {{0, 10}, EjectOutcome::Failed},  {{0, 12}, EjectOutcome::Failed},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EjectOutcomeOf(c.answer), c.outcome) << c.answer.error << " veto " << (c.answer.veto ? *c.answer.veto : -1);

    fakes::SettingsFolder folder;
    const DriveNotice stick{L"E:\\", L"Stick", true};
    EXPECT_EQ(EjectText(stick, {0, {}}, folder.store), L"Stick (E:) can be removed");
    EXPECT_EQ(EjectText(stick, {32, {}}, folder.store), L"Stick (E:) is in use and was not ejected");
    EXPECT_EQ(EjectText(stick, {0, 5}, folder.store), L"Stick (E:) is in use and was not ejected");
    EXPECT_EQ(EjectText({L"F:\\", L"", false}, {21, {}}, folder.store), L"USB drive (F:) could not be ejected (21)");
    // A refusal has no error code worth showing.
    EXPECT_EQ(EjectText(stick, {0, 10}, folder.store), L"Stick (E:) could not be ejected");

    // The eject's outcome names the drive as it came, and nothing once it has gone.
    DriveList drives;
    (void)drives.Arrived(1u << 4, [](const std::wstring&) { return std::optional<std::wstring>(L"Stick"); });
    EXPECT_EQ(drives.NameOf(L"E:\\"), L"Stick");
    EXPECT_FALSE(drives.NameOf(L"F:\\"));
    (void)drives.Removed(1u << 4);
    EXPECT_FALSE(drives.NameOf(L"E:\\"));
}

TEST(DriveEject, AnswersSurviveTheMessageParameter) {
    // A veto of type 0 is still a veto, and no error code bleeds into it.
    const EjectAnswer answers[] = {{0, {}}, {0xFFFFFFFFu, {}}, {0, 0}, {0, 13}, {0xFFFFFFFFu, 255}, {32, 5}};
    for (const auto& answer : answers) {
        const EjectAnswer back = UnpackEjectAnswer(PackEjectAnswer(answer));
        EXPECT_EQ(back, answer) << answer.error;
    }
    EXPECT_NE(PackEjectAnswer({0, 0}), PackEjectAnswer({0, {}}));
}

DriveNotice Drive(wchar_t letter) { return {std::wstring(1, letter) + L":\\", L"", true}; }

TEST(DriveNoticeSlot, OneNoticeANewDriveReplacesItUnlessTheUserHoldsIt) {
    DriveNoticeSlot slot;
    EXPECT_EQ(slot.Arrive(Drive(L'E'), false), DriveNoticeSlot::Step::Show);
    EXPECT_EQ(slot.Arrive(Drive(L'E'), false), DriveNoticeSlot::Step::None); // announced twice
    EXPECT_EQ(slot.Arrive(Drive(L'F'), false), DriveNoticeSlot::Step::Replace);
    EXPECT_EQ(slot.Shown(), Drive(L'F'));

    // In the user's hand, the notice stays; the newest arrival waits behind it.
    EXPECT_EQ(slot.Arrive(Drive(L'G'), true), DriveNoticeSlot::Step::None);
    EXPECT_EQ(slot.Arrive(Drive(L'H'), true), DriveNoticeSlot::Step::None);
    EXPECT_EQ(slot.Shown(), Drive(L'F'));
    EXPECT_EQ(slot.Closed(), Drive(L'H'));
    EXPECT_EQ(slot.Shown(), Drive(L'H'));
    EXPECT_EQ(slot.Closed(), std::nullopt);
    EXPECT_EQ(slot.Shown(), std::nullopt);
    EXPECT_EQ(slot.Arrive(Drive(L'E'), true), DriveNoticeSlot::Step::Show); // held means nothing without a notice
}

TEST(DriveNoticeSlot, ADriveThatLeavesTakesItsNoticeOrItsTurn) {
    DriveNoticeSlot slot;
    (void)slot.Arrive(Drive(L'E'), false);
    (void)slot.Arrive(Drive(L'F'), true);
    EXPECT_EQ(slot.Left(L"F:\\"), DriveNoticeSlot::Step::None); // waiting: forgotten
    EXPECT_EQ(slot.Left(L"G:\\"), DriveNoticeSlot::Step::None);
    EXPECT_EQ(slot.Left(L"E:\\"), DriveNoticeSlot::Step::Close);
    EXPECT_EQ(slot.Closed(), std::nullopt);

    (void)slot.Arrive(Drive(L'E'), false);
    (void)slot.Arrive(Drive(L'F'), true);
    EXPECT_EQ(slot.Left(L"E:\\"), DriveNoticeSlot::Step::Close);
    EXPECT_EQ(slot.Closed(), Drive(L'F')); // the waiting drive comes up
}

TEST(DriveNoticePlace, UnderTheBarsRightEndInsideTheScreenAtEveryScale) {
    const gfx::RectI screens[] = {{0, 0, 1920, 1080}, {-1280, 200, 1280, 1024}, {1920, -300, 3840, 2160}, {0, 0, 800, 600}};
    for (const auto& screen : screens) {
        for (const float scale : {1.0f, 1.25f, 1.5f, 2.0f, 3.0f}) {
            const int barHeight = static_cast<int>(24 * scale);
            const int width = static_cast<int>(240 * scale), height = static_cast<int>(110 * scale);
            const gfx::RectI at = DriveNoticeRect(screen, barHeight, width, height, scale);
            SCOPED_TRACE(testing::Message() << screen.x << "," << screen.y << " " << screen.width << " @" << scale);
            EXPECT_EQ(at.width, width);
            EXPECT_EQ(at.height, height);
            EXPECT_GE(at.x, screen.x);
            EXPECT_LE(at.Right(), screen.Right());
            EXPECT_GE(at.y, screen.y + barHeight); // never over the bar
            EXPECT_LE(at.Bottom(), screen.Bottom());
            // Its right edge near the screen's right, in from it as far as it is below the bar.
            EXPECT_EQ(screen.Right() - at.Right(), at.y - (screen.y + barHeight));
            EXPECT_LE(screen.Right() - at.Right(), static_cast<int>(16 * scale));
            EXPECT_GT(screen.Right() - at.Right(), 0);
        }
    }
    // A notice wider or taller than the screen keeps its left and top edges in sight.
    const gfx::RectI small{100, 50, 300, 200};
    const gfx::RectI at = DriveNoticeRect(small, 24, 400, 300, 1.0f);
    EXPECT_EQ(at.x, small.x);
    EXPECT_EQ(at.y, small.y);
}

} // namespace
} // namespace kestrana::menubar
