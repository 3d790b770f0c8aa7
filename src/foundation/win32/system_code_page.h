#pragma once
// The system's ANSI code page (GetACP) for BOM-less settings files, as the Windows profile
// functions use it; double-byte code pages such as 936 included.

#include "foundation/code_page.h"

namespace kestrana::win32 {

class SystemCodePage final : public foundation::CodePage {
public:
    // 0 takes the system's ANSI code page.
    explicit SystemCodePage(unsigned codePage = 0);
    [[nodiscard]] unsigned Id() const { return m_codePage; }
    std::u16string Decode(std::string_view bytes) const override;
    std::string Encode(std::u16string_view text, bool& exact) const override;

private:
    unsigned m_codePage;
};

} // namespace kestrana::win32
