#include "foundation/profile_document.h"

#include "foundation/text.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

namespace kestrana::foundation {

namespace {

// The profile functions' idea of a blank: ASCII white space and Ctrl-Z, the old
// end-of-file mark. Unicode spaces such as U+3000 are part of names and values.
constexpr bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r') || c == 0x1A; }

constexpr char16_t Fold(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

std::u16string_view TrimStart(std::u16string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin])) ++begin;
    return text.substr(begin);
}

std::u16string_view TrimEnd(std::u16string_view text) {
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    return text.substr(0, end);
}

std::u16string_view Trim(std::u16string_view text) { return TrimEnd(TrimStart(text)); }

// Names and values are C strings to the profile functions: a NUL ends them.
std::u16string_view CutAtNul(std::u16string_view text) {
    const auto nul = text.find(u'\0');
    return nul == std::u16string_view::npos ? text : text.substr(0, nul);
}

bool FoldEquals(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i])) return false;
    }
    return true;
}

// The part of a value that a buffer of `bufferUnits` receives from the profile read: a
// value wrapped in matching quotes loses them, but when the value had to be cut the
// closing quote is gone already and the opening one is still skipped.
std::u16string_view Clip(std::u16string_view value, std::size_t bufferUnits) {
    if (bufferUnits == 0) return {};
    bool quoted = false;
    if (value.size() > 1 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front()) {
        quoted = true;
        value.remove_prefix(1);
    }
    auto out = value.substr(0, std::min(value.size(), bufferUnits - 1));
    if (quoted && bufferUnits >= value.size() && !out.empty()) out.remove_suffix(1);
    return out;
}

void AppendUnits(std::vector<std::uint8_t>& out, std::u16string_view text, bool bigEndian) {
    for (char16_t c : text) {
        const auto lo = static_cast<std::uint8_t>(c & 0xFF);
        const auto hi = static_cast<std::uint8_t>(c >> 8);
        out.push_back(bigEndian ? hi : lo);
        out.push_back(bigEndian ? lo : hi);
    }
}

} // namespace

std::size_t ProfileDocument::NameHash::operator()(const NameRef& ref) const noexcept {
    std::size_t hash = 1469598103934665603ull ^ ref.owner;
    for (char16_t c : ref.name) {
        hash ^= Fold(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

bool ProfileDocument::NameEqual::operator()(const NameRef& a, const NameRef& b) const noexcept {
    return a.owner == b.owner && FoldEquals(a.name, b.name);
}

ProfileDocument::ProfileDocument(const CodePage& codePage) : m_codePage(&codePage) {
    m_bytes = {0xFF, 0xFE};
    m_encoding = ProfileEncoding::Utf16Le;
    m_textBegin = m_textEnd = 2;
    m_lineBreak = u"\r\n";
    m_sections.push_back(Section{Span{}, 0, 0, m_textBegin, false, false});
    BuildIndex();
}

std::optional<ProfileDocument> ProfileDocument::Parse(std::vector<std::uint8_t> bytes, const CodePage& codePage) {
    if (bytes.size() > kMaxFileBytes) return std::nullopt;
    ProfileDocument doc(codePage);
    doc.m_bytes = std::move(bytes);
    doc.m_sections.clear();
    doc.m_sectionIndex.clear();
    doc.m_keyIndex.clear();
    doc.m_lineBreak.clear();
    const auto& b = doc.m_bytes;
    const auto size = b.size();
    if (size >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        doc.m_encoding = ProfileEncoding::Utf16Le;
        doc.m_textBegin = 2;
    } else if (size >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
        doc.m_encoding = ProfileEncoding::Utf16Be;
        doc.m_textBegin = 2;
    } else if (size >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        doc.m_encoding = ProfileEncoding::Utf8Bom;
        doc.m_textBegin = 3;
    } else {
        doc.m_textBegin = 0;
        const std::string_view text(reinterpret_cast<const char*>(b.data()), b.size());
        // BOM-less UTF-8 with non-ASCII text is read as UTF-8: a code-page file practically
        // never forms valid UTF-8 sequences by accident, and editors now save this way.
        doc.m_encoding = ProfileEncoding::CodePage;
        for (std::uint8_t c : b) {
            if (c >= 0x80) {
                doc.m_asciiOnly = false;
                break;
            }
        }
        if (!doc.m_asciiOnly && IsValidUtf8(text)) doc.m_encoding = ProfileEncoding::Utf8;
    }
    if (doc.m_encoding != ProfileEncoding::CodePage && doc.m_encoding != ProfileEncoding::Utf8) {
        doc.m_asciiOnly = false;
    }
    const bool wide = doc.m_encoding == ProfileEncoding::Utf16Le || doc.m_encoding == ProfileEncoding::Utf16Be;
    // A UTF-16 file cut after an odd byte reads as if the missing byte were zero; an edit
    // writes that byte, so the file becomes whole again.
    if (wide && (doc.m_bytes.size() - doc.m_textBegin) % 2 != 0) doc.m_bytes.push_back(0);
    doc.m_textEnd = static_cast<std::uint32_t>(doc.m_bytes.size());
    doc.m_sections.push_back(Section{Span{}, 0, 0, doc.m_textBegin, false, false});
    doc.ParseLines();
    if (doc.m_lineBreak.empty()) doc.m_lineBreak = u"\r\n";
    doc.BuildIndex();
    return doc;
}

void ProfileDocument::ParseLines() {
    const bool wide = m_encoding == ProfileEncoding::Utf16Le || m_encoding == ProfileEncoding::Utf16Be;
    const bool bigEndian = m_encoding == ProfileEncoding::Utf16Be;
    const auto unitAt = [&](std::uint32_t offset) -> char16_t {
        const auto first = m_bytes[offset];
        const auto second = m_bytes[offset + 1];
        return bigEndian ? static_cast<char16_t>((first << 8) | second) : static_cast<char16_t>((second << 8) | first);
    };
    // Every line's text goes into the pool once; names and values are spans of it.
    if (wide) {
        // UTF-16 text is taken over whole and split afterwards.
        const std::size_t units = (m_textEnd - m_textBegin) / 2;
        m_pool.resize(units);
        if (units > 0 && !bigEndian && std::endian::native == std::endian::little) {
            std::memcpy(m_pool.data(), m_bytes.data() + m_textBegin, units * 2);
        } else {
            for (std::size_t k = 0; k < units; ++k) m_pool[k] = unitAt(static_cast<std::uint32_t>(m_textBegin + 2 * k));
        }
        const char16_t* text = m_pool.data();
        std::size_t i = 0;
        while (i < units) {
            const std::size_t lineStart = i;
            while (i < units && text[i] != u'\r' && text[i] != u'\n') ++i;
            const std::size_t contentStop = i;
            if (i < units) {
                const bool crlf = text[i] == u'\r' && i + 1 < units && text[i + 1] == u'\n';
                if (m_lineBreak.empty()) m_lineBreak = crlf ? u"\r\n" : (text[i] == u'\r' ? u"\r" : u"\n");
                i += crlf ? 2 : 1;
            }
            const auto byteAt = [&](std::size_t unitIndex) { return static_cast<std::uint32_t>(m_textBegin + 2 * unitIndex); };
            AddLine(std::u16string_view(text + lineStart, contentStop - lineStart), byteAt(lineStart), byteAt(contentStop), byteAt(i));
            if (i == contentStop && contentStop > lineStart) m_endsWithoutBreak = true;
        }
        return;
    }
    m_pool.reserve(m_textEnd - m_textBegin);
    std::uint32_t offset = m_textBegin;
    while (offset < m_textEnd) {
        const std::uint32_t lineBegin = offset;
        while (offset < m_textEnd && m_bytes[offset] != '\r' && m_bytes[offset] != '\n') ++offset;
        const std::uint32_t contentEnd = offset;
        if (offset < m_textEnd) {
            const bool crlf = m_bytes[offset] == '\r' && offset + 1 < m_textEnd && m_bytes[offset + 1] == '\n';
            if (m_lineBreak.empty()) m_lineBreak = crlf ? u"\r\n" : (m_bytes[offset] == '\r' ? u"\r" : u"\n");
            offset += crlf ? 2 : 1;
        }
        const std::uint32_t lineEnd = offset;
        const std::size_t start = m_pool.size();
        const std::string_view raw(reinterpret_cast<const char*>(m_bytes.data()) + lineBegin, contentEnd - lineBegin);
        bool ascii = true;
        for (char c : raw) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (ascii) {
            m_pool.insert(m_pool.end(), raw.begin(), raw.end());
        } else {
            const auto decoded = m_encoding == ProfileEncoding::CodePage ? m_codePage->Decode(raw) : Utf8ToUtf16(raw);
            m_pool.insert(m_pool.end(), decoded.begin(), decoded.end());
        }
        AddLine(std::u16string_view(m_pool.data() + start, m_pool.size() - start), lineBegin, contentEnd, lineEnd);
        if (lineEnd == contentEnd && contentEnd > lineBegin) m_endsWithoutBreak = true;
    }
}

void ProfileDocument::AddLine(std::u16string_view line, std::uint32_t lineBegin, std::uint32_t contentEnd,
                              std::uint32_t lineEnd) {
    const auto text = Trim(line);
    if (text.empty()) return;
    if (text.front() == u'[') {
        const auto close = text.rfind(u']');
        if (close != std::u16string_view::npos && close > 0) {
            Section section;
            section.name = Store(CutAtNul(Trim(text.substr(1, close - 1))));
            section.firstEntry = static_cast<std::uint32_t>(m_entries.size());
            section.insertAt = lineEnd;
            section.insertNeedsBreak = lineEnd == contentEnd;
            section.hasHeader = true;
            m_sections.push_back(section);
            return;
        }
    }
    Entry entry;
    entry.lineBegin = lineBegin;
    entry.contentEnd = contentEnd;
    entry.lineEnd = lineEnd;
    const auto equals = text.find(u'=');
    if (equals == std::u16string_view::npos) {
        entry.name = Store(CutAtNul(text));
    } else {
        entry.name = Store(CutAtNul(TrimEnd(text.substr(0, equals))));
        entry.value = Store(CutAtNul(TrimStart(text.substr(equals + 1))));
        entry.hasValue = true;
    }
    m_entries.push_back(entry);
    auto& section = m_sections.back();
    ++section.entryCount;
    section.insertAt = lineEnd;
    section.insertNeedsBreak = lineEnd == contentEnd;
}

ProfileDocument::Span ProfileDocument::Store(std::u16string_view text) {
    // `text` lies in the pool already.
    return Span{static_cast<std::uint32_t>(text.data() - m_pool.data()), static_cast<std::uint32_t>(text.size())};
}

std::u16string_view ProfileDocument::View(Span span) const {
    if (span.length == 0) return {};
    return std::u16string_view(m_pool.data() + span.offset, span.length);
}

void ProfileDocument::BuildIndex() {
    m_sectionIndex.clear();
    m_keyIndex.clear();
    m_sectionIndex.reserve(m_sections.size());
    m_keyIndex.reserve(m_entries.size());
    for (std::uint32_t s = 0; s < m_sections.size(); ++s) {
        const auto& section = m_sections[s];
        // Reads see only the first section of a name, so later ones need no key index.
        if (!m_sectionIndex.emplace(NameRef{0, View(section.name)}, s).second) continue;
        for (std::uint32_t e = section.firstEntry; e < section.firstEntry + section.entryCount; ++e) {
            m_keyIndex.emplace(NameRef{s, View(m_entries[e].name)}, e);
        }
    }
}

const ProfileDocument::Section* ProfileDocument::FindSection(std::u16string_view name) const {
    const auto it = m_sectionIndex.find(NameRef{0, name});
    return it == m_sectionIndex.end() ? nullptr : &m_sections[it->second];
}

const ProfileDocument::Entry* ProfileDocument::FindEntry(const Section& section, std::u16string_view name) const {
    const auto index = static_cast<std::uint32_t>(&section - m_sections.data());
    const auto it = m_keyIndex.find(NameRef{index, name});
    return it == m_keyIndex.end() ? nullptr : &m_entries[it->second];
}

std::u16string ProfileDocument::ReadString(std::u16string_view section, std::u16string_view key,
                                           std::u16string_view defaultText, std::size_t bufferUnits) const {
    return std::u16string(ReadView(section, key, defaultText, bufferUnits));
}

std::u16string_view ProfileDocument::ReadView(std::u16string_view section, std::u16string_view key,
                                              std::u16string_view defaultText, std::size_t bufferUnits) const {
    // Trailing spaces of the default go, but never its first character.
    defaultText = CutAtNul(defaultText);
    std::size_t keep = defaultText.size();
    while (keep > 1 && defaultText[keep - 1] == u' ') --keep;
    defaultText = defaultText.substr(0, keep);

    const Section* found = FindSection(Trim(CutAtNul(section)));
    const Entry* entry = found ? FindEntry(*found, Trim(CutAtNul(key))) : nullptr;
    if (entry && entry->hasValue) return Clip(View(entry->value), bufferUnits);
    return Clip(defaultText, bufferUnits);
}

std::vector<std::u16string> ProfileDocument::ReadSection(std::u16string_view section, std::size_t bufferUnits) const {
    std::vector<std::u16string> lines;
    // Unlike a key read, a section read does not trim the name it is given.
    const Section* found = FindSection(CutAtNul(section));
    if (!found) return lines;
    // Mirrors filling a buffer of `bufferUnits`: each line takes its length plus a NUL,
    // and the list ends with a second NUL; a line that does not fit is cut.
    std::size_t room = bufferUnits;
    for (std::uint32_t e = found->firstEntry; e < found->firstEntry + found->entryCount; ++e) {
        if (room <= 2) break;
        const Entry& entry = m_entries[e];
        const auto name = View(entry.name);
        if (name.empty() && !entry.hasValue) continue;
        if (!name.empty() && name.front() == u';') continue;
        std::u16string line(name.substr(0, std::min(name.size(), room - 2)));
        room -= line.size() + 1;
        if (room < 2) {
            lines.push_back(std::move(line));
            break;
        }
        if (entry.hasValue) {
            const auto value = View(entry.value);
            const auto part = value.substr(0, std::min(value.size(), room - 2));
            line.push_back(u'=');
            line.append(part);
            room -= part.size() + 1;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<std::u16string> ProfileDocument::ReadSectionNames(std::size_t bufferUnits) const {
    std::vector<std::u16string> names;
    std::size_t room = bufferUnits;
    for (const auto& section : m_sections) {
        const auto name = View(section.name);
        if (name.empty()) continue;
        if (name.size() + 2 < room) {
            names.emplace_back(name);
            room -= name.size() + 1;
            continue;
        }
        const auto part = name.substr(0, room >= 2 ? room - 2 : 0);
        if (!part.empty()) names.emplace_back(part);
        break;
    }
    return names;
}

std::u16string ProfileDocument::LineBreak() const { return m_lineBreak; }

std::string ProfileDocument::Encode(std::u16string_view text, ProfileEncoding& encoding) const {
    std::vector<std::uint8_t> wide;
    switch (encoding) {
    case ProfileEncoding::Utf16Le:
    case ProfileEncoding::Utf16Be:
        AppendUnits(wide, text, encoding == ProfileEncoding::Utf16Be);
        return std::string(wide.begin(), wide.end());
    case ProfileEncoding::Utf8Bom:
    case ProfileEncoding::Utf8:
        return Utf16ToUtf8(text);
    case ProfileEncoding::CodePage: {
        bool exact = true;
        auto bytes = m_codePage->Encode(text, exact);
        // A plain-ASCII file takes text the code page cannot hold as UTF-8 rather than
        // losing it to question marks; it is then read back as UTF-8.
        if (!exact && m_asciiOnly) {
            encoding = ProfileEncoding::Utf8;
            return Utf16ToUtf8(text);
        }
        return bytes;
    }
    }
    return {};
}

std::optional<std::vector<std::uint8_t>> ProfileDocument::WithString(std::u16string_view section,
                                                                     std::u16string_view key,
                                                                     std::u16string_view value) const {
    section = CutAtNul(section);
    key = CutAtNul(key);
    value = TrimStart(CutAtNul(value));
    std::uint32_t from = 0;
    std::uint32_t to = 0;
    std::u16string text;
    const Section* found = FindSection(Trim(section));
    const Entry* entry = found ? FindEntry(*found, Trim(key)) : nullptr;
    if (entry) {
        if (entry->hasValue && View(entry->value) == value) return std::nullopt;
        from = entry->lineBegin;
        to = entry->contentEnd;
        text.append(View(entry->name)).append(u"=").append(value);
    } else if (found) {
        from = to = found->insertAt;
        if (found->insertNeedsBreak) text.append(m_lineBreak);
        text.append(TrimStart(key)).append(u"=").append(value).append(m_lineBreak);
    } else {
        from = to = m_textEnd;
        if (m_endsWithoutBreak) text.append(m_lineBreak);
        text.append(u"[").append(TrimStart(section)).append(u"]").append(m_lineBreak);
        text.append(TrimStart(key)).append(u"=").append(value).append(m_lineBreak);
    }
    ProfileEncoding encoding = m_encoding;
    const std::string encoded = Encode(text, encoding);
    std::vector<std::uint8_t> out;
    out.reserve(m_bytes.size() + encoded.size());
    out.insert(out.end(), m_bytes.begin(), m_bytes.begin() + from);
    out.insert(out.end(), encoded.begin(), encoded.end());
    out.insert(out.end(), m_bytes.begin() + to, m_bytes.end());
    return out;
}

std::optional<std::vector<std::uint8_t>> ProfileDocument::WithoutKey(std::u16string_view section,
                                                                     std::u16string_view key) const {
    const Section* found = FindSection(Trim(CutAtNul(section)));
    const Entry* entry = found ? FindEntry(*found, Trim(CutAtNul(key))) : nullptr;
    if (!entry) return std::nullopt;
    std::vector<std::uint8_t> out;
    out.reserve(m_bytes.size());
    out.insert(out.end(), m_bytes.begin(), m_bytes.begin() + entry->lineBegin);
    out.insert(out.end(), m_bytes.begin() + entry->lineEnd, m_bytes.end());
    return out;
}

} // namespace kestrana::foundation
