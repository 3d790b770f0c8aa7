#include "menubar/win32/password_prompt.h"

#include "foundation/diagnostic_log.h"
#include "gfx/win32/prompt_window.h"
#include "menubar/wifi_key.h"

namespace kestrana::menubar::win32 {

std::optional<std::wstring> AskWifiPassword(const PasswordTexts& texts, bool wep, gfx::TextRenderer& text, float scale,
                                            bool dark, const RECT& screen) noexcept {
    try {
        SecretEntry entry; // wiped when it goes, whatever the answer
        gfx::PromptRequest request = gfx::PromptAt(L"VarloPassword", "wifi password prompt", scale, dark, screen);
        request.title = texts.title;
        request.cancel = texts.cancel;
        request.confirm = texts.join;
        request.fieldName = texts.title;
        request.secret.type = [&entry](wchar_t c) { return entry.Type(c); };
        request.secret.backspace = [&entry] { entry.Backspace(); };
        request.secret.length = [&entry] { return entry.Length(); };
        request.secret.acceptable = [&entry, wep] { return entry.Acceptable(wep); };
        if (!gfx::RunPrompt(request, text)) return std::nullopt;
        return entry.Take();
    } catch (...) {
        foundation::LogCaught("wifi password prompt");
        return std::nullopt;
    }
}

} // namespace kestrana::menubar::win32
