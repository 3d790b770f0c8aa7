#include "gfx/prompt.h"

#include "gfx/canvas.h"

#include <algorithm>
#include <cmath>

namespace kestrana::gfx {
namespace {

int Scaled(float value, float scale) { return static_cast<int>(value * scale); }

bool Inside(const RectI& r, int x, int y) { return x >= r.x && x < r.Right() && y >= r.y && y < r.Bottom(); }

RectF F(const RectI& r) {
    return {static_cast<float>(r.x), static_cast<float>(r.y), static_cast<float>(r.width), static_cast<float>(r.height)};
}

void Centred(Canvas& canvas, const Bitmap& label, const RectI& box, Color color) {
    canvas.DrawCoverage(label, box.x + (box.width - label.Width()) / 2, box.y + (box.height - label.Height()) / 2, color);
}

} // namespace

int PromptTextWidth(float scale) { return Scaled(420, scale); }

PromptLayout LayOutPrompt(float s, int titleHeight, int messageWidth, int messageHeight, int choiceWidth, bool field) {
    PromptLayout l;
    const int pad = Scaled(22, s);
    const int buttonWidth = Scaled(96, s), buttonHeight = Scaled(28, s), gap = Scaled(10, s);
    l.width = std::max(Scaled(380, s), std::min(messageWidth, PromptTextWidth(s)) + 2 * pad);
    int y = pad;
    if (titleHeight > 0) {
        l.title = {pad, y, l.width - 2 * pad, titleHeight};
        y = l.title.Bottom() + Scaled(8, s);
    }
    if (messageHeight > 0) {
        l.message = {pad, y, l.width - 2 * pad, messageHeight};
        y = l.message.Bottom();
    }
    if (field) {
        l.field = {pad, y + Scaled(14, s), l.width - 2 * pad, Scaled(30, s)};
        y = l.field.Bottom();
    }
    if (choiceWidth > 0) {
        l.choice = {pad, y + Scaled(16, s), choiceWidth + Scaled(36, s), buttonHeight};
        l.countdown = {l.choice.Right() + gap, l.choice.y, Scaled(80, s), buttonHeight};
        y = l.choice.Bottom();
    }
    const int buttonsY = y + Scaled(20, s);
    l.confirm = {l.width - pad - buttonWidth, buttonsY, buttonWidth, buttonHeight};
    l.cancel = {l.confirm.x - gap - buttonWidth, buttonsY, buttonWidth, buttonHeight};
    l.height = buttonsY + buttonHeight + pad;
    return l;
}

PromptPart PromptPartAt(const PromptLayout& l, int x, int y) {
    if (Inside(l.field, x, y)) return PromptPart::Field;
    if (Inside(l.choice, x, y)) return PromptPart::Choice;
    if (Inside(l.cancel, x, y)) return PromptPart::Cancel;
    if (Inside(l.confirm, x, y)) return PromptPart::Confirm;
    return PromptPart::None;
}

PromptPart NextPromptPart(const PromptLayout& l, PromptPart from, int step) {
    std::vector<PromptPart> order;
    if (!l.field.Empty()) order.push_back(PromptPart::Field);
    if (!l.choice.Empty()) order.push_back(PromptPart::Choice);
    order.push_back(PromptPart::Cancel);
    order.push_back(PromptPart::Confirm);
    const auto at = std::find(order.begin(), order.end(), from);
    if (at == order.end()) return step < 0 ? order.back() : order.front();
    const int n = static_cast<int>(order.size());
    const int index = static_cast<int>(at - order.begin());
    return order[static_cast<std::size_t>(((index + (step < 0 ? -1 : 1)) % n + n) % n)];
}

std::vector<std::wstring> WrapLines(std::wstring_view text, int maxWidth,
                                    const std::function<int(std::wstring_view)>& measure) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(L'\n', start), text.size());
        std::wstring_view paragraph = text.substr(start, end - start);
        if (!paragraph.empty() && paragraph.back() == L'\r') paragraph.remove_suffix(1);
        std::wstring line;
        std::size_t i = 0;
        while (i < paragraph.size()) {
            // The next piece: a word with the spaces before it, or one character where
            // the text has no spaces to break at.
            std::size_t next = i;
            while (next < paragraph.size() && paragraph[next] == L' ') ++next;
            const std::size_t wordEnd = paragraph.find(L' ', next);
            std::size_t pieceEnd = wordEnd == std::wstring_view::npos ? paragraph.size() : wordEnd;
            std::wstring candidate = line + std::wstring(paragraph.substr(i, pieceEnd - i));
            if (line.empty() || measure(candidate) <= maxWidth) {
                if (line.empty() && measure(candidate) > maxWidth) {
                    // One word wider than a line: as many characters as fit, at least one.
                    std::size_t fit = next + 1;
                    while (fit < pieceEnd && measure(paragraph.substr(next, fit + 1 - next)) <= maxWidth) ++fit;
                    lines.emplace_back(paragraph.substr(next, fit - next));
                    i = fit;
                    continue;
                }
                line = std::move(candidate);
                i = pieceEnd;
                continue;
            }
            lines.push_back(std::move(line));
            line.clear();
            i = next; // the spaces at a break are dropped
        }
        if (!line.empty() || paragraph.empty()) lines.push_back(std::move(line));
        if (end == text.size()) break;
        start = end + 1;
    }
    return lines;
}

namespace {

// The prompt's colours: light or dark, or the high-contrast scheme's.
struct PromptPalette {
    Color panel, text, button, border, accent, hotButton, hotAccent, onAccent, ring, field;
};

PromptPalette PaletteFor(bool dark, const std::optional<ContrastColours>& scheme) {
    PromptPalette p;
    p.panel = dark ? Color{40, 40, 42, 250} : Color{246, 246, 246, 250};
    p.text = dark ? Color{238, 238, 238, 255} : Color{28, 28, 30, 255};
    p.button = dark ? Color{70, 70, 74, 255} : Color{255, 255, 255, 255};
    p.border = dark ? Color{255, 255, 255, 50} : Color{0, 0, 0, 45};
    p.accent = Color{10, 100, 214, 255};
    p.hotButton = dark ? Color{90, 90, 96, 255} : Color{232, 232, 236, 255};
    p.hotAccent = Color{30, 118, 230, 255};
    p.onAccent = Color{255, 255, 255, 255};
    p.ring = dark ? Color{120, 170, 255, 255} : p.accent;
    p.field = dark ? Color{28, 28, 30, 255} : Color{255, 255, 255, 255};
    if (scheme) {
        p.panel = p.button = p.field = scheme->window;
        p.text = p.border = scheme->text;
        p.accent = p.hotAccent = p.ring = scheme->highlight;
        p.hotButton = scheme->window;
        p.onAccent = scheme->window;
    }
    return p;
}

// The secret field: one dot a character (never the characters), then the caret.
void DrawSecretField(Canvas& canvas, const RectI& field, std::size_t dots, bool focused, const PromptPalette& c, float s) {
    const float small = 6.0f * s;
    canvas.FillRoundedRect(F(field), small, c.field);
    canvas.StrokeRoundedRect(F(field), small, std::max(1.0f, s), c.border);
    const float dot = 3.0f * s, step = 9.0f * s;
    const float cy = static_cast<float>(field.y) + static_cast<float>(field.height) / 2;
    float x = static_cast<float>(field.x) + 10.0f * s;
    const float limit = static_cast<float>(field.Right()) - 14.0f * s;
    for (std::size_t i = 0; i < dots && x + 2 * dot < limit; ++i, x += step)
        canvas.FillRoundedRect({x, cy - dot, 2 * dot, 2 * dot}, dot, c.text);
    if (focused) canvas.StrokeLine({x + 1.0f * s, cy - 8.0f * s}, {x + 1.0f * s, cy + 8.0f * s}, std::max(1.0f, s), c.text);
}

// The choice's value, an arrow saying it opens a list, and the countdown beside it.
void DrawChoiceContent(Canvas& canvas, const PromptLayout& l, const PromptLabels& labels, const PromptPalette& c, float s) {
    canvas.DrawCoverage(labels.choice, l.choice.x + Scaled(12, s), l.choice.y + (l.choice.height - labels.choice.Height()) / 2,
                        c.text);
    const float ax = static_cast<float>(l.choice.Right()) - 14.0f * s;
    const float ay = static_cast<float>(l.choice.y) + static_cast<float>(l.choice.height) / 2.0f;
    canvas.StrokeLine({ax - 3.5f * s, ay - 1.8f * s}, {ax, ay + 1.8f * s}, 1.5f * s, c.text);
    canvas.StrokeLine({ax, ay + 1.8f * s}, {ax + 3.5f * s, ay - 1.8f * s}, 1.5f * s, c.text);
    if (!labels.countdown.Empty())
        canvas.DrawCoverage(labels.countdown, l.countdown.x, l.countdown.y + (l.countdown.height - labels.countdown.Height()) / 2,
                            c.accent);
}

} // namespace

void DrawPrompt(Bitmap& target, const PromptLayout& l, const PromptLabels& labels, bool dark, float s,
                const PromptState& state, const std::optional<ContrastColours>& scheme) {
    const PromptPart hot = state.hot, focused = state.focused;
    const PromptPalette c = PaletteFor(dark, scheme);
    Canvas canvas(target);
    canvas.Clear(0);
    const float radius = 10.0f * s, small = 6.0f * s;
    const RectF whole{0, 0, static_cast<float>(l.width), static_cast<float>(l.height)};
    canvas.FillRoundedRect(whole, radius, c.panel);
    canvas.StrokeRoundedRect(whole, radius, std::max(1.0f, s), c.border);
    if (!l.title.Empty()) canvas.DrawCoverage(labels.title, l.title.x, l.title.y, c.text);
    int lineY = l.message.y;
    for (const Bitmap& line : labels.message) {
        canvas.DrawCoverage(line, l.message.x, lineY, c.text);
        lineY += labels.lineHeight;
    }
    if (!l.field.Empty()) DrawSecretField(canvas, l.field, state.dots, focused == PromptPart::Field, c, s);

    const auto plainButton = [&](const RectI& box, PromptPart part) {
        canvas.FillRoundedRect(F(box), small, hot == part ? c.hotButton : c.button);
        canvas.StrokeRoundedRect(F(box), small, std::max(1.0f, s), c.border);
    };
    if (!l.choice.Empty()) {
        plainButton(l.choice, PromptPart::Choice);
        DrawChoiceContent(canvas, l, labels, c, s);
    }
    plainButton(l.cancel, PromptPart::Cancel);
    Centred(canvas, labels.cancel, l.cancel, c.text);
    Color confirmFill = hot == PromptPart::Confirm && state.confirmable ? c.hotAccent : c.accent;
    if (!state.confirmable) confirmFill.a = 110; // not yet: a key too short
    canvas.FillRoundedRect(F(l.confirm), small, confirmFill);
    Centred(canvas, labels.confirm, l.confirm, c.onAccent);

    // The keyboard's place: a ring just outside the focused button.
    const RectI* ring = focused == PromptPart::Field    ? &l.field
                        : focused == PromptPart::Choice ? &l.choice
                        : focused == PromptPart::Cancel ? &l.cancel
                        : focused == PromptPart::Confirm ? &l.confirm
                                                         : nullptr;
    if (ring && !ring->Empty()) {
        const float out = 2.5f * s;
        canvas.StrokeRoundedRect({static_cast<float>(ring->x) - out, static_cast<float>(ring->y) - out,
                                  static_cast<float>(ring->width) + 2 * out, static_cast<float>(ring->height) + 2 * out},
                                 small + out, std::max(1.5f, 2.0f * s), c.ring);
    }
}

foundation::AccessibleTree BuildPromptTree(const PromptLayout& l, const PromptWords& words, int originX, int originY,
                                           PromptPart focused) {
    using foundation::AccessibleElement;
    using foundation::AccessibleRole;
    using foundation::AccessibleState;
    AccessibleElement root;
    root.role = AccessibleRole::Window;
    root.name = words.title.empty() ? words.message : words.title;
    root.description = words.message;
    root.bounds = {originX, originY, l.width, l.height};
    foundation::AccessibleTree tree(std::move(root));
    const auto box = [&](const RectI& r) { return foundation::AccessibleRect{originX + r.x, originY + r.y, r.width, r.height}; };
    const auto text = [&](int id, const RectI& r, const std::wstring& name) {
        AccessibleElement e;
        e.id = id;
        e.role = AccessibleRole::StaticText;
        e.name = name;
        e.bounds = box(r);
        tree.Add(std::move(e));
    };
    if (!l.message.Empty()) text(kPromptMessageId, l.message, words.message);
    if (!l.field.Empty()) {
        // What is typed is never read out; its length is, as the dots show it.
        AccessibleElement field;
        field.id = PromptPartId(PromptPart::Field);
        field.role = AccessibleRole::Text;
        field.name = words.field;
        field.value = std::wstring(words.dots, L'\u2022');
        field.bounds = box(l.field);
        field.state = AccessibleState::Focusable;
        if (focused == PromptPart::Field) field.state |= AccessibleState::Focused;
        tree.Add(std::move(field));
    }
    const auto button = [&](PromptPart part, const RectI& r, const std::wstring& name, AccessibleRole role) {
        AccessibleElement e;
        e.id = PromptPartId(part);
        e.role = role;
        e.name = name;
        e.bounds = box(r);
        e.defaultAction = words.press;
        e.state = AccessibleState::Focusable;
        if (part == focused) e.state |= AccessibleState::Focused;
        if (part == PromptPart::Confirm && !words.confirmable) e.state |= AccessibleState::Unavailable;
        if (role == AccessibleRole::MenuButton) {
            e.value = words.choice;
            e.state |= AccessibleState::HasPopup | AccessibleState::Collapsed;
        }
        tree.Add(std::move(e));
    };
    if (!l.choice.Empty()) {
        button(PromptPart::Choice, l.choice, words.choice, AccessibleRole::MenuButton);
        if (!words.countdown.empty()) text(kPromptCountdownId, l.countdown, words.countdown);
    }
    button(PromptPart::Cancel, l.cancel, words.cancel, AccessibleRole::PushButton);
    button(PromptPart::Confirm, l.confirm, words.confirm, AccessibleRole::PushButton);
    tree.Seal();
    return tree;
}

void PromptLinger::Hold(bool held, std::uint64_t nowMs) {
    if (m_held && !held) m_deadline = std::max(m_deadline, nowMs + static_cast<std::uint64_t>(m_graceMs));
    m_held = held;
}

} // namespace kestrana::gfx
