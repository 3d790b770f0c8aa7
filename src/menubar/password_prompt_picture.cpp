#include "menubar/password_prompt_picture.h"

#include "gfx/canvas.h"
#include "menubar/bar_geometry.h"

#include <algorithm>
#include <cwctype>

namespace kestrana::menubar {
namespace {

constexpr std::size_t kLongestKey = 64;

bool Inside(const gfx::RectI& r, int x, int y) { return x >= r.x && x < r.Right() && y >= r.y && y < r.Bottom(); }

gfx::RectF F(const gfx::RectI& r) {
    return {static_cast<float>(r.x), static_cast<float>(r.y), static_cast<float>(r.width), static_cast<float>(r.height)};
}

bool AllHex(const std::wstring& text) {
    return std::all_of(text.begin(), text.end(), [](wchar_t c) {
        return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
    });
}

} // namespace

SecretEntry::~SecretEntry() { Clear(); }

bool SecretEntry::Type(wchar_t c) {
    if (static_cast<std::uint32_t>(c) < 0x20 || c == 0x7F || m_text.size() >= kLongestKey) return false;
    if (m_text.size() == m_text.capacity()) {
        // Grown by hand so no copy of the secret is left behind in freed memory.
        std::wstring bigger;
        bigger.reserve(kLongestKey + 1);
        bigger = m_text;
        Clear();
        m_text.swap(bigger);
    }
    m_text.push_back(c);
    return true;
}

void SecretEntry::Backspace() {
    if (m_text.empty()) return;
    m_text.back() = L'\0';
    m_text.pop_back();
}

void SecretEntry::Clear() {
    volatile wchar_t* p = m_text.data();
    for (std::size_t i = 0; i < m_text.size(); ++i) p[i] = L'\0';
    m_text.clear();
}

std::wstring SecretEntry::Take() {
    std::wstring out;
    out.swap(m_text);
    return out;
}

bool SecretEntry::Acceptable(bool wep) const { return KeyAcceptable(m_text, wep); }

bool KeyAcceptable(const std::wstring& key, bool wep) {
    const std::size_t n = key.size();
    if (wep) return n == 5 || n == 13 || ((n == 10 || n == 26) && AllHex(key));
    return (n >= 8 && n <= 63) || (n == 64 && AllHex(key));
}

PasswordLayout LayOutPasswordPrompt(float s, int titleWidth) {
    PasswordLayout l;
    const int pad = Scaled(22, s);
    const int buttonWidth = Scaled(96, s), buttonHeight = Scaled(28, s), gap = Scaled(10, s);
    l.width = std::max(Scaled(380, s), titleWidth + 2 * pad);
    l.title = {pad, pad, l.width - 2 * pad, Scaled(22, s)};
    l.field = {pad, l.title.Bottom() + Scaled(14, s), l.width - 2 * pad, Scaled(30, s)};
    const int buttonsY = l.field.Bottom() + Scaled(20, s);
    l.join = {l.width - pad - buttonWidth, buttonsY, buttonWidth, buttonHeight};
    l.cancel = {l.join.x - gap - buttonWidth, buttonsY, buttonWidth, buttonHeight};
    l.height = buttonsY + buttonHeight + pad;
    return l;
}

PasswordPart PasswordPartAt(const PasswordLayout& l, int x, int y) {
    if (Inside(l.field, x, y)) return PasswordPart::Field;
    if (Inside(l.cancel, x, y)) return PasswordPart::Cancel;
    if (Inside(l.join, x, y)) return PasswordPart::Join;
    return PasswordPart::None;
}

void DrawPasswordPrompt(gfx::Bitmap& target, const PasswordLayout& l, const PasswordLabels& labels, bool dark, float s,
                        std::size_t dots, bool joinable, PasswordPart hot) {
    gfx::Canvas canvas(target);
    canvas.Clear(0);
    const gfx::Color panel = dark ? gfx::Color{40, 40, 42, 250} : gfx::Color{246, 246, 246, 250};
    const gfx::Color text = dark ? gfx::Color{238, 238, 238, 255} : gfx::Color{28, 28, 30, 255};
    const gfx::Color field = dark ? gfx::Color{28, 28, 30, 255} : gfx::Color{255, 255, 255, 255};
    const gfx::Color border = dark ? gfx::Color{255, 255, 255, 50} : gfx::Color{0, 0, 0, 45};
    const gfx::Color accent{10, 100, 214, 255};
    const float radius = 10.0f * s, small = 6.0f * s;
    const gfx::RectF whole{0, 0, static_cast<float>(l.width), static_cast<float>(l.height)};
    canvas.FillRoundedRect(whole, radius, panel);
    canvas.StrokeRoundedRect(whole, radius, std::max(1.0f, s), border);
    canvas.DrawCoverage(labels.title, l.title.x, l.title.y + (l.title.height - labels.title.Height()) / 2, text);

    // The field always has the keyboard: its outline is the accent colour.
    canvas.FillRoundedRect(F(l.field), small, field);
    canvas.StrokeRoundedRect(F(l.field), small, std::max(1.5f, 2.0f * s), accent);
    const float dot = 3.0f * s, step = 9.0f * s;
    const float cy = static_cast<float>(l.field.y) + static_cast<float>(l.field.height) / 2;
    float x = static_cast<float>(l.field.x) + 10.0f * s;
    const float limit = static_cast<float>(l.field.Right()) - 14.0f * s;
    for (std::size_t i = 0; i < dots && x + 2 * dot < limit; ++i, x += step)
        canvas.FillRoundedRect({x, cy - dot, 2 * dot, 2 * dot}, dot, text);
    canvas.StrokeLine({x + 1.0f * s, cy - 8.0f * s}, {x + 1.0f * s, cy + 8.0f * s}, std::max(1.0f, s), text); // the caret

    gfx::Color cancelFill = dark ? gfx::Color{70, 70, 74, 255} : gfx::Color{255, 255, 255, 255};
    if (hot == PasswordPart::Cancel) cancelFill = dark ? gfx::Color{90, 90, 96, 255} : gfx::Color{232, 232, 236, 255};
    canvas.FillRoundedRect(F(l.cancel), small, cancelFill);
    canvas.StrokeRoundedRect(F(l.cancel), small, std::max(1.0f, s), border);
    canvas.DrawCoverage(labels.cancel, l.cancel.x + (l.cancel.width - labels.cancel.Width()) / 2,
                        l.cancel.y + (l.cancel.height - labels.cancel.Height()) / 2, text);

    gfx::Color joinFill = joinable ? accent : gfx::Color{accent.r, accent.g, accent.b, 110};
    if (joinable && hot == PasswordPart::Join) joinFill = {30, 118, 230, 255};
    canvas.FillRoundedRect(F(l.join), small, joinFill);
    canvas.DrawCoverage(labels.join, l.join.x + (l.join.width - labels.join.Width()) / 2,
                        l.join.y + (l.join.height - labels.join.Height()) / 2, {255, 255, 255, 255});
}

} // namespace kestrana::menubar
