#pragma once
// The facts about other programs' windows that identification and the reconciliation
// pass ask for, read from the window system, the window manager, the process and the
// shell. Every call may come from any thread: identification runs on background jobs.

#include "dock/window_events.h"
#include "dock/window_facts_port.h"
#include "dock/win32/win32_web_apps.h"

#include <windows.h>

#include <mutex>
#include <unordered_map>

namespace kestrana::dock {

[[nodiscard]] inline HWND ToHwnd(WindowId window) noexcept {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(window));
}
[[nodiscard]] inline WindowId ToWindowId(HWND window) noexcept {
    return static_cast<WindowId>(reinterpret_cast<UINT_PTR>(window));
}

class Win32WindowFacts final : public WindowFactsPort, public WebAppDirectory, public TopLevelWindowList {
public:
    bool IsWindow(WindowId window) const override;
    std::wstring ClassName(WindowId window) const override;
    std::wstring Title(WindowId window) const override;
    bool ChildStyle(WindowId window) const override;
    WindowId Owner(WindowId window) const override;
    bool Cloaked(WindowId window) const override;
    std::uint32_t ProcessId(WindowId window) const override;
    std::wstring ProcessImagePath(std::uint32_t processId) const override;
    std::wstring PackageFamilyName(std::uint32_t processId) const override;
    std::wstring ApplicationId(WindowId window) const override;
    WindowId FindChild(WindowId parent, std::wstring_view className) const override;
    WindowId FindTopLevel(std::wstring_view className, std::wstring_view title) const override;
    std::wstring KnownFolderPath(std::wstring_view folderId) const override;
    std::wstring WindowsFolder() const override;

    // From the start-menu shortcuts, read again when they change (see Win32WebApps).
    std::wstring FindByTitle(Browser browser, std::wstring_view title) const override;

    // Called four times a second, so it reads little: the style word of every window, and
    // the extended style and owner of a visible window when it is new to the list or
    // was last read kStableFactsPasses calls ago (they seldom change after creation).
    std::vector<TopLevelWindow> Enumerate() const override;
    WindowShape Shape(WindowId window) const override;

    static constexpr std::uint32_t kStableFactsPasses = 8;

private:
    struct StableFacts {
        bool toolWindow = false;
        bool appWindow = false;
        bool owned = false;
        std::uint32_t readAt = 0;
    };
    static StableFacts ReadStableFacts(HWND window, std::uint32_t pass);
    void Complete(WindowId window, const StableFacts& facts, WindowShape& shape) const;

    mutable Win32WebApps m_webApps;
    mutable std::mutex m_stableMutex;
    mutable std::uint32_t m_pass = 0;
    mutable std::unordered_map<HWND, StableFacts> m_stable; // visible windows of the last Enumerate
};

class Win32Pause final : public Pause {
public:
    void Sleep(int milliseconds) override;
};

} // namespace kestrana::dock
