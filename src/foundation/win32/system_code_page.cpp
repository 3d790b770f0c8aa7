#include "foundation/win32/system_code_page.h"

#include "foundation/diagnostic_log.h"
#include "foundation/text.h"

#include <windows.h>

namespace kestrana::win32 {

SystemCodePage::SystemCodePage(unsigned codePage) : m_codePage(codePage == 0 ? ::GetACP() : codePage) {}

std::u16string SystemCodePage::Decode(std::string_view bytes) const {
    if (bytes.empty()) return {};
    if (m_codePage == CP_UTF8) return foundation::Utf8ToUtf16(bytes);
    try {
        const int size = static_cast<int>(bytes.size());
        const int units = ::MultiByteToWideChar(m_codePage, 0, bytes.data(), size, nullptr, 0);
        if (units <= 0) return foundation::Windows1252().Decode(bytes);
        std::u16string out(static_cast<std::size_t>(units), u'\0');
        ::MultiByteToWideChar(m_codePage, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(out.data()), units);
        return out;
    } catch (...) {
        kestrana::foundation::LogCaught("code page Decode");
        return {};
    }
}

std::string SystemCodePage::Encode(std::u16string_view text, bool& exact) const {
    if (text.empty()) return {};
    if (m_codePage == CP_UTF8) return foundation::Utf16ToUtf8(text);
    try {
        const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
        const int size = static_cast<int>(text.size());
        // No best-fit replacements: a character that has no mapping is reported, not
        // silently turned into a look-alike.
        const int bytes = ::WideCharToMultiByte(m_codePage, WC_NO_BEST_FIT_CHARS, wide, size, nullptr, 0, nullptr, nullptr);
        if (bytes <= 0) return foundation::Windows1252().Encode(text, exact);
        std::string out(static_cast<std::size_t>(bytes), '\0');
        BOOL usedDefault = FALSE;
        ::WideCharToMultiByte(m_codePage, WC_NO_BEST_FIT_CHARS, wide, size, out.data(), bytes, "?", &usedDefault);
        if (usedDefault) exact = false;
        return out;
    } catch (...) {
        kestrana::foundation::LogCaught("code page Encode");
        return {};
    }
}

} // namespace kestrana::win32
