#include "gfx/win32/window_blur.h"
#include "foundation/win32/system_function.h"

#include <dwmapi.h>

namespace kestrana::gfx {

bool EnableBlurBehind(HWND window) noexcept {
    struct AccentPolicy {
        int state;
        int flags;
        DWORD gradientColor;
        int animationId;
    };
    struct CompositionData {
        int attribute;
        void* data;
        SIZE_T size;
    };
    using SetCompositionFn = BOOL(WINAPI*)(HWND, CompositionData*);
    static const auto setComposition =
        kestrana::win32::LoadedFunction<SetCompositionFn>(L"user32.dll", "SetWindowCompositionAttribute");
    if (setComposition) {
        AccentPolicy accent{3 /* blur behind */, 0, 0, 0};
        CompositionData data{19 /* accent policy */, &accent, sizeof(accent)};
        if (setComposition(window, &data)) return true;
    }
    DWM_BLURBEHIND blur{};
    blur.dwFlags = DWM_BB_ENABLE;
    blur.fEnable = TRUE;
    return SUCCEEDED(::DwmEnableBlurBehindWindow(window, &blur));
}

} // namespace kestrana::gfx
