// themeview: shows the default theme as the program draws it, once on a light and once on
// a dark backdrop: the preview of the skin "default" (the built-in look), the shipped
// dockskin pictures drawn as a small dock, and every special icon of the icon set in use.
// Everything is composed with the compositor and put on screen as one layered window of
// class "KestranaThemeView"; when the picture is up the window gets the property
// "ThemeViewReady" = 1. It closes itself after two minutes.
//
//   themeview.exe [seconds]
#include "foundation/config_store.h"
#include "gfx/builtin_text_renderer.h"
#include "gfx/canvas.h"
#include "gfx/effects.h"
#include "gfx/win32/direct_write_text_renderer.h"
#include "gfx/win32/layered_window_surface.h"
#include "gfx/win32/wic_image_decoder.h"
#include "platform/win32/win32_file_system.h"
#include "themes/dock_skin.h"
#include "themes/dock_skin_preview.h"
#include "themes/theme_choices.h"
#include "themes/theme_files.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <iterator>
#include <memory>
#include <optional>
#include <string>

namespace {

using namespace kestrana;
using gfx::Bitmap;
using gfx::Canvas;
using gfx::Color;
using gfx::RectF;

constexpr int kWidth = 1200;
constexpr int kHalf = 360;
constexpr int kHeight = 2 * kHalf;
constexpr wchar_t kClass[] = L"KestranaThemeView";

struct Viewer {
    themes::ThemeFiles* files = nullptr;
    foundation::ConfigStore* store = nullptr;
    const gfx::ImageDecoder* decoder = nullptr;
    gfx::TextRenderer* text = nullptr;
};

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    const std::size_t slash = folder.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring(L".\\") : folder.substr(0, slash + 1);
}

Color Mix(Color a, Color b, float t) {
    const auto m = [t](std::uint8_t x, std::uint8_t y) {
        return std::uint8_t(std::lround(float(x) + (float(y) - float(x)) * t));
    };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), 255};
}

// A backdrop like a desktop picture: a diagonal wash of two colours with a soft glow.
void Backdrop(Canvas& c, int top, bool dark) {
    const Color from = dark ? Color{24, 30, 48, 255} : Color{178, 204, 255, 255};
    const Color to = dark ? Color{52, 36, 66, 255} : Color{255, 214, 200, 255};
    for (int x = 0; x < kWidth; x += 4) {
        c.FillRect(RectF{float(x), float(top), 4, float(kHalf)}, Mix(from, to, float(x) / kWidth));
    }
    Bitmap glow(240, 240);
    Canvas g(glow);
    g.FillRoundedRect({40, 40, 160, 160}, 80, dark ? Color{90, 120, 255, 110} : Color{255, 255, 255, 140});
    gfx::Blur(glow, 28);
    c.DrawBitmap(glow, RectF{700, float(top) - 40, 480, 480});
}

void Label(Canvas& c, const Viewer& v, std::wstring_view text, float x, float y, float size, bool dark,
           int maxWidth = 0) {
    gfx::TextStyle style;
    style.size = size;
    style.color = dark ? Color{236, 238, 244, 255} : Color{24, 28, 36, 255};
    const Bitmap line = v.text->Draw(text, style, maxWidth);
    if (!line.Empty()) {
        c.DrawBitmap(line, RectF{std::floor(x), std::floor(y), float(line.Width()), float(line.Height())});
    }
}

std::optional<Bitmap> Icon(const Viewer& v, const std::wstring& path, int side) {
    const auto bytes = v.files->Files().Read(path);
    if (!bytes) {
        return std::nullopt;
    }
    return v.decoder->Decode(*bytes, {side, side});
}

// The shipped dockskin pictures as the dock draws them: five icons on the bar, a
// separator before the trash, running dots and a progress bar.
void ShippedSkinDock(Canvas& c, const Viewer& v, float x, float y, bool dark) {
    const std::optional<themes::DockSkinFile> file = themes::ReadDockSkinFile(*v.store, themes::kDefaultTheme, dark);
    if (!file) {
        Label(c, v, L"no themes\\default\\dockskin\\config.ini", x, y + 40, 14, dark);
        return;
    }
    themes::DockSkin skin = themes::DockSkin::FromFile(*file, v.files->Files(), *v.decoder, {dark, 1.0f, 2});
    const themes::DockSkinSpacing& s = skin.Spacing();
    const float icon = 64;
    const wchar_t* names[] = {L"explorer", L"pad", L"folder", L"ControlPlanel", L"Trash_Full"};
    const float separator = icon / 2;
    const float length = s.spaceLeft + 5 * icon + separator + s.spaceRight;
    const RectF bar{x, y, length, s.spaceTop + icon + s.spaceBottom};
    skin.DrawBackground(c, bar);
    float at = bar.x + s.spaceLeft;
    for (int i = 0; i < 5; ++i) {
        if (i == 4) {
            skin.DrawSeparator(c, bar, at + separator / 2);
            at += separator;
        }
        const RectF place{at, bar.y + s.spaceTop, icon, icon};
        if (const auto picture = Icon(v, v.files->ThemeIconPath(names[i], dark && i == 4), int(icon))) {
            c.DrawBitmap(*picture, place);
        }
        if (i == 0 || i == 2) {
            skin.DrawRunIndicator(c, bar, place);
        }
        if (i == 2) {
            skin.DrawProgress(c, {place.x + 8, place.y + icon - 16, icon - 16, 10}, 0.62f);
        }
        at += icon;
    }
}

Bitmap Compose(const Viewer& v) {
    Bitmap frame(kWidth, kHeight);
    Canvas c(frame);
    for (const bool dark : {false, true}) {
        const int top = dark ? kHalf : 0;
        const float y = float(top);
        Backdrop(c, top, dark);
        Label(c, v, dark ? L"Dark appearance" : L"Light appearance", 24, y + 12, 18, dark);

        Bitmap preview(560, 132);
        themes::DrawDockSkinPreview(preview, *v.store, *v.files, *v.decoder, themes::kDefaultTheme, dark);
        c.DrawBitmap(preview, RectF{24, y + 44, 560, 132});
        Label(c, v, L"Preview of the skin \"default\" (built-in look)", 24, y + 182, 13, dark);

        ShippedSkinDock(c, v, 616, y + 60, dark);
        Label(c, v, L"Shipped dockskin pictures", 616, y + 182, 13, dark);

        // Every special icon of the icon set, in the dark half its dark twin where one exists.
        const int side = 56;
        const float pitch = float(kWidth - 48) / float(std::size(themes::kSpecialIconNames));
        float x = 24;
        for (const std::wstring_view name : themes::kSpecialIconNames) {
            const std::wstring path = v.files->ThemeIconPath(name, dark);
            const float left = x + (pitch - float(side)) / 2;
            if (const auto icon = Icon(v, path, side)) {
                c.DrawBitmap(*icon, RectF{left, y + 226, float(side), float(side)});
            } else {
                c.StrokeRoundedRect({left, y + 226, float(side), float(side)}, 12, 2, Color{220, 40, 40, 255});
            }
            const std::wstring file = path.substr(path.find_last_of(L'\\') + 1);
            gfx::TextStyle style;
            style.size = 10;
            const int w = v.text->Measure(file, style, int(pitch) - 4).width;
            Label(c, v, file, x + (pitch - float(w)) / 2, y + 290, 10, dark, int(pitch) - 4);
            x += pitch;
        }
    }
    return frame;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_TIMER:
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        RemovePropW(window, L"ThemeViewReady");
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int seconds = std::max(1, commandLine && *commandLine ? _wtoi(commandLine) : 120);
    int result = 1;
    try {
        platform::Win32FileSystem fs;
        const std::wstring base = ProgramFolder();
        foundation::ConfigStore store(fs, base);
        themes::ThemeChoices choices(store);
        themes::ThemeFiles files(fs, base, choices);
        std::unique_ptr<gfx::ImageDecoder> decoder = gfx::WicImageDecoder::Create();
        if (!decoder) {
            decoder = std::make_unique<gfx::NativeImageDecoder>();
        }
        std::unique_ptr<gfx::TextRenderer> text = gfx::DirectWriteTextRenderer::Create();
        if (!text) {
            text = std::make_unique<gfx::BuiltinTextRenderer>();
        }
        const Viewer viewer{&files, &store, decoder.get(), text.get()};
        const Bitmap frame = Compose(viewer);

        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClass;
        RegisterClassExW(&wc);
        const POINT at{40, 40};
        const HWND window = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, kClass, L"Kestrana theme view", WS_POPUP,
                                            at.x, at.y, kWidth, kHeight, nullptr, nullptr, instance, nullptr);
        if (window) {
            gfx::LayeredWindowSurface surface;
            if (surface.Present(window, frame, at)) {
                ShowWindow(window, SW_SHOWNOACTIVATE);
                SetPropW(window, L"ThemeViewReady", reinterpret_cast<HANDLE>(1));
                SetTimer(window, 1, UINT(seconds) * 1000u, nullptr);
                MSG msg;
                while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                    TranslateMessage(&msg);
                    DispatchMessageW(&msg);
                }
                result = 0;
            }
            if (IsWindow(window)) {
                DestroyWindow(window);
            }
        }
    } catch (...) {
        result = 2;
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return result;
}
