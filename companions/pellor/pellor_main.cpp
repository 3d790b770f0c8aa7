// Pellor.exe: passes one click on a tray icon to the icon's owner when the bar's process
// cannot reach it. Its one argument names the owner, the click and the icon (see
// CompanionArgument); it replays the same messages the bar would have, and ends. The
// exit code is 0 when every message was delivered, 1 for a bad argument, 2 for an owner
// that is gone or does not answer, 3 when a message was refused.
#include "menubar/tray/tray_click.h"

#include <windows.h>

using namespace kestrana::menubar::tray;

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 1;
    const auto click = ParseCompanionArgument(argv[1]);
    if (!click) return 1;
    HWND owner = reinterpret_cast<HWND>(static_cast<INT_PTR>(static_cast<std::int32_t>(static_cast<std::uint32_t>(click->owner))));
    DWORD_PTR answer = 0;
    if (!::IsWindow(owner) || !::SendMessageTimeoutW(owner, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnsweredTimeoutMs, &answer))
        return 2;
    for (const TrayStep& step : ClickSequence(CompanionIcon(*click), click->click, click->point)) {
        if (step.pauseMs > 0) ::Sleep(static_cast<DWORD>(step.pauseMs));
        const bool ok = step.send ? ::SendMessageTimeoutW(owner, step.message, static_cast<WPARAM>(step.wParam),
                                                          static_cast<LPARAM>(step.lParam), SMTO_ABORTIFHUNG,
                                                          kAnsweredTimeoutMs, &answer) != 0
                                  : ::PostMessageW(owner, step.message, static_cast<WPARAM>(step.wParam),
                                                   static_cast<LPARAM>(step.lParam)) != FALSE;
        if (!ok) return 3;
    }
    return 0;
}
