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

TEST(DriveEject, OutcomesFromErrorCodesAndTheirTexts) {
    const struct {
        std::uint32_t error;
        EjectOutcome outcome;
    } cases[] = {{0, EjectOutcome::Ejected}, {5, EjectOutcome::InUse},   {32, EjectOutcome::InUse},
                 {33, EjectOutcome::InUse},  {21, EjectOutcome::Failed}, {1, EjectOutcome::Failed}};
    for (const auto& c : cases) EXPECT_EQ(EjectOutcomeOf(c.error), c.outcome) << c.error;

    fakes::SettingsFolder folder;
    const DriveNotice stick{L"E:\\", L"Stick", true};
    EXPECT_EQ(EjectText(stick, 0, folder.store), L"Stick (E:) can be removed");
    EXPECT_EQ(EjectText(stick, 32, folder.store), L"Stick (E:) is in use and was not ejected");
    EXPECT_EQ(EjectText({L"F:\\", L"", false}, 21, folder.store), L"USB drive (F:) could not be ejected (21)");

    // The eject's outcome names the drive as it came, and nothing once it has gone.
    DriveList drives;
    (void)drives.Arrived(1u << 4, [](const std::wstring&) { return std::optional<std::wstring>(L"Stick"); });
    EXPECT_EQ(drives.NameOf(L"E:\\"), L"Stick");
    EXPECT_FALSE(drives.NameOf(L"F:\\"));
    (void)drives.Removed(1u << 4);
    EXPECT_FALSE(drives.NameOf(L"E:\\"));
}

} // namespace
} // namespace kestrana::menubar
