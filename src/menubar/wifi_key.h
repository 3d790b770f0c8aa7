#pragma once
// The prompt for a Wi-Fi network's key: what has been typed (shown as dots, wiped when
// the prompt goes) and whether it can be a key at all.

#include <cstdint>
#include <string>

namespace kestrana::menubar {

// A pass phrase of 8 to 63 characters or 64 hexadecimal digits; for WEP 5 or 13
// characters, or 10 or 26 hexadecimal digits.
[[nodiscard]] bool KeyAcceptable(const std::wstring& key, bool wep);

// Typed text that is never shown; its memory is overwritten when it changes or goes.
class SecretEntry {
public:
    SecretEntry() = default;
    ~SecretEntry();
    SecretEntry(const SecretEntry&) = delete;
    SecretEntry& operator=(const SecretEntry&) = delete;

    // A typed character; control characters and anything past 64 characters are refused.
    bool Type(wchar_t c);
    void Backspace();
    void Clear();
    [[nodiscard]] std::size_t Length() const { return m_text.size(); }
    [[nodiscard]] bool Acceptable(bool wep) const;
    // Hands the text over and leaves the entry empty.
    [[nodiscard]] std::wstring Take();

private:
    std::wstring m_text;
};

} // namespace kestrana::menubar
