#include "themes/calendar_skin.h"

#include "themes/theme_choices.h"

#include <charconv>
#include <string>

namespace kestrana::themes {
namespace {

constexpr std::wstring_view kSection = L"cal";

std::wstring Trimmed(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.remove_suffix(1);
    return std::wstring(text);
}

bool IsFullPath(std::wstring_view path) {
    return (path.size() > 1 && path[1] == L':') || path.starts_with(L"\\\\");
}

std::wstring FolderOf(const std::wstring& file) {
    const auto slash = file.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : file.substr(0, slash + 1);
}

SkinText ReadText(const foundation::ConfigStore& store, const std::wstring& file, std::wstring_view prefix) {
    const auto key = [&](std::wstring_view name) { return std::wstring(prefix) + std::wstring(name); };
    SkinText text;
    text.font = Trimmed(store.ReadString(kSection, key(L"fontname"), L"", file));
    text.size = store.ReadInt(kSection, key(L"fontsize"), file);
    text.colour = ParseSkinColour(store.ReadString(kSection, key(L"fontcolor"), L"", file));
    text.align = SkinAlignOf(store.ReadInt(kSection, key(L"fontline"), file));
    text.x = store.ReadInt(kSection, key(L"fontx"), file);
    text.y = store.ReadInt(kSection, key(L"fonty"), file);
    return text;
}

} // namespace

std::uint32_t ParseSkinColour(std::wstring_view text) {
    const std::wstring trimmed = Trimmed(text);
    std::string ascii;
    for (wchar_t c : trimmed) {
        if (c > 127) return 0;
        ascii.push_back(static_cast<char>(c));
    }
    long long value = 0;
    const char* end = ascii.data() + ascii.size();
    const auto [ptr, error] = std::from_chars(ascii.data(), end, value);
    if (error != std::errc() || ptr != end) return 0;
    if (value < -2147483648LL || value > 4294967295LL) return 0;
    return static_cast<std::uint32_t>(value < 0 ? value + 4294967296LL : value);
}

gfx::Color SkinColour(std::uint32_t argb) {
    return {static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8), static_cast<std::uint8_t>(argb),
            static_cast<std::uint8_t>(argb >> 24)};
}

SkinAlign SkinAlignOf(std::int32_t value) {
    if (value == 1) return SkinAlign::Centre;
    if (value == 2) return SkinAlign::Right;
    return SkinAlign::Left;
}

std::optional<std::wstring> CalendarSkinFile(const foundation::ConfigStore& store, std::wstring_view iconSet) {
    const auto own = [&]() -> std::optional<std::wstring> {
        if (store.ReadInt(kSection, L"enabled") != 0) return store.BaseFolder() + L"config.ini";
        return std::nullopt;
    };
    // 1 in config.ini: the user's own skin, whatever the icon set carries.
    if (store.ReadInt(kSection, L"enabled") == 1 || iconSet == kDefaultTheme || !IsThemeName(iconSet)) return own();
    const std::wstring setFile = ThemeFolder(store.BaseFolder(), iconSet) + L"icons\\config.ini";
    if (!store.Files().IsFile(setFile)) return own();
    // Only a "0" in config.ini turns the set's skin off: an absent value leaves it on.
    if (Trimmed(store.ReadString(kSection, L"enabled", setFile)) == L"0") return std::nullopt;
    return setFile;
}

std::optional<CalendarSkin> ReadCalendarSkin(const foundation::ConfigStore& store, std::wstring_view iconSet) {
    const auto file = CalendarSkinFile(store, iconSet);
    if (!file) return std::nullopt;
    CalendarSkin skin;
    skin.picture = Trimmed(store.ReadString(kSection, L"filepath", L"", *file));
    if (!skin.picture.empty() && !IsFullPath(skin.picture)) skin.picture = FolderOf(*file) + skin.picture;
    skin.rotate = store.ReadFloat(kSection, L"rotate", *file);
    skin.month = ReadText(store, *file, L"m");
    skin.day = ReadText(store, *file, L"d");
    return skin;
}

std::wstring NightTwinPath(std::wstring_view path) {
    const auto slash = path.find_last_of(L"\\/");
    const auto dot = path.find_last_of(L'.');
    const std::size_t at = dot == std::wstring_view::npos || (slash != std::wstring_view::npos && dot < slash) ? path.size() : dot;
    return std::wstring(path.substr(0, at)) + L"_dark" + std::wstring(path.substr(at));
}

std::wstring CalendarMonthKey(int month) { return std::to_wstring(month) + L"\u6708"; }

} // namespace kestrana::themes
