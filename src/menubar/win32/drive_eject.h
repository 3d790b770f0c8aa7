#pragma once
// Ejects a drive on a worker: the volume is locked (tried a few times), dismounted, its
// removal allowed and the medium ejected, as the system's own safe removal does for a
// volume. The outcome is posted to the bar as kMsgDriveEjected (wParam: the drive's
// letter, lParam: the system's error code, 0 when it can be removed).

#include <windows.h>

namespace kestrana::menubar::win32 {

inline constexpr UINT kMsgDriveEjected = WM_APP + 72;
// Posted to a bar after a drive's arrival (wParam: its letter): the notice that offers to eject.
inline constexpr UINT kMsgDriveOffer = WM_APP + 74;

// False when no worker could be started (the outcome will not come).
bool EjectDrive(wchar_t letter, HWND target);

} // namespace kestrana::menubar::win32
