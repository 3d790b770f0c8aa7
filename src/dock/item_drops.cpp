#include "dock/item_drops.h"

#include "dock/app_identity.h"
#include "dock/click_rules.h"
#include "dock/magnification.h"
#include "foundation/text.h"

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

} // namespace

DropDecision DecideDrop(const DockItems& row, float at) {
    DropDecision decision;
    if (row.Empty()) return decision;
    const std::size_t hit = ItemAt(row, at);
    if (hit) {
        const Dockico& item = row[hit];
        if (OpensFiles(item) && at >= item.position + item.size / 4 && at <= item.position + item.size * 3 / 4)
            return {DropAction::OpenWith, hit};
        if (item.appname == L"trash|") return {DropAction::ToTrash, hit};
        decision.index = ClampDropIndex(hit, at > item.position + item.size / 2, row.Size());
        if (decision.index < row.EndReal() && row[decision.index].appname == L"trash|")
            decision.action = DropAction::ToTrash;
    } else {
        // Between two icons counts as past the one before; beyond the ends, at the ends.
        std::size_t before = 0;
        for (std::size_t i = DockItems::kFirstReal; i < row.EndReal(); ++i)
            if (row[i].position <= at) before = i;
        decision.index = before ? ClampDropIndex(before, true, row.Size()) : ClampDropIndex(0, false, row.Size());
    }
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
