#include "foundation/foreign_requests.h"

#include "foundation/text.h"

#include <algorithm>
#include <array>

namespace kestrana::foundation {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

// One name between separators, as Windows would resolve it to exactly itself.
bool IsPlainName(std::wstring_view name) {
    if (name.empty() || name == L"." || name == L"..") return false;
    // Windows drops trailing dots and blanks, so "a.exe." opens "a.exe".
    if (name.back() == L'.' || name.back() == L' ') return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const wchar_t c = name[i];
        if (c < 0x20 || c == L':' || c == L'*' || c == L'?' || c == L'"' || c == L'<' || c == L'>' || c == L'|')
            return false;
        // A short name ("KESTRA~1.EXE") is another spelling of some long one.
        if (c == L'~' && i + 1 < name.size() && name[i + 1] >= L'0' && name[i + 1] <= L'9') return false;
    }
    return true;
}

// Splits an absolute Windows path into its root ("c:" or "\\server\share", lower-cased)
// and its names; nullopt for anything that is not a plain absolute path.
struct PathParts {
    std::wstring root;
    std::vector<std::wstring> names;
};

std::optional<PathParts> Split(std::wstring_view path) {
    PathParts parts;
    std::size_t at = 0;
    if (path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == L':' && IsSeparator(path[2])) {
        parts.root = AsciiLower(path.substr(0, 2));
        at = 3;
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // "\\?\", "\\.\" and "\??\" reach past the path rules; only plain UNC shares pass.
        std::size_t end = 2;
        for (int part = 0; part < 2; ++part) {
            const std::size_t start = end;
            while (end < path.size() && !IsSeparator(path[end])) ++end;
            if (!IsPlainName(path.substr(start, end - start))) return std::nullopt;
            if (part == 0) {
                if (end >= path.size()) return std::nullopt;
                ++end;
            }
        }
        parts.root = AsciiLower(path.substr(0, end));
        for (auto& c : parts.root)
            if (c == L'/') c = L'\\';
        at = end < path.size() ? end + 1 : end;
    } else {
        return std::nullopt;
    }
    while (at < path.size()) {
        std::size_t end = at;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        const std::wstring_view name = path.substr(at, end - at);
        if (!IsPlainName(name)) return std::nullopt;
        parts.names.push_back(AsciiLower(name));
        at = end + 1;
        // One trailing separator is allowed (a folder written "C:\Kestrana\").
        if (end + 1 == path.size()) break;
    }
    return parts;
}

} // namespace

bool IsImageInFolder(std::wstring_view image, std::wstring_view folder) {
    if (!image.empty() && IsSeparator(image.back())) return false;
    const auto file = Split(image);
    const auto dir = Split(folder);
    if (!file || !dir || file->root != dir->root) return false;
    if (file->names.size() != dir->names.size() + 1) return false;
    return std::equal(dir->names.begin(), dir->names.end(), file->names.begin());
}

std::wstring_view RefusalText(Refusal refusal) {
    switch (refusal) {
    case Refusal::None: return L"accepted";
    case Refusal::NoProcess: return L"no sender process";
    case Refusal::OwnProcess: return L"claims to come from this process";
    case Refusal::OutsideFolder: return L"not a program of the program folder";
    case Refusal::OtherUser: return L"another user";
    case Refusal::OtherSession: return L"another session";
    case Refusal::LowIntegrity: return L"integrity level below medium";
    case Refusal::TooLarge: return L"size out of bounds";
    case Refusal::TooMany: return L"too many windows for this requester";
    case Refusal::NotRequested: return L"window was not made on request";
    case Refusal::KeyNotAllowed: return L"key chord not allowed";
    case Refusal::Unconfirmed: return L"no confirmation from the program";
    case Refusal::NoWindow: return L"not a top-level window";
    case Refusal::Posted: return L"posted, where only a sent question is answered";
    }
    return L"refused";
}

Refusal CheckSender(const SenderFacts& sender, const SenderRule& rule) {
    if (sender.pid == 0 || sender.image.empty()) return Refusal::NoProcess;
    if (!IsImageInFolder(sender.image, rule.programFolder)) return Refusal::OutsideFolder;
    if (!rule.requiredName.empty()) {
        const auto slash = sender.image.find_last_of(L"\\/");
        if (!EqualsIgnoreCase(std::wstring_view(sender.image).substr(slash + 1), rule.requiredName))
            return Refusal::OutsideFolder;
    }
    if (!sender.sameUser) return Refusal::OtherUser;
    if (!sender.sameSession) return Refusal::OtherSession;
    if (rule.minIntegrity != 0 && sender.integrityRid < rule.minIntegrity) return Refusal::LowIntegrity;
    return Refusal::None;
}

Refusal CheckHookReport(const HookReportFacts& facts, bool mustBeSent, std::uint32_t minIntegrity) {
    if (mustBeSent && !facts.sent) return Refusal::Posted;
    if (!facts.windowExists || !facts.topLevel) return Refusal::NoWindow;
    const SenderFacts& owner = facts.owner;
    if (owner.pid == 0 || owner.image.empty()) return Refusal::NoProcess;
    // Our own windows are never another program's to report: a report about one is forged.
    if (owner.pid == facts.ownPid) return Refusal::OwnProcess;
    if (!owner.sameUser) return Refusal::OtherUser;
    if (!owner.sameSession) return Refusal::OtherSession;
    if (minIntegrity != 0 && owner.integrityRid < minIntegrity) return Refusal::LowIntegrity;
    return Refusal::None;
}

std::wstring DescribeRefusal(std::wstring_view what, const SenderFacts& sender, Refusal refusal) {
    std::wstring text = L"refused ";
    text += what;
    text += L" from pid " + std::to_wstring(sender.pid);
    text += L" (image ";
    text += sender.image.empty() ? std::wstring_view(L"unknown") : std::wstring_view(sender.image);
    text += L"): ";
    text += RefusalText(refusal);
    return text;
}

bool RequestedSizeAcceptable(int width, int height) {
    return width >= 0 && height >= 0 && width <= kMaxRequestedWindowSide && height <= kMaxRequestedWindowSide;
}

RequestedWindows::RequestedWindows(std::function<bool(Handle)> alive) : m_alive(std::move(alive)) {}

void RequestedWindows::Prune() {
    std::erase_if(m_windows, [this](const auto& entry) { return !m_alive(entry.first); });
}

bool RequestedWindows::MayCreate(std::uint64_t requester) {
    Prune();
    const auto count = std::count_if(m_windows.begin(), m_windows.end(),
                                     [requester](const auto& entry) { return entry.second == requester; });
    return static_cast<std::size_t>(count) < kMaxWindowsPerRequester;
}

void RequestedWindows::Add(Handle window, std::uint64_t requester) { m_windows[window] = requester; }

std::optional<std::uint64_t> RequestedWindows::RequesterOf(Handle window) {
    Prune();
    const auto found = m_windows.find(window);
    if (found == m_windows.end()) return std::nullopt;
    return found->second;
}

void RequestedWindows::Forget(Handle window) { m_windows.erase(window); }

bool IsAllowedKeyChord(std::uint16_t first, std::uint16_t second) {
    struct Chord {
        std::uint16_t first, second;
    };
    static constexpr std::array<Chord, 7> kChords = {{
        {175, 0}, {174, 0}, {173, 0}, // volume up, down, mute
        {17, 27},                     // Ctrl+Esc: Start menu
        {91, 67},                     // Win+C
        {91, 68},                     // Win+D: show the desktop
        {91, 87},                     // Win+W: widgets
    }};
    return std::any_of(kChords.begin(), kChords.end(),
                       [&](const Chord& c) { return c.first == first && c.second == second; });
}

namespace {
constexpr std::uint32_t kConfirmMagic = 0x4B434E46; // "KCNF"

void Put(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
std::uint64_t Get(const std::uint8_t* in, int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= std::uint64_t(in[i]) << (8 * i);
    return value;
}
} // namespace

std::vector<std::uint8_t> EncodeConfirmation(const Confirmation& c) {
    std::vector<std::uint8_t> out;
    out.reserve(kConfirmationBytes);
    Put(out, kConfirmMagic, 4);
    Put(out, static_cast<std::uint32_t>(c.kind), 4);
    Put(out, c.a, 8);
    Put(out, c.b, 8);
    return out;
}

std::optional<Confirmation> DecodeConfirmation(const std::uint8_t* bytes, std::size_t size) {
    if (!bytes || size != kConfirmationBytes || Get(bytes, 4) != kConfirmMagic) return std::nullopt;
    const auto kind = static_cast<std::uint32_t>(Get(bytes + 4, 4));
    if (kind < 1 || kind > static_cast<std::uint32_t>(ConfirmKind::MenuRequest)) return std::nullopt;
    return Confirmation{static_cast<ConfirmKind>(kind), Get(bytes + 8, 8), Get(bytes + 16, 8)};
}

std::uint64_t PathDigest(std::wstring_view path) {
    std::uint64_t hash = 1469598103934665603ull; // FNV-1a
    for (wchar_t c : path) {
        const std::uint32_t unit = (c >= L'A' && c <= L'Z') ? std::uint32_t(c - L'A' + L'a') : std::uint32_t(c);
        for (int i = 0; i < 4; ++i) {
            hash ^= (unit >> (8 * i)) & 0xFF;
            hash *= 1099511628211ull;
        }
    }
    return hash;
}

void Confirmations::Add(const Confirmation& c, std::uint64_t nowMs) {
    if (m_entries.size() >= kMaxKept) m_entries.pop_front();
    m_entries.push_back({c, nowMs});
}

bool Confirmations::Take(const Confirmation& c, std::uint64_t nowMs) {
    std::erase_if(m_entries, [nowMs](const Entry& e) { return nowMs - e.at > kLifetimeMs || e.at > nowMs; });
    const auto found = std::find_if(m_entries.begin(), m_entries.end(), [&c](const Entry& e) {
        return e.c.kind == c.kind && e.c.a == c.a && e.c.b == c.b;
    });
    if (found == m_entries.end()) return false;
    m_entries.erase(found);
    return true;
}

} // namespace kestrana::foundation
