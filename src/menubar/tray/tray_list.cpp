#include "menubar/tray/tray_list.h"

#include "foundation/text.h"

#include <algorithm>

namespace kestrana::menubar::tray {
namespace {

bool HasGuid(const std::array<std::uint8_t, 16>& guid) {
    return std::any_of(guid.begin(), guid.end(), [](std::uint8_t b) { return b != 0; });
}

// Copies the fields the record carries; true when anything differs.
bool Take(TrayIcon& icon, const TrayCommand& c) {
    const TrayIcon before = icon;
    if (c.fields & kFieldMessage) icon.callback = c.callback;
    if (c.fields & kFieldIcon) icon.icon = c.icon;
    if (c.fields & kFieldTip) icon.tip = c.tip;
    if ((c.fields & kFieldState) && (c.stateMask & kStateHidden)) icon.hidden = (c.state & kStateHidden) != 0;
    return !(before == icon);
}

} // namespace

std::vector<TrayIcon>::iterator TrayList::Locate(const TrayCommand& c) {
    // Newer programs name an icon by its item id alone, whatever window they send from.
    if ((c.fields & kFieldGuid) && HasGuid(c.guid))
        return std::find_if(m_icons.begin(), m_icons.end(), [&](const TrayIcon& i) { return i.guid == c.guid; });
    return std::find_if(m_icons.begin(), m_icons.end(), [&](const TrayIcon& i) {
        return i.owner == c.owner && i.id == c.id && !HasGuid(i.guid);
    });
}

TrayApplied TrayList::Apply(const TrayCommand& c, std::uint32_t process, std::wstring_view program) {
    TrayApplied result;
    if (c.owner == 0 && !((c.fields & kFieldGuid) && HasGuid(c.guid))) return {TrayOutcome::Refused, {}};
    auto it = Locate(c);
    switch (c.verb) {
    case TrayVerb::Add: {
        if (it != m_icons.end()) return {TrayOutcome::Unknown, {}};
        if (c.owner == 0) return {TrayOutcome::Refused, {}};
        const auto mine = std::count_if(m_icons.begin(), m_icons.end(), [&](const TrayIcon& i) {
            return process != 0 ? i.process == process : i.owner == c.owner;
        });
        if (static_cast<std::size_t>(mine) >= kMaxIconsPerProgram || m_icons.size() >= kMaxTrayIcons)
            return {TrayOutcome::Capped, {}};
        TrayIcon icon;
        icon.owner = c.owner;
        icon.id = c.id;
        icon.process = process;
        icon.path = foundation::AsciiLower(program);
        if (c.fields & kFieldGuid) icon.guid = c.guid;
        Take(icon, c);
        m_icons.push_back(std::move(icon));
        result.outcome = TrayOutcome::Changed;
        break;
    }
    case TrayVerb::Modify:
        if (it == m_icons.end()) return {TrayOutcome::Unknown, {}};
        result.outcome = Take(*it, c) ? TrayOutcome::Changed : TrayOutcome::Unchanged;
        break;
    case TrayVerb::Delete:
        if (it == m_icons.end()) return {TrayOutcome::Unknown, {}};
        m_icons.erase(it);
        return {TrayOutcome::Changed, {}};
    case TrayVerb::SetVersion:
        if (it == m_icons.end()) return {TrayOutcome::Unknown, {}};
        it->version = std::min(c.version, kHighestIconVersion);
        return {TrayOutcome::Unchanged, {}};
    case TrayVerb::SetFocus:
        return {it == m_icons.end() ? TrayOutcome::Unknown : TrayOutcome::Unchanged, {}};
    }
    if ((c.fields & kFieldInfo) && !c.info.empty()) result.balloon = TrayBalloon{c.owner, c.id, c.infoTitle, c.info};
    return result;
}

std::size_t TrayList::Prune(const std::function<bool(std::uint64_t)>& alive) {
    const auto before = m_icons.size();
    std::erase_if(m_icons, [&](const TrayIcon& i) { return !alive(i.owner); });
    return before - m_icons.size();
}

void TrayList::Replace(std::vector<TrayIcon> icons) {
    for (auto& fresh : icons)
        if (const TrayIcon* known = Find(fresh.owner, fresh.id)) {
            if (fresh.version == 0) fresh.version = known->version;
            if (fresh.path.empty()) fresh.path = known->path;
        }
    if (icons.size() > kMaxTrayIcons) icons.resize(kMaxTrayIcons);
    m_icons = std::move(icons);
}

std::vector<const TrayIcon*> TrayList::Shown() const {
    std::vector<const TrayIcon*> shown;
    for (const auto& icon : m_icons)
        if (!icon.hidden) shown.push_back(&icon);
    return shown;
}

const TrayIcon* TrayList::Find(std::uint64_t owner, std::uint32_t id) const {
    for (const auto& icon : m_icons)
        if (icon.owner == owner && icon.id == id) return &icon;
    return nullptr;
}

std::optional<std::wstring_view> MessengerPopupClass(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
    if (foundation::EndsWithIgnoreCase(name, L".exe")) name.remove_suffix(4);
    if (foundation::EqualsIgnoreCase(name, L"wechat")) return L"TrayNotifyWnd";
    if (foundation::EqualsIgnoreCase(name, L"dingtalk")) return L"DingtalkMsgComming";
    if (foundation::EqualsIgnoreCase(name, L"qq") || foundation::EqualsIgnoreCase(name, L"tim")) return L"TXGuiFoundation";
    return std::nullopt;
}

} // namespace kestrana::menubar::tray
