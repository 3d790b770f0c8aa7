#include "menubar/app_menus.h"

#include "foundation/config_store.h"
#include "menubar/accessible_menu_track.h"
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

void DesktopTitles(const foundation::ConfigStore& store, TitlePlan& plan) {
    std::vector<std::wstring> keys, values;
    store.ReadSection(L"findertitle", L"lang\\" + store.CurrentLanguage() + L".ini", &keys, &values);
    for (std::size_t i = 0; i < values.size() && i < keys.size(); ++i) {
        const auto text = foundation::TrimBlanks(values[i]);
        if (text.empty()) continue;
        plan.titles.emplace_back(text);
        plan.keys.push_back(AsciiLower(foundation::TrimBlanks(keys[i])));
    }
    if (plan.titles.empty()) {
        plan.titles = {L"File", L"Edit", L"View", L"Go", L"Window", L"Help"};
        plan.keys = {L"file", L"edit", L"view", L"go", L"window", L"help"};
    }
}

void Add(TitlePlan& plan, const foundation::ConfigStore& store, std::wstring_view key, std::wstring_view fallback) {
    plan.titles.push_back(Text(store, key, fallback));
    plan.keys.push_back(AsciiLower(key));
}

} // namespace

bool FollowsForeground(const ForegroundFacts& facts, bool severalBars) {
    if (!facts.exists || facts.ours) return false;
    // An application's menu pop-up in front belongs to the application the bar shows.
    if (IsMenuPopupClass(facts.className)) return false;
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

std::wstring_view UnsaveName(std::wstring_view value) {
    const auto text = foundation::TrimBlanks(value);
    if (text.find_first_of(L"\\:") != std::wstring_view::npos) return {};
    const auto dot = text.rfind(L'.');
    if (dot != std::wstring_view::npos) {
        const std::wstring extension = L"|" + AsciiLower(text.substr(dot + 1)) + L"|";
        if (std::wstring_view(L"|png|jpg|jpeg|ico|bmp|gif|tif|tiff|heic|webp|svg|exe|dll|").find(extension) !=
            std::wstring_view::npos)
            return {};
    }
    return text;
}

std::wstring AppName(const NameSources& sources, std::wstring_view imagePath) {
    for (const auto text : {foundation::TrimBlanks(sources.dockName), UnsaveName(sources.unsaveName),
                            foundation::TrimBlanks(sources.fileDescription)})
        if (!text.empty()) return std::wstring(text);
    return std::wstring(WithoutExtension(FileName(imagePath)));
}

TitlePlan PlanTitles(const ForegroundFacts& facts, const foundation::ConfigStore& store, const TitleOptions& options) {
    TitlePlan plan;
    if (!options.enabled || !facts.exists || facts.className == L"Shell_TrayWnd") return plan;
    const bool toolWindow = (facts.exStyle & 0x80) != 0;
    if (facts.desktop || (toolWindow && (facts.className == L"Progman" || facts.className == L"WorkerW"))) {
        plan.source = TitleSource::Desktop;
        DesktopTitles(store, plan);
        return plan;
    }
    if (facts.className == L"CabinetWClass") {
        plan.source = TitleSource::Explorer;
        if (facts.explorerCommands) Add(plan, store, L"file", L"File");
        Add(plan, store, L"View", L"View");
        Add(plan, store, L"Sort by", L"Sort by");
        if (!options.explorerThreeTitles) Add(plan, store, L"Group by", L"Group by");
        Add(plan, store, L"refresh", L"Refresh");
        if (facts.explorerCommands) Add(plan, store, L"window", L"Window");
        return plan;
    }
    const std::wstring program = AsciiLower(FileName(facts.imagePath));
    if (IsBrowser(program)) {
        plan.source = TitleSource::Browser;
        Add(plan, store, L"file", L"File");
        Add(plan, store, L"edit", L"Edit");
        Add(plan, store, L"View", L"View");
        Add(plan, store, L"history", L"History");
        Add(plan, store, L"favorites", L"Bookmarks");
        Add(plan, store, L"download", L"Downloads");
        Add(plan, store, L"window", L"Window");
        return plan;
    }
    if (WithoutExtension(program) == L"figma") {
        plan.source = TitleSource::Fixed;
        plan.titles = {L"File", L"Edit", L"View", L"Window", L"Plugins", L"Help"};
        return plan;
    }
    if (facts.exStyle & kOverlayStyles) return plan;
    plan.source = TitleSource::WindowMenu;
    plan.askWindow = !facts.hung;
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

namespace {

// Sorting and grouping of a File Explorer view: one entry per column, checked where the
// view stands, each carrying the arrangement it gives.
std::vector<OwnMenuEntry> ArrangeMenu(bool grouping, const foundation::ConfigStore& store, const Arrangement* current) {
    struct Column {
        ArrangeColumn column;
        const wchar_t* key;
        const wchar_t* text;
    };
    static constexpr Column kColumns[] = {{ArrangeColumn::Name, L"arrangename", L"Name"},
                                          {ArrangeColumn::Modified, L"arrangedate", L"Date Modified"},
                                          {ArrangeColumn::Type, L"arrangetype", L"Type"},
                                          {ArrangeColumn::Size, L"arrangesize", L"Size"}};
    const Arrangement now = current ? *current : Arrangement{};
    std::vector<OwnMenuEntry> entries;
    const auto add = [&](const wchar_t* key, const wchar_t* text, bool checked, Arrangement to) {
        OwnMenuEntry entry;
        entry.text = store.LanguageText(L"findermenuitems", key, text);
        entry.checked = current && checked;
        entry.enabled = current != nullptr;
        entry.arrange = to;
        entries.push_back(std::move(entry));
    };
    if (grouping) {
        add(L"arrangenone", L"(None)", now.group == ArrangeColumn::None, {now.sort, now.descending, ArrangeColumn::None});
        for (const auto& c : kColumns) add(c.key, c.text, now.group == c.column, {now.sort, now.descending, c.column});
        return entries;
    }
    for (const auto& c : kColumns) add(c.key, c.text, now.sort == c.column, {c.column, now.descending, now.group});
    add(L"ascending", L"Ascending", !now.descending, {now.sort, false, now.group});
    add(L"descending", L"Descending", now.descending, {now.sort, true, now.group});
    return entries;
}

} // namespace

std::vector<OwnMenuEntry> OwnTitleMenu(TitleSource source, std::wstring_view titleKey,
                                       const foundation::ConfigStore& store, const Arrangement* arrangement) {
    struct Row {
        const wchar_t* key;
        const wchar_t* text;
        std::uint8_t modifiers;
        std::uint8_t vk;
    };
    // Virtual keys: F1 0x70, F5 0x74, F11 0x7A, arrows 0x25..0x28, Tab 0x09, "+" 0xBB, "-" 0xBD.
    static constexpr Row kUndo{L"undo", L"Undo", kCtrl, 'Z'}, kCut{L"cut", L"Cut", kCtrl, 'X'},
        kCopy{L"copy", L"Copy", kCtrl, 'C'}, kPaste{L"paste", L"Paste", kCtrl, 'V'},
        kSelectAll{L"selectall", L"Select All", kCtrl, 'A'}, kRefresh{L"refresh", L"Refresh", 0, 0x74},
        kBack{L"back", L"Back", kAlt, 0x25}, kForward{L"forward", L"Forward", kAlt, 0x27},
        kMinimise{L"minimize", L"Minimize", kWin, 0x28}, kNewFolder{L"newfolder", L"New Folder", kCtrl | kShift, 'N'},
        kExplorerWindow{L"newwindow", L"New Window", kWin, 'E'};
    const bool browser = source == TitleSource::Browser;
    std::vector<Row> rows;
    const std::wstring key = AsciiLower(titleKey);
    if (source == TitleSource::None || source == TitleSource::Fixed || source == TitleSource::WindowMenu) return {};
    if (source == TitleSource::Explorer && (key == L"sort by" || key == L"group by"))
        return ArrangeMenu(key == L"group by", store, arrangement);
    if (key == L"file") {
        if (browser)
            rows = {{L"newwindow", L"New Window", kCtrl, 'N'}, {L"newtab", L"New Tab", kCtrl, 'T'},
                    {L"closetab", L"Close Tab", kCtrl, 'W'}};
        else
            rows = {kExplorerWindow, kNewFolder};
        if (source == TitleSource::Explorer) rows.push_back({L"closewindow", L"Close Window", kCtrl, 'W'});
    } else if (key == L"edit") {
        rows = {kUndo, kCut, kCopy, kPaste, kSelectAll};
    } else if (key == L"view") {
        if (browser)
            rows = {{L"zoomin", L"Zoom In", kCtrl, 0xBB}, {L"zoomout", L"Zoom Out", kCtrl, 0xBD},
                    {L"actualsize", L"Actual Size", kCtrl, '0'}, {L"fullscreen", L"Full Screen", 0, 0x7A}};
        else if (source == TitleSource::Explorer)
            rows = {{L"largeicons", L"Large Icons", kCtrl | kShift, '2'}, {L"list", L"List", kCtrl | kShift, '5'},
                    {L"details", L"Details", kCtrl | kShift, '6'}, kRefresh};
        else
            rows = {kRefresh};
    } else if (key == L"go") {
        rows = {kBack, kForward, {L"up", L"Enclosing Folder", kAlt, 0x26}};
    } else if (key == L"refresh") {
        rows = {kRefresh};
    } else if (key == L"window") {
        rows = {kMinimise};
        if (browser) rows.push_back({L"nexttab", L"Next Tab", kCtrl, 0x09});
        else rows.push_back({L"showdesktop", L"Show Desktop", kWin, 'D'});
    } else if (key == L"help") {
        rows = {{L"help", L"Help", 0, 0x70}};
    } else if (key == L"history") {
        rows = {{L"showhistory", L"Show History", kCtrl, 'H'}, kBack, kForward};
    } else if (key == L"favorites") {
        rows = {{L"addbookmark", L"Bookmark This Page", kCtrl, 'D'},
                {L"showbookmarks", L"Show Bookmarks", kCtrl | kShift, 'O'}};
    } else if (key == L"download") {
        rows = {{L"showdownloads", L"Show Downloads", kCtrl, 'J'}};
    }
    std::vector<OwnMenuEntry> entries;
    for (const Row& row : rows) {
        OwnMenuEntry entry;
        entry.text = store.LanguageText(L"findermenuitems", row.key, row.text);
        entry.modifiers = row.modifiers;
        entry.key = row.vk;
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool UsesWindowTitleAsName(std::wstring_view className) { return className == L"Qt5152QWindowIcon"; }

} // namespace kestrana::menubar
