#include "themes/theme_choices.h"

#include "foundation/text.h"

namespace kestrana::themes {

namespace {

constexpr std::wstring_view kSection = L"themes";

std::wstring ReadChoice(const foundation::ConfigStore& store, std::wstring_view key) {
    std::wstring value = store.ReadString(kSection, key, kDefaultTheme);
    return IsThemeName(value) ? value : std::wstring(kDefaultTheme);
}

} // namespace

std::wstring ThemeFolder(std::wstring_view baseFolder, std::wstring_view name) {
    std::wstring path(baseFolder);
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') {
        path += L'\\';
    }
    path += L"themes\\";
    path += name;
    path += L'\\';
    return path;
}

bool IsThemeName(std::wstring_view name) {
    if (name.empty() || name == L"." || name == L".." || foundation::Utf16Length(name) > 255) {
        return false;
    }
    for (const wchar_t c : name) {
        if (c == L'\\' || c == L'/' || c == L':' || c < 0x20) {
            return false;
        }
    }
    return true;
}

ThemeChoices::ThemeChoices(foundation::ConfigStore& store)
    : m_store(store), m_dockIcons(ReadChoice(store, L"dockicons")), m_timeSkin(ReadChoice(store, L"timeskin")) {}

std::wstring ThemeChoices::DockIcons() const {
    std::lock_guard lock(m_mutex);
    return m_dockIcons;
}

std::wstring ThemeChoices::TimeSkin() const {
    std::lock_guard lock(m_mutex);
    return m_timeSkin;
}

bool ThemeChoices::SetDockIcons(std::wstring_view name) { return Set(m_dockIcons, L"dockicons", name); }

bool ThemeChoices::SetTimeSkin(std::wstring_view name) { return Set(m_timeSkin, L"timeskin", name); }

bool ThemeChoices::Set(std::wstring& slot, std::wstring_view key, std::wstring_view name) {
    if (!IsThemeName(name)) {
        return false;
    }
    // The lock also keeps the file and the value in step when two threads choose at once.
    std::lock_guard lock(m_mutex);
    if (slot == name) {
        return true;
    }
    slot = name;
    return m_store.WriteString(kSection, key, name);
}

} // namespace kestrana::themes
