#include "dock/window_matching.h"

#include "dock/item_list.h"
#include "foundation/config_store.h"
#include "foundation/file_system.h"
#include "foundation/text.h"

namespace kestrana::dock {

using foundation::ContainsIgnoreCase;
using foundation::EqualsIgnoreCase;

namespace {

constexpr std::wstring_view kExcludedPrograms =
    L"|dllhost.exe|rundll32.exe|openwith.exe|360tray.exe|clover.exe|taskhostw.exe|winlogon.exe|schost.exe|dwm.exe|"
    L"audiodg.exe|";

bool HasPidMarker(const AppIdentity& identity) { return identity.filePath.find(L"*pid") != std::wstring::npos; }

bool CanOwnWindows(const Dockico& item, const foundation::FileSystem& files) {
    if (item.delimiter) return false;
    if (item.appname == L"controlpanel") return true;
    if (IsSpecialKey(item.appname) || item.filepath.empty()) return false;
    return item.realpath.empty() || !files.IsDirectory(item.realpath);
}

// What the comparisons need of the identity, worked out once for the whole row.
struct Wanted {
    explicit Wanted(const AppIdentity& identity)
        : id(identity), byAppId(identity.program == L"explorer.exe" && !identity.appId.empty()),
          byFilePath(identity.kind != AppKind::Program || HasPidMarker(identity)),
          controlPanel(identity.program == L"controlpanel") {}
    const AppIdentity& id;
    bool byAppId;
    bool byFilePath;
    bool controlPanel;
};

bool ItemMatches(const Dockico& item, const Wanted& wanted) {
    const AppIdentity& identity = wanted.id;
    if (wanted.byAppId && EqualsIgnoreCase(item.virtualpath, identity.appId)) return true;
    if (wanted.byFilePath && identity.filePath == item.filepath) return true;
    // Control Panel runs in the file manager's image: it must never fall through to the
    // image comparison, or it would light up the file manager.
    if (wanted.controlPanel) return item.appname == L"controlpanel";
    if (identity.kind != AppKind::Program) return false;
    return !identity.imagePath.empty() && item.realpath == identity.imagePath;
}

template <typename Test>
std::size_t FirstRunning(const DockItems& row, Test&& test) {
    for (std::size_t i = DockItems::kFirstReal; i < row.EndReal(); ++i) {
        const Dockico& item = row[i];
        if (!item.delimiter && item.running && test(item)) return i;
    }
    return 0;
}

bool IsRemembered(const DockItems& row, std::int32_t id) { return id != kNoItemId && row.IndexOfId(id) != 0; }

std::unique_ptr<Dockico> UnsavedSeparator() {
    auto separator = MakeDockico(true);
    separator->kept = false;
    return separator;
}

std::wstring SafePictureName(std::wstring_view key) {
    std::wstring name(key);
    for (auto& c : name) {
        if (std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) c = L'_';
    }
    return name;
}

} // namespace

std::size_t MatchWindowItem(const DockItems& row, const AppIdentity& identity, const foundation::FileSystem& files) {
    // The comparisons first: only an item that matches is asked whether it is a folder.
    const Wanted wanted(identity);
    for (std::size_t i = DockItems::kFirstReal; i < row.EndReal(); ++i) {
        if (ItemMatches(row[i], wanted) && CanOwnWindows(row[i], files)) return i;
    }
    return 0;
}

// Each comparison runs over the whole row before the next, weaker one is tried.
std::size_t FindMinimisedOwner(const DockItems& row, const AppIdentity& identity) {
    if (!identity.filePath.empty()) {
        const auto i = FirstRunning(row, [&](const Dockico& item) {
            return item.appKind == identity.kind && item.filepath == identity.filePath;
        });
        if (i != 0) return i;
    }
    if (identity.program == L"controlpanel") {
        const auto i = FirstRunning(row, [](const Dockico& item) { return item.appname == L"controlpanel"; });
        if (i != 0) return i;
    }
    if (!identity.appId.empty()) {
        const auto i =
            FirstRunning(row, [&](const Dockico& item) { return EqualsIgnoreCase(item.virtualpath, identity.appId); });
        if (i != 0) return i;
    }
    if (HasPidMarker(identity) || identity.imagePath.empty()) return 0;
    return FirstRunning(row, [&](const Dockico& item) { return item.realpath == identity.imagePath; });
}

std::size_t FindItemOfWindow(const DockItems& row, WindowId window) {
    for (std::size_t i = DockItems::kFirstReal; i < row.EndReal(); ++i) {
        for (const WindowId w : row[i].windows) {
            if (w == window) return i;
        }
    }
    return 0;
}

bool AcceptsWindow(const AppIdentity& identity, const AcceptContext& context, const foundation::ConfigStore& settings) {
    if (context.iconSize <= 10 || context.dockEmpty) return false;
    if (identity.kind == AppKind::Program && !ContainsIgnoreCase(identity.filePath, L".exe") &&
        !ContainsIgnoreCase(identity.imagePath, L".exe") && !ContainsIgnoreCase(identity.imagePath, L".tmp") &&
        !ContainsIgnoreCase(identity.imagePath, L".pak") && !ContainsIgnoreCase(identity.imagePath, L".app")) {
        return false;
    }
    if (identity.label.empty()) return false;
    if (InBarSet(kExcludedPrograms, identity.program)) return false;
    if (!identity.program.empty() && settings.ReadInt(L"blacklist", identity.program) != 0) return false;
    if (EqualsIgnoreCase(identity.imagePath, context.baseFolder + L"thermel.exe")) return false;
    return context.ownImagePath.empty() || !EqualsIgnoreCase(identity.imagePath, context.ownImagePath);
}

std::unique_ptr<Dockico> MakeRunningItem(const AppIdentity& identity, const foundation::FileSystem& files,
                                         std::wstring_view baseFolder) {
    auto item = MakeDockico();
    item->kept = false;
    item->running = true;
    item->appname = identity.program;
    item->filepath = identity.filePath;
    item->realpath = identity.imagePath;
    item->virtualpath = identity.appId;
    item->tag = identity.label;
    item->appKind = identity.kind;
    AssignIdentity(*item, files, baseFolder);
    // A running web application carries its id in filepath, not in a launch line.
    const bool idInFilePath = item->appKind == AppKind::AppIdProgram || item->appKind == AppKind::BrowserWebApp;
    if (idInFilePath && item->realpath.find(L"--app-id=") == std::wstring::npos) item->key = item->filepath;
    return item;
}

RunningPictureFiles RunningPictureNames(std::wstring_view key, const foundation::ConfigStore& settings) {
    RunningPictureFiles files;
    if (!key.empty()) files.configured = settings.ReadString(L"unsaveicon", key);
    files.cache = settings.BaseFolder() + L"runpng\\" + SafePictureName(key) + L".png";
    return files;
}

std::size_t RunningItemIndex(const DockItems& row, const TrackerSeparators& separators) {
    for (std::size_t i = row.EndReal(); i-- > DockItems::kFirstReal;) {
        const Dockico& item = row[i];
        if (item.delimiter) {
            if (item.id != separators.running && item.id != separators.minimised) return i;
        } else if (item.running && !item.kept && !item.filepath.empty()) {
            return i + 1;
        }
    }
    return row.EndReal();
}

std::size_t PlaceRunningItem(DockItems& row, std::unique_ptr<Dockico> item, TrackerSeparators& separators,
                             bool runIconLim) {
    if (runIconLim && !IsRemembered(row, separators.running)) {
        separators.running = kNoItemId;
        for (std::size_t i = DockItems::kFirstReal; i < row.EndReal(); ++i) {
            if (row[i].delimiter && !row[i].kept && row[i].id != separators.minimised) {
                separators.running = row[i].id;
                break;
            }
        }
    }
    std::size_t index = RunningItemIndex(row, separators);
    if (runIconLim && separators.running == kNoItemId) {
        auto separator = UnsavedSeparator();
        separators.running = separator->id;
        index = row.Insert(index, std::move(separator)) + 1;
    }
    return row.Insert(index, std::move(item));
}

MinimisedPlace MinimisedPlaceFromSetting(int value) {
    if (value == 1) return MinimisedPlace::AtEnd;
    if (value == 2) return MinimisedPlace::AtEndSeparated;
    return MinimisedPlace::BeforeLastKept;
}

std::unique_ptr<Dockico> MakeMinimisedItem(WindowId window, std::wstring title) {
    auto item = MakeDockico();
    item->kept = false;
    item->running = true;
    item->sizeFactor = 0; // grows in
    item->tag = std::move(title);
    item->windows.push_back(window);
    return item;
}

std::size_t PlaceMinimisedItem(DockItems& row, std::unique_ptr<Dockico> item, TrackerSeparators& separators,
                               MinimisedPlace place) {
    std::size_t index = row.EndReal();
    if (place == MinimisedPlace::BeforeLastKept) {
        for (std::size_t i = row.EndReal(); i-- > DockItems::kFirstReal;) {
            if (row[i].kept) {
                index = i;
                break;
            }
        }
    } else if (place == MinimisedPlace::AtEndSeparated && !IsRemembered(row, separators.minimised)) {
        auto separator = UnsavedSeparator();
        separators.minimised = separator->id;
        index = row.Insert(index, std::move(separator)) + 1;
    }
    return row.Insert(index, std::move(item));
}

} // namespace kestrana::dock
