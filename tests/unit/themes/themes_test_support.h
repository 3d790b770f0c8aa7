#pragma once
// A program folder on the in-memory disk with a settings store over it, pictures made on
// the fly as PNG files.

#include "fakes/settings_folder.h"
#include "gfx/bitmap.h"
#include "gfx/png_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kestrana::themes::testing {

inline const std::wstring kBase = L"C:\\Kestrana\\";

inline std::vector<std::uint8_t> PngOf(const gfx::Bitmap& b) { return gfx::EncodePng(b); }

inline gfx::Bitmap SolidBitmap(int w, int h, gfx::Color c) {
    gfx::Bitmap b(w, h);
    b.Fill(c.Premultiplied());
    return b;
}

struct ProgramFolder : fakes::SettingsFolder {
    ProgramFolder() : SettingsFolder(kBase) { files.AddDirectory(kBase + L"themes"); }

    std::wstring Theme(const std::wstring& name) const { return kBase + L"themes\\" + name + L"\\"; }
    void Text(const std::wstring& path, std::u16string_view text) { files.AddFile(path, fakes::Utf16File(text)); }
    void Picture(const std::wstring& path, const gfx::Bitmap& b) { files.AddFile(path, PngOf(b)); }
};

// A picture cut into nine flat regions by `insets`, each a colour of its own (some of
// them translucent), so a drawing shows which part of the picture went where.
inline gfx::Bitmap NineRegionPicture(int w, int h, int left, int top, int right, int bottom) {
    static const gfx::Color colours[9] = {{220, 40, 40, 255},  {240, 200, 30, 255}, {40, 160, 60, 255},
                                          {40, 90, 220, 200},  {250, 250, 250, 160}, {150, 60, 200, 255},
                                          {20, 20, 20, 255},   {240, 130, 20, 230}, {30, 200, 210, 255}};
    gfx::Bitmap b(w, h);
    for (int y = 0; y < h; ++y) {
        const int row = y < top ? 0 : y >= h - bottom ? 2 : 1;
        for (int x = 0; x < w; ++x) {
            const int column = x < left ? 0 : x >= w - right ? 2 : 1;
            b.Set(x, y, colours[row * 3 + column].Premultiplied());
        }
    }
    return b;
}

// A round dot of `diameter` pixels centred in a square picture of `side` pixels.
inline gfx::Bitmap DotPicture(int side, float diameter, gfx::Color c) {
    gfx::Bitmap b(side, side);
    const float r = diameter / 2, centre = float(side) / 2;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const float dx = float(x) + 0.5f - centre, dy = float(y) + 0.5f - centre;
            if (dx * dx + dy * dy <= r * r) b.Set(x, y, c.Premultiplied());
        }
    }
    return b;
}

// A complete skin "<name>" in the program folder: a 30 x 24 bar cut 6, 4, 8, 10 (unless
// the config text says otherwise), a 10 x 30 separator, a 12 x 12 dot and a 40 x 12
// progress frame and fill. `extra` lines are appended to section "config".
inline void AddSkin(ProgramFolder& pf, const std::wstring& name, std::u16string_view numbers =
                        u"clip_left=6\r\nclip_top=4\r\nclip_right=8\r\nclip_bottom=10\r\n"
                        u"limclip_top=8\r\nlimclip_bottom=8\r\nproclip_left=6\r\nproclip_right=6\r\n"
                        u"space_left=12.5\r\nspace_top=6\r\nspace_right=12.5\r\nspace_bottom=7.75\r\nrunoffset=3\r\n") {
    const std::wstring folder = pf.Theme(name) + L"dockskin\\";
    pf.Picture(folder + L"bar.png", NineRegionPicture(30, 24, 6, 4, 8, 10));
    pf.Picture(folder + L"mask.png", NineRegionPicture(30, 24, 6, 4, 8, 10));
    gfx::Bitmap line = NineRegionPicture(10, 30, 0, 8, 0, 8);
    pf.Picture(folder + L"line.png", line);
    pf.Picture(folder + L"dot.png", DotPicture(12, 6, {255, 255, 255, 230}));
    pf.Picture(folder + L"frame.png", NineRegionPicture(40, 12, 6, 0, 6, 0));
    pf.Picture(folder + L"fill.png", SolidBitmap(40, 12, {30, 110, 240, 255}));
    std::u16string text = u"[config]\r\nbg=bar.png\r\nblur_mask=mask.png\r\nrun=dot.png\r\ndelimiter=line.png\r\n"
                          u"progressbar_frame=frame.png\r\nprogressbar_bg=fill.png\r\n";
    text += numbers;
    pf.Text(folder + L"config.ini", text);
}

} // namespace kestrana::themes::testing
