#include "dock/display_mode.h"

namespace kestrana::dock {

DisplayMode DisplayModeFromSetting(int value) {
    if (value < 1 || value > 9) return DisplayMode::Normal;
    return static_cast<DisplayMode>(value);
}

std::wstring_view DisplayModeKey(DisplayMode mode) {
    switch (mode) {
    case DisplayMode::Normal: return L"displaynormal";
    case DisplayMode::Bottom: return L"displaybottom";
    case DisplayMode::AutoHide: return L"displayauto";
    case DisplayMode::Smart: return L"displaysmart";
    case DisplayMode::Always: return L"displayalways";
    case DisplayMode::Hotkey: return L"displayhotkey";
    case DisplayMode::Hide: return L"displayhide";
    case DisplayMode::AlwaysOnTop: return L"displayalwaysshow";
    case DisplayMode::Desktop: return L"displaydesktop";
    }
    return L"displaynormal";
}

ZOrder InitialZOrder(DisplayMode mode) {
    switch (mode) {
    case DisplayMode::Bottom: return ZOrder::NotTopmost;
    case DisplayMode::Desktop: return ZOrder::AboveDesktop;
    default: return ZOrder::Topmost;
    }
}

ZOrder ReassertedZOrder(DisplayMode mode, const ShellAttention& attention) {
    if (mode == DisplayMode::AlwaysOnTop) {
        if (attention.fullScreen || attention.presentation || attention.quietTime) return ZOrder::Unchanged;
        return ZOrder::Topmost;
    }
    // Other windows rise above the desktop window as they are activated; the desktop
    // mode has nothing to take back.
    return ZOrder::Unchanged;
}

std::wstring_view ModeChoiceRefusal(DisplayMode mode, bool dockHotkeySet, bool conflictingOptionOn) {
    if (mode == DisplayMode::Hotkey && !dockHotkeySet) return L"hotkeyhideerror";
    if ((mode == DisplayMode::AutoHide || mode == DisplayMode::Smart) && conflictingOptionOn) return L"autohideerror";
    return {};
}

} // namespace kestrana::dock
