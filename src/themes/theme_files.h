#pragma once
// Where a themed file comes from: the icon set's own file, its light twin when the dark
// one is missing, and the shipped default theme when the set lacks the file altogether.
// Special icons, per-item icon overrides and sounds all resolve through here.

#include "foundation/file_system.h"
#include "themes/theme_choices.h"

#include <optional>
#include <string>
#include <string_view>

namespace kestrana::themes {

// The sound files an icon set may carry in its "sound\" folder.
inline constexpr std::wstring_view kSoundClearTrash = L"cleartrash.wav";
inline constexpr std::wstring_view kSoundDeleteFile = L"deletefile.wav";
inline constexpr std::wstring_view kSoundVolume = L"Volume.wav";

// The special icons an icon set may carry as "icons\<name>.png". The icon editor offers
// the first ten, in this order.
inline constexpr std::wstring_view kSpecialIconNames[] = {
    L"explorer", L"pad", L"ControlPlanel", L"folder", L"Calendar", L"startmenu", L"Systemtray",
    L"Network", L"Trash_Empty", L"Trash_Full", L"Usbdevice", L"MyDocuments", L"virtualdesktop", L"Weather"};

class ThemeFiles {
public:
    ThemeFiles(const foundation::FileSystem& files, std::wstring baseFolder, const ThemeChoices& choices);

    [[nodiscard]] const std::wstring& BaseFolder() const { return m_baseFolder; }
    [[nodiscard]] const foundation::FileSystem& Files() const { return m_files; }
    [[nodiscard]] std::wstring Folder(std::wstring_view themeName) const;

    // The full path of an icon of a theme (the current icon set when none is given).
    // `fileName` is a base name such as "Trash_Full" (a trailing ".png" is accepted too).
    // With `dark` the "_dark" twin is taken when it exists. A file the theme lacks is
    // taken from the default theme's "icons\" folder, whether or not it exists there.
    [[nodiscard]] std::wstring ThemeIconPath(std::wstring_view fileName, bool dark,
                                             std::optional<std::wstring_view> theme = std::nullopt) const;

    // `path` when that file exists, else the file of the same name in the default
    // theme's "icons\" folder.
    [[nodiscard]] std::wstring WithDefaultFallback(const std::wstring& path) const;

    // A picture that replaces an item's own icon, found by the item's identity key: the
    // icon set's "icons\<key>.png", else "single icon\<key>.png" in the program folder,
    // else empty (the item keeps its icon).
    [[nodiscard]] std::wstring IconOverridePath(std::wstring_view identityKey) const;

    // The path of a sound of the current icon set; empty when no candidate exists.
    [[nodiscard]] std::wstring ThemeSoundPath(std::wstring_view fileName) const;

private:
    [[nodiscard]] std::wstring DefaultIconsFolder() const;

    const foundation::FileSystem& m_files;
    std::wstring m_baseFolder;
    const ThemeChoices& m_choices;
};

// Plays a sound file without waiting for it to finish.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // False when the system could not start the sound.
    virtual bool PlayFile(const std::wstring& path) = 0;
};

// Plays one of the icon set's sounds; a sound that exists nowhere is not played (false).
bool PlayThemeSound(const ThemeFiles& files, SoundPlayer& player, std::wstring_view fileName);

} // namespace kestrana::themes
