// The power actions' system calls (through a recording port: nothing is ever switched
// off), the logo menu's entries for them, and the confirmation's delays and countdown.
#include "menubar/bar_menus.h"
#include "menubar/power.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrana::menubar {
namespace {

class RecordingPowerPort final : public PowerPort {
public:
    std::vector<std::string> calls;
    std::optional<std::uint32_t> enhanced;
    bool refuse = false;

    bool EnableShutdownPrivilege() override { return Note("privilege"); }
    bool EndSession(std::uint32_t flags, std::uint32_t reason) override {
        return Note("exit " + std::to_string(flags) + " " + std::to_string(reason));
    }
    bool StartShutdown(std::uint32_t flags, std::uint32_t reason) override {
        return Note("shutdown " + std::to_string(flags) + " " + std::to_string(reason));
    }
    bool Suspend(bool hibernate, bool force) override {
        return Note(std::string("suspend ") + (hibernate ? "hibernate" : "sleep") + (force ? " forced" : ""));
    }
    std::optional<std::uint32_t> EnhancedShutdown() override { return enhanced; }

private:
    bool Note(std::string call) {
        calls.push_back(std::move(call));
        return !refuse;
    }
};

TEST(PowerOperation, EachMenuEntryMakesItsCallWithItsFlags) {
    const std::string reason = std::to_string(0x80000000u);
    const struct {
        int command;
        std::optional<std::uint32_t> enhanced;
        std::string call;
    } cases[] = {
        {command::kLogout, {}, "exit 0 " + reason},
        {command::kRestart, {}, "shutdown 5 " + reason},                  // 0x4 | 0x1
        {command::kShutdown, {}, "shutdown 521 " + reason},               // 0x208 | 0x1
        {command::kRestartUpdate, {}, "shutdown 69 " + reason},           // + 0x40
        {command::kShutdownUpdate, {}, "shutdown 585 " + reason},         // 0x248 | 0x1
        {command::kShutdownUpdate, 1u, "shutdown 73 " + reason},          // a full power-off
        {command::kShutdown, 1u, "shutdown 521 " + reason},               // no updates: hybrid stays
        {command::kSleep, {}, "suspend sleep forced"},
        {command::kHibernate, {}, "suspend hibernate"},
    };
    for (const auto& c : cases) {
        RecordingPowerPort port;
        port.enhanced = c.enhanced;
        const auto choice = PowerChoiceOf(c.command);
        ASSERT_TRUE(choice) << c.command;
        EXPECT_TRUE(RunPowerAction(port, choice->action, choice->installUpdates));
        EXPECT_EQ(port.calls, (std::vector<std::string>{"privilege", c.call})) << c.command;
    }
    RecordingPowerPort refusing;
    refusing.refuse = true;
    EXPECT_FALSE(RunPowerAction(refusing, PowerAction::Shutdown, false));
    EXPECT_FALSE(PowerChoiceOf(command::kLockScreen));
}

TEST(PowerOperation, LogoMenuOffersHibernateAndUpdatesOnlyWhenTheSystemDoes) {
    fakes::SettingsFolder folder;
    auto ids = [&](const LogoMenuFacts& facts) {
        std::vector<int> out;
        for (const auto& item : LogoMenu(folder.store, facts)) out.push_back(item.id);
        return out;
    };
    auto has = [](const std::vector<int>& v, int id) { return std::find(v.begin(), v.end(), id) != v.end(); };
    const auto plain = ids({});
    EXPECT_FALSE(has(plain, command::kHibernate));
    EXPECT_FALSE(has(plain, command::kRestartUpdate));
    const auto full = ids({.aboutAvailable = false, .hibernateAllowed = true, .updatesWaiting = true, .recentFiles = {}});
    EXPECT_TRUE(has(full, command::kHibernate));
    EXPECT_TRUE(has(full, command::kShutdownUpdate));
    EXPECT_EQ(full.back(), command::kLogout);
    EXPECT_TRUE(NeedsConfirmation(PowerAction::Shutdown, true));
    EXPECT_FALSE(NeedsConfirmation(PowerAction::Sleep, true));
    EXPECT_FALSE(NeedsConfirmation(PowerAction::Logoff, false));
}

TEST(PowerConfirmation, DelayListAndCountdown) {
    EXPECT_EQ(DelayText(0, L"Now", L"minutes"), L"Now");
    EXPECT_EQ(DelayText(12, L"Now", L"minutes"), L"60 minutes");
    EXPECT_EQ(DelaySeconds(12), 3600);
    EXPECT_EQ(DelayChoiceOf(600), 2);
    EXPECT_EQ(DelayChoiceOf(601), -1);

    EXPECT_EQ(CountdownText(3600), L"60:00");
    EXPECT_EQ(CountdownText(245), L"04:05");
    EXPECT_EQ(CountdownText(60), L"01:00");
    EXPECT_EQ(CountdownText(59), L"59");
    EXPECT_EQ(CountdownText(7), L"07");

    PowerCountdown countdown;
    countdown.Start(DelaySeconds(1));
    int ticks = 1;
    while (!countdown.Tick()) ++ticks;
    EXPECT_EQ(ticks, 300);
    EXPECT_FALSE(countdown.Running());
    EXPECT_FALSE(countdown.Tick());
}

} // namespace
} // namespace kestrana::menubar
