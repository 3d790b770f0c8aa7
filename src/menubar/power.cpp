#include "menubar/power.h"

namespace kestrana::menubar {

std::uint32_t ShutdownFlags(PowerAction action, bool installUpdates) {
    std::uint32_t flags = 0;
    switch (action) {
    case PowerAction::Restart: flags = kShutdownRestart | kShutdownForceOthers; break;
    case PowerAction::Shutdown: flags = kShutdownPowerOff | kShutdownHybrid | kShutdownForceOthers; break;
    default: return 0;
    }
    return installUpdates ? flags | kShutdownInstallUpdates : flags;
}

std::uint32_t OrchestratorFlags(std::uint32_t flags, std::optional<std::uint32_t> enhancedShutdown) {
    if ((flags & kShutdownInstallUpdates) && enhancedShutdown.value_or(0) != 0) return flags & ~kShutdownHybrid;
    return flags;
}

bool RunPowerAction(PowerPort& port, PowerAction action, bool installUpdates) {
    // Without the privilege the calls below fail on their own; try them anyway.
    port.EnableShutdownPrivilege();
    switch (action) {
    case PowerAction::Logoff: return port.EndSession(0, kShutdownReasonPlanned);
    case PowerAction::Restart:
    case PowerAction::Shutdown:
        return port.StartShutdown(OrchestratorFlags(ShutdownFlags(action, installUpdates), port.EnhancedShutdown()),
                                     kShutdownReasonPlanned);
    case PowerAction::Sleep: return port.Suspend(false, true);
    case PowerAction::Hibernate: return port.Suspend(true, false);
    }
    return false;
}

std::wstring_view ActionWord(PowerAction action) {
    switch (action) {
    case PowerAction::Logoff: return L"logout";
    case PowerAction::Restart: return L"reboot";
    case PowerAction::Shutdown: return L"shutdown";
    case PowerAction::Sleep: return L"sleep";
    case PowerAction::Hibernate: return L"dormant";
    }
    return {};
}

bool NeedsConfirmation(PowerAction action, bool confirmSetting) {
    return confirmSetting && action != PowerAction::Sleep;
}

int DelaySeconds(int choice) { return choice > 0 && choice < kDelayChoices ? choice * 300 : 0; }

int DelayChoiceOf(int seconds) {
    for (int choice = 0; choice < kDelayChoices; ++choice)
        if (DelaySeconds(choice) == seconds) return choice;
    return -1;
}

std::wstring DelayText(int choice, std::wstring_view nowWord, std::wstring_view minuteWord) {
    if (choice <= 0) return std::wstring(nowWord);
    return std::to_wstring(choice * 5) + L" " + std::wstring(minuteWord);
}

std::wstring CountdownText(int seconds) {
    if (seconds < 0) seconds = 0;
    auto two = [](int v) { return std::wstring(v < 10 ? L"0" : L"") + std::to_wstring(v); };
    if (seconds < 60) return two(seconds);
    return two(seconds / 60) + L":" + two(seconds % 60);
}

bool PowerCountdown::Tick() {
    if (!m_running) return false;
    if (--m_left > 0) return false;
    m_left = 0;
    m_running = false;
    return true;
}

} // namespace kestrana::menubar
