#pragma once
// The confirmation shown before a power action when "messageboxshutdown" is on: the
// question, a delay chosen from a list (the action then runs when the countdown ends),
// Cancel and Confirm. Runs until the user decides or the countdown ends.

#include "gfx/text_renderer.h"

#include <windows.h>

#include <string>

namespace kestrana::menubar::win32 {

struct PromptTexts {
    std::wstring question;
    std::wstring now;    // the first delay entry
    std::wstring minute; // after the number of minutes
    std::wstring cancel;
    std::wstring confirm;
};

// True when confirmed, or when the chosen delay ran out.
[[nodiscard]] bool ConfirmPowerAction(const PromptTexts& texts, gfx::TextRenderer& text, float scale, bool dark,
                                      const RECT& screen) noexcept;

} // namespace kestrana::menubar::win32
