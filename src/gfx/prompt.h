#pragma once
// The program's one prompt: a themed panel with a title, a question wrapped to a few
// lines, an optional secret field (a network key, shown as dots), an optional choice
// button (with a countdown beside it), Cancel and Confirm. Its layout, picture, keyboard
// order and what a screen reader reads of it.

#include "foundation/accessible_tree.h"
#include "gfx/bitmap.h"
#include "gfx/contrast.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::gfx {

struct PromptLayout {
    int width = 0;
    int height = 0;
    RectI title;     // empty without a title
    RectI message;   // empty without a question
    RectI field;     // empty without a secret field
    RectI choice;    // empty without a choice button
    RectI countdown; // the time left, right of the choice button
    RectI cancel;
    RectI confirm;
};

// `titleHeight` 0: no title. `messageWidth` and `messageHeight` are the wrapped
// question's (0: none); `choiceWidth` 0: no choice button.
[[nodiscard]] PromptLayout LayOutPrompt(float scale, int titleHeight, int messageWidth, int messageHeight,
                                        int choiceWidth, bool field = false);
// The widest a question line may be before it wraps.
[[nodiscard]] int PromptTextWidth(float scale);

enum class PromptPart : std::uint8_t { None, Choice, Cancel, Confirm, Field };
[[nodiscard]] PromptPart PromptPartAt(const PromptLayout& layout, int x, int y);
// Tab order: the field, the choice button (each when there is one), Cancel, Confirm;
// `step` +1 or -1, wrapping.
[[nodiscard]] PromptPart NextPromptPart(const PromptLayout& layout, PromptPart from, int step);

// Breaks a text into lines no wider than `maxWidth`: at spaces where there are any, else
// between characters (texts without spaces, such as Chinese); explicit line breaks kept.
[[nodiscard]] std::vector<std::wstring> WrapLines(std::wstring_view text, int maxWidth,
                                                  const std::function<int(std::wstring_view)>& measure);

// Coverage masks of the texts; the question one per wrapped line.
struct PromptLabels {
    Bitmap title;
    std::vector<Bitmap> message;
    int lineHeight = 0;
    Bitmap choice;
    Bitmap countdown;
    Bitmap cancel;
    Bitmap confirm;
};

struct PromptState {
    PromptPart hot = PromptPart::None;     // under the pointer
    PromptPart focused = PromptPart::None; // has the keyboard
    std::size_t dots = 0;                  // characters typed into the field
    bool confirmable = true;               // Confirm would be taken (a key long enough)
};

// With a high-contrast `scheme` the prompt takes the scheme's colours, opaque.
void DrawPrompt(Bitmap& target, const PromptLayout& layout, const PromptLabels& labels, bool dark, float scale,
                const PromptState& state, const std::optional<ContrastColours>& scheme = std::nullopt);

struct PromptWords {
    std::wstring title;
    std::wstring message;
    std::wstring choice; // the choice button's value
    std::wstring countdown;
    std::wstring cancel;
    std::wstring confirm;
    std::wstring press = L"Press";
    std::wstring field;      // the field's name
    std::size_t dots = 0;
    bool confirmable = true;
};

// The element id of a part: the parts never move while the prompt is open.
[[nodiscard]] constexpr foundation::AccessibleId PromptPartId(PromptPart part) {
    return static_cast<foundation::AccessibleId>(part);
}
inline constexpr foundation::AccessibleId kPromptMessageId = 10;
inline constexpr foundation::AccessibleId kPromptCountdownId = 11;

[[nodiscard]] foundation::AccessibleTree BuildPromptTree(const PromptLayout& layout, const PromptWords& words, int originX,
                                                         int originY, PromptPart focused);

// When a prompt left up beside the user's work closes by itself: `spanMs` after it
// showed, never while the user has it in hand (the pointer on it, or its keyboard), and
// no sooner than `graceMs` after the user let it go, so that it does not vanish the
// moment the pointer slips off it.
class PromptLinger {
public:
    PromptLinger(std::uint64_t shownMs, int spanMs, int graceMs)
        : m_deadline(shownMs + static_cast<std::uint64_t>(spanMs)), m_graceMs(graceMs) {}
    void Hold(bool held, std::uint64_t nowMs);
    [[nodiscard]] bool Due(std::uint64_t nowMs) const { return !m_held && nowMs >= m_deadline; }

private:
    std::uint64_t m_deadline;
    int m_graceMs;
    bool m_held = false;
};

} // namespace kestrana::gfx
