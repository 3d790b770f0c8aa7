#include "menubar/drive_notices.h"

#include "foundation/config_store.h"

#include <algorithm>
#include <utility>

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

DriveNoticeSlot::Step DriveNoticeSlot::Arrive(const DriveNotice& drive, bool held) {
    if (!m_shown) {
        m_shown = drive;
        return Step::Show;
    }
    if (m_shown->root == drive.root) return Step::None; // announced again: its notice is up
    if (held) {
        m_waiting = drive;
        return Step::None;
    }
    m_shown = drive;
    return Step::Replace;
}

DriveNoticeSlot::Step DriveNoticeSlot::Left(const std::wstring& root) {
    if (m_waiting && m_waiting->root == root) m_waiting.reset();
    return m_shown && m_shown->root == root ? Step::Close : Step::None;
}

std::optional<DriveNotice> DriveNoticeSlot::Closed() {
    m_shown = std::exchange(m_waiting, std::nullopt);
    return m_shown;
}

gfx::RectI DriveNoticeRect(const gfx::RectI& screen, int barHeight, int width, int height, float scale) {
    const int margin = static_cast<int>(8 * scale);
    gfx::RectI rect{screen.Right() - margin - width, screen.y + barHeight + margin, width, height};
    // A screen narrower or shorter than the notice keeps its left or top edge in sight.
    rect.x = std::max(screen.x, rect.x);
    rect.y = std::max(screen.y, std::min(rect.y, screen.Bottom() - height));
    return rect;
}

std::uint64_t PackEjectAnswer(const EjectAnswer& answer) {
    std::uint64_t packed = answer.error;
    if (answer.veto) packed |= (std::uint64_t{1} << 40) | (std::uint64_t{*answer.veto} << 32);
    return packed;
}

EjectAnswer UnpackEjectAnswer(std::uint64_t packed) {
    EjectAnswer answer{static_cast<std::uint32_t>(packed & 0xFFFFFFFFu), std::nullopt};
    if (packed & (std::uint64_t{1} << 40)) answer.veto = static_cast<std::uint8_t>((packed >> 32) & 0xFF);
    return answer;
}

EjectOutcome EjectOutcomeOf(const EjectAnswer& answer) {
    if (answer.veto) {
        switch (*answer.veto) {
        case 13: return EjectOutcome::Ejected; // already removed
        case 8:  // an illegal request
        case 9:  // not enough power
        case 10: // a device that cannot be disabled (the system's own disk)
        case 12: // not enough rights
            return EjectOutcome::Failed;
        default: return EjectOutcome::InUse; // a program, service, driver or open file holds it
        }
    }
    switch (answer.error) {
    case 0: return EjectOutcome::Ejected;
    case 5:  // access denied: a lock refused while files are open
    case 32: // sharing violation
    case 33: // lock violation
        return EjectOutcome::InUse;
    default: return EjectOutcome::Failed;
    }
}

std::wstring EjectText(const DriveNotice& drive, const EjectAnswer& answer, const foundation::ConfigStore& store) {
    const std::wstring letter = drive.root.substr(0, 2);
    const std::wstring name = drive.name.empty() ? store.LanguageText(L"promptwindow", L"usbdrive", L"USB drive") : drive.name;
    switch (EjectOutcomeOf(answer)) {
    case EjectOutcome::Ejected:
        return name + L" (" + letter + L") " + store.LanguageText(L"promptwindow", L"usbejected", L"can be removed");
    case EjectOutcome::InUse:
        return name + L" (" + letter + L") " +
               store.LanguageText(L"promptwindow", L"usbinuse", L"is in use and was not ejected");
    case EjectOutcome::Failed: break;
    }
    // A refused removal's reason goes to the log with the veto's name; an error's code is
    // worth showing, since the user may look it up.
    std::wstring text = name + L" (" + letter + L") " +
                        store.LanguageText(L"promptwindow", L"usbejectfailed", L"could not be ejected");
    if (!answer.veto) text += L" (" + std::to_wstring(answer.error) + L")";
    return text;
}

} // namespace kestrana::menubar
