#include "menubar/win32/power_prompt.h"

#include "foundation/diagnostic_log.h"
#include "gfx/win32/popup_menu.h"
#include "gfx/win32/prompt_window.h"
#include "menubar/power.h"
#include "menubar/win32/varlo_bar.h"

namespace kestrana::menubar::win32 {

bool ConfirmPowerAction(const PromptTexts& texts, gfx::TextRenderer& text, float scale, bool dark,
                        const RECT& screen) noexcept {
    try {
        PowerCountdown countdown;
        int choice = 0;
        gfx::PromptRequest request = gfx::PromptAt(L"VarloPrompt", "power prompt", scale, dark, screen);
        request.message = texts.question;
        request.cancel = texts.cancel;
        request.confirm = texts.confirm;
        // The delay list: the action runs when the chosen delay has run out.
        request.choice.value = [&] { return DelayText(choice, texts.now, texts.minute); };
        for (int i = 0; i < kDelayChoices; ++i) request.choice.values.push_back(DelayText(i, texts.now, texts.minute));
        request.choice.choose = [&](HWND owner, POINT anchor, int flipY) {
            gfx::Menu menu;
            const int current = countdown.Running() ? choice : -1;
            for (int i = 0; i < kDelayChoices; ++i)
                menu.push_back(gfx::MenuItem::Command(i + 1, DelayText(i, texts.now, texts.minute), i == current));
            gfx::PopupMenuOptions options;
            options.className = kMenuClass;
            options.scale = scale;
            options.dark = dark;
            const int chosen = gfx::RunPopupMenu(owner, menu, anchor, flipY, text, options);
            if (chosen <= 0) return;
            choice = chosen - 1;
            countdown.Start(DelaySeconds(choice));
        };
        request.choice.countdown = [&] {
            return countdown.Running() ? CountdownText(countdown.SecondsLeft()) : std::wstring();
        };
        request.choice.tick = [&] { return countdown.Tick(); };
        return gfx::RunPrompt(request, text);
    } catch (...) {
        foundation::LogCaught("power prompt");
        return false;
    }
}

} // namespace kestrana::menubar::win32
