#include "foundation/crash_dump.h"

namespace kestrana::foundation {

std::wstring DumpDateStamp(const LocalTime& t) {
    return std::to_wstring(t.year) + L"_" + std::to_wstring(t.month) + L"_" + std::to_wstring(t.day);
}

std::wstring CrashDumpName(const LocalTime& t, const std::wstring& version) {
    return DumpDateStamp(t) + L"_" + std::to_wstring(t.hour) + L"_" + std::to_wstring(t.minute) + L"_" +
           std::to_wstring(t.second) + L"_" + version + L"_error.dmp";
}

} // namespace kestrana::foundation
