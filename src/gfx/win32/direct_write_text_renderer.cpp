#include "gfx/win32/direct_write_text_renderer.h"

#include "foundation/diagnostic_log.h"
#include "gfx/pixel_rows.h"

#include <algorithm>
#include <cmath>

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
        ComPtr<IDWriteFontCollection> fonts;
        if (FAILED(dwrite->GetSystemFontCollection(fonts.GetAddressOf(), FALSE)) || !fonts) {
            return nullptr;
        }
        return std::unique_ptr<DirectWriteTextRenderer>(
            new DirectWriteTextRenderer(std::move(dwrite), std::move(fonts)));
    } catch (...) {
        foundation::LogCaught("text renderer");
        return nullptr;
    }
}

DirectWriteTextRenderer::DirectWriteTextRenderer(ComPtr<IDWriteFactory> dwrite, ComPtr<IDWriteFontCollection> fonts)
    : m_dwrite(std::move(dwrite)), m_fonts(std::move(fonts)) {
    // Both optional: without them runs are smoothed symmetrically and the grayscale
    // coverage comes from averaging the sub-pixel samples.
    m_dwrite.As(&m_dwrite2);
    m_dwrite->CreateRenderingParams(m_params.GetAddressOf());
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
        // Logged once per family: the result is remembered below.
        if (chosen.empty()) {
            foundation::LogFailure("text", L"no font family is installed; text cannot be drawn");
        } else if (!requested.empty() && chosen != requested) {
            foundation::LogFailure("text", L"font family \"" + requested + L"\" is not installed; using \"" + chosen +
                                               L"\"");
        }
        m_resolved[requested] = chosen;
        return chosen;
    } catch (...) {
        foundation::LogCaught("text renderer");
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
        foundation::LogCaught("text renderer");
        return {};
    }
}

namespace {

// x * k / 255, rounded.
std::uint8_t Scale255(unsigned x, unsigned k) {
    const unsigned t = x * k + 128;
    return std::uint8_t((t + (t >> 8)) >> 8);
}

// Receives a layout's glyph runs (and its ellipsis sign, an inline object that draws
// itself through us) and blends each run's coverage into the target. It lives on the
// stack for one Draw call, so reference counting is a formality.
class CoverageRenderer final : public IDWriteTextRenderer {
public:
    CoverageRenderer(IDWriteFactory* factory, IDWriteFactory2* factory2, IDWriteRenderingParams* params,
                     const Color& color, Bitmap& target)
        : m_factory(factory), m_factory2(factory2), m_params(params), m_color(color), m_target(target) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) noexcept override {
        if (!out) {
            return E_POINTER;
        }
        if (id == __uuidof(IUnknown) || id == __uuidof(IDWritePixelSnapping) || id == __uuidof(IDWriteTextRenderer)) {
            *out = static_cast<IDWriteTextRenderer*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return 1; }
    ULONG STDMETHODCALLTYPE Release() noexcept override { return 1; }

    HRESULT STDMETHODCALLTYPE IsPixelSnappingDisabled(void*, BOOL* disabled) noexcept override {
        *disabled = FALSE; // baselines on whole pixels keep small text crisp
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCurrentTransform(void*, DWRITE_MATRIX* transform) noexcept override {
        *transform = DWRITE_MATRIX{1, 0, 0, 1, 0, 0};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPixelsPerDip(void*, FLOAT* pixelsPerDip) noexcept override {
        *pixelsPerDip = 1.0f; // sizes are already in pixels
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE DrawGlyphRun(void*, FLOAT x, FLOAT y, DWRITE_MEASURING_MODE measuring,
                                           const DWRITE_GLYPH_RUN* run, const DWRITE_GLYPH_RUN_DESCRIPTION*,
                                           IUnknown*) noexcept override {
        try {
            if (!run || !run->fontFace || run->glyphCount == 0) {
                return S_OK;
            }
            return BlendRun(x, y, measuring, *run);
        } catch (...) {
            foundation::LogCaught("text renderer");
            return E_OUTOFMEMORY;
        }
    }
    // Lines are never underlined or struck through.
    HRESULT STDMETHODCALLTYPE DrawUnderline(void*, FLOAT, FLOAT, const DWRITE_UNDERLINE*, IUnknown*) noexcept override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DrawStrikethrough(void*, FLOAT, FLOAT, const DWRITE_STRIKETHROUGH*,
                                                IUnknown*) noexcept override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DrawInlineObject(void* context, FLOAT x, FLOAT y, IDWriteInlineObject* object,
                                               BOOL sideways, BOOL rightToLeft, IUnknown* effect) noexcept override {
        return object ? object->Draw(context, this, x, y, sideways, rightToLeft, effect) : S_OK;
    }

private:
    DWRITE_RENDERING_MODE ModeFor(const DWRITE_GLYPH_RUN& run, DWRITE_MEASURING_MODE measuring) const {
        DWRITE_RENDERING_MODE mode = DWRITE_RENDERING_MODE_DEFAULT;
        if (!m_params || FAILED(run.fontFace->GetRecommendedRenderingMode(run.fontEmSize, 1.0f, measuring,
                                                                          m_params, &mode))) {
            mode = DWRITE_RENDERING_MODE_DEFAULT;
        }
        // Outlines have no coverage texture; at the large sizes they are recommended for,
        // symmetric smoothing looks the same.
        if (mode == DWRITE_RENDERING_MODE_DEFAULT || mode == DWRITE_RENDERING_MODE_OUTLINE) {
            mode = DWRITE_RENDERING_MODE_CLEARTYPE_NATURAL_SYMMETRIC;
        }
        return mode;
    }

    HRESULT BlendRun(FLOAT x, FLOAT y, DWRITE_MEASURING_MODE measuring, const DWRITE_GLYPH_RUN& run) {
        const DWRITE_RENDERING_MODE mode = ModeFor(run, measuring);
        ComPtr<IDWriteGlyphRunAnalysis> analysis;
        HRESULT hr = E_FAIL;
        // Grayscale where the factory can be asked for it, so nothing depends on the
        // screen's sub-pixel order and the coverage suits translucent backgrounds.
        if (m_factory2 && mode != DWRITE_RENDERING_MODE_ALIASED) {
            hr = m_factory2->CreateGlyphRunAnalysis(&run, nullptr, mode, measuring, DWRITE_GRID_FIT_MODE_DEFAULT,
                                                    DWRITE_TEXT_ANTIALIAS_MODE_GRAYSCALE, x, y,
                                                    analysis.GetAddressOf());
        }
        if (FAILED(hr)) {
            hr = m_factory->CreateGlyphRunAnalysis(&run, 1.0f, nullptr, mode, measuring, x, y,
                                                   analysis.ReleaseAndGetAddressOf());
        }
        if (FAILED(hr)) {
            return hr;
        }
        // Smoothed runs come as three samples per pixel (equal ones when grayscale was
        // granted, averaged otherwise); aliased runs as one.
        DWRITE_TEXTURE_TYPE type = mode == DWRITE_RENDERING_MODE_ALIASED ? DWRITE_TEXTURE_ALIASED_1x1
                                                                          : DWRITE_TEXTURE_CLEARTYPE_3x1;
        RECT bounds{};
        if (FAILED(analysis->GetAlphaTextureBounds(type, &bounds)) || IsRectEmpty(&bounds)) {
            type = type == DWRITE_TEXTURE_ALIASED_1x1 ? DWRITE_TEXTURE_CLEARTYPE_3x1 : DWRITE_TEXTURE_ALIASED_1x1;
            if (FAILED(analysis->GetAlphaTextureBounds(type, &bounds)) || IsRectEmpty(&bounds)) {
                return S_OK; // nothing visible (spaces)
            }
        }
        const int samples = type == DWRITE_TEXTURE_CLEARTYPE_3x1 ? 3 : 1;
        const int w = bounds.right - bounds.left, h = bounds.bottom - bounds.top;
        m_texture.resize(std::size_t(w) * std::size_t(h) * std::size_t(samples));
        if (FAILED(hr = analysis->CreateAlphaTexture(type, &bounds, m_texture.data(), UINT32(m_texture.size())))) {
            return hr;
        }
        const int x0 = std::max<int>(bounds.left, 0), x1 = std::min<int>(bounds.right, m_target.Width());
        const int y0 = std::max<int>(bounds.top, 0), y1 = std::min<int>(bounds.bottom, m_target.Height());
        if (x0 >= x1 || y0 >= y1) {
            return S_OK;
        }
        m_row.resize(std::size_t(x1 - x0));
        for (int ty = y0; ty < y1; ++ty) {
            const BYTE* t = m_texture.data() +
                            (std::size_t(ty - bounds.top) * std::size_t(w) + std::size_t(x0 - bounds.left)) *
                                std::size_t(samples);
            for (Pixel& p : m_row) {
                const unsigned coverage = samples == 3 ? (unsigned(t[0]) + t[1] + t[2] + 1) / 3 : t[0];
                t += samples;
                const std::uint8_t a = Scale255(coverage, m_color.a);
                p = MakePixel(Scale255(m_color.r, a), Scale255(m_color.g, a), Scale255(m_color.b, a), a);
            }
            // Over, not copy: neighbouring runs (a fallback face, the ellipsis) may overlap.
            OverRow(m_row.data(), m_target.Row(ty) + x0, x1 - x0);
        }
        return S_OK;
    }

    IDWriteFactory* m_factory;
    IDWriteFactory2* m_factory2;
    IDWriteRenderingParams* m_params;
    Color m_color;
    Bitmap& m_target;
    std::vector<BYTE> m_texture;
    std::vector<Pixel> m_row;
};

} // namespace

Bitmap DirectWriteTextRenderer::Draw(std::wstring_view text, const TextStyle& style, int maxWidth) {
    try {
        Layout layout;
        if (!MakeLayout(text, style, maxWidth, layout)) {
            return {};
        }
        Bitmap out(layout.extent.width, layout.extent.height);
        CoverageRenderer renderer(m_dwrite.Get(), m_dwrite2.Get(), m_params.Get(), style.color, out);
        if (FAILED(layout.layout->Draw(nullptr, &renderer, 0.0f, 0.0f))) {
            return {};
        }
        return out;
    } catch (...) {
        foundation::LogCaught("text renderer");
        return {};
    }
}

} // namespace kestrana::gfx
