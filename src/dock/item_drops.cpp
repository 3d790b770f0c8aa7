#include "dock/item_drops.h"

#include "dock/app_identity.h"
#include "dock/click_rules.h"
#include "dock/magnification.h"
#include "foundation/text.h"

#include <algorithm>

namespace kestrana::dock {
namespace {

std::wstring_view FileName(std::wstring_view path) {
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.remove_suffix(1);
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

std::wstring_view WithoutExtension(std::wstring_view name) {
    const auto dot = name.rfind(L'.');
    return dot == std::wstring_view::npos || dot == 0 ? name : name.substr(0, dot);
}

// Web and Android applications are started through a host program; its arguments tell
// which kind.
AppKind KindOfShortcut(std::wstring_view target, std::wstring_view arguments) {
    const std::wstring program = foundation::AsciiLower(FileName(target));
    const std::wstring args = foundation::AsciiLower(arguments);
    if (program == L"firefoxpwa.exe" && args.find(L"site launch") != std::wstring::npos) return AppKind::FirefoxWebApp;
    if (program == L"wsaclient.exe" && args.find(L"wsa://") != std::wstring::npos) return AppKind::Android;
    if (args.find(L"--app-id=") != std::wstring::npos)
        return program == L"chrome_proxy.exe" || program == L"msedge_proxy.exe" ? AppKind::BrowserWebApp
                                                                                : AppKind::AppIdProgram;
    return AppKind::Program;
}

bool OpensFiles(const Dockico& item) {
    return !item.IsSeparator() && !IsSpecialKey(item.appname) && item.appname != L"explorer.exe" &&
           item.appname.ends_with(L".exe");
}

bool IsFolderItem(const Dockico& item) { return item.key.starts_with(L"folder-"); }

std::wstring Comparable(std::wstring_view path) {
    std::wstring out = foundation::AsciiLower(path);
    std::replace(out.begin(), out.end(), L'/', L'\\');
    while (out.size() > 3 && out.back() == L'\\') out.pop_back();
    return out;
}

// "c:" for a drive path, "\\server\share" for a network one; empty when neither.
std::wstring_view Volume(std::wstring_view path) {
    if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2);
    if (!path.starts_with(L"\\\\")) return {};
    const auto server = path.find(L'\\', 2);
    if (server == std::wstring_view::npos) return path;
    const auto share = path.find(L'\\', server + 1);
    return share == std::wstring_view::npos ? path : path.substr(0, share);
}

std::wstring_view Parent(std::wstring_view path) {
    const auto slash = path.find_last_of(L'\\');
    if (slash == std::wstring_view::npos) return {};
    return path.substr(0, slash == 2 && path[1] == L':' ? 3 : slash);
}

} // namespace

FolderDropEffect FolderDropEffectFor(std::wstring_view path, std::wstring_view folder, bool ctrl, bool shift) {
    if (ctrl != shift) return ctrl ? FolderDropEffect::Copy : FolderDropEffect::Move;
    const std::wstring from = Comparable(path), to = Comparable(folder);
    const std::wstring_view volume = Volume(from);
    return !volume.empty() && volume == Volume(to) ? FolderDropEffect::Move : FolderDropEffect::Copy;
}

std::wstring FreeNameInFolder(std::wstring_view name, const std::function<bool(const std::wstring&)>& taken) {
    std::wstring candidate(name);
    // A leading dot starts a name, not an extension.
    const auto dot = name.rfind(L'.');
    const std::wstring_view stem = dot == std::wstring_view::npos || dot == 0 ? name : name.substr(0, dot);
    const std::wstring_view extension = name.substr(stem.size());
    for (int n = 2; taken(candidate); ++n)
        candidate = std::wstring(stem) + L" (" + std::to_wstring(n) + L")" + std::wstring(extension);
    return candidate;
}

bool CanGoIntoFolder(std::wstring_view path, std::wstring_view folder) {
    const std::wstring from = Comparable(path), to = Comparable(folder);
    if (from.empty() || to.empty() || from == to || Parent(from) == to) return false;
    // `to` lies inside `from`.
    return !(to.size() > from.size() && to.starts_with(from) && (from.back() == L'\\' || to[from.size()] == L'\\'));
}

DropDecision DecideDrop(const DockItems& row, float at) {
    DropDecision decision;
    if (row.Empty()) return decision;
    const std::size_t hit = ItemAt(row, at);
    if (hit) {
        const Dockico& item = row[hit];
        if (at >= item.position + item.size / 4 && at <= item.position + item.size * 3 / 4) {
            if (OpensFiles(item)) return {DropAction::OpenWith, hit};
            if (IsFolderItem(item)) return {DropAction::IntoFolder, hit};
        }
        if (item.appname == L"trash|") return {DropAction::ToTrash, hit};
        decision.index = ClampDropIndex(hit, at > item.position + item.size / 2, row.Size());
    } else {
        // Between two icons counts as past the one before; beyond the ends, at the ends.
        std::size_t before = 0;
        for (std::size_t i = DockItems::kFirstReal; i < row.EndReal(); ++i)
            if (row[i].position <= at) before = i;
        decision.index = before ? ClampDropIndex(before, true, row.Size()) : ClampDropIndex(0, false, row.Size());
    }
    // The place of the trash is the trash's, also beyond the end of a row that ends with
    // it: a gap opened there would push the trash under the pointer.
    if (decision.index < row.EndReal() && row[decision.index].appname == L"trash|") decision.action = DropAction::ToTrash;
    return decision;
}

ItemRecord RecordForPath(std::wstring_view path, const std::optional<ShortcutFacts>& shortcut) {
    ItemRecord record;
    const std::wstring_view name = FileName(path);
    record.tag = std::wstring(WithoutExtension(name));
    const std::wstring_view target = shortcut && !shortcut->target.empty() ? std::wstring_view(shortcut->target) : path;
    record.appname = foundation::AsciiLower(FileName(target));
    record.filepath = foundation::AsciiLower(target);
    record.realpath = record.filepath;
    if (shortcut) {
        record.runline = shortcut->arguments;
        record.uwp = static_cast<int>(KindOfShortcut(target, shortcut->arguments));
    }
    return record;
}

} // namespace kestrana::dock
