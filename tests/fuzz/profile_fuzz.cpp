// Settings files of any content: parse, query what the file names, write, parse again.
// Beyond "no crash, no leak", a written key must read back when its name is plain, and
// a write must not change what any other key reads.
#include "foundation/profile_document.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using kestrana::foundation::ProfileDocument;
using kestrana::foundation::ProfileEncoding;

namespace {

bool Ascii(const std::vector<std::uint8_t>& bytes) {
    for (auto b : bytes) {
        if (b >= 0x80) return false;
    }
    return true;
}

bool Plain(std::u16string_view name) {
    if (name.empty()) return false;
    for (char16_t c : name) {
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'))) return false;
    }
    return true;
}

// Key names as a read compares them: blanks around them trimmed, ASCII case folded.
bool SameName(std::u16string_view a, std::u16string_view b) {
    const auto trim = [](std::u16string_view text) {
        const auto blank = [](char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r') || c == 0x1A; };
        while (!text.empty() && blank(text.front())) text.remove_prefix(1);
        while (!text.empty() && blank(text.back())) text.remove_suffix(1);
        return text;
    };
    a = trim(a);
    b = trim(b);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

void Check(bool condition, int line) {
    if (condition) return;
    std::fprintf(stderr, "check failed at line %d\n", line);
    std::abort();
}
#define CHECK(condition) Check((condition), __LINE__)

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1u << 20) return 0;
    std::vector<std::uint8_t> bytes(data, data + size);
    auto document = ProfileDocument::Parse(bytes);
    CHECK(document.has_value());

    const auto names = document->ReadSectionNames(32767);
    struct Probe {
        std::u16string section;
        std::u16string key;
        std::u16string value;
    };
    std::vector<Probe> probes;
    for (std::size_t s = 0; s < names.size() && s < 8; ++s) {
        for (const auto& line : document->ReadSection(names[s], 65535)) {
            const auto key = line.substr(0, line.find(u'='));
            (void)document->ReadString(names[s], key, u"", 3);
            if (probes.size() < 32) probes.push_back(Probe{names[s], key, document->ReadString(names[s], key, u"default", 260)});
        }
    }
    (void)document->ReadSection(u"", 7);
    (void)document->ReadSectionNames(5);

    const std::u16string section = names.empty() ? u"fuzz" : names.front();
    const std::u16string key = probes.empty() ? u"key" : probes.front().key;
    const std::u16string value = u"v\u4E2D";
    const auto written = document->WithString(section, key, value);
    if (!written) return 0;
    auto reread = ProfileDocument::Parse(*written);
    CHECK(reread.has_value());
    if (Plain(section) && Plain(key)) {
        const auto back = reread->ReadString(section, key, u"<missing>", 260);
        // A code-page file that cannot hold the text keeps a question mark.
        CHECK(back == value || back == u"v?");
    }
    // A BOM-less file that mixes code-page bytes with valid UTF-8 turns into a UTF-8 file
    // once an edit removes its last invalid sequence; its other lines then read
    // differently, which is the one way an edit may change them.
    const auto othersReadAlike = [&](const ProfileDocument& edited) {
        if (document->Encoding() == ProfileEncoding::CodePage && edited.Encoding() == ProfileEncoding::Utf8 && !Ascii(bytes)) return;
        for (const auto& probe : probes) {
            if (!SameName(probe.key, key)) CHECK(edited.ReadString(probe.section, probe.key, u"default", 260) == probe.value);
        }
    };
    othersReadAlike(*reread);
    if (const auto removed = reread->WithoutKey(section, key)) {
        auto after = ProfileDocument::Parse(*removed);
        CHECK(after.has_value());
        othersReadAlike(*after);
    }
    return 0;
}
