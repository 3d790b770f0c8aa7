#include "menubar/app_menus.h"

#include "foundation/config_store.h"
#include "foundation/text.h"

namespace kestrana::menubar {
namespace {

using foundation::AsciiLower;
using foundation::ContainsIgnoreCase;
using foundation::EqualsIgnoreCase;

// Layered, tool-window and transparent windows are overlays, not applications with menus.
constexpr std::uint32_t kOverlayStyles = 0x80000 | 0x80 | 0x20;

std::wstring_view FileName(std::wstring_view path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

std::wstring_view WithoutExtension(std::wstring_view name) {
    const auto dot = name.rfind(L'.');
    return dot == std::wstring_view::npos || dot == 0 ? name : name.substr(0, dot);
}

bool IsBrowser(std::wstring_view program) {
    for (std::wstring_view name : {L"chrome.exe", L"msedge.exe", L"brave.exe", L"firefox.exe"})
        if (EqualsIgnoreCase(program, name)) return true;
    return ContainsIgnoreCase(program, L"huaweibrowser");
}

std::wstring Text(const foundation::ConfigStore& store, std::wstring_view key, std::wstring_view fallback) {
    return store.LanguageText(L"findermenubrowser", key, fallback);
}

std::vector<std::wstring> DesktopTitles(const foundation::ConfigStore& store) {
    std::vector<std::wstring> values;
    store.ReadSection(L"findertitle", L"lang\\" + store.CurrentLanguage() + L".ini", nullptr, &values);
    std::vector<std::wstring> titles;
    for (const auto& value : values) {
        const auto text = foundation::TrimBlanks(value);
        if (!text.empty()) titles.emplace_back(text);
    }
    if (titles.empty()) titles = {L"File", L"Edit", L"View", L"Go", L"Window", L"Help"};
    return titles;
}

} // namespace

bool FollowsForeground(const ForegroundFacts& facts, bool severalBars) {
    if (!facts.exists || facts.ours) return false;
    return !severalBars || facts.onThisScreen;
}

std::wstring DockNameFor(std::span<const DockItemName> items, std::wstring_view imagePath) {
    if (imagePath.empty()) return {};
    for (const auto& item : items) {
        if (item.appname == L"trash|") continue;
        if (EqualsIgnoreCase(item.realpath, imagePath) && !item.tag.empty()) return item.tag;
    }
    return {};
}

std::wstring AppName(const NameSources& sources, std::wstring_view imagePath) {
    for (const std::wstring* name : {&sources.dockName, &sources.unsaveName, &sources.fileDescription}) {
        const auto text = foundation::TrimBlanks(*name);
        if (!text.empty()) return std::wstring(text);
    }
    return std::wstring(WithoutExtension(FileName(imagePath)));
}

TitlePlan PlanTitles(const ForegroundFacts& facts, const foundation::ConfigStore& store, const TitleOptions& options) {
    TitlePlan plan;
    if (!options.enabled || !facts.exists || facts.className == L"Shell_TrayWnd") return plan;
    const bool toolWindow = (facts.exStyle & 0x80) != 0;
    if (facts.desktop || (toolWindow && (facts.className == L"Progman" || facts.className == L"WorkerW"))) {
        plan.source = TitleSource::Desktop;
        plan.titles = DesktopTitles(store);
        return plan;
    }
    if (facts.className == L"CabinetWClass") {
        plan.source = TitleSource::Explorer;
        if (facts.explorerCommands) plan.titles.push_back(Text(store, L"file", L"File"));
        plan.titles.push_back(Text(store, L"View", L"View"));
        plan.titles.push_back(Text(store, L"Sort by", L"Sort by"));
        if (!options.explorerThreeTitles) plan.titles.push_back(Text(store, L"Group by", L"Group by"));
        plan.titles.push_back(Text(store, L"refresh", L"Refresh"));
        if (facts.explorerCommands) plan.titles.push_back(Text(store, L"window", L"Window"));
        return plan;
    }
    const std::wstring program = AsciiLower(FileName(facts.imagePath));
    if (IsBrowser(program)) {
        plan.source = TitleSource::Browser;
        plan.titles = {Text(store, L"file", L"File"),       Text(store, L"edit", L"Edit"),
                       Text(store, L"View", L"View"),       Text(store, L"history", L"History"),
                       Text(store, L"favorites", L"Bookmarks"), Text(store, L"download", L"Downloads"),
                       Text(store, L"window", L"Window")};
        return plan;
    }
    if (WithoutExtension(program) == L"figma") {
        plan.source = TitleSource::Fixed;
        plan.titles = {L"File", L"Edit", L"View", L"Window", L"Plugins", L"Help"};
        return plan;
    }
    if (facts.exStyle & kOverlayStyles) return plan;
    plan.source = TitleSource::WindowMenu;
    return plan;
}

std::wstring CleanTitle(std::wstring_view raw) {
    // A tab separates a shortcut's text from the title.
    raw = raw.substr(0, raw.find(L'\t'));
    std::wstring text;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == L'&') {
            if (i + 1 < raw.size() && raw[i + 1] == L'&') text += raw[++i];
            continue;
        }
        text += raw[i];
    }
    auto view = foundation::TrimBlanks(text);
    if (!view.empty() && view.back() == L')') {
        const auto open = view.rfind(L'(');
        if (open != std::wstring_view::npos && open > 0) view = foundation::TrimBlanks(view.substr(0, open));
    }
    return std::wstring(view);
}

std::vector<std::wstring> CleanTitles(std::span<const std::wstring> raw) {
    std::vector<std::wstring> titles;
    titles.reserve(raw.size());
    for (const auto& title : raw) titles.push_back(CleanTitle(title));
    return titles;
}

bool UsesWindowTitleAsName(std::wstring_view className) { return className == L"Qt5152QWindowIcon"; }

} // namespace kestrana::menubar
