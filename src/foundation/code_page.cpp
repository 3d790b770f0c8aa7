#include "foundation/code_page.h"

#include <array>
#include <cstdint>

namespace kestrana::foundation {

namespace {

// 0x80..0x9F; the rest of the range maps to the same code point.
constexpr std::array<char16_t, 32> kHigh1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

class Windows1252CodePage final : public CodePage {
public:
    std::u16string Decode(std::string_view bytes) const override {
        std::u16string out;
        out.reserve(bytes.size());
        for (char ch : bytes) {
            const auto b = static_cast<unsigned char>(ch);
            out.push_back((b >= 0x80 && b <= 0x9F) ? kHigh1252[b - 0x80] : static_cast<char16_t>(b));
        }
        return out;
    }

    std::string Encode(std::u16string_view text, bool& exact) const override {
        std::string out;
        out.reserve(text.size());
        for (char16_t c : text) {
            if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
                out.push_back(static_cast<char>(c));
                continue;
            }
            char mapped = 0;
            for (std::size_t i = 0; i < kHigh1252.size(); ++i) {
                if (kHigh1252[i] == c) {
                    mapped = static_cast<char>(0x80 + i);
                    break;
                }
            }
            if (mapped == 0) {
                mapped = '?';
                exact = false;
            }
            out.push_back(mapped);
        }
        return out;
    }
};

} // namespace

const CodePage& Windows1252() {
    static const Windows1252CodePage codePage;
    return codePage;
}

} // namespace kestrana::foundation
