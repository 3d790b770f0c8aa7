#pragma once
// Text through DirectWrite, drawn by Direct2D into premultiplied memory with grayscale
// anti-aliasing (per-pixel alpha, so the line can be blended anywhere). A family that is
// not installed is replaced from a fallback list ending with any installed family, so
// text is never silently dropped; characters the chosen face lacks (CJK in a Latin
// face) are given to a fallback family that has them.

#include "gfx/text_renderer.h"

#include <windows.h>
#include <d2d1.h>
#include <dwrite.h>
#include <wrl/client.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kestrana::gfx {

class DirectWriteTextRenderer final : public TextRenderer {
public:
    // Nothing when DirectWrite or Direct2D is unavailable.
    [[nodiscard]] static std::unique_ptr<DirectWriteTextRenderer> Create();

    [[nodiscard]] TextExtent Measure(std::wstring_view text, const TextStyle& style, int maxWidth = 0) override;
    [[nodiscard]] Bitmap Draw(std::wstring_view text, const TextStyle& style, int maxWidth = 0) override;

    // The installed family used for a requested one ("" = the system UI font).
    [[nodiscard]] std::wstring ResolveFamily(const std::wstring& requested);

private:
    DirectWriteTextRenderer(Microsoft::WRL::ComPtr<IDWriteFactory> dwrite, Microsoft::WRL::ComPtr<ID2D1Factory> d2d,
                            Microsoft::WRL::ComPtr<IDWriteFontCollection> fonts);

    struct Layout {
        Microsoft::WRL::ComPtr<IDWriteTextLayout> layout;
        TextExtent extent;
    };
    bool MakeLayout(std::wstring_view text, const TextStyle& style, int maxWidth, Layout& out);
    bool HasFamily(const std::wstring& family) const;
    Microsoft::WRL::ComPtr<IDWriteFont> FirstFont(const std::wstring& family) const;
    bool DrawThroughDc(IDWriteTextLayout* layout, const Color& color, Bitmap& out);
    bool HasLatin(const std::wstring& family) const;
    void ApplyGlyphFallback(IDWriteTextLayout* layout, std::wstring_view text, const std::wstring& family);

    Microsoft::WRL::ComPtr<IDWriteFactory> m_dwrite;
    Microsoft::WRL::ComPtr<ID2D1Factory> m_d2d;
    Microsoft::WRL::ComPtr<IDWriteFontCollection> m_fonts;
    std::map<std::wstring, std::wstring> m_resolved;
    std::vector<std::wstring> m_glyphFallbacks;
};

// The face name of the system's message font, or empty.
[[nodiscard]] std::wstring SystemMessageFontFamily();

} // namespace kestrana::gfx
