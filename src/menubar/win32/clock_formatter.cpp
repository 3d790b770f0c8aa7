#include "menubar/win32/clock_formatter.h"

#include <windows.h>

namespace kestrana::menubar::win32 {
namespace {

SYSTEMTIME Convert(const foundation::LocalTime& t) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(t.year);
    st.wMonth = static_cast<WORD>(t.month);
    st.wDay = static_cast<WORD>(t.day);
    st.wHour = static_cast<WORD>(t.hour);
    st.wMinute = static_cast<WORD>(t.minute);
    st.wSecond = static_cast<WORD>(t.second);
    return st;
}

// The formatting calls write at most 100 characters with the terminator.
constexpr int kLimit = 100;

} // namespace

std::optional<std::wstring> Win32ClockFormatter::FormatDate(const std::wstring& pattern, const foundation::LocalTime& t) {
    const SYSTEMTIME st = Convert(t);
    wchar_t text[kLimit];
    if (!::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &st, pattern.c_str(), text, kLimit, nullptr)) return std::nullopt;
    return text;
}

std::optional<std::wstring> Win32ClockFormatter::FormatTime(const std::wstring& pattern, const foundation::LocalTime& t) {
    const SYSTEMTIME st = Convert(t);
    wchar_t text[kLimit];
    if (!::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &st, pattern.c_str(), text, kLimit)) return std::nullopt;
    return text;
}

foundation::LocalTime LocalNow() noexcept {
    SYSTEMTIME st{};
    ::GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

} // namespace kestrana::menubar::win32
