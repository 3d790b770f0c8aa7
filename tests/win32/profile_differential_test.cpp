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

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace kestrana {
namespace {

using foundation::ConfigStore;
using foundation::ProfileDocument;

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

Bytes Utf16Le(std::u16string_view text) {
    Bytes out = {0xFF, 0xFE};
    for (char16_t c : text) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return out;
}

Bytes Utf16Be(std::u16string_view text) {
    Bytes out = {0xFE, 0xFF};
    for (char16_t c : text) {
        out.push_back(static_cast<std::uint8_t>(c >> 8));
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    }
    return out;
}

Bytes Raw(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::u16string Many(int sections, int keys, std::u16string_view sep = u"\r\n") {
    std::u16string text;
    for (int s = 0; s < sections; ++s) {
        text += u"[section" + foundation::ToUtf16(std::to_wstring(s)) + u"]";
        text += sep;
        for (int k = 0; k < keys; ++k) {
            text += u"key" + foundation::ToUtf16(std::to_wstring(k)) + u"=value " + foundation::ToUtf16(std::to_wstring(s * 1000 + k));
            text += sep;
        }
    }
    return text;
}

std::vector<CorpusFile> Corpus() {
    std::vector<CorpusFile> corpus;
    const auto add = [&](std::string name, Bytes bytes, bool bomlessUtf8 = false, bool codePage = false, bool readOnly = false) {
        corpus.push_back(CorpusFile{std::move(name), std::move(bytes), bomlessUtf8, codePage, readOnly});
    };
    add("canonical", Utf16Le(u"[normal]\r\nlanguage=English\r\nblurvalue=30\r\n[finder]\r\nautocolor=1\r\n"));
    add("odd spacing", Utf16Le(u"  [normal]  \r\n\t language \t=\t English \t\r\n blurvalue= 30\r\n[ finder ]\r\nautocolor =1 \r\n"));
    add("LF only", Utf16Le(u"[a]\nk=1\nm=2\n[b]\nk=3\n"));
    add("CR only", Utf16Le(u"[a]\rk=1\rm=2\r[b]\rk=3\r"));
    add("mixed breaks", Utf16Le(u"[a]\r\nk=1\rm=2\nz=3\n\r[b]\r\r\nk=4"));
    add("no final break", Utf16Le(u"[a]\r\nk=1\r\n[b]\r\nlast=value"));
    add("duplicate sections", Utf16Le(u"[a]\r\nk=1\r\n[b]\r\nk=2\r\n[A]\r\nk=3\r\nm=4\r\n[a]\r\nn=5\r\n"));
    add("duplicate keys", Utf16Le(u"[a]\r\nk=1\r\nK=2\r\nk=3\r\nm=4\r\n"));
    add("comments and junk", Utf16Le(u"; top comment\r\n[a]\r\n;c=1\r\n#h=2\r\njust text\r\nk=1\r\n; after\r\n[b]\r\n  ;indented\r\nx=y\r\n"));
    add("orphan keys", Utf16Le(u"o=1\r\np=2\r\n[a]\r\nk=1\r\n"));
    add("header forms", Utf16Le(u"[ a ]\r\nx=1\r\n[b] junk\r\ny=1\r\n[c]x]\r\nz=1\r\n[d\r\nw=1\r\n=val\r\n[\r\n]\r\n"));
    add("empty section name", Utf16Le(u"[a]\r\nx=1\r\n[]\r\ne=1\r\n=val\r\n[b]\r\ny=2\r\n"), false, false, true);
    add("empty and quoted values",
        Utf16Le(u"[a]\r\nempty=\r\nblank=   \r\nq1='abc'\r\nq2=\"abc\r\nq3=\"\r\nq4=\"\"\r\nq5=\"a\"b\"\r\nq6= \" x \" \r\nq7='a\"\r\n"));
    add("long values", Utf16Le(u"[a]\r\nv300=" + std::u16string(300, u'x') + u"\r\nv1000=" + std::u16string(1000, u'y') +
                               u"\r\nq=\"" + std::u16string(258, u'z') + u"\"\r\nq2=\"" + std::u16string(259, u'w') + u"\"\r\n"));
    add("long names", Utf16Le(u"[" + std::u16string(300, u's') + u"]\r\n" + std::u16string(400, u'k') + u"=1\r\nshort=2\r\n"));
    {
        std::u16string text = u"[a]\r\nk=ab";
        text += u'\0';
        text += u"cd\r\nn";
        text += u'\0';
        text += u"x=5\r\n[s";
        text += u'\0';
        text += u"t]\r\ny=1\r\n";
        add("NUL characters", Utf16Le(text));
    }
    {
        std::u16string text = u"[a]\r\nk=x";
        text += static_cast<char16_t>(0xD800);
        text += u"y\r\n";
        text += static_cast<char16_t>(0xDC00);
        text += u"=lone\r\n[\U0001F600]\r\nemoji=\U0001F600\r\n";
        add("lone surrogates", Utf16Le(text));
    }
    add("CJK names", Utf16Le(u"[\u8BBE\u7F6E]\r\n\u5B57\u4F53=\u5FAE\u8F6F\u96C5\u9ED1\r\n[pinyin]\r\n\u4E2D=zhong\r\n"));
    add("non-ASCII case", Utf16Le(u"[\u00DCn]\r\n\u00C4k=1\r\nK=2\r\n[\u00FCn]\r\n\u00E4k=3\r\n"));
    add("UTF-16BE", Utf16Be(u"[a]\r\nk=\u4E2D\r\nm=2\r\n[b]\r\nx=y\r\n"));
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
    add("odd byte count", [] {
        auto bytes = Utf16Le(u"[a]\r\nk=1\r\n");
        bytes.push_back(0x41);
        return bytes;
    }());
    add("very long line", Utf16Le(u"[a]\r\nbig=" + std::u16string(100000, u'L') + u"\r\nafter=1\r\n"));
    add("Ctrl-Z", Utf16Le(u"[a]\x1A\r\n\x1Ak\x1A=\x1Av\x1A\r\n\x1A"));
    add("Unicode spaces", Utf16Le(u"[a]\r\n\u3000k=1\r\nk=\u00A0v\u00A0\r\n\u2003m\u2003=2\r\n"));
    add("blank lines", Utf16Le(u"\r\n\r\n[a]\r\n\r\nk=1\r\n   \r\n\t\r\nm=2\r\n\r\n\r\n[b]\r\n\r\n"));
    add("big section", Utf16Le(Many(1, 2000)));
    add("many sections", Utf16Le(Many(80, 10)));
    add("many sections LF", Utf16Le(Many(30, 3, u"\n")));
    add("indented lines", Utf16Le(u"    [a]\r\n\t\tk=1\r\n        m = 2\r\n"));
    add("brackets in keys", Utf16Le(u"[a]\r\nk[0]=1\r\n]=2\r\nx=[y]\r\n[b]=3\r\n"));
    add("section over 64K units", Utf16Le(u"[big]\r\n" + [] {
            std::u16string text;
            for (int i = 0; i < 700; ++i) text += u"entry" + foundation::ToUtf16(std::to_wstring(i)) + u"=" + std::u16string(90, u'v') + u"\r\n";
            return text;
        }() + u"[after]\r\nk=1\r\n"));
    add("names over 32K units", Utf16Le([] {
            std::u16string text;
            for (int i = 0; i < 400; ++i) text += u"[" + std::u16string(90, static_cast<char16_t>(u'a' + i % 26)) + foundation::ToUtf16(std::to_wstring(i)) + u"]\r\nk=1\r\n";
            return text;
        }()));
    add("control characters", Utf16Le(u"[a]\r\nk=\x01\x02\x1B\r\n\x7F=del\r\n\x1C" u"fs\x1F=1\r\n"));
    add("equals everywhere", Utf16Le(u"[a]\r\n==\r\nk===v==\r\nx=1\r\n = \r\n"));
    add("spaces only lines CRLF", Utf16Le(u"[a]\r\n    \r\nk=1\r\n \t \r\n"));
    add("code page control bytes", Raw("[a]\r\nk=\x01\x00x\r\nm=2\r\n"), false, true);
    return corpus;
}

// ---- both sides ---------------------------------------------------------------------

class Folder {
public:
    Folder() {
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH, temp);
        m_path = std::wstring(temp) + L"kestrana-diff-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
        ::CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~Folder() {
        for (const auto& file : m_files) ::DeleteFileW(file.c_str());
        ::RemoveDirectoryW(m_path.c_str());
    }
    std::wstring File(const std::wstring& name) {
        m_files.push_back(m_path + name);
        return m_files.back();
    }

private:
    std::wstring m_path;
    std::vector<std::wstring> m_files;
};

void Put(const std::wstring& path, const Bytes& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    if (!bytes.empty()) ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

Bytes Get(const std::wstring& path) {
    platform::Win32FileSystem fs;
    return fs.Read(path).value_or(Bytes{});
}

std::vector<std::wstring> SplitMulti(const std::vector<wchar_t>& buffer, DWORD length) {
    std::vector<std::wstring> out;
    std::size_t at = 0;
    while (at < length) {
        const std::wstring item(buffer.data() + at);
        if (item.empty()) break;
        out.push_back(item);
        at += item.size() + 1;
    }
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
Bytes Normalised(Folder& folder, const Bytes& bytes) {
    const auto path = folder.File(L"normalise.ini");
    Put(path, bytes);
    ::WritePrivateProfileStringW(L"~normalise~", L"k", L"1", path.c_str());
    ::WritePrivateProfileStringW(L"~normalise~", nullptr, nullptr, path.c_str());
    return Get(path);
}

std::string Show(std::wstring_view text) {
    std::string out;
    for (wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            char code[12];
            std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(c));
            out += code;
        }
    }
    return out.size() > 300 ? out.substr(0, 300) + "...(" + std::to_string(text.size()) + ")" : out;
}

std::string Show(const Bytes& bytes) {
    std::string out;
    for (auto b : bytes) {
        if (b >= 0x20 && b < 0x7F) {
            out.push_back(static_cast<char>(b));
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", b);
            out += code;
        }
    }
    return out.size() > 600 ? out.substr(0, 600) + "..." : out;
}

struct Probe {
    std::wstring section;
    std::wstring key;
};

std::wstring Upper(std::wstring text) {
    for (auto& c : text) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 32);
    }
    return text;
}

// Names worth asking for: what kernel32 lists, case and blank variants, and misses.
std::vector<Probe> Probes(const std::wstring& reference) {
    auto sections = K32Names(reference);
    if (sections.size() > 12) {
        std::vector<std::wstring> some(sections.begin(), sections.begin() + 8);
        some.insert(some.end(), sections.end() - 3, sections.end());
        sections = some;
    }
    std::vector<std::wstring> askSections = {L"", L"missing section"};
    for (const auto& s : sections) {
        askSections.push_back(s);
        if (Upper(s) != s) askSections.push_back(Upper(s));
    }
    if (!sections.empty()) askSections.push_back(L" \t" + sections.front() + L" ");
    std::vector<Probe> probes;
    for (const auto& section : askSections) {
        std::vector<std::wstring> keys = {L"missing key", L"", L";c", L"#h"};
        auto lines = K32Section(reference, section);
        if (lines.size() > 10) lines.resize(10);
        for (const auto& line : lines) {
            const auto key = line.substr(0, line.find(L'='));
            keys.push_back(key);
            if (Upper(key) != key) keys.push_back(Upper(key));
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
        if (!document) return false;
        const auto section = foundation::ToUtf16(write.section);
        const auto key = foundation::ToUtf16(write.key);
        const auto bytes = write.value ? document->WithString(section, key, foundation::ToUtf16(*write.value))
                                       : document->WithoutKey(section, key);
        return !bytes || fs.Replace(path, *bytes);
    }
    if (!write.value) return store.DeleteKey(write.section, write.key, path);
    return store.WriteString(write.section, write.key, *write.value, path);
}

const std::wstring kDefaults[] = {L"", L"dflt  ", L"\"q\""};

// Every probe read through the store from `ours` against kernel32 on `reference`.
int CompareReads(ConfigStore& store, const std::wstring& ours, const std::wstring& reference, const std::vector<Probe>& probes,
                 const std::string& context) {
    int mismatches = 0;
    int turn = 0;
    for (const auto& probe : probes) {
        const auto& dflt = kDefaults[turn++ % 3];
        const auto expected = K32String(reference, probe.section, probe.key, dflt, ConfigStore::kValueUnits);
        const auto actual = store.ReadString(probe.section, probe.key, dflt, ours);
        if (actual != expected) {
            ++mismatches;
            ADD_FAILURE() << context << " read [" << Show(probe.section) << "] " << Show(probe.key) << "\n  store:    "
                          << Show(actual) << "\n  kernel32: " << Show(expected);
        }
        const bool has = !K32String(reference, probe.section, probe.key, L"", ConfigStore::kKeyTestUnits).empty();
        if (store.HasKey(probe.section, probe.key, ours) != has) {
            ++mismatches;
            ADD_FAILURE() << context << " HasKey [" << Show(probe.section) << "] " << Show(probe.key);
        }
    }
    std::vector<std::wstring> names;
    store.ReadSectionNames(ours, &names);
    if (names != K32Names(reference)) {
        ++mismatches;
        ADD_FAILURE() << context << " section names differ: " << names.size() << " vs " << K32Names(reference).size();
    }
    std::vector<std::wstring> sections = {L""};
    for (const auto& probe : probes) {
        if (sections.back() != probe.section) sections.push_back(probe.section);
    }
    for (const auto& section : sections) {
        std::vector<std::wstring> keys;
        std::vector<std::wstring> values;
        store.ReadSection(section, ours, &keys, &values);
        std::vector<std::wstring> expectedKeys;
        std::vector<std::wstring> expectedValues;
        for (const auto& line : K32Section(reference, section)) {
            const auto eq = line.find(L'=');
            expectedKeys.push_back(line.substr(0, eq));
            expectedValues.push_back(eq == std::wstring::npos ? std::wstring() : line.substr(eq + 1));
        }
        if (keys != expectedKeys || values != expectedValues) {
            ++mismatches;
            const auto join = [](const std::vector<std::wstring>& k, const std::vector<std::wstring>& v) {
                std::string out;
                for (std::size_t i = 0; i < k.size() && i < 6; ++i) out += " | " + Show(k[i]) + "=" + Show(v[i]);
                return out;
            };
            ADD_FAILURE() << context << " section [" << Show(section) << "] differs: " << keys.size() << " vs " << expectedKeys.size()
                          << "\n  store:   " << join(keys, values) << "\n  kernel32:" << join(expectedKeys, expectedValues);
        }
    }
    return mismatches;
}

// The engine's buffer arithmetic with small buffers, where cutting shows.
void CompareSmallBuffers(const Bytes& bytes, const std::wstring& reference, const std::string& context) {
    const auto document = ProfileDocument::Parse(bytes);
    ASSERT_TRUE(document);
    for (DWORD units : {3u, 7u, 16u, 61u}) {
        std::vector<std::wstring> names;
        for (const auto& name : document->ReadSectionNames(units)) names.push_back(foundation::FromUtf16(name));
        EXPECT_EQ(names, K32Names(reference, units)) << context << " names in " << units;
        const auto all = K32Names(reference);
        for (std::size_t s = 0; s < all.size() && s < 3; ++s) {
            std::vector<std::wstring> lines;
            for (const auto& line : document->ReadSection(foundation::ToUtf16(all[s]), units)) lines.push_back(foundation::FromUtf16(line));
            EXPECT_EQ(lines, K32Section(reference, all[s], units)) << context << " section " << s << " in " << units;
            for (const auto& line : K32Section(reference, all[s])) {
                const auto key = line.substr(0, line.find(L'='));
                for (DWORD value : {1u, 2u, 4u}) {
                    EXPECT_EQ(foundation::FromUtf16(document->ReadString(foundation::ToUtf16(all[s]), foundation::ToUtf16(key), u"", value)),
                              K32String(reference, all[s], key, L"", value))
                        << context << " value " << Show(key) << " in " << value;
                }
                break;
            }
        }
    }
}

TEST(ProfileDifferential, CorpusIsLargeEnough) { EXPECT_GE(Corpus().size(), 40u); }

TEST(ProfileDifferential, ReadsAndWritesMatchTheWindowsFunctions) {
    Folder folder;
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
            if (CompareReads(store, ours, reference, probes, context) > 0) break;

            Bytes oursBytes = Get(ours);
            if (entry.bomlessUtf8) oursBytes.insert(oursBytes.begin(), {0xEF, 0xBB, 0xBF});
            const Bytes theirs = Get(reference);
            if (strict) {
                EXPECT_EQ(Show(oursBytes), Show(theirs)) << context << " (bytes)";
            }
            strict = strict && Normalised(folder, theirs) == theirs;
            EXPECT_EQ(Show(Normalised(folder, oursBytes)), Show(Normalised(folder, theirs))) << context << " (bytes after a rewrite)";
        }
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
    Folder folder;
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
    Put(readOnly, Utf16Le(u"[a]\r\nk=1\r\n"));
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(store.WriteInt(L"a", L"k", 2, readOnly));
    EXPECT_EQ(store.ReadInt(L"a", L"k", readOnly), 1);
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    // Two lines in a row whose key name is empty: kernel32 here drops the second as it
    // drops repeated blank lines; the store lists both, as both are in the file.
    const auto emptyNames = folder.File(L"empty-names.ini");
    Put(emptyNames, Utf16Le(u"[a]\r\n=first\r\n=second\r\n"));
    std::vector<std::wstring> keys;
    std::vector<std::wstring> values;
    EXPECT_EQ(store.ReadSection(L"a", emptyNames, &keys, &values), 2);
    EXPECT_EQ(K32Section(emptyNames, L"a"), std::vector<std::wstring>{L"=first"});
    // Blank lines and the file's own line breaks survive a write.
    const auto spaced = folder.File(L"spaced.ini");
    Put(spaced, Utf16Le(u"[a]\nk=1\n\n[b]\nm=2\n"));
    EXPECT_TRUE(store.WriteInt(L"a", L"k", 5, spaced));
    EXPECT_EQ(Get(spaced), Utf16Le(u"[a]\nk=5\n\n[b]\nm=2\n"));
}

} // namespace
} // namespace kestrana
