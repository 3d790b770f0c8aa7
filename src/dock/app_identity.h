#pragma once
// Which application a top-level window belongs to: plain programs, the file manager and
// Control Panel, store applications hosted in a frame window, browser web applications,
// Android applications and Java processes. Runs on a background job: it may wait for a
// hosted application's window to show up.

#include "dock/dockico.h"
#include "dock/window_facts_port.h"

#include <string>
#include <string_view>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::dock {

// An empty identity (all fields empty) means the window is no application window.
struct AppIdentity {
    std::wstring program;   // lower-case file name, or "controlpanel", "chrome_proxy.exe", ...
    std::wstring filePath;  // compared with an item's filepath (an id for web and store apps)
    std::wstring imagePath; // the process image, compared with an item's realpath
    std::wstring label;
    std::wstring appId;     // application user model id from the window's property store
    AppKind kind = AppKind::Program;

    [[nodiscard]] bool Empty() const {
        return program.empty() && filePath.empty() && imagePath.empty() && label.empty() && appId.empty() &&
               kind == AppKind::Program;
    }
};

struct IdentifyPorts {
    const WindowFactsPort& facts;
    const WebAppDirectory& webApps;
    Pause& pause;
    const foundation::ConfigStore& settings; // language texts and the "unsave" labels
};

struct IdentifyOptions {
    bool followFrame = true;   // look through a store application's frame to its content
    bool programOnly = false;  // the caller does not need the label
};

inline constexpr int kFrameRetryMs = 40;
inline constexpr int kFrameRetries = 50;
inline constexpr int kJavaRetryMs = 100;
inline constexpr int kJavaRetries = 6;

[[nodiscard]] AppIdentity IdentifyWindow(WindowId window, const IdentifyPorts& ports, IdentifyOptions options = {});

// The special items' appnames that stand for no program.
[[nodiscard]] bool IsSpecialKey(std::wstring_view appname);

// Whether a bar-delimited set such as "|a|b|" holds this word.
[[nodiscard]] bool InBarSet(std::wstring_view set, std::wstring_view word);

} // namespace kestrana::dock
