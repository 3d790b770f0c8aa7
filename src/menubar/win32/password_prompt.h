#pragma once
// Asks for a Wi-Fi network's key in a prompt of our own: typed characters show as dots,
// Backspace takes one back, Enter (or Join) gives the key once it can be one, Escape
// (or Cancel) gives nothing. Runs until the user decides.

#include "gfx/text_renderer.h"

#include <windows.h>

#include <optional>
#include <string>

namespace kestrana::menubar::win32 {

struct PasswordTexts {
    std::wstring title; // names the network
    std::wstring cancel;
    std::wstring join;
};

[[nodiscard]] std::optional<std::wstring> AskWifiPassword(const PasswordTexts& texts, bool wep, gfx::TextRenderer& text,
                                                          float scale, bool dark, const RECT& screen) noexcept;

} // namespace kestrana::menubar::win32
