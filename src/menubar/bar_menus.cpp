#include "menubar/bar_menus.h"

#include "foundation/config_store.h"

namespace kestrana::menubar {
namespace {

using gfx::MenuItem;

struct Text {
    const foundation::ConfigStore& store;
    std::wstring operator()(std::wstring_view key, std::wstring_view fallback, std::wstring_view section = L"findermenu") const {
        return store.LanguageText(section, key, fallback);
    }
};

} // namespace

gfx::Menu LogoMenu(const foundation::ConfigStore& store, const LogoMenuFacts& facts) {
    const Text t{store};
    using namespace command;
    gfx::Menu menu;
    if (facts.aboutAvailable) {
        menu.push_back(MenuItem::Command(kAbout, t(L"About This PC", L"About This PC")));
        menu.push_back(MenuItem::Rule());
    }
    menu.push_back(MenuItem::Command(kSystemSettings, t(L"System settings", L"System Settings...")));
    menu.push_back(MenuItem::Command(kAppStore, t(L"app Store", L"App Store...")));
    menu.push_back(MenuItem::Rule());
    menu.push_back(MenuItem::Command(kTaskManager, t(L"Task manager", L"Task Manager")));
    menu.push_back(MenuItem::Rule());
    gfx::Menu recent;
    for (std::size_t i = 0; i < facts.recentFiles.size() && kRecentFirst + static_cast<int>(i) <= kRecentLast; ++i)
        recent.push_back(MenuItem::Command(kRecentFirst + static_cast<int>(i), facts.recentFiles[i]));
    menu.push_back(MenuItem::Sub(t(L"RecentFiles", L"Recent Items", L"menu"), std::move(recent)));
    menu.push_back(MenuItem::Rule());
    if (facts.hibernateAllowed) menu.push_back(MenuItem::Command(kHibernate, t(L"Dormant", L"Hibernate")));
    menu.push_back(MenuItem::Command(kSleep, t(L"sleep", L"Sleep")));
    menu.push_back(MenuItem::Command(kRestart, t(L"Reboot", L"Restart...")));
    menu.push_back(MenuItem::Command(kShutdown, t(L"Shutdown", L"Shut Down...")));
    if (facts.updatesWaiting) {
        menu.push_back(MenuItem::Command(kRestartUpdate, t(L"Reboot&Update", L"Update and Restart")));
        menu.push_back(MenuItem::Command(kShutdownUpdate, t(L"Shutdown&Update", L"Update and Shut Down")));
    }
    menu.push_back(MenuItem::Rule());
    menu.push_back(MenuItem::Command(kLockScreen, t(L"Lock screen", L"Lock Screen")));
    menu.push_back(MenuItem::Command(kLogout, t(L"Logout", L"Log Out...")));
    return menu;
}

std::optional<PowerChoice> PowerChoiceOf(int id) {
    using namespace command;
    switch (id) {
    case kLogout: return PowerChoice{PowerAction::Logoff, false};
    case kRestart: return PowerChoice{PowerAction::Restart, false};
    case kShutdown: return PowerChoice{PowerAction::Shutdown, false};
    case kRestartUpdate: return PowerChoice{PowerAction::Restart, true};
    case kShutdownUpdate: return PowerChoice{PowerAction::Shutdown, true};
    case kSleep: return PowerChoice{PowerAction::Sleep, false};
    case kHibernate: return PowerChoice{PowerAction::Hibernate, false};
    default: return std::nullopt;
    }
}

gfx::Menu BarContextMenu(const foundation::ConfigStore& store, const ContextMenuFacts& facts) {
    const Text t{store};
    using namespace command;
    gfx::Menu menu;
    menu.push_back(MenuItem::Command(kHideMenu, t(L"HideMenu", L"Hide Application Menus"), facts.menusHidden));
    if (facts.nativeMenu) menu.push_back(MenuItem::Command(kSystemMenu, t(L"systemmenu", L"Application Menu")));
    gfx::Menu look;
    const wchar_t* darkKeys[] = {L"darkwallpaper", L"darksystem", L"darklight", L"darkdark"};
    const wchar_t* darkTexts[] = {L"Follow Wallpaper", L"Follow System", L"Always Light", L"Always Dark"};
    for (int i = 0; i < 4; ++i)
        look.push_back(MenuItem::Command(kDarkModeFirst + i, t(darkKeys[i], darkTexts[i]),
                                         static_cast<int>(facts.darkMode) == i));
    look.push_back(MenuItem::Rule());
    look.push_back(MenuItem::Command(kAutoColor, t(L"autocolor", L"Tint from Active Window"), facts.autoColor));
    look.push_back(MenuItem::Rule());
    const wchar_t* showKeys[] = {L"showmode0", L"showmode1", L"showmode2"};
    const wchar_t* showTexts[] = {L"Always Show Menu Bar", L"Hide When Pointer Leaves", L"Hide When a Window Covers It"};
    for (int i = 0; i < 3; ++i)
        look.push_back(MenuItem::Command(kShowModeFirst + i, t(showKeys[i], showTexts[i]),
                                         static_cast<int>(facts.showMode) == i));
    menu.push_back(MenuItem::Sub(t(L"appearance", L"Appearance"), std::move(look)));
    menu.push_back(MenuItem::Rule());
    menu.push_back(MenuItem::Command(kPreference, t(L"preference", L"Settings...", L"menu")));
    menu.push_back(MenuItem::Rule());
    menu.push_back(MenuItem::Command(kEmptyTrash, t(L"emptytrash", L"Empty Trash", L"menu")));
    menu.push_back(MenuItem::Rule());
    menu.push_back(facts.taskbarHidden ? MenuItem::Command(kShowTaskbar, t(L"showtaskbar", L"Show Taskbar", L"menu"))
                                       : MenuItem::Command(kHideTaskbar, t(L"hidetaskbar", L"Hide Taskbar", L"menu")));
    menu.push_back(MenuItem::Command(kShowDesktop, t(L"showdesktop", L"Show Desktop", L"hotcorners")));
    menu.push_back(MenuItem::Rule());
    menu.push_back(MenuItem::Command(kRestartProgram, t(L"restartdock", L"Restart Kestrana", L"settingUI")));
    menu.push_back(MenuItem::Command(kEndBar, t(L"end finder", L"Close Menu Bar")));
    return menu;
}

gfx::Menu InputMethodMenu(const foundation::ConfigStore& store, const std::vector<std::wstring>& methods, int current,
                          bool nameShown) {
    const Text t{store};
    using namespace command;
    gfx::Menu menu;
    for (std::size_t i = 0; i < methods.size() && kInputMethodFirst + static_cast<int>(i) <= kInputMethodLast; ++i)
        menu.push_back(MenuItem::Command(kInputMethodFirst + static_cast<int>(i), methods[i], static_cast<int>(i) == current));
    if (!menu.empty()) menu.push_back(MenuItem::Rule());
    menu.push_back(MenuItem::Command(kSymbols, t(L"symbol", L"Show Character Map")));
    menu.push_back(MenuItem::Command(kScreenKeyboard, t(L"Screen Keyboard", L"Show On-Screen Keyboard")));
    menu.push_back(MenuItem::Command(kInputMethodName, t(L"Keyboardname", L"Show Input Source Name"), nameShown));
    menu.push_back(MenuItem::Rule());
    menu.push_back(MenuItem::Command(kKeyboardSettings, t(L"Keyboard settings", L"Keyboard Settings...")));
    return menu;
}

gfx::Menu FocusMenu(const foundation::ConfigStore& store, std::optional<int> level) {
    const Text t{store};
    using namespace command;
    gfx::Menu menu;
    menu.push_back(MenuItem::Command(0, t(L"focusassist", L"Focus Assist"), false, false));
    const wchar_t* keys[] = {L"focusoff", L"focusPriorityOnly", L"focusAlarmsOnly"};
    const wchar_t* texts[] = {L"Off", L"Priority Only", L"Alarms Only"};
    for (int i = 0; i < 3; ++i) menu.push_back(MenuItem::Command(kFocusOff + i, t(keys[i], texts[i]), level == i));
    menu.push_back(MenuItem::Rule());
    menu.push_back(MenuItem::Command(kNotificationSettings, t(L"Notification settings", L"Notification Settings...")));
    return menu;
}

gfx::Menu UserMenu(const foundation::ConfigStore& store) {
    const Text t{store};
    return {MenuItem::Command(command::kLockScreen, t(L"lockscreen", L"Lock Screen")),
            MenuItem::Command(command::kUserSettings, t(L"usersetting", L"Account Settings..."))};
}

gfx::Menu ClockMenu(const foundation::ConfigStore& store, const std::wstring& longDate) {
    const Text t{store};
    return {MenuItem::Command(0, longDate, false, false), MenuItem::Rule(),
            MenuItem::Command(command::kDateTimeSettings, t(L"dateandtime", L"Date & Time Settings..."))};
}

std::wstring ConfirmationQuestion(const foundation::ConfigStore& store, PowerAction action) {
    const std::wstring_view word = ActionWord(action);
    const wchar_t* fallback = L"";
    switch (action) {
    case PowerAction::Logoff: fallback = L"Are you sure you want to log out now?"; break;
    case PowerAction::Restart: fallback = L"Are you sure you want to restart your computer now?"; break;
    case PowerAction::Shutdown: fallback = L"Are you sure you want to shut down your computer now?"; break;
    case PowerAction::Sleep: fallback = L"Are you sure you want to put your computer to sleep now?"; break;
    case PowerAction::Hibernate: fallback = L"Are you sure you want to hibernate your computer now?"; break;
    }
    return store.LanguageText(L"promptwindow", word, fallback);
}

} // namespace kestrana::menubar
