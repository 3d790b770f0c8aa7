#pragma once
// The clock's text through the system's date and time pictures in the user's locale.

#include "menubar/clock_text.h"

namespace kestrana::menubar::win32 {

class Win32ClockFormatter final : public ClockFormatter {
public:
    std::optional<std::wstring> FormatDate(const std::wstring& pattern, const foundation::LocalTime& time) override;
    std::optional<std::wstring> FormatTime(const std::wstring& pattern, const foundation::LocalTime& time) override;
};

// The local time now.
[[nodiscard]] foundation::LocalTime LocalNow() noexcept;

} // namespace kestrana::menubar::win32
