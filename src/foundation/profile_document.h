#pragma once
// One settings (INI) file parsed the way the Windows private-profile functions read it,
// holding the file's bytes so that an edit changes only the line it touches: comments,
// blank lines, odd lines and the encoding stay exactly as they were.
//
// Reading rules: a line ends at CR, LF or CRLF; blanks (tab, LF, VT, FF, CR, space and
// Ctrl-Z) are trimmed around names and values; "[name]" (up to the last "]") starts a
// section; other lines split at their first "=" into key and value; a line without "="
// is no key but part of the section's text; keys before any section belong to section "";
// names compare case-insensitively for ASCII letters only; duplicate sections and keys:
// the first one wins. A value in matching single or double quotes is read without them.
// Names and values end at a NUL character.
//
// Encodings: UTF-16LE or UTF-16BE with byte-order mark, UTF-8 with byte-order mark,
// BOM-less UTF-8 when the file is valid UTF-8 and not plain ASCII, otherwise the system
// code page. A new file is UTF-16LE with byte-order mark.

#include "foundation/code_page.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrana::foundation {

enum class ProfileEncoding { Utf16Le, Utf16Be, Utf8Bom, Utf8, CodePage };

class ProfileDocument {
public:
    // Larger files are refused: reads then see nothing and writes fail.
    static constexpr std::size_t kMaxFileBytes = 256u * 1024u * 1024u;

    // The document of a file that does not exist yet (UTF-16LE, byte-order mark only).
    explicit ProfileDocument(const CodePage& codePage = Windows1252());
    [[nodiscard]] static std::optional<ProfileDocument> Parse(std::vector<std::uint8_t> bytes,
                                                              const CodePage& codePage = Windows1252());

    ProfileDocument(ProfileDocument&&) noexcept = default;
    ProfileDocument& operator=(ProfileDocument&&) noexcept = default;
    ProfileDocument(const ProfileDocument&) = delete;
    ProfileDocument& operator=(const ProfileDocument&) = delete;

    [[nodiscard]] ProfileEncoding Encoding() const { return m_encoding; }
    [[nodiscard]] const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

    // The value of a key, quotes removed, or `defaultText` (trailing spaces and quotes
    // removed) when the key is missing; cut to `bufferUnits` - 1 UTF-16 units.
    [[nodiscard]] std::u16string ReadString(std::u16string_view section, std::u16string_view key,
                                            std::u16string_view defaultText, std::size_t bufferUnits) const;
    // The same text without a copy: a view into this document or into `defaultText`.
    [[nodiscard]] std::u16string_view ReadView(std::u16string_view section, std::u16string_view key,
                                               std::u16string_view defaultText, std::size_t bufferUnits) const;
    // The lines of the first section of that name as "key=value" (or the bare text of a
    // line without "="), comments left out, within a buffer of `bufferUnits`.
    [[nodiscard]] std::vector<std::u16string> ReadSection(std::u16string_view section, std::size_t bufferUnits) const;
    // Every named section in file order, duplicates included, within `bufferUnits`.
    [[nodiscard]] std::vector<std::u16string> ReadSectionNames(std::size_t bufferUnits) const;

    // The file's new bytes after the edit, or nullopt when the file stays as it is (the
    // key already holds that value, or the key to delete is not there).
    [[nodiscard]] std::optional<std::vector<std::uint8_t>> WithString(std::u16string_view section,
                                                                      std::u16string_view key,
                                                                      std::u16string_view value) const;
    [[nodiscard]] std::optional<std::vector<std::uint8_t>> WithoutKey(std::u16string_view section,
                                                                      std::u16string_view key) const;

private:
    struct Span {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };
    struct Entry {
        std::uint32_t lineBegin = 0;  // byte offsets in m_bytes
        std::uint32_t contentEnd = 0; // before the line break
        std::uint32_t lineEnd = 0;    // after the line break
        Span name;                    // in m_pool
        Span value;
        bool hasValue = false;
    };
    struct Section {
        Span name;
        std::uint32_t firstEntry = 0;
        std::uint32_t entryCount = 0;
        std::uint32_t insertAt = 0;    // byte offset for a new key: after the section's last non-blank line
        bool insertNeedsBreak = false; // that line ends the file without a line break
        bool hasHeader = false;
    };
    struct NameRef {
        std::uint32_t owner = 0; // section index for keys, 0 for sections
        std::u16string_view name;
    };
    struct NameHash {
        std::size_t operator()(const NameRef& ref) const noexcept;
    };
    struct NameEqual {
        bool operator()(const NameRef& a, const NameRef& b) const noexcept;
    };

    void ParseLines();
    void AddLine(std::u16string_view line, std::uint32_t lineBegin, std::uint32_t contentEnd, std::uint32_t lineEnd);
    void BuildIndex();
    Span Store(std::u16string_view text); // the span of a view into the pool
    [[nodiscard]] std::u16string_view View(Span span) const;
    [[nodiscard]] const Section* FindSection(std::u16string_view name) const;
    [[nodiscard]] const Entry* FindEntry(const Section& section, std::u16string_view name) const;
    [[nodiscard]] std::string Encode(std::u16string_view text, ProfileEncoding& encoding) const;
    [[nodiscard]] std::u16string LineBreak() const;

    const CodePage* m_codePage;
    std::vector<std::uint8_t> m_bytes;
    ProfileEncoding m_encoding = ProfileEncoding::Utf16Le;
    std::uint32_t m_textBegin = 0;     // after the byte-order mark
    std::uint32_t m_textEnd = 0;       // end of the text (the file's end)
    bool m_endsWithoutBreak = false;   // the last line has text but no line break
    bool m_asciiOnly = true;           // no byte above 0x7F after the byte-order mark
    std::u16string m_lineBreak;        // the file's own convention, CRLF when it has none
    std::vector<char16_t> m_pool;      // the decoded text of every line; a vector so moves keep views valid
    std::vector<Entry> m_entries;
    std::vector<Section> m_sections;
    std::unordered_map<NameRef, std::uint32_t, NameHash, NameEqual> m_sectionIndex;
    std::unordered_map<NameRef, std::uint32_t, NameHash, NameEqual> m_keyIndex;
};

} // namespace kestrana::foundation
