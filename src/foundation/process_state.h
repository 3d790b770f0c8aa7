#pragma once
// Process-wide facts and flags, set during start-up and read by every subsystem. The
// flags are read from worker threads, hence atomic.

#include <atomic>
#include <cstdint>
#include <string>

namespace kestrana::foundation {

struct ProcessState {
    std::wstring exePath;    // full path of the running executable
    std::wstring baseFolder; // its folder, ending in a backslash; also the current directory
    std::uint32_t uiThreadId = 0;
    std::uint64_t startTimeMs = 0;

    std::uint32_t windowsMajor = 0;
    std::uint32_t windowsBuild = 0;
    bool windows11 = false;
    bool windows64 = false;
    bool windowsArm64 = false;

    std::atomic<bool> onMainsPower{true};
    std::atomic<bool> workshopMode{false};
    std::atomic<bool> steamAvailable{false};
    std::atomic<bool> quit{false};        // the message loop is ending; stop restarting things
    std::atomic<bool> restartOnce{false}; // a restart was requested; later requests are ignored
    std::atomic<bool> sessionLocked{false};
    std::atomic<bool> suspended{false};
    std::atomic<bool> selfUpdatePending{false}; // "Ondel.exe" waits for the companion to replace it
    // Started as administrator from a folder others can change: nothing of ours runs
    // elevated from it (the settings window says so).
    std::atomic<bool> unsafeElevatedFolder{false};
};

// The one instance, owned by the program's entry point.
[[nodiscard]] ProcessState& Process() noexcept;

// Windows 10 1809 (build 17763) is the oldest system the program runs on.
[[nodiscard]] constexpr bool IsSupportedWindows(std::uint32_t major, std::uint32_t build) noexcept {
    return major > 10 || (major == 10 && build >= 17763);
}
[[nodiscard]] constexpr bool IsWindows11(std::uint32_t major, std::uint32_t build) noexcept {
    return major >= 10 && build >= 22000;
}

} // namespace kestrana::foundation
