#pragma once
// The diagnostic log's files on Windows, and the log made for the program folder.

#include "foundation/diagnostic_log.h"

#include <memory>
#include <string>

namespace kestrana::win32 {

class Win32LogFiles final : public foundation::LogFiles {
public:
    [[nodiscard]] std::optional<std::uint64_t> Size(const std::wstring& path) const override;
    bool Append(const std::wstring& path, std::span<const std::uint8_t> bytes) override;
    bool Rotate(const std::wstring& from, const std::wstring& to) override;
};

// The log `fileName` in `baseFolder` (ending in a backslash), stamped in local time. The
// companions keep logs of their own beside the program's.
[[nodiscard]] std::shared_ptr<foundation::DiagnosticLog> MakeProgramLog(const std::wstring& baseFolder,
                                                                         const std::wstring& fileName = L"Kestrana.log");

} // namespace kestrana::win32
