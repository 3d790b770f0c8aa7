#pragma once
// Makes another program's window invisible in place while its image flies, and visible
// again afterwards, without changing its size, place or state: fully transparent as a
// layered window, or, when it already draws itself layered, through an empty region.

#include <windows.h>

namespace kestrana::extras::win32 {

class WindowVeil {
public:
    WindowVeil() = default;
    ~WindowVeil() { Lift(); }
    WindowVeil(const WindowVeil&) = delete;
    WindowVeil& operator=(const WindowVeil&) = delete;

    // False when the window could not be hidden (it then stays as it was).
    bool Drop(HWND window) noexcept;
    // Shows the window again as it was; harmless when nothing is hidden. Safe on any thread.
    void Lift() noexcept;
    [[nodiscard]] bool Dropped() const noexcept { return m_window != nullptr; }

private:
    enum class Way { Alpha, Region };
    HWND m_window = nullptr;
    Way m_way = Way::Alpha;
    bool m_wasLayered = false;
    COLORREF m_key = 0;
    BYTE m_alpha = 255;
    DWORD m_flags = 0;
    HRGN m_region = nullptr; // the window's own region, handed back on lifting
};

} // namespace kestrana::extras::win32
