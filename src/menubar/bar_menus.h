#pragma once
// The menus of the bar: the logo menu with the power actions, the bar's own context
// menu and the menus of the small status items, with their texts from the language
// file. The numbers they report are the commands below.

#include "gfx/menu_model.h"
#include "menubar/bar_appearance.h"
#include "menubar/power.h"

#include <optional>
#include <string>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar {

namespace command {
inline constexpr int kAbout = 100;
inline constexpr int kSystemSettings = 101;
inline constexpr int kAppStore = 102;
inline constexpr int kTaskManager = 103;
inline constexpr int kRecentFirst = 200; // + index of the recent file
inline constexpr int kRecentLast = 299;
inline constexpr int kHibernate = 300;
inline constexpr int kSleep = 301;
inline constexpr int kRestart = 302;
inline constexpr int kShutdown = 303;
inline constexpr int kRestartUpdate = 304;
inline constexpr int kShutdownUpdate = 305;
inline constexpr int kLockScreen = 306;
inline constexpr int kLogout = 307;

inline constexpr int kHideMenu = 400;
inline constexpr int kEmptyTrash = 401;
inline constexpr int kShowTaskbar = 402;
inline constexpr int kHideTaskbar = 403;
inline constexpr int kShowDesktop = 404;
inline constexpr int kRestartProgram = 405;
inline constexpr int kEndBar = 406;
inline constexpr int kPreference = 407; // the settings window
inline constexpr int kDarkModeFirst = 420; // + dark mode 0..3
inline constexpr int kAutoColor = 430;
inline constexpr int kShowModeFirst = 440; // + show mode 0..2
inline constexpr int kSystemMenu = 450;     // the active application's own menu

inline constexpr int kInputMethodFirst = 500; // + index of the input method
inline constexpr int kInputMethodLast = 599;
inline constexpr int kSymbols = 600;
inline constexpr int kScreenKeyboard = 601;
inline constexpr int kInputMethodName = 602;
inline constexpr int kKeyboardSettings = 603;

inline constexpr int kFocusOff = 700; // + focus level 0..2
inline constexpr int kNotificationSettings = 703;
inline constexpr int kUserSettings = 710;
inline constexpr int kDateTimeSettings = 720;

inline constexpr int kMoreFirst = 800; // + index in the overflow list
inline constexpr int kMoreLast = 899;
} // namespace command

struct LogoMenuFacts {
    bool aboutAvailable = false;
    bool hibernateAllowed = false;
    bool updatesWaiting = false;
    std::vector<std::wstring> recentFiles; // display names, newest first
};
[[nodiscard]] gfx::Menu LogoMenu(const foundation::ConfigStore& store, const LogoMenuFacts& facts);

// The power action of a logo-menu command, with whether updates are to be installed.
struct PowerChoice {
    PowerAction action{};
    bool installUpdates = false;
};
[[nodiscard]] std::optional<PowerChoice> PowerChoiceOf(int commandId);

struct ContextMenuFacts {
    bool menusHidden = false;   // "findermenu" 0
    DarkMode darkMode = DarkMode::Wallpaper;
    bool autoColor = false;
    ShowMode showMode = ShowMode::Always;
    bool taskbarHidden = false;
    bool nativeMenu = false;    // the active window has a menu of its own
};
[[nodiscard]] gfx::Menu BarContextMenu(const foundation::ConfigStore& store, const ContextMenuFacts& facts);

[[nodiscard]] gfx::Menu InputMethodMenu(const foundation::ConfigStore& store, const std::vector<std::wstring>& methods,
                                        int current, bool nameShown);

// Focus assist: 0 off, 1 priority only, 2 alarms only; nullopt when unknown.
[[nodiscard]] gfx::Menu FocusMenu(const foundation::ConfigStore& store, std::optional<int> level);
[[nodiscard]] gfx::Menu UserMenu(const foundation::ConfigStore& store);
[[nodiscard]] gfx::Menu ClockMenu(const foundation::ConfigStore& store, const std::wstring& longDate);

// The confirmation's question: "Are you sure you want to shut down now?" in the
// language's words for the action.
[[nodiscard]] std::wstring ConfirmationQuestion(const foundation::ConfigStore& store, PowerAction action);

} // namespace kestrana::menubar
