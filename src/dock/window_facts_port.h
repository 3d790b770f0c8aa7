#pragma once
// What identifying another program's window asks of the system: a few facts about the
// window and its process, the installed web applications, and a way to wait between
// retries. Win32 implements them in dock/win32/; tests use small fakes.

#include "dock/dockico.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrana::dock {

class WindowFactsPort {
public:
    virtual ~WindowFactsPort() = default;
    // False once the window has been destroyed.
    [[nodiscard]] virtual bool IsWindow(WindowId window) const = 0;
    [[nodiscard]] virtual std::wstring ClassName(WindowId window) const = 0;
    [[nodiscard]] virtual std::wstring Title(WindowId window) const = 0;
    // The window carries the child-window style.
    [[nodiscard]] virtual bool ChildStyle(WindowId window) const = 0;
    [[nodiscard]] virtual WindowId Owner(WindowId window) const = 0;
    // Hidden by the window manager (another virtual desktop, a suspended application).
    [[nodiscard]] virtual bool Cloaked(WindowId window) const = 0;
    [[nodiscard]] virtual std::uint32_t ProcessId(WindowId window) const = 0;
    // Full path of the process image; empty when the process cannot be opened.
    [[nodiscard]] virtual std::wstring ProcessImagePath(std::uint32_t processId) const = 0;
    // Empty for a process that belongs to no package.
    [[nodiscard]] virtual std::wstring PackageFamilyName(std::uint32_t processId) const = 0;
    // The application user model id from the window's property store; empty when none.
    [[nodiscard]] virtual std::wstring ApplicationId(WindowId window) const = 0;
    // A direct child of `parent` with this class; None when there is none.
    [[nodiscard]] virtual WindowId FindChild(WindowId parent, std::wstring_view className) const = 0;
    // A top-level window with this class and title; None when there is none.
    [[nodiscard]] virtual WindowId FindTopLevel(std::wstring_view className, std::wstring_view title) const = 0;
    // The folder of a known-folder id written as "{GUID}"; empty when unknown.
    [[nodiscard]] virtual std::wstring KnownFolderPath(std::wstring_view folderId) const = 0;
    // The Windows folder, e.g. "C:\Windows" (no trailing backslash).
    [[nodiscard]] virtual std::wstring WindowsFolder() const = 0;
};

enum class Browser : std::uint8_t { Chrome, Edge };

// The browsers' installed web applications.
class WebAppDirectory {
public:
    virtual ~WebAppDirectory() = default;
    // The id of the installed web application of this browser whose name is the window
    // title; empty when none is.
    [[nodiscard]] virtual std::wstring FindByTitle(Browser browser, std::wstring_view title) const = 0;
};

// Waiting between retries; tests count the waits instead of sleeping.
class Pause {
public:
    virtual ~Pause() = default;
    virtual void Sleep(int milliseconds) = 0;
};

} // namespace kestrana::dock
