#include "themes/clock_skin.h"

#include "themes/theme_choices.h"

namespace kestrana::themes {
namespace {

std::wstring ClockFolder(const foundation::ConfigStore& store, std::wstring_view theme) {
    return ThemeFolder(store.BaseFolder(), theme) + L"clock\\";
}

std::wstring_view KeyOf(ClockPart part) {
    switch (part) {
    case ClockPart::Preview: return L"preview";
    case ClockPart::Face: return L"bg";
    case ClockPart::Hour: return L"hour";
    case ClockPart::Minute: return L"minute";
    case ClockPart::Second: return L"second";
    }
    return L"bg";
}

std::wstring_view SectionOf(ClockTextPart part) {
    switch (part) {
    case ClockTextPart::Hour: return L"hour";
    case ClockTextPart::Minute: return L"minute";
    case ClockTextPart::Second: return L"second";
    }
    return L"hour";
}

// A picture named in a skin must stay inside the clock folder.
bool IsFileName(std::wstring_view name) { return IsThemeName(name); }

} // namespace

std::wstring ClockSkinFile(const foundation::ConfigStore& store, std::wstring_view theme) {
    if (IsThemeName(theme)) {
        const std::wstring own = ClockFolder(store, theme) + L"config.ini";
        if (store.Files().IsFile(own)) return own;
    }
    const std::wstring fallback = ClockFolder(store, kDefaultTheme) + L"config.ini";
    return store.Files().IsFile(fallback) ? fallback : std::wstring();
}

ClockType ReadClockType(const foundation::ConfigStore& store, std::wstring_view theme) {
    const std::wstring file = ClockSkinFile(store, theme);
    if (file.empty()) return ClockType::Hands;
    return store.ReadInt(L"config", L"type", file) == 1 ? ClockType::Digits : ClockType::Hands;
}

std::wstring ClockImagePath(const foundation::ConfigStore& store, std::wstring_view theme, bool night, ClockPart part) {
    const std::wstring file = ClockSkinFile(store, theme);
    if (file.empty()) return {};
    const std::wstring key(KeyOf(part));
    std::wstring name;
    if (night && part != ClockPart::Preview) name = store.ReadString(L"config", key + L"_dark", L"", file);
    if (name.empty()) name = store.ReadString(L"config", key, L"", file);
    if (!IsFileName(name)) return {};
    const std::wstring folder = file.substr(0, file.size() - std::wstring_view(L"config.ini").size());
    const std::wstring path = folder + name;
    if (store.Files().IsFile(path)) return path;
    return ClockFolder(store, kDefaultTheme) + name;
}

ClockText ReadClockText(const foundation::ConfigStore& store, std::wstring_view theme, ClockTextPart part) {
    ClockText text;
    const std::wstring file = ClockSkinFile(store, theme);
    if (file.empty()) return text;
    const std::wstring_view section = SectionOf(part);
    text.format = store.ReadString(section, L"format", L"", file);
    text.look.font = store.ReadString(section, L"font_name", L"", file);
    text.look.size = store.ReadInt(section, L"font_size", file);
    text.look.colour = ParseSkinColour(store.ReadString(section, L"font_color", L"", file));
    text.look.align = SkinAlignOf(store.ReadInt(section, L"font_align", file));
    text.look.x = store.ReadInt(section, L"position_x", file);
    text.look.y = store.ReadInt(section, L"position_y", file);
    return text;
}

} // namespace kestrana::themes
