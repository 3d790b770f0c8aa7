#include "menubar/tray/tray_unread.h"

#include "foundation/text.h"

#include <algorithm>

namespace kestrana::menubar::tray {
namespace {

bool Digit(wchar_t c) { return c >= L'0' && c <= L'9'; }

std::optional<int> Number(std::wstring_view digits) {
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), Digit)) return std::nullopt;
    long long n = 0;
    for (wchar_t c : digits) {
        n = n * 10 + (c - L'0');
        if (n > kMaxUnreadCount) return kMaxUnreadCount;
    }
    if (n == 0) return std::nullopt;
    return static_cast<int>(n);
}

std::wstring_view Trimmed(std::wstring_view s) {
    while (!s.empty() && s.front() == L' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == L' ') s.remove_suffix(1);
    return s;
}

void Raise(UnreadMarks& marks, const std::wstring& program, int count) {
    auto [it, added] = marks.emplace(program, count);
    if (!added) it->second = std::max(it->second, count);
}

} // namespace

std::wstring ProgramFileName(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return foundation::AsciiLower(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

std::optional<int> UnreadCountIn(std::wstring_view text) {
    if (auto whole = Number(Trimmed(text))) return whole;
    for (std::size_t open = 0; open < text.size(); ++open) {
        const wchar_t closer = text[open] == L'(' ? L')' : text[open] == L'[' ? L']' : 0;
        if (!closer) continue;
        const std::size_t close = text.find(closer, open + 1);
        if (close == std::wstring_view::npos) break;
        std::wstring_view inside = Trimmed(text.substr(open + 1, close - open - 1));
        if (!inside.empty() && inside.back() == L'+') inside.remove_suffix(1); // "99+"
        if (auto n = Number(inside)) return n;
    }
    return std::nullopt;
}

void UnreadWatch::PictureChanged(const TrayIcon& icon, std::int64_t nowMs) {
    auto it = std::find_if(m_flashes.begin(), m_flashes.end(),
                           [&](const Flash& f) { return f.owner == icon.owner && f.id == icon.id; });
    if (it == m_flashes.end()) {
        m_flashes.push_back({icon.owner, icon.id, nowMs, nowMs, 1});
        return;
    }
    // A change after a long rest starts a new count: one new picture is not a flash.
    it->changes = nowMs - it->last <= kFlashGapMs ? it->changes + 1 : 1;
    it->previous = it->last;
    it->last = nowMs;
}

UnreadMarks UnreadWatch::Marks(std::span<const TrayIcon> icons, std::span<const UnreadWindow> windows,
                               const std::function<bool(std::wstring_view)>& listed, std::int64_t nowMs) {
    std::erase_if(m_flashes, [&](const Flash& f) {
        return nowMs - f.last > kFlashGapMs ||
               std::none_of(icons.begin(), icons.end(), [&](const TrayIcon& i) { return i.owner == f.owner && i.id == f.id; });
    });
    UnreadMarks marks;
    for (const TrayIcon& icon : icons) {
        const std::wstring program = ProgramFileName(icon.path);
        if (program.empty() || !listed(program)) continue;
        const bool flashing = std::any_of(m_flashes.begin(), m_flashes.end(), [&](const Flash& f) {
            return f.owner == icon.owner && f.id == icon.id && f.changes >= 2;
        });
        if (flashing) Raise(marks, program, UnreadCountIn(icon.tip).value_or(0));
    }
    for (const UnreadWindow& window : windows) {
        if (!window.visible) continue;
        const auto popupClass = MessengerPopupClass(window.program);
        if (!popupClass || *popupClass != window.className) continue;
        // That class is also the program's main window's: only the pop-up floats on top.
        if (*popupClass == L"TXGuiFoundation" && !window.topmost) continue;
        const std::wstring program = ProgramFileName(window.program);
        if (!listed(program)) continue;
        std::optional<int> count = UnreadCountIn(window.title);
        for (const TrayIcon& icon : icons)
            if (!count && ProgramFileName(icon.path) == program) count = UnreadCountIn(icon.tip);
        Raise(marks, program, count.value_or(0));
    }
    return marks;
}

} // namespace kestrana::menubar::tray
