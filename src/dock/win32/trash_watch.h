#pragma once
// Tells a window when the recycle bin changes, so the trash item's picture can follow it
// without polling the bin every second (each poll asks every drive).

#include <windows.h>

namespace kestrana::dock::win32 {

class TrashWatch {
public:
    // Notices arrive at `window` as `message`; hand them to Acknowledge.
    TrashWatch(HWND window, UINT message) noexcept;
    ~TrashWatch();
    TrashWatch(const TrashWatch&) = delete;
    TrashWatch& operator=(const TrashWatch&) = delete;

    // False when the shell refused the registration: the caller must poll instead.
    [[nodiscard]] bool Watching() const { return m_registration != 0; }
    // Releases what the shell attached to one notice (a notice we post ourselves carries
    // wParam 0 and nothing).
    static void Acknowledge(WPARAM wParam, LPARAM lParam) noexcept;

private:
    ULONG m_registration = 0;
};

} // namespace kestrana::dock::win32
