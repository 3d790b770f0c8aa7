#include "launchers/launchpad_entry.h"

#include "foundation/text.h"
#include "gfx/canvas.h"

#include <cstdio>

namespace kestrana::launchers {

std::wstring BuildSearchKey(std::wstring_view key, const PinyinLookup& pinyin) {
    std::wstring out = L"|";
    out.reserve(key.size() * 2 + 1);
    for (std::size_t i = 0; i < key.size(); ++i) {
        const wchar_t c = key[i];
        if (c >= 0x4E00 && c <= 0x9FA5 && pinyin) {
            if (auto reading = pinyin(c); !reading.empty()) {
                out += reading;
                out += L'|';
                continue;
            }
        }
        out += c;
        // A surrogate pair (UTF-16 builds) is one character: both halves stay together.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < key.size() && key[i + 1] >= 0xDC00 && key[i + 1] <= 0xDFFF) {
            out += key[++i];
        }
        out += L'|';
    }
    return out;
}

void LaunchpadEntry::SetKey(std::wstring key, const PinyinLookup& pinyin) {
    if (key == m_key && !m_searchKey.empty()) return;
    m_searchKey = BuildSearchKey(key, pinyin);
    m_key = std::move(key);
}

std::wstring SafeFileName(std::wstring_view key) {
    std::wstring name;
    for (const wchar_t c : key) {
        const bool reserved = c < 0x20 || c == L'\\' || c == L'/' || c == L':' || c == L'*' || c == L'?' || c == L'"' ||
                              c == L'<' || c == L'>' || c == L'|';
        name += reserved ? L'_' : c;
    }
    // Windows drops trailing dots and blanks from file names; two keys that differ only
    // there would meet in one file.
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.back() = L'_';
    name = foundation::TruncateUtf16(name, 100);
    return name.empty() ? std::wstring(L"_") : name;
}

std::wstring IconFileName(std::wstring_view key, std::wstring_view path) {
    // FNV-1a over the UTF-16 units of the lower-cased path: the same on every platform.
    std::uint32_t hash = 2166136261u;
    for (const char16_t unit : foundation::ToUtf16(foundation::AsciiLower(path))) {
        hash = (hash ^ unit) * 16777619u;
    }
    wchar_t suffix[10];
    std::swprintf(suffix, 10, L".%08x", static_cast<unsigned>(hash));
    return SafeFileName(key) + suffix;
}

std::shared_ptr<const gfx::Bitmap> PlaceholderIcon() {
    static const std::shared_ptr<const gfx::Bitmap> placeholder = [] {
        auto picture = std::make_shared<gfx::Bitmap>(256, 256);
        gfx::Canvas canvas(*picture);
        canvas.FillRoundedRect({24, 24, 208, 208}, 46, gfx::Color{200, 200, 204, 150});
        return std::shared_ptr<const gfx::Bitmap>(std::move(picture));
    }();
    return placeholder;
}

} // namespace kestrana::launchers
