#pragma once
// The facts start-up loading asks of Windows: the monitors with their device names and
// scales, today's local date and the system's interface font.

#include "foundation/startup_settings.h"

#include <string>

namespace kestrana::win32 {

class Win32MonitorList final : public foundation::MonitorList {
public:
    std::vector<foundation::MonitorDescription> Monitors() const override;
};

class Win32Calendar final : public foundation::Calendar {
public:
    foundation::CalendarDate Today() const override;
};

class Win32SystemFont final : public foundation::SystemFont {
public:
    // The message font of the non-client metrics, which dialogs and menus use.
    std::wstring UiFontName() const override;
};

// For StartupHooks::setCurrentDirectory.
bool SetProcessCurrentDirectory(const std::wstring& folder) noexcept;

} // namespace kestrana::win32
