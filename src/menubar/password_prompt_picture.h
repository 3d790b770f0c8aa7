#pragma once
// The prompt for a Wi-Fi network's key: what has been typed (shown as dots, wiped when
// the prompt goes), whether it can be a key at all, and the prompt's layout and picture.

#include "gfx/bitmap.h"

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

struct PasswordLayout {
    int width = 0;
    int height = 0;
    gfx::RectI title;
    gfx::RectI field;
    gfx::RectI cancel;
    gfx::RectI join;
};

[[nodiscard]] PasswordLayout LayOutPasswordPrompt(float scale, int titleWidth);

enum class PasswordPart : std::uint8_t { None, Field, Cancel, Join };
[[nodiscard]] PasswordPart PasswordPartAt(const PasswordLayout& layout, int x, int y);

struct PasswordLabels {
    gfx::Bitmap title;
    gfx::Bitmap cancel;
    gfx::Bitmap join;
};

// `dots` is the number of characters typed; `joinable` lights the join button.
void DrawPasswordPrompt(gfx::Bitmap& target, const PasswordLayout& layout, const PasswordLabels& labels, bool dark,
                        float scale, std::size_t dots, bool joinable, PasswordPart hot);

} // namespace kestrana::menubar
