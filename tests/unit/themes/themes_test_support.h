#pragma once
// A program folder on the in-memory disk with a settings store over it, pictures made on
// the fly as PNG files, and the golden-image check of the skin drawings.

#include "fakes/fake_file_system.h"
#include "foundation/config_store.h"
#include "gfx/bitmap.h"
#include "gfx/png_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace kestrana::themes::testing {

inline const std::wstring kBase = L"C:\\Kestrana\\";

// UTF-16LE with a byte-order mark, as the settings files are written.
inline std::string Utf16File(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

inline std::vector<std::uint8_t> PngOf(const gfx::Bitmap& b) { return gfx::EncodePng(b); }

inline gfx::Bitmap SolidBitmap(int w, int h, gfx::Color c) {
    gfx::Bitmap b(w, h);
    b.Fill(c.Premultiplied());
    return b;
}

struct ProgramFolder {
    ProgramFolder() : store(files, kBase) { files.AddDirectory(kBase + L"themes"); }

    std::wstring Theme(const std::wstring& name) const { return kBase + L"themes\\" + name + L"\\"; }
    void Text(const std::wstring& path, std::u16string_view text) { files.AddFile(path, Utf16File(text)); }
    void Picture(const std::wstring& path, const gfx::Bitmap& b) { files.AddFile(path, PngOf(b)); }
    std::string Config() const { return files.ContentText(kBase + L"config.ini"); }

    fakes::FakeFileSystem files;
    foundation::ConfigStore store;
};

inline bool UpdatingGoldens() {
    const char* v = std::getenv("KESTRANA_UPDATE_GOLDEN");
    return v && std::string(v) == "1";
}

// Compares with tests/data/golden/themes/<name>.png, a channel may differ by 2; with
// KESTRANA_UPDATE_GOLDEN=1 the reference is written instead (look at it before committing).
inline void CheckGolden(const std::string& name, const gfx::Bitmap& actual) {
    const std::string path = std::string(KESTRANA_TEST_DATA) + "/golden/themes/" + name + ".png";
    if (UpdatingGoldens()) {
        const std::vector<std::uint8_t> png = gfx::EncodePng(actual);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
        ASSERT_TRUE(out.good()) << "cannot write " << path;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.good()) << path << " is missing; run with KESTRANA_UPDATE_GOLDEN=1 to create it";
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::optional<gfx::Bitmap> expected = gfx::DecodePng(bytes);
    ASSERT_TRUE(expected) << path << " is not a readable PNG";
    ASSERT_EQ(expected->Width(), actual.Width()) << name;
    ASSERT_EQ(expected->Height(), actual.Height()) << name;
    int bad = 0, worst = 0;
    std::ostringstream where;
    for (int y = 0; y < actual.Height(); ++y) {
        for (int x = 0; x < actual.Width(); ++x) {
            const gfx::Pixel a = actual.At(x, y), e = expected->At(x, y);
            int d = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                d = std::max(d, std::abs(int((a >> shift) & 0xFF) - int((e >> shift) & 0xFF)));
            }
            worst = std::max(worst, d);
            if (d > 2 && ++bad <= 5) {
                where << " (" << x << "," << y << ") got " << std::hex << a << " want " << e << std::dec;
            }
        }
    }
    EXPECT_EQ(bad, 0) << name << ": " << bad << " pixels differ by more than 2, worst " << worst << ":" << where.str();
}

} // namespace kestrana::themes::testing
