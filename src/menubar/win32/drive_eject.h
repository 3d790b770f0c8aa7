#pragma once
// Ejects a drive on a worker, as the system's own safe removal does: the volume's disk is
// found among the present disks and the device manager is asked to eject it, or the
// removable device it hangs from. That needs no administrator, so no companion takes
// part. Where the device manager cannot do it (the disk is not among its devices, or the
// call is missing), the volume is locked, dismounted and its medium ejected directly,
// which needs write access to the volume. The outcome is posted to the bar as
// kMsgDriveEjected (wParam: the drive's letter, lParam: the packed EjectAnswer).

#include <windows.h>

namespace kestrana::menubar::win32 {

inline constexpr UINT kMsgDriveEjected = WM_APP + 72;
// Posted to a bar after a drive's arrival (wParam: its letter): the notice that offers to eject.
inline constexpr UINT kMsgDriveOffer = WM_APP + 74;

// False when no worker could be started (the outcome will not come).
bool EjectDrive(wchar_t letter, HWND target);

} // namespace kestrana::menubar::win32
