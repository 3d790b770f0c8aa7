#pragma once
// Starting the hook companion and the handshake with it, run on a worker after start-up.
// The order of attempts and the waits are the rules here; finding windows, starting
// programs and sending messages go through the port, so the sequence is testable step by
// step without a system.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::foundation {

using WindowHandle = std::uint64_t; // an opaque window id; 0 = none

enum class ShareMessage { Share, ShareMemoryTask, TaskbarCreated };

struct CompanionLinkPort {
    std::function<WindowHandle(std::wstring_view windowClass)> findWindow;
    // The scheduled task exists and runs the companion of this program folder.
    std::function<bool(std::wstring_view task)> companionTaskExists;
    std::function<void(std::wstring_view task)> runTask;
    std::function<bool()> startCompanion;
    std::function<bool()> elevated;
    std::function<WindowHandle()> taskbarWindow;
    std::function<void(WindowHandle, ShareMessage, std::uintptr_t wParam, std::intptr_t lParam)> post;
    // Sent with a time-out; nullopt when the companion did not answer.
    std::function<std::optional<std::intptr_t>(WindowHandle, std::uintptr_t wParam, std::intptr_t lParam)> sendShare;
    std::function<void(WindowHandle mainWindow)> broadcastTaskbarCreated;
    std::function<void(std::uint32_t ms)> sleep;
    std::function<bool()> quitting;
};

struct CompanionLinkOptions {
    WindowHandle mainWindow = 0;
    bool windows64 = true;
    bool windowsArm64 = false;
    bool firstHandshake = true;
    bool selfUpdatePending = false;
    // Windows to watch for minimise animations (the first handshake only, when they are on).
    std::vector<WindowHandle> trackedWindows;
    bool minimiseAnimations = false;
    std::uint32_t watchIntervalMs = 0;
};

struct CompanionLinkResult {
    WindowHandle companion = 0; // the "hookel32" window, 0 when none was found
    bool confirmed = false;     // it answered the handshake
    int tries = 0;              // looks for the companion window
};

// Starts the companion (through its task, directly when elevated, or after waiting for
// one that is starting anyway) and then runs the handshake.
CompanionLinkResult StartCompanion(const CompanionLinkPort& port, const CompanionLinkOptions& options);
// The handshake alone (also run again when the shell restarts).
CompanionLinkResult Handshake(const CompanionLinkPort& port, const CompanionLinkOptions& options);

} // namespace kestrana::foundation
