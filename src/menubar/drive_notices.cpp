#include "menubar/drive_notices.h"

#include "foundation/config_store.h"

#include <algorithm>

namespace kestrana::menubar {

std::vector<std::wstring> DriveRoots(std::uint32_t unitMask) {
    std::vector<std::wstring> roots;
    for (int bit = 0; bit < 26; ++bit)
        if (unitMask & (1u << bit)) roots.push_back(std::wstring(1, static_cast<wchar_t>(L'A' + bit)) + L":\\");
    return roots;
}

std::vector<DriveNotice> DriveList::Arrived(std::uint32_t unitMask, const Probe& probe) {
    std::vector<DriveNotice> out;
    for (const auto& root : DriveRoots(unitMask)) {
        const auto name = probe ? probe(root) : std::nullopt;
        if (!name) continue; // announced before it could be opened, or gone again
        auto known = std::find_if(m_drives.begin(), m_drives.end(), [&](const auto& d) { return d.first == root; });
        if (known != m_drives.end()) known->second = *name;
        else m_drives.emplace_back(root, *name);
        out.push_back({root, *name, true});
    }
    return out;
}

std::size_t DriveList::Rescan(std::uint32_t presentMask, const Probe& probe) {
    const auto present = DriveRoots(presentMask);
    const std::size_t before = m_drives.size();
    std::erase_if(m_drives, [&](const auto& d) { return std::find(present.begin(), present.end(), d.first) == present.end(); });
    for (auto& [root, name] : m_drives)
        if (const auto now = probe ? probe(root) : std::nullopt) name = *now;
    return before - m_drives.size();
}

std::vector<DriveNotice> DriveList::Removed(std::uint32_t unitMask) {
    std::vector<DriveNotice> out;
    for (const auto& root : DriveRoots(unitMask)) {
        auto known = std::find_if(m_drives.begin(), m_drives.end(), [&](const auto& d) { return d.first == root; });
        std::wstring name;
        if (known != m_drives.end()) {
            name = known->second;
            m_drives.erase(known);
        }
        out.push_back({root, name, false});
    }
    return out;
}

std::optional<std::wstring> DriveList::NameOf(const std::wstring& root) const {
    const auto known = std::find_if(m_drives.begin(), m_drives.end(), [&](const auto& d) { return d.first == root; });
    if (known == m_drives.end()) return std::nullopt;
    return known->second;
}

std::wstring DriveNoticeText(const DriveNotice& notice, const foundation::ConfigStore& store) {
    const std::wstring letter = notice.root.substr(0, 2);
    const std::wstring drive = notice.name.empty() ? store.LanguageText(L"promptwindow", L"usbdrive", L"USB drive")
                                                   : notice.name;
    const std::wstring what = notice.arrived ? store.LanguageText(L"promptwindow", L"usbarrived", L"is connected")
                                             : store.LanguageText(L"promptwindow", L"usbremoved", L"was removed");
    return drive + L" (" + letter + L") " + what;
}

EjectOutcome EjectOutcomeOf(std::uint32_t error) {
    switch (error) {
    case 0: return EjectOutcome::Ejected;
    case 5:  // access denied: a lock refused while files are open
    case 32: // sharing violation
    case 33: // lock violation
        return EjectOutcome::InUse;
    default: return EjectOutcome::Failed;
    }
}

std::wstring EjectText(const DriveNotice& drive, std::uint32_t error, const foundation::ConfigStore& store) {
    const std::wstring letter = drive.root.substr(0, 2);
    const std::wstring name = drive.name.empty() ? store.LanguageText(L"promptwindow", L"usbdrive", L"USB drive") : drive.name;
    switch (EjectOutcomeOf(error)) {
    case EjectOutcome::Ejected:
        return name + L" (" + letter + L") " + store.LanguageText(L"promptwindow", L"usbejected", L"can be removed");
    case EjectOutcome::InUse:
        return name + L" (" + letter + L") " +
               store.LanguageText(L"promptwindow", L"usbinuse", L"is in use and was not ejected");
    case EjectOutcome::Failed: break;
    }
    return name + L" (" + letter + L") " + store.LanguageText(L"promptwindow", L"usbejectfailed", L"could not be ejected") +
           L" (" + std::to_wstring(error) + L")";
}

} // namespace kestrana::menubar
