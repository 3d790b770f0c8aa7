#include "foundation/companion_link.h"

#include "foundation/hook_protocol.h"

namespace kestrana::foundation {
namespace {

constexpr std::wstring_view kTask = L"Ondelmod";
constexpr std::wstring_view kTask64 = L"Ondelmod64";

bool Quitting(const CompanionLinkPort& port) { return port.quitting && port.quitting(); }

} // namespace

CompanionLinkResult StartCompanion(const CompanionLinkPort& port, const CompanionLinkOptions& options) {
    if (port.companionTaskExists(kTask)) {
        port.runTask(kTask);
        port.sleep(2000);
        if (port.findWindow(kCompanion32Class)) return Handshake(port, options);
    }
    if (port.elevated()) {
        port.startCompanion();
        return Handshake(port, options);
    }
    // Another start (the logon task, say) may be bringing it up already.
    for (int i = 0; i < 4 && !port.findWindow(kCompanion32Class); ++i) {
        if (Quitting(port)) return {};
        port.sleep(1000);
    }
    if (!port.findWindow(kCompanion32Class)) port.startCompanion();
    return Handshake(port, options);
}

CompanionLinkResult Handshake(const CompanionLinkPort& port, const CompanionLinkOptions& options) {
    CompanionLinkResult result;
    for (int attempt = 1; attempt <= 10; ++attempt) {
        result.tries = attempt;
        result.companion = port.findWindow(kCompanion32Class);
        if (result.companion) break;
        if (Quitting(port)) return result;
        if (attempt == 3 && port.companionTaskExists(kTask)) {
            port.runTask(kTask);
            if (options.windows64) port.runTask(kTask64);
        }
        if (attempt < 10) port.sleep(1000);
    }
    if (!result.companion) return result;

    WindowHandle taskbar = port.taskbarWindow();
    for (int i = 0; i < 20 && !taskbar && !Quitting(port); ++i) {
        port.sleep(1000);
        taskbar = port.taskbarWindow();
    }

    const std::wstring_view trayPartner =
        options.windowsArm64 ? kCompanionArmClass : (options.windows64 ? kCompanion64Class : kCompanion32Class);
    if (const WindowHandle partner = port.findWindow(trayPartner)) {
        port.post(partner, ShareMessage::Share, kShareTaskbar, static_cast<std::intptr_t>(taskbar));
        if (options.windowsArm64) port.post(partner, ShareMessage::Share, kShareTrayHookArm, static_cast<std::intptr_t>(taskbar));
    }

    const auto answer = port.sendShare(result.companion, kShareHandshake, static_cast<std::intptr_t>(options.mainWindow));
    result.confirmed = answer && *answer != 0;
    // Without the companion, tray icons must be announced to us again some other way.
    if (!result.confirmed) port.broadcastTaskbarCreated(options.mainWindow);

    if (options.firstHandshake && options.minimiseAnimations) {
        for (std::size_t i = 0; i < options.trackedWindows.size(); ++i) {
            if (Quitting(port)) break;
            port.post(result.companion, ShareMessage::Share, kShareWatchWindow,
                      static_cast<std::intptr_t>(options.trackedWindows[i]));
            if (options.watchIntervalMs && i + 1 < options.trackedWindows.size()) port.sleep(options.watchIntervalMs);
        }
    }
    if (options.selfUpdatePending) port.post(result.companion, ShareMessage::ShareMemoryTask, kTaskInstallSelfUpdate, 0);
    return result;
}

} // namespace kestrana::foundation
