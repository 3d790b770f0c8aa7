#pragma once
// Files and programs dragged from other programs onto a dock: an OLE drop target on the
// dock's input window reports the drag's moves and its drop with the list of paths.

#include "dock/dock_geometry.h"

#include <windows.h>
#include <oleidl.h>

#include <functional>
#include <string>
#include <vector>

namespace kestrana::dock::win32 {

class DockDropTarget;

class DockDrop {
public:
    struct Handlers {
        // The drag moved over the dock (also on entering): what a drop here would do.
        // `keys`: the MK_ flags held; `paths`: what is dragged.
        std::function<DWORD(ScreenPoint at, DWORD keys, const std::vector<std::wstring>& paths)> over;
        std::function<void()> leave;
        std::function<void(std::vector<std::wstring> paths, ScreenPoint at, DWORD keys)> drop;
    };

    // Registers on `window` (user-interface thread); Registered() tells whether it took.
    DockDrop(HWND window, Handlers handlers);
    ~DockDrop();
    DockDrop(const DockDrop&) = delete;
    DockDrop& operator=(const DockDrop&) = delete;

    [[nodiscard]] bool Registered() const { return m_registered; }

private:
    HWND m_window;
    bool m_oleReady = false;
    bool m_registered = false;
    DockDropTarget* m_target = nullptr; // one reference held here
};

} // namespace kestrana::dock::win32
