#pragma once
// Theme folders and the two process-wide theme choices. A theme is a folder
// "<program folder>\themes\<name>\"; the icon set ("dockicons") and the clock skin
// ("timeskin") are read from config.ini once at start and kept here, so every look-up
// uses the same names without reading the settings file again.

#include "foundation/config_store.h"

#include <mutex>
#include <string>
#include <string_view>

namespace kestrana::themes {

// The shipped theme; also what an absent choice means.
inline constexpr std::wstring_view kDefaultTheme = L"default";

// "<baseFolder>themes\<name>\" (a backslash is put after the base folder when missing).
[[nodiscard]] std::wstring ThemeFolder(std::wstring_view baseFolder, std::wstring_view name);

// A name that can stand for one folder under "themes\" or one file inside a theme's
// folder: not empty, at most 255 units, no path separators, drive colons or control
// characters, and not "." or "..". A settings value that fails this is treated as absent
// rather than followed out of its folder (or to a network share).
[[nodiscard]] bool IsThemeName(std::wstring_view name);

// The choices of section "themes" that the whole program shares. Any thread may read
// them; changes are written to config.ini together with the in-memory value.
class ThemeChoices {
public:
    // Reads "dockicons" and "timeskin"; "default" when absent, empty or unusable.
    explicit ThemeChoices(foundation::ConfigStore& store);
    ThemeChoices(const ThemeChoices&) = delete;
    ThemeChoices& operator=(const ThemeChoices&) = delete;

    [[nodiscard]] std::wstring DockIcons() const;
    [[nodiscard]] std::wstring TimeSkin() const;

    // Sets the value and writes it when it differs from the current one. False when the
    // name is unusable (nothing changes) or the file could not be written (the running
    // program still uses the new value).
    bool SetDockIcons(std::wstring_view name);
    bool SetTimeSkin(std::wstring_view name);

    [[nodiscard]] foundation::ConfigStore& Store() const { return m_store; }

private:
    bool Set(std::wstring& slot, std::wstring_view key, std::wstring_view name);

    foundation::ConfigStore& m_store;
    mutable std::mutex m_mutex;
    std::wstring m_dockIcons;
    std::wstring m_timeSkin;
};

} // namespace kestrana::themes
