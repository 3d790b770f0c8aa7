// The Windows layer of the compositor: imaging-component decoding, DirectWrite text and
// layered-window presentation. Built and run only in the Windows build (under Wine in CI).
#ifdef _WIN32

#include "gfx_test_support.h"

#include "gfx/ico_codec.h"
#include "gfx/png_codec.h"
#include "gfx/win32/direct_write_text_renderer.h"
#include "gfx/win32/layered_window_surface.h"
#include "gfx/win32/wic_image_decoder.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/unique_handle.h"

#include <gtest/gtest.h>

#include <dwrite.h>
#include <wrl/client.h>

#include <mutex>
#include <optional>
#include <thread>

namespace kestrana::gfx {
namespace {

TEST(WicDecoder, ReadsWhatTheNativeReaderReadsAndScalesToTheAskedSize) {
    win32::ComApartment com;
    const auto decoder = WicImageDecoder::Create();
    ASSERT_TRUE(decoder);
    const Bitmap original = testing::NoiseBitmap(37, 23, 5);
    const std::vector<std::uint8_t> png = EncodePng(original);
    const std::optional<Bitmap> same = decoder->Decode(png);
    ASSERT_TRUE(same);
    // Straight-to-premultiplied rounding may differ by one level between implementations.
    EXPECT_LE(testing::MaxDifference(*same, original), 1);
    const std::optional<Bitmap> scaled = decoder->Decode(EncodePng(testing::Solid(64, 32, 0xFF2060A0u)), {16, 0});
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled->Width(), 16);
    EXPECT_EQ(scaled->Height(), 8);
    EXPECT_LE(testing::ChannelDifference(scaled->At(8, 4), 0xFF2060A0u), 1);
    EXPECT_EQ(testing::FirstUnpremultipliedPixel(*scaled), "");
    const std::vector<std::uint8_t> junk = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_FALSE(decoder->Decode(junk));
}

// The item pictures are decoded on workers; formats other than PNG and ICO by an imaging
// factory of the worker's own apartment.
TEST(AnyThreadDecoder, ReadsOtherFormatsOnAWorker) {
    // A 2 x 1 BMP, 32 bits per pixel: a blue pixel, then a white one.
    const std::vector<std::uint8_t> bmp{'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 1,
                                        0,   0,   0,  1, 0, 32, 0, 0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                        0,   0,   0,  0, 0, 0,  0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
    std::optional<Bitmap> decoded;
    std::thread([&] {
        win32::ComApartment com;
        decoded = AnyThreadImageDecoder().Decode(bmp);
    }).join();
    ASSERT_TRUE(decoded && decoded->Width() == 2);
    EXPECT_EQ(decoded->At(0, 0), MakePixel(0, 0, 255, 255));
    EXPECT_EQ(decoded->At(1, 0), MakePixel(255, 255, 255, 255));
}

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) noexcept {
    return DefWindowProcW(w, m, wp, lp);
}

// A hidden layered window, or nothing where there is no display to create one on.
win32::UniqueWindow MakeWindow() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KestranaGfxTestSurface";
    RegisterClassExW(&wc);
    return win32::UniqueWindow(CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0,
                                               0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr));
}

// Whether an installed family can show Latin letters, asked of DirectWrite directly.
std::optional<bool> FamilyHasLatin(const wchar_t* name) {
    Microsoft::WRL::ComPtr<IDWriteFactory> factory;
    Microsoft::WRL::ComPtr<IDWriteFontCollection> fonts;
    Microsoft::WRL::ComPtr<IDWriteFontFamily> family;
    Microsoft::WRL::ComPtr<IDWriteFont> font;
    UINT32 index = 0;
    BOOL exists = FALSE, has = FALSE;
    if (FAILED(DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                   reinterpret_cast<IUnknown**>(factory.GetAddressOf()))) ||
        FAILED(factory->GetSystemFontCollection(fonts.GetAddressOf(), FALSE)) ||
        FAILED(fonts->FindFamilyName(name, &index, &exists)) || !exists ||
        FAILED(fonts->GetFontFamily(index, family.GetAddressOf())) ||
        FAILED(family->GetFirstMatchingFont(DWRITE_FONT_WEIGHT_NORMAL, DWRITE_FONT_STRETCH_NORMAL,
                                            DWRITE_FONT_STYLE_NORMAL, font.GetAddressOf())) ||
        FAILED(font->HasCharacter(U'A', &has))) {
        return std::nullopt;
    }
    return has != FALSE;
}

class DirectWriteText : public ::testing::Test {
protected:
    void SetUp() override {
        m_renderer = DirectWriteTextRenderer::Create();
        ASSERT_TRUE(m_renderer);
        if (m_renderer->ResolveFamily(L"").empty()) {
            GTEST_SKIP() << "no font is installed on this system";
        }
    }
    win32::ComApartment m_com;
    std::unique_ptr<DirectWriteTextRenderer> m_renderer;
};

TEST_F(DirectWriteText, MissingFamiliesFallBackAndTextIsNeverDropped) {
    const TextStyle style{L"No Such Family Anywhere", 16.0f, 400, Color{30, 60, 200, 255}};
    const std::wstring family = m_renderer->ResolveFamily(style.family);
    EXPECT_FALSE(family.empty());
    EXPECT_NE(family, style.family);
    const TextExtent e = m_renderer->Measure(L"Kestrana Dock", style);
    EXPECT_GT(e.width, 40);
    EXPECT_GT(e.height, 10);
    const Bitmap b = m_renderer->Draw(L"Kestrana Dock", style);
    ASSERT_EQ(b.Width(), e.width);
    ASSERT_EQ(b.Height(), e.height);
    EXPECT_GT(testing::TotalAlpha(b), 255u * 20);
}

// Log lines kept in memory.
struct MemoryLog final : foundation::LogFiles {
    std::shared_ptr<std::string> text = std::make_shared<std::string>();
    std::optional<std::uint64_t> Size(const std::wstring&) const override { return text->size(); }
    bool Append(const std::wstring&, std::span<const std::uint8_t> bytes) override {
        text->append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return true;
    }
    bool Rotate(const std::wstring&, const std::wstring&) override { return false; }
};

TEST_F(DirectWriteText, AMissingFamilyIsLoggedOnceNotPerDraw) {
    auto files = std::make_unique<MemoryLog>();
    const std::shared_ptr<std::string> text = files->text;
    auto log = std::make_shared<foundation::DiagnosticLog>(std::move(files), L"L", [] { return foundation::LogTime{}; });
    foundation::InstallDiagnosticLog(log);
    const TextStyle style{L"Family Nobody Installed", 12.0f, 400, Color{0, 0, 0, 255}};
    for (int i = 0; i < 3; ++i) {
        (void)m_renderer->Draw(L"Trash", style);
    }
    (void)m_renderer->Measure(L"Trash", style);
    log->Flush();
    foundation::InstallDiagnosticLog(nullptr);
    std::size_t lines = 0;
    for (std::size_t at = text->find("Family Nobody Installed"); at != std::string::npos;
         at = text->find("Family Nobody Installed", at + 1)) {
        ++lines;
    }
    EXPECT_EQ(lines, 1u) << *text;
}

TEST_F(DirectWriteText, SmoothTextIsPremultipliedInTheStyleColour) {
    // An outline face where the prefix has one (Wine's Tahoma carries bitmaps for small
    // sizes, so smoothing there is the face's business).
    const std::wstring family = m_renderer->ResolveFamily(L"DejaVu Sans") == L"DejaVu Sans" ? L"DejaVu Sans" : L"";
    const Color colour{200, 120, 30, 255};
    const Bitmap b = m_renderer->Draw(L"Kestrana Dock", {family, 20.0f, 400, colour});
    ASSERT_FALSE(b.Empty());
    EXPECT_EQ(testing::FirstUnpremultipliedPixel(b), "");
    int partial = 0, opaque = 0;
    for (Pixel p : b.Pixels()) {
        partial += PixelA(p) > 0 && PixelA(p) < 255;
        opaque += PixelA(p) == 255;
        if (PixelA(p) >= 128) {
            // Straight colour back within rounding: channels in their places, not doubly scaled.
            const Color c = Unpremultiply(p);
            ASSERT_NEAR(c.r, colour.r, 3);
            ASSERT_NEAR(c.g, colour.g, 3);
            ASSERT_NEAR(c.b, colour.b, 3);
        }
    }
    EXPECT_GT(opaque, 0);
    if (!family.empty()) {
        EXPECT_GT(partial, opaque / 4) << "anti-aliased edges";
    }
    // A translucent colour scales coverage: nothing above its alpha, the cores at it.
    const Bitmap half = m_renderer->Draw(L"Kestrana Dock", {family, 20.0f, 400, Color{200, 120, 30, 128}});
    ASSERT_EQ(half.Width(), b.Width());
    int top = 0;
    for (Pixel p : half.Pixels()) {
        top = std::max<int>(top, PixelA(p));
    }
    EXPECT_EQ(top, 128);
}

TEST_F(DirectWriteText, ChineseInALatinFamilyDrawsRealGlyphs) {
    if (!FamilyHasLatin(L"Droid Sans Fallback")) {
        GTEST_SKIP() << "no CJK face installed";
    }
    // Boxes for missing glyphs would all look alike; real glyphs differ.
    const TextStyle latin{m_renderer->ResolveFamily(L""), 16.0f, 400, Color{0, 0, 0, 255}};
    const Bitmap middle = m_renderer->Draw(L"\u4E2D", latin);
    const Bitmap script = m_renderer->Draw(L"\u6587", latin);
    EXPECT_GT(testing::TotalAlpha(middle), 255u * 10);
    EXPECT_GT(testing::TotalAlpha(script), 255u * 10);
    EXPECT_NE(testing::MaxDifference(middle, script), 0);
}

TEST_F(DirectWriteText, LettersMissingFromTheChosenFaceComeFromAFallbackFace) {
    // A CJK-only face asked for by name: its Latin letters are set in the UI family, so
    // the line is as wide as the same line set in that family, not a row of boxes.
    const wchar_t* cjkOnly = L"Droid Sans Fallback";
    const std::optional<bool> hasLatin = FamilyHasLatin(cjkOnly);
    if (!hasLatin || *hasLatin) {
        GTEST_SKIP() << "no installed face without Latin letters to try";
    }
    EXPECT_NE(m_renderer->ResolveFamily(L""), cjkOnly) << "the UI family must show Latin text";
    EXPECT_EQ(m_renderer->ResolveFamily(cjkOnly), cjkOnly);
    const TextStyle inCjk{cjkOnly, 16.0f, 400, Color{0, 0, 0, 255}};
    const TextStyle inUi{m_renderer->ResolveFamily(L""), 16.0f, 400, Color{0, 0, 0, 255}};
    EXPECT_EQ(m_renderer->Measure(L"Kestrana", inCjk).width, m_renderer->Measure(L"Kestrana", inUi).width);
}

TEST_F(DirectWriteText, LongTextIsCutWithinTheLimit) {
    const TextStyle style{L"", 14.0f, 700, Color{0, 0, 0, 255}};
    const TextExtent full = m_renderer->Measure(L"A rather long application name", style);
    ASSERT_GT(full.width, 60);
    EXPECT_FALSE(full.truncated);
    const TextExtent cut = m_renderer->Measure(L"A rather long application name", style, full.width / 2);
    EXPECT_TRUE(cut.truncated);
    EXPECT_LE(cut.width, full.width / 2);
    EXPECT_GT(cut.width, 0);
    const Bitmap b = m_renderer->Draw(L"A rather long application name", style, full.width / 2);
    EXPECT_EQ(b.Width(), cut.width);
    EXPECT_GT(testing::TotalAlpha(b), 0u);
}

TEST(LayeredWindowSurface, PresentsFramesAndReusesItsMemoryForOneSize) {
    const win32::UniqueWindow window = MakeWindow();
    if (!window) {
        GTEST_SKIP() << "no window station or display to create windows on";
    }
    LayeredWindowSurface surface;
    const Bitmap first = testing::NoiseBitmap(40, 30, 1);
    ASSERT_TRUE(surface.Present(window.Get(), first, POINT{10, 10}));
    // A hidden window may have lost its picture: only a shown one is handed parts of it.
    ShowWindow(window.Get(), SW_SHOWNOACTIVATE);
    EXPECT_EQ(testing::MaxDifference(surface.Snapshot(), first), 0);
    const Bitmap second = testing::NoiseBitmap(40, 30, 2);
    const RectI dirty{5, 6, 10, 7};
    ASSERT_TRUE(surface.Present(window.Get(), second, POINT{10, 10}, 255, &dirty));
    EXPECT_EQ(surface.Allocations(), 1);
    const Bitmap shown = surface.Snapshot();
    EXPECT_EQ(shown.At(5, 6), second.At(5, 6));
    EXPECT_EQ(shown.At(14, 12), second.At(14, 12));
    EXPECT_EQ(shown.At(0, 0), first.At(0, 0)); // outside the dirty part nothing was copied
    // Moved and dimmed while it changes: the system is handed the whole picture again.
    ASSERT_TRUE(surface.Present(window.Get(), second, POINT{12, 10}, 200, &dirty));
    EXPECT_EQ(surface.Snapshot().At(0, 0), second.At(0, 0));
    EXPECT_EQ(surface.Allocations(), 1);
    ASSERT_TRUE(surface.Present(window.Get(), testing::NoiseBitmap(64, 20, 3), POINT{0, 0}));
    EXPECT_EQ(surface.Allocations(), 2);
    EXPECT_EQ(surface.Width(), 64);
    EXPECT_FALSE(surface.Present(nullptr, first, POINT{0, 0}));
}

} // namespace
} // namespace kestrana::gfx

#endif
