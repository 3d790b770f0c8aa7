#include "menubar/menu_handshake.h"

#include "foundation/text.h"

#include <algorithm>
#include <charconv>

namespace kestrana::menubar {
namespace {

constexpr std::size_t kMaxTitleLength = 256;
constexpr std::int64_t kCoordinateLimit = 1 << 20; // far beyond any desktop

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
    if (text.empty() || text.size() > 20) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

bool ParseCoordinate(std::string_view text, int& value) {
    std::int64_t wide = 0;
    if (!ParseNumber(text, wide) || wide < -kCoordinateLimit || wide > kCoordinateLimit) return false;
    value = static_cast<int>(wide);
    return true;
}

bool ParseSpan(std::string_view text, TitleSpan& span) {
    const auto comma = text.find(',');
    if (comma == std::string_view::npos) return false;
    return ParseCoordinate(text.substr(0, comma), span.left) && ParseCoordinate(text.substr(comma + 1), span.right) &&
           span.left < span.right;
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::wstring Folder(std::wstring_view baseFolder) {
    std::wstring path(baseFolder);
    path += kHandshakeFolder;
    path += L'\\';
    return path;
}

} // namespace

std::string FormatMenuRequest(const MenuRequest& request) {
    std::string text;
    text += "ask=";
    text += request.ask == MenuAsk::Open ? "open" : "titles";
    text += "\nwindow=" + std::to_string(request.window);
    text += "\nmenu=" + std::to_string(request.menu);
    text += "\nbar=" + std::to_string(request.bar);
    text += "\nindex=" + std::to_string(request.index);
    text += "\ntop=" + std::to_string(request.top);
    text += "\nbottom=" + std::to_string(request.bottom);
    for (const auto& span : request.titles)
        text += "\ntitle=" + std::to_string(span.left) + "," + std::to_string(span.right);
    text += "\n";
    return text;
}

std::optional<MenuRequest> ParseMenuRequest(std::string_view text) {
    if (text.size() > 8192) return std::nullopt;
    MenuRequest request;
    unsigned seen = 0;
    for (std::string_view line : Lines(text)) {
        if (line.empty()) continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) return std::nullopt;
        const std::string_view key = line.substr(0, equals), value = line.substr(equals + 1);
        if (key == "title") {
            TitleSpan span;
            if (request.titles.size() >= kMaxTitles || !ParseSpan(value, span)) return std::nullopt;
            request.titles.push_back(span);
            continue;
        }
        static constexpr std::string_view kKeys[] = {"ask", "window", "menu", "bar", "index", "top", "bottom"};
        unsigned bit = 0;
        while (bit < std::size(kKeys) && kKeys[bit] != key) ++bit;
        if (bit == std::size(kKeys) || (seen & (1u << bit))) return std::nullopt;
        seen |= 1u << bit;
        bool ok = true;
        switch (bit) {
        case 0:
            ok = value == "open" || value == "titles";
            request.ask = value == "open" ? MenuAsk::Open : MenuAsk::Titles;
            break;
        case 1: ok = ParseNumber(value, request.window); break;
        case 2: ok = ParseNumber(value, request.menu); break;
        case 3: ok = ParseNumber(value, request.bar); break;
        case 4: ok = ParseCoordinate(value, request.index); break;
        case 5: ok = ParseCoordinate(value, request.top); break;
        default: ok = ParseCoordinate(value, request.bottom); break;
        }
        if (!ok) return std::nullopt;
    }
    // What, and for which window, must be said; the rest has defaults.
    if ((seen & 3u) != 3u || request.window == 0) return std::nullopt;
    if (request.ask == MenuAsk::Open &&
        (request.index < 0 || static_cast<std::size_t>(request.index) >= request.titles.size()))
        return std::nullopt;
    return request;
}

int TitleAt(const MenuRequest& request, int x, int y) {
    if (y < request.top || y >= request.bottom) return -1;
    for (std::size_t i = 0; i < request.titles.size(); ++i)
        if (x >= request.titles[i].left && x < request.titles[i].right) return static_cast<int>(i);
    return -1;
}

std::string FormatTitleReply(std::span<const std::wstring> titles) {
    std::string text;
    for (const auto& title : titles.first(std::min(titles.size(), kMaxTitles))) {
        std::wstring line = title.substr(0, kMaxTitleLength);
        for (auto& c : line)
            if (c == L'\n' || c == L'\r') c = L' ';
        text += foundation::ToUtf8(line);
        text += '\n';
    }
    return text;
}

std::optional<std::vector<std::wstring>> ParseTitleReply(std::string_view text) {
    if (!foundation::IsValidUtf8(text)) return std::nullopt;
    std::vector<std::wstring> titles;
    if (text.empty()) return titles;
    for (std::string_view line : Lines(text)) {
        std::wstring title = foundation::FromUtf8(line);
        // A carriage return inside a line is no line end; it shows as a space, as written.
        std::replace(title.begin(), title.end(), L'\r', L' ');
        if (titles.size() >= kMaxTitles || foundation::Utf16Length(title) > kMaxTitleLength) return std::nullopt;
        titles.push_back(std::move(title));
    }
    return titles;
}

std::wstring RequestPath(std::wstring_view baseFolder, std::uint32_t number) {
    return Folder(baseFolder) + std::to_wstring(number);
}

std::wstring ReplyPath(std::wstring_view baseFolder, std::uint32_t number) {
    return RequestPath(baseFolder, number) + L".titles";
}

MenuHandshake::MenuHandshake(foundation::FileSystem& files, std::wstring baseFolder, std::uint32_t firstNumber)
    : m_files(files), m_baseFolder(std::move(baseFolder)), m_next(firstNumber) {}

std::optional<std::uint32_t> MenuHandshake::Begin(const MenuRequest& request) {
    if (!m_files.CreateFolder(m_baseFolder + std::wstring(kHandshakeFolder))) return std::nullopt;
    const std::uint32_t number = m_next++;
    // A reply left over from an earlier run under the same number must not be taken.
    m_files.Remove(ReplyPath(m_baseFolder, number));
    const std::string text = FormatMenuRequest(request);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    if (!m_files.Replace(RequestPath(m_baseFolder, number), {bytes, text.size()})) return std::nullopt;
    return number;
}

bool MenuHandshake::Pending(std::uint32_t number) const { return m_files.IsFile(RequestPath(m_baseFolder, number)); }

std::optional<std::vector<std::wstring>> MenuHandshake::TakeTitles(std::uint32_t number) {
    const std::wstring path = ReplyPath(m_baseFolder, number);
    const auto bytes = m_files.Read(path);
    if (!bytes) return std::nullopt;
    m_files.Remove(path);
    return ParseTitleReply({reinterpret_cast<const char*>(bytes->data()), bytes->size()});
}

void MenuHandshake::Abandon(std::uint32_t number) {
    m_files.Remove(RequestPath(m_baseFolder, number));
    m_files.Remove(ReplyPath(m_baseFolder, number));
}

} // namespace kestrana::menubar
