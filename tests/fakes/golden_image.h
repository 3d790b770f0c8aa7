#pragma once
// Golden pictures for tests: compares a drawing with tests/data/golden/<folder>/<name>.png
// (or with another drawing) within a per-channel tolerance, reporting where they differ.
// With KESTRANA_UPDATE_GOLDEN=1 in the environment the reference is written instead (look
// at it before committing).

#include "gfx/bitmap.h"
#include "gfx/png_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace kestrana::testing {

inline bool UpdatingGoldenImages() {
    const char* v = std::getenv("KESTRANA_UPDATE_GOLDEN");
    return v && std::string(v) == "1";
}

// The largest difference of any channel between two pixels.
inline int ChannelDifference(gfx::Pixel a, gfx::Pixel b) {
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8)
        worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return worst;
}

// Expects two drawings of one size whose channels differ by at most `tolerance`, and
// says where they do not.
inline void ExpectSameImage(const gfx::Bitmap& expected, const gfx::Bitmap& actual, int tolerance, const std::string& what) {
    ASSERT_EQ(expected.Width(), actual.Width()) << what;
    ASSERT_EQ(expected.Height(), actual.Height()) << what;
    int bad = 0, worst = 0;
    std::ostringstream where;
    for (int y = 0; y < actual.Height(); ++y) {
        for (int x = 0; x < actual.Width(); ++x) {
            const gfx::Pixel a = actual.At(x, y), e = expected.At(x, y);
            const int d = ChannelDifference(a, e);
            worst = std::max(worst, d);
            if (d > tolerance && ++bad <= 5)
                where << " (" << x << "," << y << ") got " << std::hex << a << " want " << e << std::dec;
        }
    }
    EXPECT_EQ(bad, 0) << what << ": " << bad << " pixels differ by more than " << tolerance << ", worst " << worst
                      << ":" << where.str();
}

inline void CheckGoldenImage(const std::string& folder, const std::string& name, const gfx::Bitmap& actual,
                             int tolerance = 2) {
    const std::string path = std::string(KESTRANA_TEST_DATA) + "/golden/" + folder + "/" + name + ".png";
    if (UpdatingGoldenImages()) {
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
    ExpectSameImage(*expected, actual, tolerance, name);
}

} // namespace kestrana::testing
