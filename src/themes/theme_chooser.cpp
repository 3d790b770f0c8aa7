#include "themes/theme_chooser.h"

#include "foundation/text.h"

#include <utility>

namespace kestrana::themes {

ThemeChooser::ThemeChooser(foundation::ConfigStore& store, ThemeChoices& choices, ThemeReloadHooks hooks)
    : m_store(store), m_choices(choices), m_hooks(std::move(hooks)) {}

void ThemeChooser::Run(const std::function<void()>& hook) {
    if (hook) {
        hook();
    }
}

bool ThemeChooser::ChooseDockSkin(std::wstring_view name) {
    if (!IsThemeName(name)) {
        return false;
    }
    bool written = true;
    if (foundation::EqualsIgnoreCase(name, kDefaultTheme)) {
        // An empty value already means the built-in look; it is left alone like an absent key.
        if (m_store.HasKey(L"themes", L"dockskin")) {
            written = m_store.DeleteKey(L"themes", L"dockskin");
        }
    } else if (m_store.ReadString(L"themes", L"dockskin") != name) {
        written = m_store.WriteString(L"themes", L"dockskin", name);
    }
    Run(m_hooks.reloadDockSkin);
    return written;
}

bool ThemeChooser::ChooseIconSet(std::wstring_view name) {
    if (!IsThemeName(name)) {
        return false;
    }
    const foundation::FileSystem& files = m_store.Files();
    const std::wstring folder = ThemeFolder(m_store.BaseFolder(), name);
    bool ok = m_choices.SetDockIcons(name);

    const std::wstring iconsIni = folder + L"icons\\config.ini";
    if (files.IsFile(iconsIni) && m_store.ReadInt(L"cal", L"enabled", iconsIni) != 0 &&
        m_store.ReadInt(L"cal", L"enabled") != 2) {
        ok = m_store.WriteInt(L"cal", L"enabled", 2) && ok;
    }
    if (files.IsFile(folder + L"clock\\config.ini")) {
        ok = m_choices.SetTimeSkin(name) && ok;
    }
    const std::wstring logo = folder + L"logo\\logo.png";
    if (files.IsFile(logo) && !foundation::EqualsIgnoreCase(m_store.ReadString(L"finder", L"logopath"), logo)) {
        ok = m_store.WriteString(L"finder", L"logopath", logo) && ok;
        Run(m_hooks.reloadMenuBarLogo);
    }
    // The calendar's skin follows the icon set even when the clock skin stays.
    Run(m_hooks.reloadClockSkin);
    Run(m_hooks.reloadDockIcons);
    return ok;
}

bool ThemeChooser::ChooseClockSkin(std::wstring_view name) {
    if (!IsThemeName(name)) {
        return false;
    }
    const bool changed = m_choices.TimeSkin() != name;
    const bool ok = m_choices.SetTimeSkin(name);
    if (changed) {
        Run(m_hooks.reloadClockSkin);
    }
    return ok;
}

} // namespace kestrana::themes
