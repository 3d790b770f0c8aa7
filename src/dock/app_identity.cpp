#include "dock/app_identity.h"

#include "dock/item_labels.h"
#include "foundation/config_store.h"
#include "foundation/text.h"

#include <optional>

namespace kestrana::dock {

using foundation::AsciiLower;
using foundation::ContainsIgnoreCase;
using foundation::EndsWithIgnoreCase;
using foundation::EqualsIgnoreCase;

namespace {

constexpr std::wstring_view kShellClasses =
    L"|CabinetWClass|Windows.UI.Core.CoreWindow|Clover_WidgetWin_0|WorkerW|Progman|Shell_TrayWnd|";
constexpr std::wstring_view kCoreWindow = L"Windows.UI.Core.CoreWindow";

std::wstring FileNameOf(std::wstring_view path) {
    const auto slash = path.find_last_of(L"\\/");
    return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

std::wstring FolderOf(std::wstring_view path) {
    const auto slash = path.find_last_of(L"\\/");
    return std::wstring(slash == std::wstring_view::npos ? std::wstring_view() : path.substr(0, slash));
}

bool IsOwnWindow(std::wstring_view className, std::wstring_view title) {
    return (className == L"TRAYICO" && title == L"trayico") || className == L"OndelIcoLDHwnd";
}

// The file manager, the desktop, the taskbar and Control Panel all run in the shell.
AppIdentity ShellIdentity(const std::wstring& appId, const IdentifyPorts& ports) {
    AppIdentity id;
    id.appId = appId;
    id.imagePath = AsciiLower(ports.facts.WindowsFolder() + L"\\explorer.exe");
    if (EqualsIgnoreCase(appId, L"microsoft.windows.controlpanel")) {
        id.program = L"controlpanel";
        id.filePath = id.imagePath;
        id.label = ItemLanguageText(ports.settings, L"systemicon", L"controlpanel");
    } else {
        id.program = L"explorer.exe";
        id.filePath = id.imagePath;
        id.label = ItemLanguageText(ports.settings, L"iconame", L"explorer");
    }
    return id;
}

// A hosted application's content window is a child of its frame, or, while the frame is
// being built or minimised, a top-level window with the frame's title.
WindowId FindHostedWindow(WindowId frame, const IdentifyPorts& ports) {
    for (int attempt = 0; attempt < kFrameRetries; ++attempt) {
        if (!ports.facts.IsWindow(frame)) return WindowId::None;
        WindowId content = ports.facts.FindChild(frame, kCoreWindow);
        if (content == WindowId::None) content = ports.facts.FindTopLevel(kCoreWindow, ports.facts.Title(frame));
        if (content != WindowId::None) return content;
        ports.pause.Sleep(kFrameRetryMs);
    }
    return WindowId::None;
}

std::optional<AppIdentity> HostedIdentity(WindowId frame, const std::wstring& frameAppId, const IdentifyPorts& ports) {
    const WindowId content = FindHostedWindow(frame, ports);
    if (content == WindowId::None) return std::nullopt;
    const std::uint32_t pid = ports.facts.ProcessId(content);
    AppIdentity id;
    id.imagePath = ports.facts.ProcessImagePath(pid);
    id.program = AsciiLower(FileNameOf(id.imagePath));
    id.label = ports.facts.Title(content);
    id.appId = frameAppId.empty() ? ports.facts.ApplicationId(content) : frameAppId;
    if (EndsWithIgnoreCase(id.imagePath, L"\\system32\\wwahost.exe") || !ports.facts.PackageFamilyName(pid).empty()) {
        id.kind = AppKind::Packaged;
        id.filePath = id.appId;
    } else {
        id.filePath = id.imagePath;
    }
    return id;
}

// "{GUID}\rest" stands for the rest under that known folder.
std::wstring ExpandKnownFolder(const std::wstring& appId, const WindowFactsPort& facts) {
    if (appId.empty() || appId.front() != L'{') return appId;
    const auto close = appId.find(L'}');
    if (close == std::wstring::npos) return appId;
    const std::wstring folder = facts.KnownFolderPath(std::wstring_view(appId).substr(0, close + 1));
    return folder.empty() ? appId : folder + appId.substr(close + 1);
}

// The extension id that follows "_crx_" (a profile suffix after a dot is dropped).
std::wstring CrxId(std::wstring_view appId) {
    const auto at = AsciiLower(appId).find(L"_crx_");
    std::wstring_view rest = appId.substr(at + 5);
    return std::wstring(rest.substr(0, rest.find(L'.')));
}

void BecomeBrowserProxy(AppIdentity& id, std::wstring_view proxy, AppKind kind, std::wstring appKey) {
    id.imagePath = FolderOf(id.imagePath) + L"\\" + std::wstring(proxy);
    id.program = std::wstring(proxy);
    id.kind = kind;
    id.filePath = std::move(appKey);
}

// Android applications show under the subsystem's client; the package name is the part
// of the id after its last "!".
std::wstring AndroidPath(std::wstring_view appId) {
    if (foundation::StartsWithIgnoreCase(appId, L"wsa://")) return std::wstring(appId);
    const auto bang = appId.rfind(L'!');
    return L"wsa://" + std::wstring(bang == std::wstring_view::npos ? appId : appId.substr(bang + 1));
}

void RecogniseWebApp(AppIdentity& id, const IdentifyPorts& ports) {
    if (ContainsIgnoreCase(id.appId, L"Chrome._crx_")) {
        BecomeBrowserProxy(id, L"chrome_proxy.exe", AppKind::BrowserWebApp, CrxId(id.appId));
    } else if (ContainsIgnoreCase(id.appId, L"filips.firefoxpwa")) {
        // The browser's own windows may carry the id too; their title names the browser.
        const bool browserWindow = EndsWithIgnoreCase(id.imagePath, L"\\firefox.exe") &&
                                   ContainsIgnoreCase(id.label, L"Mozilla Firefox");
        if (!browserWindow) {
            id.program = L"firefoxpwa.exe";
            id.kind = AppKind::FirefoxWebApp;
            id.filePath = id.appId;
        }
    } else if (id.program == L"chrome.exe" && id.label.find(L" - Google Chrome") == std::wstring::npos) {
        std::wstring app = ports.webApps.FindByTitle(Browser::Chrome, id.label);
        if (!app.empty()) BecomeBrowserProxy(id, L"chrome_proxy.exe", AppKind::BrowserWebApp, std::move(app));
    } else if (id.program == L"msedge.exe" && id.label.find(L" - Microsoft") == std::wstring::npos) {
        std::wstring app = ports.webApps.FindByTitle(Browser::Edge, id.label);
        if (!app.empty()) BecomeBrowserProxy(id, L"pwahelper.exe", AppKind::AppIdProgram, std::move(app));
    } else if (id.program == L"wsaclient.exe") {
        id.kind = AppKind::Android;
        id.filePath = AndroidPath(id.appId);
    }
}

// The process id written after "*pid" in the id, or 0.
std::uint32_t EmbeddedProcessId(std::wstring_view appId) {
    const auto at = appId.find(L"*pid");
    if (at == std::wstring_view::npos) return 0;
    std::uint64_t value = 0;
    for (std::size_t i = at + 4; i < appId.size() && appId[i] >= L'0' && appId[i] <= L'9'; ++i) {
        value = value * 10 + static_cast<std::uint64_t>(appId[i] - L'0');
        if (value > 0xFFFFFFFFu) return 0;
    }
    return static_cast<std::uint32_t>(value);
}

// Every Java program runs in "javaw.exe"; the companion's hook gives each process an id
// of its own, which may arrive a little after the window.
void SeparateJavaProcess(AppIdentity& id, WindowId window, std::uint32_t pid, const IdentifyPorts& ports) {
    std::wstring appId = id.appId;
    for (int attempt = 0; attempt < kJavaRetries && appId.find(L"*pid") == std::wstring::npos; ++attempt) {
        ports.pause.Sleep(kJavaRetryMs);
        appId = ports.facts.ApplicationId(window);
    }
    if (appId.find(L"*pid") == std::wstring::npos) return;
    // Another process's id must not group this window with that process.
    if (EmbeddedProcessId(appId) != pid) {
        id.filePath = id.imagePath;
        return;
    }
    id.appId = appId;
    id.filePath = appId;
    id.label = ports.facts.Title(window);
}

AppIdentity ProgramIdentity(WindowId window, const std::wstring& appId, const IdentifyPorts& ports) {
    AppIdentity id;
    id.appId = appId;
    id.filePath = ExpandKnownFolder(appId, ports.facts);
    const std::uint32_t pid = ports.facts.ProcessId(window);
    id.imagePath = ports.facts.ProcessImagePath(pid);
    id.program = AsciiLower(FileNameOf(id.imagePath));
    // Without an id of its own a program is found by its image.
    if (id.filePath.empty()) id.filePath = id.imagePath;
    id.label = ports.facts.Title(window);
    RecogniseWebApp(id, ports);
    if (id.program == L"javaw.exe") SeparateJavaProcess(id, window, pid, ports);
    return id;
}

} // namespace

bool InBarSet(std::wstring_view set, std::wstring_view word) {
    if (word.empty()) return false;
    const std::wstring needle = L"|" + std::wstring(word) + L"|";
    return set.find(needle) != std::wstring_view::npos;
}

bool IsSpecialKey(std::wstring_view appname) {
    static constexpr std::wstring_view kKeys[] = {L"mydocuments", L"taskbar",    L"controlpanel", L"launchpad|",
                                                  L"network",     L"weather",    L"systemtime",   L"battery",
                                                  L"startmenu",   L"cal|",       L"virtualdesktop", L"trash|"};
    for (const auto key : kKeys) {
        if (key == appname) return true;
    }
    return false;
}

AppIdentity IdentifyWindow(WindowId window, const IdentifyPorts& ports, IdentifyOptions options) {
    const WindowFactsPort& facts = ports.facts;
    const std::wstring className = facts.ClassName(window);
    if (IsOwnWindow(className, facts.Title(window))) return {};
    // A content window is identified through its frame.
    if (className == kCoreWindow && !facts.ChildStyle(window)) return {};

    const std::wstring appId = facts.ApplicationId(window);
    if (InBarSet(kShellClasses, className) || EqualsIgnoreCase(appId, L"microsoft.windows.explorer")) {
        AppIdentity shell = ShellIdentity(appId, ports);
        if (options.programOnly) shell.label.clear();
        return shell;
    }

    std::optional<AppIdentity> hosted;
    if (options.followFrame && className == L"ApplicationFrameWindow") hosted = HostedIdentity(window, appId, ports);
    AppIdentity id = hosted ? std::move(*hosted) : ProgramIdentity(window, appId, ports);
    if (!facts.IsWindow(window)) return {}; // its process went away meanwhile

    if (options.programOnly) {
        id.label.clear();
    } else if (std::wstring label = ports.settings.ReadString(L"unsave", id.program); !label.empty()) {
        id.label = std::move(label);
    }
    id.filePath = AsciiLower(id.filePath);
    id.imagePath = AsciiLower(id.imagePath);
    return id;
}

} // namespace kestrana::dock
