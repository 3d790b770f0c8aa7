// The settings store against kernel32's own profile functions on a corpus of awkward
// files: every read must give the same answer, and after every write the file must read
// the same to the Windows functions as the file they wrote themselves.
//
// The Windows functions here (Wine's) rewrite the whole file on every write, dropping
// blank lines and normalising line breaks, while the store edits only the line it
// changes. The bytes are therefore compared after both files went through one more
// kernel32 rewrite; files that are already in that normal form must match byte for byte.
#include "foundation/config_store.h"
#include "foundation/profile_document.h"
#include "foundation/text.h"
#include "platform/win32/win32_file_system.h"
#include "temp_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace kestrana {
namespace {

using foundation::ConfigStore;
using foundation::FromUtf16;
using foundation::ProfileDocument;
using foundation::ToUtf16;
using testing::TempFolder;
using namespace std::string_literals;

using Bytes = std::vector<std::uint8_t>;

// ---- corpus -------------------------------------------------------------------------

struct CorpusFile {
    std::string name;
    Bytes bytes;
    // Read as UTF-8 on purpose although it has no byte-order mark; the Windows functions
    // see it as code-page text, so it is compared with a copy that has the mark.
    bool bomlessUtf8 = false;
    // Only text the code page can hold is written (the store writes other text as UTF-8
    // into plain-ASCII files, where the Windows functions write question marks).
    bool codePage = false;
    // Only read: a kernel32 rewrite would change what the file means (it drops a "[]"
    // header, so the lines below it join the section above).
    bool readOnly = false;
};

Bytes Utf16(std::u16string_view text, bool bigEndian = false) {
    Bytes out = {0xFF, 0xFE};
    for (char16_t c : text) out.insert(out.end(), {static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>(c >> 8)});
    if (bigEndian) {
        for (std::size_t i = 0; i < out.size(); i += 2) std::swap(out[i], out[i + 1]);
    }
    return out;
}

Bytes Raw(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::u16string Num(int n) { return ToUtf16(std::to_wstring(n)); }

// `count` lines made by `line` from their index.
std::u16string Lines(int count, const std::function<std::u16string(int)>& line) {
    std::u16string text;
    for (int i = 0; i < count; ++i) text += line(i);
    return text;
}

std::u16string Many(int sections, int keys, const std::u16string& sep = u"\r\n") {
    return Lines(sections, [&](int s) {
        return u"[section" + Num(s) + u"]" + sep + Lines(keys, [&](int k) { return u"key" + Num(k) + u"=value " + Num(s * 1000 + k) + sep; });
    });
}

std::vector<CorpusFile> Corpus() {
    std::vector<CorpusFile> corpus;
    const auto add = [&](std::string name, Bytes bytes, bool bomlessUtf8 = false, bool codePage = false, bool readOnly = false) {
        corpus.push_back(CorpusFile{std::move(name), std::move(bytes), bomlessUtf8, codePage, readOnly});
    };
    add("canonical", Utf16(u"[normal]\r\nlanguage=English\r\nblurvalue=30\r\n[finder]\r\nautocolor=1\r\n"));
    add("odd spacing", Utf16(u"  [normal]  \r\n\t language \t=\t English \t\r\n blurvalue= 30\r\n[ finder ]\r\nautocolor =1 \r\n"));
    add("LF only", Utf16(u"[a]\nk=1\nm=2\n[b]\nk=3\n"));
    add("CR only", Utf16(u"[a]\rk=1\rm=2\r[b]\rk=3\r"));
    add("mixed breaks", Utf16(u"[a]\r\nk=1\rm=2\nz=3\n\r[b]\r\r\nk=4"));
    add("no final break", Utf16(u"[a]\r\nk=1\r\n[b]\r\nlast=value"));
    add("duplicate sections", Utf16(u"[a]\r\nk=1\r\n[b]\r\nk=2\r\n[A]\r\nk=3\r\nm=4\r\n[a]\r\nn=5\r\n"));
    add("duplicate keys", Utf16(u"[a]\r\nk=1\r\nK=2\r\nk=3\r\nm=4\r\n"));
    add("comments and junk", Utf16(u"; top comment\r\n[a]\r\n;c=1\r\n#h=2\r\njust text\r\nk=1\r\n; after\r\n[b]\r\n  ;indented\r\nx=y\r\n"));
    add("orphan keys", Utf16(u"o=1\r\np=2\r\n[a]\r\nk=1\r\n"));
    add("header forms", Utf16(u"[ a ]\r\nx=1\r\n[b] junk\r\ny=1\r\n[c]x]\r\nz=1\r\n[d\r\nw=1\r\n=val\r\n[\r\n]\r\n"));
    add("empty section name", Utf16(u"[a]\r\nx=1\r\n[]\r\ne=1\r\n=val\r\n[b]\r\ny=2\r\n"), false, false, true);
    add("empty and quoted values",
        Utf16(u"[a]\r\nempty=\r\nblank=   \r\nq1='abc'\r\nq2=\"abc\r\nq3=\"\r\nq4=\"\"\r\nq5=\"a\"b\"\r\nq6= \" x \" \r\nq7='a\"\r\n"));
    add("long values", Utf16(u"[a]\r\nv300=" + std::u16string(300, u'x') + u"\r\nv1000=" + std::u16string(1000, u'y') +
                               u"\r\nq=\"" + std::u16string(258, u'z') + u"\"\r\nq2=\"" + std::u16string(259, u'w') + u"\"\r\n"));
    add("long names", Utf16(u"[" + std::u16string(300, u's') + u"]\r\n" + std::u16string(400, u'k') + u"=1\r\nshort=2\r\n"));
    add("NUL characters", Utf16(u"[a]\r\nk=ab\0cd\r\nn\0x=5\r\n[s\0t]\r\ny=1\r\n"s));
    add("lone surrogates", Utf16(u"[a]\r\nk=x\xD800y\r\n\xDC00=lone\r\n[\U0001F600]\r\nemoji=\U0001F600\r\n"));
    add("CJK names", Utf16(u"[\u8BBE\u7F6E]\r\n\u5B57\u4F53=\u5FAE\u8F6F\u96C5\u9ED1\r\n[pinyin]\r\n\u4E2D=zhong\r\n"));
    add("non-ASCII case", Utf16(u"[\u00DCn]\r\n\u00C4k=1\r\nK=2\r\n[\u00FCn]\r\n\u00E4k=3\r\n"));
    add("UTF-16BE", Utf16(u"[a]\r\nk=\u4E2D\r\nm=2\r\n[b]\r\nx=y\r\n", true));
    add("UTF-8 BOM", Raw("\xEF\xBB\xBF[a]\r\nk=Gr\xC3\xBC\xC3\x9F" "e\r\n[\xE8\xAE\xBE\xE7\xBD\xAE]\r\nz=1\r\n"));
    add("UTF-8 BOM invalid bytes", Raw("\xEF\xBB\xBF[a]\r\nk=\xFF\xC3x\xE4\xB8\r\n\xC0\xAF=2\r\nm=\xED\xA0\x80\r\n"));
    add("UTF-8 without BOM", Raw("[a]\r\nk=Gr\xC3\xBC\xC3\x9F" "e\r\n[\xC3\xBC]\r\nz=\xE4\xB8\xAD\r\n"), true);
    add("code page", Raw("[a]\r\nk=Gr\xFC\xDF" "e\x80\x81\x8D\r\n[\xFC]\r\nz=1\r\n"), false, true);
    add("ASCII code page", Raw("[a]\r\nk=1\r\n[b]\r\nm=2\r\n"), false, true);
    add("empty file", Raw(""), false, true);
    add("UTF-16 mark only", Raw("\xFF\xFE"));
    add("UTF-8 mark only", Raw("\xEF\xBB\xBF"));
    {
        std::mt19937 random(7);
        Bytes junk;
        for (int i = 0; i < 3000; ++i) junk.push_back(static_cast<std::uint8_t>(random()));
        add("binary junk", junk, false, true);
        Bytes wide = {0xFF, 0xFE};
        for (int i = 0; i < 3000; ++i) wide.push_back(static_cast<std::uint8_t>(random()));
        add("binary junk with UTF-16 mark", wide);
        Bytes mixed = Raw("[a]\r\nk=1\r\n");
        for (int i = 0; i < 500; ++i) mixed.push_back(static_cast<std::uint8_t>(random() % 0x60 + 0x0A));
        add("junk after a section", mixed, false, true);
    }
    Bytes odd = Utf16(u"[a]\r\nk=1\r\n");
    odd.push_back(0x41);
    add("odd byte count", odd);
    add("very long line", Utf16(u"[a]\r\nbig=" + std::u16string(100000, u'L') + u"\r\nafter=1\r\n"));
    add("Ctrl-Z", Utf16(u"[a]\x1A\r\n\x1Ak\x1A=\x1Av\x1A\r\n\x1A"));
    add("Unicode spaces", Utf16(u"[a]\r\n\u3000k=1\r\nk=\u00A0v\u00A0\r\n\u2003m\u2003=2\r\n"));
    add("blank lines", Utf16(u"\r\n\r\n[a]\r\n\r\nk=1\r\n   \r\n\t\r\nm=2\r\n\r\n\r\n[b]\r\n\r\n"));
    add("big section", Utf16(Many(1, 2000)));
    add("many sections", Utf16(Many(80, 10)));
    add("many sections LF", Utf16(Many(30, 3, u"\n")));
    add("indented lines", Utf16(u"    [a]\r\n\t\tk=1\r\n        m = 2\r\n"));
    add("brackets in keys", Utf16(u"[a]\r\nk[0]=1\r\n]=2\r\nx=[y]\r\n[b]=3\r\n"));
    add("section over 64K units", Utf16(u"[big]\r\n" + Lines(700, [](int i) { return u"entry" + Num(i) + u"=" + std::u16string(90, u'v') + u"\r\n"; }) +
                                        u"[after]\r\nk=1\r\n"));
    add("names over 32K units", Utf16(Lines(400, [](int i) {
            return u"[" + std::u16string(90, static_cast<char16_t>(u'a' + i % 26)) + Num(i) + u"]\r\nk=1\r\n";
        })));
    add("control characters", Utf16(u"[a]\r\nk=\x01\x02\x1B\r\n\x7F=del\r\n\x1C" u"fs\x1F=1\r\n"));
    add("equals everywhere", Utf16(u"[a]\r\n==\r\nk===v==\r\nx=1\r\n = \r\n"));
    add("spaces only lines CRLF", Utf16(u"[a]\r\n    \r\nk=1\r\n \t \r\n"));
    add("code page control bytes", Raw("[a]\r\nk=\x01\x00x\r\nm=2\r\n"s), false, true);
    return corpus;
}

// ---- both sides ---------------------------------------------------------------------

void Put(const std::wstring& path, const Bytes& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good());
}

Bytes Get(const std::wstring& path) { return platform::Win32FileSystem().Read(path).value_or(Bytes{}); }

// The NUL-separated list a kernel32 call left in `buffer`.
std::vector<std::wstring> SplitMulti(const std::vector<wchar_t>& buffer, DWORD length) {
    std::vector<std::wstring> out;
    for (std::size_t at = 0; at < length && buffer[at] != L'\0'; at += out.back().size() + 1) out.emplace_back(buffer.data() + at);
    return out;
}

std::wstring K32String(const std::wstring& path, const std::wstring& section, const std::wstring& key, const std::wstring& dflt,
                       DWORD units) {
    std::vector<wchar_t> buffer(units + 1, L'#');
    const DWORD length = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), dflt.c_str(), buffer.data(), units, path.c_str());
    return std::wstring(buffer.data(), length);
}

std::vector<std::wstring> K32Names(const std::wstring& path, DWORD units = 32767) {
    std::vector<wchar_t> buffer(units + 2, L'\0');
    return SplitMulti(buffer, ::GetPrivateProfileSectionNamesW(buffer.data(), units, path.c_str()));
}

std::vector<std::wstring> K32Section(const std::wstring& path, const std::wstring& section, DWORD units = 65535) {
    std::vector<wchar_t> buffer(units + 2, L'\0');
    return SplitMulti(buffer, ::GetPrivateProfileSectionW(section.c_str(), buffer.data(), units, path.c_str()));
}

// One more kernel32 rewrite: a scratch section written and removed again.
Bytes Normalised(const TempFolder& folder, const Bytes& bytes) {
    const auto path = folder.File(L"normalise.ini");
    Put(path, bytes);
    ::WritePrivateProfileStringW(L"~normalise~", L"k", L"1", path.c_str());
    ::WritePrivateProfileStringW(L"~normalise~", nullptr, nullptr, path.c_str());
    return Get(path);
}

// Text or bytes for a failure message: printable ASCII as it is, the rest escaped.
template <typename Units>
std::string Show(const Units& text) {
    std::string out;
    for (const auto c : text) {
        const unsigned unit = c;
        char code[12] = {static_cast<char>(unit)};
        if (unit < 0x20 || unit >= 0x7F) std::snprintf(code, sizeof code, sizeof c == 1 ? "\\x%02X" : "\\u%04X", unit);
        out += code;
    }
    return out.size() > 600 ? out.substr(0, 600) + "...(" + std::to_string(text.size()) + ")" : out;
}

void ExpectSameBytes(const Bytes& ours, const Bytes& theirs, const std::string& context) {
    const auto from = static_cast<std::size_t>(std::mismatch(ours.begin(), ours.end(), theirs.begin(), theirs.end()).first - ours.begin());
    const auto tail = [&](const Bytes& bytes) { return Show(Bytes(bytes.begin() + std::min(from, bytes.size()), bytes.end())); };
    EXPECT_TRUE(ours == theirs) << context << " differ from byte " << from << "\n  store:    " << tail(ours) << "\n  kernel32: " << tail(theirs);
}

struct Probe {
    std::wstring section;
    std::wstring key;
};

std::wstring Upper(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return c >= L'a' && c <= L'z' ? wchar_t(c - 32) : c; });
    return text;
}

// `name`, and its upper-case form when that differs.
void AddWithUpper(std::vector<std::wstring>& names, const std::wstring& name) {
    names.push_back(name);
    if (Upper(name) != name) names.push_back(Upper(name));
}

// Names worth asking for: what kernel32 lists, case and blank variants, and misses.
std::vector<Probe> Probes(const std::wstring& reference) {
    auto sections = K32Names(reference);
    if (sections.size() > 12) sections.erase(sections.begin() + 8, sections.end() - 3);
    std::vector<std::wstring> askSections = {L"", L"missing section"};
    for (const auto& s : sections) AddWithUpper(askSections, s);
    if (!sections.empty()) askSections.push_back(L" \t" + sections.front() + L" ");
    std::vector<Probe> probes;
    for (const auto& section : askSections) {
        std::vector<std::wstring> keys = {L"missing key", L"", L";c", L"#h"};
        auto lines = K32Section(reference, section);
        if (lines.size() > 10) lines.resize(10);
        for (const auto& line : lines) {
            const auto key = line.substr(0, line.find(L'='));
            AddWithUpper(keys, key);
            keys.push_back(L" " + key + L"\t");
        }
        for (const auto& key : keys) probes.push_back(Probe{section, key});
    }
    return probes;
}

struct Write {
    std::wstring section;
    std::wstring key;
    std::optional<std::wstring> value; // nullopt deletes
};

std::vector<Write> Writes(const std::wstring& reference, bool codePage) {
    const auto sections = K32Names(reference);
    const std::wstring first = sections.empty() ? L"normal" : sections.front();
    const std::wstring second = sections.size() > 1 ? sections[1] : L"second";
    const auto lines = K32Section(reference, first);
    const auto keyOf = [&](std::size_t i) { return i < lines.size() ? lines[i].substr(0, lines[i].find(L'=')) : L"k" + std::to_wstring(i); };
    const auto rawOf = [&](std::size_t i) {
        const auto eq = i < lines.size() ? lines[i].find(L'=') : std::wstring::npos;
        return eq == std::wstring::npos ? std::wstring(L"x") : lines[i].substr(eq + 1);
    };
    std::vector<Write> writes = {
        {first, keyOf(0), L"changed"},
        {first, L"newkey", L"added value"},
        {L"Fresh Section", L"k", L"v"},
        {first, keyOf(1), std::nullopt},
        {first, keyOf(2), rawOf(2)}, // the same value again
        {L"", L"orphan", L"o"},
        {Upper(second), Upper(keyOf(0)), L"Case"},
        {first, L" spaced key ", L"  padded  "},
        {first, L"quoted", L"\"quoted\""},
        {L"missing section", L"k", std::nullopt},
        {first, L"newkey", std::nullopt},
        {second, L"accent", L"Gr\u00FC\u00DFe \u20AC"},
    };
    if (!codePage) writes.push_back({first, L"cjk", L"\u4E2D\u6587\u503C"});
    return writes;
}

// Applies a write through the store (the product's path); an empty section or key name
// is refused by the store, so those go straight through the file engine.
bool OurWrite(ConfigStore& store, platform::Win32FileSystem& fs, const std::wstring& path, const Write& write) {
    if (write.section.empty() || write.key.empty()) {
        auto document = ProfileDocument::Parse(fs.Read(path).value_or(Bytes{}));
        const auto section = ToUtf16(write.section), key = ToUtf16(write.key);
        const auto bytes = write.value ? document->WithString(section, key, ToUtf16(*write.value)) : document->WithoutKey(section, key);
        return !bytes || fs.Replace(path, *bytes);
    }
    if (!write.value) return store.DeleteKey(write.section, write.key, path);
    return store.WriteString(write.section, write.key, *write.value, path);
}

const std::wstring kDefaults[] = {L"", L"dflt  ", L"\"q\""};

// Every probe read through the store from `ours` against kernel32 on `reference`;
// false after a mismatch, which has been reported.
bool CompareReads(ConfigStore& store, const std::wstring& ours, const std::wstring& reference, const std::vector<Probe>& probes,
                  const std::string& context) {
    bool same = true;
    const auto check = [&](bool equal, const std::string& what, const std::string& actual, const std::string& expected) {
        if (equal) return;
        same = false;
        ADD_FAILURE() << context << " " << what << "\n  store:    " << actual << "\n  kernel32: " << expected;
    };
    int turn = 0;
    for (const auto& probe : probes) {
        const auto& dflt = kDefaults[turn++ % 3];
        const auto expected = K32String(reference, probe.section, probe.key, dflt, ConfigStore::kValueUnits);
        const auto actual = store.ReadString(probe.section, probe.key, dflt, ours);
        const std::string what = "[" + Show(probe.section) + "] " + Show(probe.key);
        check(actual == expected, "read " + what, Show(actual), Show(expected));
        const bool has = !K32String(reference, probe.section, probe.key, L"", ConfigStore::kKeyTestUnits).empty();
        check(store.HasKey(probe.section, probe.key, ours) == has, "HasKey " + what, std::to_string(!has), std::to_string(has));
    }
    std::vector<std::wstring> names;
    store.ReadSectionNames(ours, &names);
    check(names == K32Names(reference), "section names", std::to_string(names.size()), std::to_string(K32Names(reference).size()));
    std::vector<std::wstring> sections = {L""};
    for (const auto& probe : probes) {
        if (sections.back() != probe.section) sections.push_back(probe.section);
    }
    for (const auto& section : sections) {
        std::vector<std::wstring> keys, values;
        store.ReadSection(section, ours, &keys, &values);
        std::wstring actual, expected;
        for (std::size_t i = 0; i < keys.size(); ++i) actual += L"\n" + keys[i] + L"=" + values[i];
        for (const auto& line : K32Section(reference, section)) {
            // A line without '=' is a key with an empty value.
            expected += L"\n" + line + (line.find(L'=') == std::wstring::npos ? L"=" : L"");
        }
        check(actual == expected, "section [" + Show(section) + "]", Show(actual), Show(expected));
    }
    return same;
}

// The engine's buffer arithmetic with small buffers, where cutting shows.
void CompareSmallBuffers(const Bytes& bytes, const std::wstring& reference, const std::string& context) {
    const auto document = ProfileDocument::Parse(bytes);
    ASSERT_TRUE(document);
    const auto wide = [](const std::vector<std::u16string>& list) {
        std::vector<std::wstring> out;
        for (const auto& item : list) out.push_back(FromUtf16(item));
        return out;
    };
    const auto all = K32Names(reference);
    for (DWORD units : {3u, 7u, 16u, 61u}) {
        EXPECT_EQ(wide(document->ReadSectionNames(units)), K32Names(reference, units)) << context << " names in " << units;
        for (std::size_t s = 0; s < all.size() && s < 3; ++s) {
            EXPECT_EQ(wide(document->ReadSection(ToUtf16(all[s]), units)), K32Section(reference, all[s], units))
                << context << " section " << s << " in " << units;
            const auto lines = K32Section(reference, all[s]);
            if (lines.empty()) continue;
            const auto key = lines.front().substr(0, lines.front().find(L'='));
            for (DWORD value : {1u, 2u, 4u}) {
                EXPECT_EQ(FromUtf16(document->ReadString(ToUtf16(all[s]), ToUtf16(key), u"", value)), K32String(reference, all[s], key, L"", value))
                    << context << " value " << Show(key) << " in " << value;
            }
        }
    }
}

// The probes of one section however its name is spelled: after a write only the section
// written is read again (each kernel32 read costs milliseconds under Wine); every probe is
// read again once all writes are done.
std::vector<Probe> ProbesOfSection(const std::vector<Probe>& probes, const std::wstring& section) {
    const auto name = [](const std::wstring& text) { return foundation::AsciiLower(std::wstring(foundation::TrimBlanks(text))); };
    std::vector<Probe> chosen;
    for (const auto& probe : probes) {
        if (name(probe.section) == name(section)) chosen.push_back(probe);
    }
    return chosen;
}

TEST(ProfileDifferential, ReadsAndWritesMatchTheWindowsFunctions) {
    TempFolder folder(L"kestrana-diff-");
    platform::Win32FileSystem fs;
    ConfigStore store(fs, L"C:\\");
    int file = 0;
    for (const auto& entry : Corpus()) {
        SCOPED_TRACE(entry.name);
        const std::wstring ours = folder.File(L"ours" + std::to_wstring(file) + L".ini");
        const std::wstring reference = folder.File(L"reference" + std::to_wstring(file) + L".ini");
        ++file;
        Bytes referenceBytes = entry.bytes;
        if (entry.bomlessUtf8) referenceBytes.insert(referenceBytes.begin(), {0xEF, 0xBB, 0xBF});
        Put(ours, entry.bytes);
        Put(reference, referenceBytes);
        // While the reference file is in kernel32's normal form, both writers must produce
        // the very same bytes. (A name or value written with trailing blanks leaves that form:
        // kernel32 keeps them until it next loads the file.)
        bool strict = Normalised(folder, referenceBytes) == referenceBytes;

        auto probes = Probes(reference);
        CompareReads(store, ours, reference, probes, entry.name + " before writes");
        CompareSmallBuffers(referenceBytes, reference, entry.name);

        int step = 0;
        for (const auto& write : entry.readOnly ? std::vector<Write>{} : Writes(reference, entry.codePage)) {
            const std::string context = entry.name + " after write " + std::to_string(step++) + " [" + Show(write.section) + "] " +
                                        Show(write.key) + (write.value ? "=" + Show(*write.value) : " deleted");
            EXPECT_TRUE(OurWrite(store, fs, ours, write)) << context;
            EXPECT_TRUE(::WritePrivateProfileStringW(write.section.c_str(), write.key.c_str(),
                                                     write.value ? write.value->c_str() : nullptr, reference.c_str()))
                << context;
            probes.push_back(Probe{write.section, write.key});
            if (!CompareReads(store, ours, reference, ProbesOfSection(probes, write.section), context)) break;

            Bytes oursBytes = Get(ours);
            if (entry.bomlessUtf8) oursBytes.insert(oursBytes.begin(), {0xEF, 0xBB, 0xBF});
            const Bytes theirs = Get(reference);
            if (strict) ExpectSameBytes(oursBytes, theirs, context + " (bytes)");
            strict = strict && Normalised(folder, theirs) == theirs;
            ExpectSameBytes(Normalised(folder, oursBytes), Normalised(folder, theirs), context + " (bytes after a rewrite)");
        }
        if (!entry.readOnly) CompareReads(store, ours, reference, probes, entry.name + " after all writes");
        // The Windows functions read the store's file as they read their own.
        if (!entry.bomlessUtf8) {
            for (const auto& probe : probes) {
                ASSERT_EQ(K32String(ours, probe.section, probe.key, L"", 260), K32String(reference, probe.section, probe.key, L"", 260))
                    << entry.name << " [" << Show(probe.section) << "] " << Show(probe.key);
            }
        }
    }
}

// Where the store deliberately differs, it says so here.
TEST(ProfileDifferential, DeliberateDifferences) {
    TempFolder folder(L"kestrana-diff-");
    platform::Win32FileSystem fs;
    ConfigStore store(fs, L"C:\\");
    // BOM-less UTF-8 reads as UTF-8; the Windows functions read code-page text.
    const auto utf8 = folder.File(L"utf8.ini");
    Put(utf8, Raw("[a]\r\nk=Gr\xC3\xBC\xC3\x9F" "e\r\n"));
    EXPECT_EQ(store.ReadString(L"a", L"k", L"", utf8), L"Gr\u00FC\u00DFe");
    EXPECT_EQ(K32String(utf8, L"a", L"k", L"", 260), L"Gr\u00C3\u00BC\u00C3\u0178e");
    // CJK written into a plain-ASCII file is kept as UTF-8 instead of question marks.
    const auto ascii = folder.File(L"ascii.ini");
    const auto asciiRef = folder.File(L"ascii-ref.ini");
    Put(ascii, Raw("[a]\r\n"));
    Put(asciiRef, Raw("[a]\r\n"));
    EXPECT_TRUE(store.WriteString(L"a", L"font", L"\u5FAE\u8F6F\u96C5\u9ED1", ascii));
    ::WritePrivateProfileStringW(L"a", L"font", L"\u5FAE\u8F6F\u96C5\u9ED1", asciiRef.c_str());
    EXPECT_EQ(store.ReadString(L"a", L"font", L"", ascii), L"\u5FAE\u8F6F\u96C5\u9ED1");
    EXPECT_EQ(K32String(asciiRef, L"a", L"font", L"", 260), L"????");
    // A read-only file is not written (Wine's functions write it anyway when run as root).
    const auto readOnly = folder.File(L"ro.ini");
    Put(readOnly, Utf16(u"[a]\r\nk=1\r\n"));
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(store.WriteInt(L"a", L"k", 2, readOnly));
    EXPECT_EQ(store.ReadInt(L"a", L"k", readOnly), 1);
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    // Two lines in a row whose key name is empty: kernel32 here drops the second as it
    // drops repeated blank lines; the store lists both, as both are in the file.
    const auto emptyNames = folder.File(L"empty-names.ini");
    Put(emptyNames, Utf16(u"[a]\r\n=first\r\n=second\r\n"));
    std::vector<std::wstring> keys;
    std::vector<std::wstring> values;
    EXPECT_EQ(store.ReadSection(L"a", emptyNames, &keys, &values), 2);
    EXPECT_EQ(K32Section(emptyNames, L"a"), std::vector<std::wstring>{L"=first"});
    // Blank lines and the file's own line breaks survive a write.
    const auto spaced = folder.File(L"spaced.ini");
    Put(spaced, Utf16(u"[a]\nk=1\n\n[b]\nm=2\n"));
    EXPECT_TRUE(store.WriteInt(L"a", L"k", 5, spaced));
    EXPECT_EQ(Get(spaced), Utf16(u"[a]\nk=5\n\n[b]\nm=2\n"));
}

} // namespace
} // namespace kestrana
