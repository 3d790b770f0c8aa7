#pragma once
// The "system code page" that BOM-less settings files are read and written in when they
// are not UTF-8. Windows-1252 is built in; the Windows build can pass the real system
// code page instead (foundation/win32/system_code_page.h).

#include <string>
#include <string_view>

namespace kestrana::foundation {

class CodePage {
public:
    virtual ~CodePage() = default;
    [[nodiscard]] virtual std::u16string Decode(std::string_view bytes) const = 0;
    // Characters without a mapping become '?'; `exact` is cleared when that happened.
    [[nodiscard]] virtual std::string Encode(std::u16string_view text, bool& exact) const = 0;
};

// Windows-1252 as Windows converts it: the five unassigned bytes map to the C1 controls
// of the same value and back.
[[nodiscard]] const CodePage& Windows1252();

} // namespace kestrana::foundation
