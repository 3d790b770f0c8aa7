#include "dock/win32/trash_watch.h"

#include "foundation/diagnostic_log.h"

#include <shlobj.h>

#include <string>

namespace kestrana::dock::win32 {

TrashWatch::TrashWatch(HWND window, UINT message) noexcept {
    if (!window) return;
    PIDLIST_ABSOLUTE bin = nullptr;
    if (FAILED(::SHGetKnownFolderIDList(FOLDERID_RecycleBinFolder, KF_FLAG_DEFAULT, nullptr, &bin)) || !bin) {
        foundation::LogFailure("trash watch", "no recycle bin folder");
        return;
    }
    SHChangeNotifyEntry entry{bin, TRUE};
    // Shell-level notices cover deletions made through the shell, interrupt-level ones
    // those made by the file system on the bin's folders.
    m_registration = ::SHChangeNotifyRegister(window, SHCNRF_ShellLevel | SHCNRF_InterruptLevel | SHCNRF_NewDelivery,
                                              SHCNE_ALLEVENTS, message, 1, &entry);
    ::CoTaskMemFree(bin);
    if (!m_registration)
        foundation::LogFailure("trash watch", "change notices refused, error " + std::to_string(::GetLastError()));
}

TrashWatch::~TrashWatch() {
    if (m_registration) ::SHChangeNotifyDeregister(m_registration);
}

void TrashWatch::Acknowledge(WPARAM wParam, LPARAM lParam) noexcept {
    if (!wParam) return; // posted by ourselves, nothing attached
    PIDLIST_ABSOLUTE* items = nullptr;
    LONG event = 0;
    if (HANDLE lock = ::SHChangeNotification_Lock(reinterpret_cast<HANDLE>(wParam), static_cast<DWORD>(lParam), &items,
                                                   &event))
        ::SHChangeNotification_Unlock(lock);
}

} // namespace kestrana::dock::win32
