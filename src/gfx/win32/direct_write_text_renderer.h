#pragma once
// Text through DirectWrite alone: the layout hands each glyph run to our own renderer,
// which asks DirectWrite for the run's coverage and blends it into premultiplied memory in
// the style's colour, with grayscale smoothing (per-pixel alpha, so the line can be
// blended anywhere). No graphics device is involved, so drawing text costs no 3D stack.
// A family that is not installed is replaced from a fallback list ending with any
// installed family, so text is never silently dropped; characters the chosen face lacks
// (CJK in a Latin face) are given to a fallback family that has them.

#include "gfx/text_renderer.h"

#include <windows.h>
#include <dwrite.h>
#include <dwrite_2.h>
#include <wrl/client.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kestrana::gfx {

class DirectWriteTextRenderer final : public TextRenderer {
public:
    // Nothing when DirectWrite is unavailable.
    [[nodiscard]] static std::unique_ptr<DirectWriteTextRenderer> Create();

    [[nodiscard]] TextExtent Measure(std::wstring_view text, const TextStyle& style, int maxWidth = 0) override;
    [[nodiscard]] Bitmap Draw(std::wstring_view text, const TextStyle& style, int maxWidth = 0) override;

    // The installed family used for a requested one ("" = the system UI font).
    [[nodiscard]] std::wstring ResolveFamily(const std::wstring& requested);

private:
    DirectWriteTextRenderer(Microsoft::WRL::ComPtr<IDWriteFactory> dwrite,
                            Microsoft::WRL::ComPtr<IDWriteFontCollection> fonts);

    struct Layout {
        Microsoft::WRL::ComPtr<IDWriteTextLayout> layout;
        TextExtent extent;
    };
    bool MakeLayout(std::wstring_view text, const TextStyle& style, int maxWidth, Layout& out);
    bool HasFamily(const std::wstring& family) const;
    Microsoft::WRL::ComPtr<IDWriteFont> FirstFont(const std::wstring& family) const;
    bool HasLatin(const std::wstring& family) const;
    void ApplyGlyphFallback(IDWriteTextLayout* layout, std::wstring_view text, const std::wstring& family);

    Microsoft::WRL::ComPtr<IDWriteFactory> m_dwrite;
    Microsoft::WRL::ComPtr<IDWriteFactory2> m_dwrite2; // grayscale glyph coverage (Windows 8.1 and later)
    Microsoft::WRL::ComPtr<IDWriteFontCollection> m_fonts;
    Microsoft::WRL::ComPtr<IDWriteRenderingParams> m_params;
    std::map<std::wstring, std::wstring> m_resolved;
    std::vector<std::wstring> m_glyphFallbacks;
};

// The face name of the system's message font, or empty.
[[nodiscard]] std::wstring SystemMessageFontFamily();

} // namespace kestrana::gfx
