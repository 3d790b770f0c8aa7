#include "menubar/win32/drive_eject.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/unique_handle.h"
#include "menubar/drive_notices.h"

#include <cfgmgr32.h>
#include <setupapi.h>
#include <winioctl.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kestrana::menubar::win32 {
namespace {

struct DeviceInfoListTraits {
    using Handle = HDEVINFO;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::SetupDiDestroyDeviceInfoList(h); }
};
using UniqueDeviceInfoList = kestrana::win32::UniqueHandle<DeviceInfoListTraits>;

// The device interface class of disks.
constexpr GUID kDiskInterface{0x53f56307, 0xb6bf, 0x11d0, {0x94, 0xf2, 0x00, 0xa0, 0xc9, 0x1e, 0xfb, 0x8b}};
// How far up from a disk a removable device is looked for (disk, stick, hub, ...).
constexpr int kParentDepth = 8;

std::wstring VolumePath(wchar_t letter) { return std::wstring(L"\\\\.\\") + letter + L':'; }

std::optional<STORAGE_DEVICE_NUMBER> DeviceNumberOf(const wchar_t* path) {
    // No access asked: anyone may read the number, and the volume is not held open for use.
    kestrana::win32::UniqueFile device(
        ::CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!device) return std::nullopt;
    STORAGE_DEVICE_NUMBER number{};
    DWORD returned = 0;
    if (!::DeviceIoControl(device.Get(), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number, sizeof(number), &returned,
                           nullptr))
        return std::nullopt;
    return number;
}

// The device instance of the present disk that holds the volume numbered `volume`.
std::optional<DEVINST> DiskOf(const STORAGE_DEVICE_NUMBER& volume) {
    UniqueDeviceInfoList disks(
        ::SetupDiGetClassDevsW(&kDiskInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!disks) return std::nullopt;
    SP_DEVICE_INTERFACE_DATA item{};
    item.cbSize = sizeof(item);
    for (DWORD index = 0; ::SetupDiEnumDeviceInterfaces(disks.Get(), nullptr, &kDiskInterface, index, &item); ++index) {
        DWORD size = 0;
        ::SetupDiGetDeviceInterfaceDetailW(disks.Get(), &item, nullptr, 0, &size, nullptr);
        if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
        std::vector<DWORD> buffer(size / sizeof(DWORD) + 1); // DWORD-aligned, as the structure needs
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof(device);
        if (!::SetupDiGetDeviceInterfaceDetailW(disks.Get(), &item, detail, size, nullptr, &device)) continue;
        const auto number = DeviceNumberOf(detail->DevicePath);
        if (number && number->DeviceType == volume.DeviceType && number->DeviceNumber == volume.DeviceNumber)
            return device.DevInst;
    }
    return std::nullopt;
}

// A stick's disk is not removable on its own: the device it hangs from is.
DEVINST RemovableFrom(DEVINST disk) {
    DEVINST node = disk;
    for (int depth = 0; depth < kParentDepth; ++depth) {
        ULONG status = 0, problem = 0;
        if (::CM_Get_DevNode_Status(&status, &problem, node, 0) == CR_SUCCESS && (status & DN_REMOVABLE)) return node;
        DEVINST parent = 0;
        if (::CM_Get_Parent(&parent, node, 0) != CR_SUCCESS) break;
        node = parent;
    }
    return disk;
}

// Nothing when the device manager cannot eject this drive; `why` then says why not.
std::optional<EjectAnswer> EjectThroughDeviceManager(wchar_t letter, std::wstring& why) {
    const auto number = DeviceNumberOf(VolumePath(letter).c_str());
    if (!number) {
        why = L"its volume has no disk number (" + std::to_wstring(::GetLastError()) + L")";
        return std::nullopt;
    }
    const auto disk = DiskOf(*number);
    if (!disk) {
        why = L"no present disk holds it";
        return std::nullopt;
    }
    PNP_VETO_TYPE veto = PNP_VetoTypeUnknown;
    wchar_t vetoName[MAX_PATH] = {};
    // With a place for the veto, the system shows no message of its own.
    const CONFIGRET result = ::CM_Request_Device_EjectW(RemovableFrom(*disk), &veto, vetoName, MAX_PATH, 0);
    const std::wstring drive(1, letter);
    switch (result) {
    case CR_SUCCESS: return EjectAnswer{};
    case CR_REMOVE_VETOED:
        foundation::LogFailure("usb", drive + L": the removal was refused (veto " + std::to_wstring(veto) + L") by " +
                                          (vetoName[0] ? vetoName : L"an unnamed holder"));
        return EjectAnswer{0, static_cast<std::uint8_t>(veto)};
    case CR_CALL_NOT_IMPLEMENTED: why = L"the device manager cannot eject"; return std::nullopt;
    default:
        foundation::LogFailure("usb", drive + L": the device manager could not eject it (" + std::to_wstring(result) + L")");
        return EjectAnswer{result == CR_ACCESS_DENIED ? DWORD{ERROR_ACCESS_DENIED} : DWORD{ERROR_GEN_FAILURE}, {}};
    }
}

DWORD Control(HANDLE volume, DWORD code, void* in = nullptr, DWORD inSize = 0) {
    DWORD returned = 0;
    return ::DeviceIoControl(volume, code, in, inSize, nullptr, 0, &returned, nullptr) ? ERROR_SUCCESS : ::GetLastError();
}

DWORD EjectVolume(wchar_t letter) {
    kestrana::win32::UniqueFile volume(::CreateFileW(VolumePath(letter).c_str(), GENERIC_READ | GENERIC_WRITE,
                                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
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

EjectAnswer Eject(wchar_t letter) {
    std::wstring why;
    if (auto answer = EjectThroughDeviceManager(letter, why)) return *answer;
    foundation::LogDetail("usb", std::wstring(1, letter) + L": " + why + L"; the volume is ejected itself");
    return EjectAnswer{EjectVolume(letter), {}};
}

} // namespace

bool EjectDrive(wchar_t letter, HWND target) {
    if (letter < L'A' || letter > L'Z') return false;
    try {
        std::thread([letter, target] {
            EjectAnswer answer{ERROR_GEN_FAILURE, {}};
            try {
                answer = Eject(letter);
            } catch (...) {
                foundation::LogCaught("ejecting a drive");
            }
            if (!::PostMessageW(target, kMsgDriveEjected, letter, static_cast<LPARAM>(PackEjectAnswer(answer))))
                foundation::LogFailure("usb", L"the outcome of ejecting a drive could not be told");
        }).detach();
    } catch (...) {
        foundation::LogFailure("usb", L"no worker for ejecting a drive");
        return false;
    }
    return true;
}

} // namespace kestrana::menubar::win32
