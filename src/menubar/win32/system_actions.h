#pragma once
// What the bar's menus and items ask of Windows: the power calls, locking, opening pages
// and programs, the recent files, the taskbar, the input methods, focus assist, and the
// facts the bar's look depends on (the wallpaper under it, the app theme).

#include "gfx/bitmap.h"
#include "menubar/power.h"

#include "gfx/win32/system_look.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace kestrana::menubar::win32 {

using gfx::AppsUseDarkTheme;

class Win32PowerPort final : public PowerPort {
public:
    bool EnableShutdownPrivilege() override;
    bool EndSession(std::uint32_t flags, std::uint32_t reason) override;
    bool StartShutdown(std::uint32_t flags, std::uint32_t reason) override;
    bool Suspend(bool hibernate, bool force) override;
    std::optional<std::uint32_t> EnhancedShutdown() override;
};

[[nodiscard]] bool HibernateAllowed() noexcept;
// Updates are downloaded and wait for a restart.
[[nodiscard]] bool UpdatesWaiting() noexcept;
void LockScreen() noexcept;
// Opens a page, a file or a program through the shell.
void Open(const std::wstring& what) noexcept;

struct RecentFile {
    std::wstring name; // without ".lnk"
    std::wstring path; // the shortcut
};
[[nodiscard]] std::vector<RecentFile> RecentFiles(std::size_t most) noexcept;

void EmptyTrash(HWND owner) noexcept;
[[nodiscard]] bool TaskbarHidden() noexcept;
void SetTaskbarShown(bool shown) noexcept;
// The system's own shortcuts: the desktop (Win+D) and search (Win+S).
void PressWindowsKeyWith(WORD key) noexcept;
// Asks the shell's on-screen-display host to show its brightness indicator. Any thread;
// false when the shell has no such window (the log says so once).
bool ShowBrightnessIndicator() noexcept;

struct InputMethod {
    std::wstring name;
    LANGID language = 0;
    HKL layout = nullptr; // null for a text service without a layout of its own
};
// The installed input methods, in the order the system keeps them.
[[nodiscard]] std::vector<InputMethod> ReadInputMethods() noexcept;
// The input method of the foreground window's thread.
[[nodiscard]] HKL ForegroundLayout() noexcept;
void SelectInputMethod(const InputMethod& method) noexcept;
// "EN", "中": the short tag of a language.
[[nodiscard]] std::wstring LanguageTag(LANGID language) noexcept;
// The Chinese input method's open (Chinese) state in the foreground window; nullopt when
// it has none.
[[nodiscard]] std::optional<bool> ForegroundImeOpen() noexcept;
void SetForegroundImeOpen(bool open) noexcept;

// Focus assist: 0 off, 1 priority only, 2 alarms only; nullopt where it cannot be read.
[[nodiscard]] std::optional<int> FocusAssistLevel() noexcept;
bool SetFocusAssistLevel(int level) noexcept;

// The screen under a rectangle, as it is without the program's layered windows.
[[nodiscard]] gfx::Bitmap CaptureScreen(const RECT& area) noexcept;
// Switches the system's and the applications' theme, and tells every window.
void SetSystemDark(bool dark) noexcept;
[[nodiscard]] bool IsCloaked(HWND window) noexcept;

// Watches the input methods' registry key; posts `message` to `window` on a change.
class InputMethodWatch {
public:
    InputMethodWatch(HWND window, UINT message) noexcept;
    ~InputMethodWatch();
    InputMethodWatch(const InputMethodWatch&) = delete;
    InputMethodWatch& operator=(const InputMethodWatch&) = delete;

private:
    HANDLE m_stop = nullptr;
    HANDLE m_thread = nullptr;
};

} // namespace kestrana::menubar::win32
