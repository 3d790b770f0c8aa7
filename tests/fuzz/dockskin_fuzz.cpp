// Feeds a made-up skin to the dock skin: a config.ini and two pictures from the input,
// then loads the skin for a chosen edge, scale and appearance and draws every part and
// a preview. Whatever the file says, loading and drawing must neither crash nor read or
// write out of bounds, and the frames must stay premultiplied.
//
// Input: byte 0 picks dark (bit 0), the screen position (bits 1-3) and the scale (bits
// 4-5); bytes 1-2 give the length of the config.ini text and bytes 3-4 the length of the
// picture "a.png", which follow in that order; the rest is the picture "b.png".
#include "fakes/fake_file_system.h"
#include "foundation/config_store.h"
#include "gfx/canvas.h"
#include "gfx/image_decoder.h"
#include "gfx/image_limits.h"
#include "gfx/png_codec.h"
#include "gfx/resample.h"
#include "themes/dock_skin.h"
#include "themes/dock_skin_preview.h"
#include "themes/theme_choices.h"
#include "themes/theme_files.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace kestrana;

// Like the native decoder, but without checksum checks so mutated files reach the
// deeper stages of the reader.
class LaxDecoder final : public gfx::ImageDecoder {
public:
    std::optional<gfx::Bitmap> Decode(std::span<const std::uint8_t> bytes, gfx::DecodeSize size) const override {
        gfx::PngReadOptions lax;
        lax.verifyChecksums = false;
        std::optional<gfx::Bitmap> b = gfx::DecodePng(bytes, lax);
        if (!b) return std::nullopt;
        const gfx::DecodeSize target = gfx::ResolveDecodeSize(b->Width(), b->Height(), size);
        if (!gfx::ImageSizeAllowed(target.width, target.height)) return std::nullopt;
        if (target.width != b->Width() || target.height != b->Height()) return gfx::ScaleBitmap(*b, target.width, target.height);
        return b;
    }
};

void CheckPremultiplied(const gfx::Bitmap& b) {
    for (const gfx::Pixel p : b.Pixels()) {
        const unsigned a = gfx::PixelA(p);
        if (gfx::PixelR(p) > a || gfx::PixelG(p) > a || gfx::PixelB(p) > a) std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return 0;
    const bool dark = data[0] & 1;
    const int position = (data[0] >> 1) & 7;
    const float scales[] = {1.0f, 1.25f, 1.5f, 2.0f};
    const float scale = scales[(data[0] >> 4) & 3];
    const auto length = [&](std::size_t at, std::size_t left) {
        return std::min<std::size_t>(left, std::size_t(data[at]) | std::size_t(data[at + 1]) << 8);
    };
    const std::size_t configLength = length(1, size - 5);
    const std::size_t aLength = length(3, size - 5 - configLength);
    const std::uint8_t* config = data + 5;
    const std::uint8_t* a = config + configLength;
    const std::uint8_t* b = a + aLength;
    const std::uint8_t* end = data + size;

    const std::wstring base = L"C:\\Kestrana\\";
    const std::wstring folder = base + L"themes\\Fuzz\\dockskin\\";
    fakes::FakeFileSystem files;
    files.AddFile(base + L"config.ini", std::string_view("[themes]\r\ndockskin=Fuzz\r\n"));
    files.AddFile(folder + L"config.ini", std::vector<std::uint8_t>(config, config + configLength));
    files.AddFile(folder + L"a.png", std::vector<std::uint8_t>(a, b));
    files.AddFile(folder + L"b.png", std::vector<std::uint8_t>(b, end));
    foundation::ConfigStore store(files, base);
    const LaxDecoder decoder;

    themes::DockSkin skin = themes::DockSkin::Load(store, decoder, {dark, scale, position});
    const bool vertical = themes::IsVerticalEdge(skin.Edge());
    gfx::Bitmap frame(vertical ? 70 : 220, vertical ? 220 : 70);
    gfx::Canvas canvas(frame);
    const gfx::RectF bar = vertical ? gfx::RectF{5, 5, 60, 210} : gfx::RectF{5, 5, 210, 60};
    const gfx::RectF icon = vertical ? gfx::RectF{15, 40, 40, 40} : gfx::RectF{40, 15, 40, 40};
    skin.DrawBackground(canvas, bar);
    skin.DrawSeparator(canvas, bar, 120);
    skin.DrawRunIndicator(canvas, bar, icon);
    skin.DrawProgress(canvas, {45, 45, 30, 8}, float(data[0]) / 128.0f);
    CheckPremultiplied(frame);

    gfx::Bitmap mask(frame.Width(), frame.Height());
    gfx::Canvas maskCanvas(mask);
    skin.DrawBlurMask(maskCanvas, bar);
    themes::MaskByAlpha(frame, mask);
    CheckPremultiplied(frame);

    themes::ThemeChoices choices(store);
    themes::ThemeFiles icons(files, base, choices);
    gfx::Bitmap wide(120, 40), square(48, 48);
    (void)themes::DrawDockSkinPreview(wide, store, icons, decoder, L"Fuzz", dark);
    (void)themes::DrawDockSkinPreview(square, store, icons, decoder, L"Fuzz", !dark);
    CheckPremultiplied(wide);
    CheckPremultiplied(square);
    return 0;
}
