#include "gfx/win32/direct_write_text_renderer.h"

#include "foundation/win32/unique_handle.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kestrana::gfx {

using Microsoft::WRL::ComPtr;

namespace {

// Tried in order when a family is missing, after the system UI font.
const wchar_t* const kFallbackFamilies[] = {L"Segoe UI Variable Text", L"Segoe UI", L"Tahoma", L"Microsoft YaHei UI",
                                            L"Droid Sans Fallback"};
// Families with wide coverage of Chinese, Japanese and Korean, for characters the main face lacks.
const wchar_t* const kGlyphFallbackFamilies[] = {L"Microsoft YaHei UI", L"Microsoft YaHei", L"Yu Gothic UI",
                                                 L"Malgun Gothic", L"Segoe UI Symbol", L"Droid Sans Fallback",
                                                 L"Noto Sans CJK SC", L"Noto Sans CJK JP"};
constexpr float kNoLimit = 1.0e6f;

std::wstring FamilyName(IDWriteFontFamily* family) {
    ComPtr<IDWriteLocalizedStrings> names;
    if (FAILED(family->GetFamilyNames(names.GetAddressOf()))) {
        return {};
    }
    UINT32 index = 0;
    BOOL exists = FALSE;
    if (FAILED(names->FindLocaleName(L"en-us", &index, &exists)) || !exists) {
        index = 0;
    }
    UINT32 length = 0;
    if (FAILED(names->GetStringLength(index, &length))) {
        return {};
    }
    std::wstring name(length + 1, L'\0');
    if (FAILED(names->GetString(index, name.data(), length + 1))) {
        return {};
    }
    name.resize(length);
    return name;
}

// The code point starting at `i` (UTF-16) and how many units it takes.
std::pair<UINT32, UINT32> CodePointAt(std::wstring_view text, std::size_t i) {
    const UINT32 c = UINT32(text[i]);
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && UINT32(text[i + 1]) >= 0xDC00 &&
        UINT32(text[i + 1]) < 0xE000) {
        return {0x10000 + ((c - 0xD800) << 10) + (UINT32(text[i + 1]) - 0xDC00), 2};
    }
    return {c, 1};
}

} // namespace

std::wstring SystemMessageFontFamily() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return {};
    }
    return metrics.lfMessageFont.lfFaceName;
}

std::unique_ptr<DirectWriteTextRenderer> DirectWriteTextRenderer::Create() {
    try {
        ComPtr<IDWriteFactory> dwrite;
        if (FAILED(DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                       reinterpret_cast<IUnknown**>(dwrite.GetAddressOf())))) {
            return nullptr;
        }
        ComPtr<ID2D1Factory> d2d;
        if (FAILED(D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, d2d.GetAddressOf()))) {
            return nullptr;
        }
        ComPtr<IDWriteFontCollection> fonts;
        if (FAILED(dwrite->GetSystemFontCollection(fonts.GetAddressOf(), FALSE)) || !fonts) {
            return nullptr;
        }
        return std::unique_ptr<DirectWriteTextRenderer>(
            new DirectWriteTextRenderer(std::move(dwrite), std::move(d2d), std::move(fonts)));
    } catch (...) {
        return nullptr;
    }
}

DirectWriteTextRenderer::DirectWriteTextRenderer(ComPtr<IDWriteFactory> dwrite, ComPtr<ID2D1Factory> d2d,
                                                 ComPtr<IDWriteFontCollection> fonts)
    : m_dwrite(std::move(dwrite)), m_d2d(std::move(d2d)), m_fonts(std::move(fonts)) {
    for (const wchar_t* family : kGlyphFallbackFamilies) {
        if (HasFamily(family)) {
            m_glyphFallbacks.emplace_back(family);
        }
    }
}

bool DirectWriteTextRenderer::HasFamily(const std::wstring& family) const {
    if (family.empty()) {
        return false;
    }
    UINT32 index = 0;
    BOOL exists = FALSE;
    return SUCCEEDED(m_fonts->FindFamilyName(family.c_str(), &index, &exists)) && exists;
}

ComPtr<IDWriteFont> DirectWriteTextRenderer::FirstFont(const std::wstring& family) const {
    UINT32 index = 0;
    BOOL exists = FALSE;
    ComPtr<IDWriteFontFamily> fontFamily;
    ComPtr<IDWriteFont> font;
    if (SUCCEEDED(m_fonts->FindFamilyName(family.c_str(), &index, &exists)) && exists &&
        SUCCEEDED(m_fonts->GetFontFamily(index, fontFamily.GetAddressOf()))) {
        fontFamily->GetFirstMatchingFont(DWRITE_FONT_WEIGHT_NORMAL, DWRITE_FONT_STRETCH_NORMAL,
                                         DWRITE_FONT_STYLE_NORMAL, font.GetAddressOf());
    }
    return font;
}

bool DirectWriteTextRenderer::HasLatin(const std::wstring& family) const {
    const ComPtr<IDWriteFont> font = FirstFont(family);
    BOOL a = FALSE, z = FALSE;
    return font && SUCCEEDED(font->HasCharacter(U'A', &a)) && SUCCEEDED(font->HasCharacter(U'z', &z)) && a && z;
}

std::wstring DirectWriteTextRenderer::ResolveFamily(const std::wstring& requested) {
    try {
        if (const auto it = m_resolved.find(requested); it != m_resolved.end()) {
            return it->second;
        }
        std::wstring chosen;
        // A family asked for by name is used whenever it is installed; characters it
        // lacks are handed to fallbacks at layout time.
        if (HasFamily(requested)) {
            chosen = requested;
        }
        // Otherwise the system UI font or a known UI family, as long as it can show
        // Latin text (some fallback faces hold only CJK).
        std::vector<std::wstring> candidates{SystemMessageFontFamily()};
        candidates.insert(candidates.end(), std::begin(kFallbackFamilies), std::end(kFallbackFamilies));
        for (const std::wstring& c : candidates) {
            if (chosen.empty() && HasFamily(c) && HasLatin(c)) {
                chosen = c;
            }
        }
        // Last resorts, so something is always drawn: any installed family with Latin
        // letters, then any family at all.
        std::wstring any;
        for (UINT32 i = 0; chosen.empty() && i < m_fonts->GetFontFamilyCount(); ++i) {
            ComPtr<IDWriteFontFamily> family;
            if (SUCCEEDED(m_fonts->GetFontFamily(i, family.GetAddressOf()))) {
                const std::wstring name = FamilyName(family.Get());
                if (HasLatin(name)) {
                    chosen = name;
                } else if (any.empty()) {
                    any = name;
                }
            }
        }
        if (chosen.empty()) {
            chosen = any;
        }
        m_resolved[requested] = chosen;
        return chosen;
    } catch (...) {
        return {};
    }
}

void DirectWriteTextRenderer::ApplyGlyphFallback(IDWriteTextLayout* layout, std::wstring_view text,
                                                 const std::wstring& family) {
    const ComPtr<IDWriteFont> main = FirstFont(family);
    auto has = [](IDWriteFont* font, UINT32 c) {
        BOOL exists = FALSE;
        return font && SUCCEEDED(font->HasCharacter(c, &exists)) && exists;
    };
    // The Latin UI family first (for a CJK-only main face), then the wide-coverage ones.
    std::vector<std::wstring> names;
    const std::wstring latin = ResolveFamily(L"");
    if (!latin.empty() && latin != family) {
        names.push_back(latin);
    }
    names.insert(names.end(), m_glyphFallbacks.begin(), m_glyphFallbacks.end());
    std::vector<ComPtr<IDWriteFont>> fonts;
    for (std::size_t i = 0; i < text.size();) {
        const auto [c, units] = CodePointAt(text, i);
        if (c > U' ' && !has(main.Get(), c)) {
            if (fonts.empty()) {
                for (const std::wstring& n : names) {
                    fonts.push_back(FirstFont(n));
                }
            }
            for (std::size_t f = 0; f < fonts.size(); ++f) {
                if (has(fonts[f].Get(), c)) {
                    layout->SetFontFamilyName(names[f].c_str(), DWRITE_TEXT_RANGE{UINT32(i), units});
                    break;
                }
            }
        }
        i += units;
    }
}

bool DirectWriteTextRenderer::MakeLayout(std::wstring_view text, const TextStyle& style, int maxWidth, Layout& out) {
    out = Layout{};
    if (text.empty()) {
        return false;
    }
    const std::wstring family = ResolveFamily(style.family);
    if (family.empty()) {
        return false;
    }
    const float size = std::isfinite(style.size) ? std::clamp(style.size, 1.0f, 1000.0f) : 12.0f;
    const auto weight = DWRITE_FONT_WEIGHT(std::clamp(style.weight, 1, 999));
    ComPtr<IDWriteTextFormat> format;
    if (FAILED(m_dwrite->CreateTextFormat(family.c_str(), m_fonts.Get(), weight, DWRITE_FONT_STYLE_NORMAL,
                                          DWRITE_FONT_STRETCH_NORMAL, size, L"", format.GetAddressOf()))) {
        return false;
    }
    format->SetWordWrapping(DWRITE_WORD_WRAPPING_NO_WRAP);
    const UINT32 length = UINT32(std::min<std::size_t>(text.size(), 32767));
    ComPtr<IDWriteTextLayout> layout;
    if (FAILED(m_dwrite->CreateTextLayout(text.data(), length, format.Get(), kNoLimit, kNoLimit,
                                          layout.GetAddressOf()))) {
        return false;
    }
    ApplyGlyphFallback(layout.Get(), text.substr(0, length), family);
    DWRITE_TEXT_METRICS metrics{};
    if (FAILED(layout->GetMetrics(&metrics))) {
        return false;
    }
    float width = metrics.widthIncludingTrailingWhitespace;
    if (maxWidth > 0 && width > float(maxWidth)) {
        // Too long: cut at a character and end with the ellipsis sign.
        ComPtr<IDWriteInlineObject> ellipsis;
        if (SUCCEEDED(m_dwrite->CreateEllipsisTrimmingSign(format.Get(), ellipsis.GetAddressOf()))) {
            const DWRITE_TRIMMING trimming{DWRITE_TRIMMING_GRANULARITY_CHARACTER, 0, 0};
            layout->SetTrimming(&trimming, ellipsis.Get());
        }
        layout->SetMaxWidth(float(maxWidth));
        if (SUCCEEDED(layout->GetMetrics(&metrics))) {
            width = std::min(metrics.widthIncludingTrailingWhitespace, float(maxWidth));
        }
        out.extent.truncated = true;
    } else {
        layout->SetMaxWidth(std::max(1.0f, std::ceil(width)));
    }
    DWRITE_LINE_METRICS line{};
    UINT32 lines = 0;
    if (SUCCEEDED(layout->GetLineMetrics(&line, 1, &lines)) && lines > 0) {
        out.extent.baseline = int(std::lround(line.baseline));
    }
    out.extent.width = int(std::ceil(width));
    if (maxWidth > 0) {
        out.extent.width = std::min(out.extent.width, maxWidth);
    }
    out.extent.height = int(std::ceil(metrics.height));
    out.layout = std::move(layout);
    return out.extent.width > 0 && out.extent.height > 0;
}

TextExtent DirectWriteTextRenderer::Measure(std::wstring_view text, const TextStyle& style, int maxWidth) {
    try {
        Layout layout;
        return MakeLayout(text, style, maxWidth, layout) ? layout.extent : TextExtent{};
    } catch (...) {
        return {};
    }
}

namespace {

// Keeps every channel within its alpha (the rasteriser's rounding can overshoot by one).
void ClampToAlpha(Bitmap& b) {
    for (Pixel& p : b.Pixels()) {
        const Pixel a = p >> 24;
        p = (a << 24) | (std::min<Pixel>((p >> 16) & 0xFF, a) << 16) | (std::min<Pixel>((p >> 8) & 0xFF, a) << 8) |
            std::min<Pixel>(p & 0xFF, a);
    }
}

void DrawLayout(ID2D1RenderTarget* target, IDWriteTextLayout* layout, const Color& c, bool& ok) {
    ComPtr<ID2D1SolidColorBrush> brush;
    const D2D1_COLOR_F color{c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, c.a / 255.0f};
    if (FAILED(target->CreateSolidColorBrush(color, brush.GetAddressOf()))) {
        ok = false;
        return;
    }
    target->BeginDraw();
    target->Clear(D2D1_COLOR_F{0, 0, 0, 0});
    // ClearType needs an opaque background; grayscale gives usable per-pixel alpha.
    target->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
    target->DrawTextLayout(D2D1_POINT_2F{0, 0}, layout, brush.Get(), D2D1_DRAW_TEXT_OPTIONS_NONE);
    ok = SUCCEEDED(target->EndDraw());
}

} // namespace

bool DirectWriteTextRenderer::DrawThroughDc(IDWriteTextLayout* layout, const Color& color, Bitmap& out) {
    const int w = out.Width(), h = out.Height();
    // Direct2D draws into a DIB section's memory; the pixels are then copied out.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win32::UniqueGdiObject dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    win32::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dib || !dc || !bits) {
        return false;
    }
    std::memset(bits, 0, std::size_t(w) * std::size_t(h) * 4);
    struct Restore {
        HDC dc;
        HGDIOBJ old;
        ~Restore() { SelectObject(dc, old); }
    } restore{dc.Get(), SelectObject(dc.Get(), dib.Get())};
    // Software first: a line of text is small, and it needs no graphics device.
    ComPtr<ID2D1DCRenderTarget> target;
    for (const auto type : {D2D1_RENDER_TARGET_TYPE_SOFTWARE, D2D1_RENDER_TARGET_TYPE_DEFAULT}) {
        const D2D1_RENDER_TARGET_PROPERTIES props = D2D1::RenderTargetProperties(
            type, D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED));
        if (SUCCEEDED(m_d2d->CreateDCRenderTarget(&props, target.ReleaseAndGetAddressOf()))) {
            break;
        }
    }
    const RECT rect{0, 0, w, h};
    if (!target || FAILED(target->BindDC(dc.Get(), &rect))) {
        return false;
    }
    bool ok = true;
    DrawLayout(target.Get(), layout, color, ok);
    if (!ok) {
        return false;
    }
    GdiFlush();
    std::memcpy(out.Pixels().data(), bits, std::size_t(w) * std::size_t(h) * 4);
    return true;
}

Bitmap DirectWriteTextRenderer::Draw(std::wstring_view text, const TextStyle& style, int maxWidth) {
    try {
        Layout layout;
        if (!MakeLayout(text, style, maxWidth, layout)) {
            return {};
        }
        Bitmap out(layout.extent.width, layout.extent.height);
        if (!DrawThroughDc(layout.layout.Get(), style.color, out)) {
            return {};
        }
        ClampToAlpha(out);
        return out;
    } catch (...) {
        return {};
    }
}

} // namespace kestrana::gfx
