#include "menubar/win32/drive_eject.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/unique_handle.h"
#include "menubar/drive_notices.h"

#include <winioctl.h>

#include <thread>

namespace kestrana::menubar::win32 {
namespace {

DWORD Control(HANDLE volume, DWORD code, void* in = nullptr, DWORD inSize = 0) {
    DWORD returned = 0;
    return ::DeviceIoControl(volume, code, in, inSize, nullptr, 0, &returned, nullptr) ? ERROR_SUCCESS : ::GetLastError();
}

DWORD Eject(wchar_t letter) {
    const wchar_t path[] = {L'\\', L'\\', L'.', L'\\', letter, L':', 0};
    kestrana::win32::UniqueFile volume(::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                     nullptr, OPEN_EXISTING, 0, nullptr));
    if (!volume) return ::GetLastError();
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < kEjectLockTries; ++attempt) {
        error = Control(volume.Get(), FSCTL_LOCK_VOLUME);
        if (error == ERROR_SUCCESS) break;
        ::Sleep(kEjectLockPauseMs);
    }
    if (error != ERROR_SUCCESS) return error;
    if ((error = Control(volume.Get(), FSCTL_DISMOUNT_VOLUME)) != ERROR_SUCCESS) return error;
    PREVENT_MEDIA_REMOVAL allow{};
    allow.PreventMediaRemoval = FALSE;
    if ((error = Control(volume.Get(), IOCTL_STORAGE_MEDIA_REMOVAL, &allow, sizeof(allow))) != ERROR_SUCCESS) return error;
    return Control(volume.Get(), IOCTL_STORAGE_EJECT_MEDIA);
}

} // namespace

bool EjectDrive(wchar_t letter, HWND target) {
    if (letter < L'A' || letter > L'Z') return false;
    try {
        std::thread([letter, target] {
            DWORD error = ERROR_GEN_FAILURE;
            try {
                error = Eject(letter);
            } catch (...) {
            }
            if (!::PostMessageW(target, kMsgDriveEjected, letter, static_cast<LPARAM>(error)))
                foundation::LogFailure("usb", L"the outcome of ejecting a drive could not be told");
        }).detach();
    } catch (...) {
        foundation::LogFailure("usb", L"no worker for ejecting a drive");
        return false;
    }
    return true;
}

} // namespace kestrana::menubar::win32
