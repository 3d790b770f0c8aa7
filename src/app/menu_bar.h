#pragma once
// The menu bars' place in the program: started at the settings' step for them, stopped
// at exit (and on a crash or restart, giving the screen space back), and asked by the
// docks how much of each screen's top they take.

#include <string>

namespace kestrana::app {

class AppServices;

void StartMenuBar(AppServices& services) noexcept;
// On the user-interface thread the bars are taken down; from any other thread (a crash)
// they are hidden and give their space back.
void StopMenuBar() noexcept;
// The clock's patterns changed in the settings window.
void MenuBarClockChanged() noexcept;
// Status items were switched on or off in the settings window: the bars are made again.
void MenuBarItemsChanged() noexcept;
// The menu bar's focus hotkey: the primary screen's bar takes the keyboard.
void MenuBarTakeKeyboard() noexcept;
// A brightness key, on the user-interface thread: the display item's worker steps the
// screen under the point. False when no display item runs.
[[nodiscard]] bool MenuBarStepBrightness(int x, int y, int units) noexcept;
// The rounded corners of a screen ("\\.\DISPLAY1") are `inset` pixels (0: square);
// remembered for bars made later. User-interface thread.
void MenuBarSetCornerInset(const std::wstring& deviceName, int inset) noexcept;
// Whether the menu bars run.
[[nodiscard]] bool MenuBarRunning() noexcept;
// The bar's height on a screen ("\\.\DISPLAY1"); 0 without a bar there.
[[nodiscard]] int MenuBarHeightOn(const std::wstring& deviceName) noexcept;

} // namespace kestrana::app
