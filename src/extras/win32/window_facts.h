#pragma once
// What the animations need to know of another program's window, read without waiting on
// that window's thread (which may be blocked asking us right now), and the dock item the
// window belongs to.

#include "extras/minimise_decision.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace kestrana::dock::win32 {
class DockHost;
class DockWindow;
}

namespace kestrana::extras::win32 {

[[nodiscard]] inline WindowId Id(HWND window) { return WindowId{reinterpret_cast<std::uintptr_t>(window)}; }
[[nodiscard]] inline HWND Handle(WindowId window) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}
[[nodiscard]] inline Box ToBox(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// The image file name of the window's process, lower case; empty when it cannot be read.
[[nodiscard]] std::wstring ProcessFileName(HWND window);

// The refresh rate of the window's monitor in Hz, as reported (0 or 1 when unknown).
[[nodiscard]] int RefreshRate(HWND window);

// The dock item that holds `window`, on the dock of its monitor first.
struct ItemPlace {
    dock::win32::DockWindow* dock = nullptr;
    std::int32_t itemId = dock::kNoItemId;
    std::wstring key;
    bool own = false; // the window is one of the item's, not a stand-in
};
[[nodiscard]] ItemPlace FindItem(dock::win32::DockHost* host, HWND window);

class Win32AnimationFacts final : public AnimationWindowPort {
public:
    explicit Win32AnimationFacts(std::function<dock::win32::DockHost*()> docks) : m_docks(std::move(docks)) {}
    [[nodiscard]] WindowLook Look(WindowId id) const override;
    [[nodiscard]] bool Exists(WindowId id) const override;

private:
    std::function<dock::win32::DockHost*()> m_docks;
};

} // namespace kestrana::extras::win32
