#pragma once
// Shows the program's prompt (see gfx/prompt.h) centred on a screen and waits, in a
// nested message loop on the user-interface thread, until the user confirms or cancels
// with the mouse, the keyboard (Tab, arrows, Enter, Space, Escape) or a screen reader.
// The same prompt can also be left up beside the user's work without waiting for it
// (PromptWindow), for news the user may act on or ignore.

#include "gfx/text_renderer.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestrana::gfx {

// An optional choice button beside the question (the power prompt's delay), with a
// countdown that can end the prompt as confirmed.
struct PromptChoice {
    std::function<std::wstring()> value;                       // the button's text now
    std::vector<std::wstring> values;                          // every text it can show: its width fits the widest
    std::function<void(HWND owner, POINT anchor, int flipY)> choose; // opens its list
    std::function<std::wstring()> countdown;                   // the time left; empty when none runs
    std::function<bool()> tick;                                // once a second while counting: true when it ran out
};

// An optional secret field (a network key): every typed character goes to it, shown as
// a dot; Confirm is taken only while `acceptable` says so.
struct PromptSecret {
    std::function<bool(wchar_t)> type; // true when the character was taken
    std::function<void()> backspace;
    std::function<std::size_t()> length;
    std::function<bool()> acceptable;
};

struct PromptRequest {
    std::wstring title; // may be empty
    std::wstring message;
    std::wstring cancel;
    std::wstring confirm;
    float scale = 1.0f;
    bool dark = false;
    RECT screen{};            // the screen it is centred on (a third down)
    HWND owner = nullptr;     // keeps the prompt above it; may be null
    std::wstring className = L"KestranaPrompt";
    const char* logName = "prompt"; // for the diagnostic log
    PromptChoice choice;      // without `value`, no choice button
    PromptSecret secret;      // without `type`, no field
    std::wstring fieldName;   // what a screen reader calls the field
    // A prompt left up (PromptWindow): where it goes, from its size (none: as a waiting
    // prompt, centred on `screen`), and how long it stays when nobody touches it (0: until
    // answered).
    std::function<POINT(SIZE)> place;
    int lingerMs = 0;
};

// A request with its placement and naming filled in; the caller adds the texts.
[[nodiscard]] PromptRequest PromptAt(const wchar_t* className, const char* logName, float scale, bool dark,
                                     const RECT& screen, HWND owner = nullptr);

// True when confirmed (or the countdown ran out); false on Cancel, Escape, or when the
// prompt could not be shown (logged).
[[nodiscard]] bool RunPrompt(const PromptRequest& request, TextRenderer& text) noexcept;

class Prompt;

// A prompt left up beside the user's work: it shows, topmost, without taking the
// keyboard, and the program goes on. A click or a screen reader's focus gives it the
// keyboard; then it answers the keys as a waiting prompt does, and gives the keyboard back
// to the window that had it when it closes. `done` hears the answer once: true on
// Confirm, false on Cancel, Escape, or when it closed itself after `lingerMs`; it may
// destroy this object. Destroying it closes the prompt without an answer.
class PromptWindow {
public:
    // Null when the window could not be made (logged).
    [[nodiscard]] static std::unique_ptr<PromptWindow> Show(const PromptRequest& request, TextRenderer& text,
                                                           std::function<void(bool confirmed)> done) noexcept;
    ~PromptWindow();
    PromptWindow(const PromptWindow&) = delete;
    PromptWindow& operator=(const PromptWindow&) = delete;

    // The user has it in hand: the pointer is on it, or it has the keyboard.
    [[nodiscard]] bool Held() const;
    [[nodiscard]] HWND Window() const;

private:
    explicit PromptWindow(std::unique_ptr<Prompt> prompt);
    std::unique_ptr<Prompt> m_prompt;
};

} // namespace kestrana::gfx
