#include "launchers/pad_rules.h"

#include <algorithm>
#include <cstdlib>
#include <set>

namespace kestrana::launchers {

PageTurn WheelPageTurn(int delta, bool horizontal, bool buttonsOrKeysHeld) {
    if (horizontal) {
        // Touchpads report sideways swipes in small steps; only a deliberate one turns.
        if (std::abs(delta) <= kWheelNotch) return PageTurn::None;
        return delta > 0 ? PageTurn::Next : PageTurn::Previous;
    }
    // A fast spin arrives as several notches at once: taken as a scroll, not a page turn.
    if (buttonsOrKeysHeld || std::abs(delta) != kWheelNotch) return PageTurn::None;
    return delta < 0 ? PageTurn::Next : PageTurn::Previous;
}

EscapeStep EscapeAction(bool hasSearchText, bool groupOpen) {
    if (hasSearchText) return EscapeStep::ClearSearch;
    if (groupOpen) return EscapeStep::CloseGroup;
    return EscapeStep::Hide;
}

int MoveSelection(int current, SelectionKey key, int count, int columns) {
    if (count <= 0) return -1;
    if (current < 0 || current >= count) return key == SelectionKey::BackTab ? count - 1 : 0;
    columns = std::max(columns, 1);
    switch (key) {
    case SelectionKey::Left: return current % columns == 0 ? current : current - 1;
    case SelectionKey::Right: return current % columns == columns - 1 || current + 1 >= count ? current : current + 1;
    case SelectionKey::Up: return current >= columns ? current - columns : current;
    case SelectionKey::Down: return current + columns < count ? current + columns : current;
    case SelectionKey::Tab: return (current + 1) % count;
    case SelectionKey::BackTab: return (current + count - 1) % count;
    }
    return current;
}

namespace {
float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
float EaseOutCubic(float t) {
    const float u = 1.0f - t;
    return 1.0f - u * u * u;
}
} // namespace

int EffectDurationMs(int effect) {
    switch (effect) {
    case 1: return 260;
    case 2: return 200;
    default: return 240;
    }
}

EffectFrame EffectAt(int effect, bool showing, int elapsedMs) {
    const float t = Clamp01(static_cast<float>(elapsedMs) / static_cast<float>(EffectDurationMs(effect)));
    // How far the view is in: 0 hidden, 1 fully shown.
    const float in = showing ? EaseOutCubic(t) : 1.0f - EaseOutCubic(t);
    EffectFrame frame;
    frame.opacity = in;
    switch (effect) {
    case 1: frame.shiftY = -0.06f * (1.0f - in); break;
    case 2: break;
    default: frame.zoom = 1.0f + 0.12f * (1.0f - in); break;
    }
    return frame;
}

float SlideProgress(int elapsedMs, int durationMs) {
    if (durationMs <= 0) return 1.0f;
    return EaseOutCubic(Clamp01(static_cast<float>(elapsedMs) / static_cast<float>(durationMs)));
}

std::optional<std::vector<PinnedAddition>> PlanDrop(const std::vector<std::wstring>& files,
                                                    const std::vector<std::wstring>& takenNames) {
    if (!DropFits(files.size())) return std::nullopt;
    const auto lower = [](std::wstring text) {
        for (auto& c : text)
            if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        return text;
    };
    std::set<std::wstring> taken; // file names compare without case on Windows
    for (const auto& name : takenNames) taken.insert(lower(name));
    std::vector<PinnedAddition> plan;
    for (const auto& file : files) {
        const auto slash = file.find_last_of(L"\\/");
        std::wstring name = slash == std::wstring::npos ? file : file.substr(slash + 1);
        const auto dot = name.find_last_of(L'.');
        const bool shortcut = dot != std::wstring::npos && lower(name.substr(dot)) == L".lnk";
        if (dot != std::wstring::npos && dot > 0) name.resize(dot);
        if (name.empty()) continue;
        std::wstring candidate = name + L".lnk";
        for (int n = 2; taken.count(lower(candidate)); ++n) candidate = name + L" (" + std::to_wstring(n) + L").lnk";
        taken.insert(lower(candidate));
        plan.push_back({file, candidate, shortcut});
    }
    return plan;
}

ScreenCopy ScreenCopyChoice::Next() const {
    if (m_wholeFails) return ScreenCopy::Rows;
    if (m_rowsFail) return ScreenCopy::Whole;
    if (!m_whole) return ScreenCopy::Whole; // the usual way first
    if (!m_rows) return ScreenCopy::Rows;
    return *m_rows < *m_whole ? ScreenCopy::Rows : ScreenCopy::Whole;
}

void ScreenCopyChoice::Took(ScreenCopy way, double milliseconds) {
    // The latest time counts: a screen that changed size changes both.
    (way == ScreenCopy::Whole ? m_whole : m_rows) = milliseconds;
}

void ScreenCopyChoice::Failed(ScreenCopy way) { (way == ScreenCopy::Whole ? m_wholeFails : m_rowsFail) = true; }

} // namespace kestrana::launchers
