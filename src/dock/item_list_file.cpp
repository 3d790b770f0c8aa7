#include "dock/item_list_file.h"

#include "foundation/text.h"

#include <pugixml.hpp>

#include <algorithm>
#include <unordered_set>

namespace kestrana::dock {

using foundation::FromUtf16;
using foundation::FromUtf8;
using foundation::ToUtf16;

std::mutex& ItemFilesMutex() noexcept {
    static std::mutex files;
    return files;
}

ItemKeys SectionKeys(const ItemRecord& record, bool virtualpathIsFile) {
    ItemKeys keys;
    if (record.delimiter) {
        keys.emplace_back(L"delimiter", L"1");
        return keys;
    }
    const auto add = [&](const wchar_t* key, const std::wstring& value) {
        if (!value.empty()) keys.emplace_back(key, value);
    };
    add(L"tag", record.tag);
    add(L"appname", record.appname);
    add(L"filepath", record.filepath);
    add(L"realpath", record.realpath);
    if (!virtualpathIsFile) add(L"virtualpath", record.virtualpath);
    add(L"runline", record.runline);
    add(L"icopath", record.icopath);
    if (record.uwp != 0) keys.emplace_back(L"UWP", std::to_wstring(record.uwp));
    return keys;
}

namespace {

// The profile reads drop one pair of matching quotes around a value.
bool LooksQuoted(std::wstring_view text) {
    return text.size() >= 2 && text.front() == text.back() && (text.front() == L'"' || text.front() == L'\'');
}

} // namespace

std::wstring StorableValue(std::wstring_view value) {
    if (const auto nul = value.find(L'\0'); nul != std::wstring_view::npos) value = value.substr(0, nul);
    std::wstring text(value);
    // A line break would end the value and start a stray line in the file.
    for (auto& c : text) {
        if (static_cast<std::uint32_t>(c) < 0x20 || c == 0x7F) c = L' ';
    }
    text = std::wstring(foundation::TrimBlanks(text));
    text = std::wstring(foundation::TrimBlanks(foundation::TruncateUtf16(text, kItemValueUnits)));
    // A quoted value is stored inside one more pair of quotes: leave room for them.
    if (LooksQuoted(text)) text = std::wstring(foundation::TrimBlanks(foundation::TruncateUtf16(text, kItemValueUnits - 2)));
    return text;
}

std::vector<std::uint8_t> ComposeItemFile(std::span<const ItemKeys> sections, std::size_t* written) {
    std::u16string text;
    text.reserve(sections.size() * 160);
    std::size_t number = 0;
    for (const auto& section : sections) {
        if (number == kMaxItems) break;
        bool opened = false;
        for (const auto& [key, rawValue] : section) {
            const std::wstring value = StorableValue(rawValue);
            const std::wstring name = StorableValue(key);
            if (value.empty() || name.empty() || name.find(L'=') != std::wstring::npos) continue;
            if (!opened) {
                text += u"[ico";
                text += ToUtf16(std::to_wstring(++number));
                text += u"]\r\n";
                opened = true;
            }
            text += ToUtf16(name);
            text += u'=';
            if (LooksQuoted(value)) text += u'"';
            text += ToUtf16(value);
            if (LooksQuoted(value)) text += u'"';
            text += u"\r\n";
        }
    }
    if (written) *written = number;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes.push_back(0xFF);
    bytes.push_back(0xFE);
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

std::optional<foundation::ProfileDocument> ReadItemFile(const foundation::FileSystem& files, const std::wstring& path,
                                                       const foundation::CodePage& codePage) {
    auto bytes = files.Read(path);
    if (!bytes) return std::nullopt;
    return foundation::ProfileDocument::Parse(std::move(*bytes), codePage);
}

std::size_t SectionCount(const std::optional<foundation::ProfileDocument>& document) {
    return document ? document->ReadSectionNames(foundation::ConfigStore::kSectionNamesUnits).size() : 0;
}

std::vector<ItemRecord> ReadItemRecords(const foundation::ProfileDocument& document) {
    constexpr std::size_t kUnits = foundation::ConfigStore::kValueUnits;
    std::vector<ItemRecord> records;
    const auto names = document.ReadSectionNames(foundation::ConfigStore::kSectionNamesUnits);
    records.reserve(std::min(names.size(), kMaxItems));
    std::unordered_set<std::u16string> seen;
    for (const auto& name : names) {
        if (records.size() == kMaxItems) break;
        std::u16string folded = name;
        for (auto& c : folded) {
            if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        }
        if (!seen.insert(std::move(folded)).second) continue;
        // Cleaned as a save would store them, so that what the dock holds is what it writes.
        const auto read = [&](std::u16string_view key) {
            return StorableValue(FromUtf16(document.ReadString(name, key, u"", kUnits)));
        };
        ItemRecord record;
        record.delimiter = foundation::ParseInt32(read(u"delimiter")) != 0;
        record.appname = read(u"appname");
        record.filepath = read(u"filepath");
        record.tag = read(u"tag");
        record.realpath = read(u"realpath");
        record.runline = read(u"runline");
        record.icopath = read(u"icopath");
        record.virtualpath = read(u"virtualpath");
        record.uwp = foundation::ParseInt32(read(u"UWP"));
        records.push_back(std::move(record));
    }
    return records;
}

std::optional<std::vector<ItemKeys>> ParseItemXml(std::span<const std::uint8_t> bytes) {
    pugi::xml_document document;
    const auto parsed = document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_auto);
    // A document cut short still holds the items before the damage; keep those.
    if (!parsed && !document.child("config")) return std::nullopt;
    static constexpr const char* kKeys[] = {"tag", "appname", "filepath", "realpath", "icopath", "UWP", "delimiter"};
    std::vector<ItemKeys> sections;
    for (const auto& child : document.child("config").children()) {
        if (child.type() != pugi::node_element) continue;
        ItemKeys keys;
        for (const char* key : kKeys) {
            // Each child's own elements: a list whose children share one name still
            // migrates every item, not the first one again and again.
            const std::wstring value = FromUtf8(child.child(key).text().get());
            if (!value.empty()) keys.emplace_back(FromUtf8(key), value);
        }
        sections.push_back(std::move(keys));
    }
    return sections;
}

} // namespace kestrana::dock
