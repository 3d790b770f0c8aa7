#include "extras/minimise_decision.h"

#include "foundation/text.h"

#include <array>

namespace kestrana::extras {

namespace {

using foundation::EndsWithIgnoreCase;
using foundation::EqualsIgnoreCase;

bool StartsWith(std::wstring_view text, std::wstring_view start) {
    return text.size() >= start.size() && text.substr(0, start.size()) == start;
}

} // namespace

bool QualifiesForEffect(const WindowLook& look) {
    if (!look.exists || !look.appWindow || look.cloaked) return false;
    // System prompts, the assistant, vendor overlays and hand-off bars: their minimise is
    // a hide that never comes back through a restore.
    static constexpr std::array<std::wstring_view, 6> kNever{
        L"Cortana", L"$$$Secure UAP Dummy Window Class For Interim Dialog", L"Credential Dialog Xaml Host",
        L"AcTaskBarWin", L"FnKey", L"MISMARTSHAREHANDOFF"};
    for (const auto name : kNever)
        if (look.className == name) return false;
    if (EqualsIgnoreCase(look.processName, L"mismartsharehandoff.exe")) return false;
    // A store application's frame and a forms application's hidden parking window show
    // no title while they have nothing to show; their image would be empty.
    if ((look.className == L"ApplicationFrameWindow" || StartsWith(look.className, L"WindowsForms10.Window.8.app")) &&
        look.title.empty())
        return false;
    // Drawing documents repaint their views too slowly for a faithful image.
    if (EndsWithIgnoreCase(look.title, L".dwg")) return false;
    return true;
}

Verdict MinimiseDecider::Decide(std::uintptr_t code, WindowId window, const MinimiseSettings& settings,
                                const SystemState& system, const Excluded& excluded,
                                const StageManagerTakes& stageManager) {
    if (system.quitting || window == WindowId::None) return {};
    const auto exists = [this](WindowId w) { return m_windows.Exists(w); };
    const auto state = m_animated.State(window);
    const bool minimise = code == kAskMinimise || code == kAskMinimiseBySystemMenu;
    if (state && (minimise || code == kAskRestore)) {
        // The program's own minimise or restore at the end of a flight passes through;
        // a question about a window in flight is answered by the flight itself.
        if (*state == FlightState::Completing) return {};
        if (*state != FlightState::Minimised) return {1, Play::None};
    }

    const bool on =
        settings.enabled && !settings.disabled && !system.suspended && !system.locked && !system.animationsOff;
    const auto isExcluded = [&](const WindowLook& look) {
        for (const auto& key : look.programKeys)
            if (excluded && excluded(key)) return true;
        return false;
    };

    if (code == kAskStageManager) {
        if (stageManager && stageManager(window)) return {1, Play::None};
        const WindowLook look = m_windows.Look(window);
        if (!on || look.fullScreen || !m_animated.HasRoom(exists) || isExcluded(look)) return {};
        return {QualifiesForEffect(look) ? 1 : 0, Play::None};
    }
    if (!on) return {};
    const WindowLook look = m_windows.Look(window);
    if (!QualifiesForEffect(look)) return {};

    if (minimise) {
        if (look.fullScreen || isExcluded(look)) return {};
        if (!m_animated.BeginMinimise(window, exists)) return {};
        return {1, Play::Minimise};
    }
    if (code == kAskRestore) {
        if (state != FlightState::Minimised || !m_animated.Image(window)) return {};
        if (isExcluded(look)) {
            m_animated.Remove(window);
            return {};
        }
        m_animated.SetState(window, FlightState::Restoring);
        return {1, Play::Restore};
    }
    return {};
}

} // namespace kestrana::extras
