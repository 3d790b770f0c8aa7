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

// The log "Kestrana.log" in `baseFolder` (ending in a backslash), stamped in local time.
[[nodiscard]] std::shared_ptr<foundation::DiagnosticLog> MakeProgramLog(const std::wstring& baseFolder);

} // namespace kestrana::win32
