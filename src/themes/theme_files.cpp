#include "themes/theme_files.h"

#include "foundation/text.h"

#include <utility>

namespace kestrana::themes {

namespace {

std::wstring_view FileNameOf(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

// A single file name: anything that could climb out of the folder it is looked up in is
// refused.
bool IsPlainFileName(std::wstring_view name) { return IsThemeName(name); }

} // namespace

ThemeFiles::ThemeFiles(const foundation::FileSystem& files, std::wstring baseFolder, const ThemeChoices& choices)
    : m_files(files), m_baseFolder(std::move(baseFolder)), m_choices(choices) {
    if (!m_baseFolder.empty() && m_baseFolder.back() != L'\\' && m_baseFolder.back() != L'/') {
        m_baseFolder += L'\\';
    }
}

std::wstring ThemeFiles::Folder(std::wstring_view themeName) const { return ThemeFolder(m_baseFolder, themeName); }

std::wstring ThemeFiles::DefaultIconsFolder() const { return Folder(kDefaultTheme) + L"icons\\"; }

std::wstring ThemeFiles::ThemeIconPath(std::wstring_view fileName, bool dark,
                                       std::optional<std::wstring_view> theme) const {
    if (foundation::EndsWithIgnoreCase(fileName, L".png")) {
        fileName.remove_suffix(4);
    }
    std::wstring themeName = theme && IsThemeName(*theme) ? std::wstring(*theme) : m_choices.DockIcons();
    const std::wstring folder = Folder(themeName) + L"icons\\";
    const std::wstring lightName = std::wstring(fileName) + L".png";
    std::wstring name = lightName;
    if (dark) {
        name = std::wstring(fileName) + L"_dark.png";
        if (!m_files.IsFile(folder + name)) {
            name = lightName;
        }
    }
    if (m_files.IsFile(folder + name)) {
        return folder + name;
    }
    return DefaultIconsFolder() + name;
}

std::wstring ThemeFiles::WithDefaultFallback(const std::wstring& path) const {
    if (m_files.IsFile(path)) {
        return path;
    }
    return DefaultIconsFolder() + std::wstring(FileNameOf(path));
}

std::wstring ThemeFiles::IconOverridePath(std::wstring_view identityKey) const {
    if (!IsPlainFileName(identityKey)) {
        return {};
    }
    const std::wstring fileName = std::wstring(identityKey) + L".png";
    std::wstring path = Folder(m_choices.DockIcons()) + L"icons\\" + fileName;
    if (m_files.IsFile(path)) {
        return path;
    }
    path = m_baseFolder + L"single icon\\" + fileName;
    if (m_files.IsFile(path)) {
        return path;
    }
    return {};
}

std::wstring ThemeFiles::ThemeSoundPath(std::wstring_view fileName) const {
    if (!IsPlainFileName(fileName)) {
        return {};
    }
    // The icon set's own sound, then the default theme's "sound\" folder, where the
    // shipped sounds live, and last the default theme's "icons\" folder, the fallback every
    // other themed file takes. Without the middle step an icon set without sounds would
    // fall silent although the shipped theme has them.
    const std::wstring candidates[] = {
        Folder(m_choices.DockIcons()) + L"sound\\" + std::wstring(fileName),
        Folder(kDefaultTheme) + L"sound\\" + std::wstring(fileName),
        DefaultIconsFolder() + std::wstring(fileName),
    };
    for (const std::wstring& path : candidates) {
        if (m_files.IsFile(path)) {
            return path;
        }
    }
    return {};
}

bool PlayThemeSound(const ThemeFiles& files, SoundPlayer& player, std::wstring_view fileName) {
    const std::wstring path = files.ThemeSoundPath(fileName);
    return !path.empty() && player.PlayFile(path);
}

} // namespace kestrana::themes
