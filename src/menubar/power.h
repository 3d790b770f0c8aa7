#pragma once
// The logo menu's power actions: which system call each one makes with which flags, the
// confirmation that may come first, and its delay list and countdown.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::menubar {

// The codes are the ones the settings page and the hotkeys use too.
enum class PowerAction : std::uint8_t { Logoff = 0, Restart = 1, Shutdown = 2, Sleep = 3, Hibernate = 4 };

// Flag values of the system's shutdown calls.
inline constexpr std::uint32_t kShutdownForceOthers = 0x1;
inline constexpr std::uint32_t kShutdownRestart = 0x4;
inline constexpr std::uint32_t kShutdownPowerOff = 0x8;
inline constexpr std::uint32_t kShutdownInstallUpdates = 0x40;
inline constexpr std::uint32_t kShutdownHybrid = 0x200;
// "Other (planned)": the reason every action gives.
inline constexpr std::uint32_t kShutdownReasonPlanned = 0x80000000u;

// What the power operation asks of the system; the program's implementation calls
// Windows, the tests record the calls.
class PowerPort {
public:
    virtual ~PowerPort() = default;
    virtual bool EnableShutdownPrivilege() = 0;
    virtual bool EndSession(std::uint32_t flags, std::uint32_t reason) = 0;
    virtual bool StartShutdown(std::uint32_t flags, std::uint32_t reason) = 0;
    virtual bool Suspend(bool hibernate, bool force) = 0;
    // "EnhancedShutdownEnabled" of the update orchestrator; nullopt when absent.
    [[nodiscard]] virtual std::optional<std::uint32_t> EnhancedShutdown() = 0;
};

// The flags of a restart or shut-down (0 for the other actions), before the
// orchestrator check.
[[nodiscard]] std::uint32_t ShutdownFlags(PowerAction action, bool installUpdates);
// The orchestrator check: when updates are to be installed and the orchestrator runs
// its enhanced shutdown, the machine must really power off, so hybrid boot is dropped.
[[nodiscard]] std::uint32_t OrchestratorFlags(std::uint32_t flags, std::optional<std::uint32_t> enhancedShutdown);

// Runs the action; false when the system refused (the caller just closes its menu).
bool RunPowerAction(PowerPort& port, PowerAction action, bool installUpdates);

// The language key that names the action in the confirmation ("logout", "reboot", ...).
[[nodiscard]] std::wstring_view ActionWord(PowerAction action);
// Whether the confirmation is asked for ("messageboxshutdown" on; never for sleep).
[[nodiscard]] bool NeedsConfirmation(PowerAction action, bool confirmSetting);

// The confirmation's delay list: "now", then 5, 10, ... 60 minutes.
inline constexpr int kDelayChoices = 13;
// The seconds a choice stands for (300 per step).
[[nodiscard]] int DelaySeconds(int choice);
// The choice of a running delay, or -1 when none matches.
[[nodiscard]] int DelayChoiceOf(int seconds);
// "now" for the first entry, else the minutes, a space and the word for minutes.
[[nodiscard]] std::wstring DelayText(int choice, std::wstring_view nowWord, std::wstring_view minuteWord);
// The time left as two-digit minutes and seconds ("04:05"), the seconds alone ("09")
// below one minute.
[[nodiscard]] std::wstring CountdownText(int seconds);

// The prompt's countdown: started with a delay, ticked once a second.
class PowerCountdown {
public:
    void Start(int seconds) { m_left = seconds > 0 ? seconds : 0; m_running = seconds > 0; }
    void Stop() { m_running = false; }
    // One second passed; true when the count just reached 0 (the prompt confirms).
    bool Tick();
    [[nodiscard]] bool Running() const { return m_running; }
    [[nodiscard]] int SecondsLeft() const { return m_left; }

private:
    int m_left = 0;
    bool m_running = false;
};

} // namespace kestrana::menubar
