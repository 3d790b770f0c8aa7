// Which status items a bar creates, in which order, and what a first start writes back.
#include "menubar/status_items.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

namespace kestrana::menubar {
namespace {

std::vector<StatusKind> KindsOf(const StatusPlan& plan) {
    std::vector<StatusKind> kinds;
    for (const auto& e : plan.entries) kinds.push_back(e.kind);
    return kinds;
}

TEST(StatusOrder, AFreshFileGetsTheDefaultOrderWrittenBack) {
    fakes::SettingsFolder folder;
    WriteDefaultOnKeys(folder.store);
    const StatusPlan plan = PlanStatusItems(folder.store);
    EXPECT_TRUE(plan.positionsMissing);
    const std::vector<StatusKind> expected{
        StatusKind::Time,  StatusKind::SystemControl, StatusKind::Search,  StatusKind::InputMethod, StatusKind::Tray,
        StatusKind::Audio, StatusKind::Battery,       StatusKind::Display, StatusKind::Wifi,        StatusKind::Bluetooth};
    EXPECT_EQ(KindsOf(plan), expected);
    for (std::size_t i = 0; i < plan.entries.size(); ++i) EXPECT_EQ(plan.entries[i].position, int(i) + 1);

    ASSERT_TRUE(SavePositions(folder.store, KindsOf(plan)));
    const wchar_t* keys[] = {L"systemtime", L"systemcontrol", L"search", L"systemIME", L"systemtray",
                             L"audio",      L"battery",       L"display", L"wifi",     L"bluetooth"};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(folder.store.ReadInt(L"finder", keys[i]), i + 1) << keys[i];
    for (const wchar_t* off : {L"useraccount", L"systemIMEzh", L"mediacontrol", L"microphone", L"stagemanager"})
        EXPECT_FALSE(folder.store.HasKey(L"finder", off)) << off;
    // The next start finds the same order and nothing to write.
    EXPECT_FALSE(PlanStatusItems(folder.store).positionsMissing);
    EXPECT_EQ(KindsOf(PlanStatusItems(folder.store)), expected);
}

TEST(StatusOrder, StoredPositionsRuleAndDefaultsFollowTheLastOne) {
    fakes::SettingsFolder folder;
    // Search switched off, the user account and the CPU monitor on; the input method's
    // key is absent, so it follows the item before it.
    folder.Config(u"[finder]\r\nsystemtime=3\r\nsystemcontrol=1\r\nsearch=0\r\nuseraccount=2\r\n"
                  u"systemtray=0\r\n[findermonitor]\r\nCPUON=7\r\n");
    const StatusPlan plan = PlanStatusItems(folder.store);
    EXPECT_FALSE(plan.positionsMissing);
    // Equal positions keep the creation order.
    EXPECT_EQ(KindsOf(plan), (std::vector{StatusKind::SystemControl, StatusKind::UserAccount, StatusKind::Time,
                                          StatusKind::InputMethod, StatusKind::Cpu}));
    EXPECT_EQ(plan.entries[3].position, 3); // useraccount's 2, plus one

    ASSERT_TRUE(SavePositions(folder.store, {StatusKind::Cpu, StatusKind::Time}));
    EXPECT_EQ(folder.store.ReadInt(L"findermonitor", L"CPUON"), 1);
    EXPECT_EQ(folder.store.ReadInt(L"finder", L"systemtime"), 2);
}

} // namespace
} // namespace kestrana::menubar
