#pragma once
// The watcher's answer to the hook companion's question "will you animate this window?"
// (message 50014). The answer must come back within a few milliseconds, so deciding only
// reads facts and the list of animated windows; taking the image and flying come after.

#include "extras/animated_windows.h"
#include "extras/minimise_settings.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::extras {

// The companion's question codes (wParam).
inline constexpr std::uintptr_t kAskMinimise = 0;
inline constexpr std::uintptr_t kAskStageManager = 1;
inline constexpr std::uintptr_t kAskMinimiseBySystemMenu = 2;
inline constexpr std::uintptr_t kAskRestore = 3;

// What deciding needs to know of another program's window.
struct WindowLook {
    bool exists = false;
    bool appWindow = false;  // a visible top-level window of the kinds the dock tracks
    bool cloaked = false;
    bool fullScreen = false; // covers its whole monitor
    std::wstring className;
    std::wstring title;
    std::wstring processName;              // image file name, lower case
    std::vector<std::wstring> programKeys; // its dock item's key and its process's name
};

class AnimationWindowPort {
public:
    virtual ~AnimationWindowPort() = default;
    [[nodiscard]] virtual WindowLook Look(WindowId window) const = 0;
    [[nodiscard]] virtual bool Exists(WindowId window) const = 0;
};

struct SystemState {
    bool quitting = false;
    bool suspended = false;
    bool locked = false;
    bool animationsOff = false; // the user turned the system's animations off: nothing flies
};

enum class Play : std::uint8_t { None, Minimise, Restore };

struct Verdict {
    int answer = 0; // 1: the program acts, the system must not
    Play play = Play::None;
    bool operator==(const Verdict&) const = default;
};

// Windows the effect leaves alone or cannot show faithfully, by their class, process and title.
[[nodiscard]] bool QualifiesForEffect(const WindowLook& look);

class MinimiseDecider {
public:
    using Excluded = std::function<bool(std::wstring_view programKey)>;
    using StageManagerTakes = std::function<bool(WindowId)>;

    MinimiseDecider(const AnimationWindowPort& windows, AnimatedWindows& animated)
        : m_windows(windows), m_animated(animated) {}

    // A minimise that answers 1 has entered the list as Minimising; a restore that answers
    // 1 has turned its entry to Restoring.
    [[nodiscard]] Verdict Decide(std::uintptr_t code, WindowId window, const MinimiseSettings& settings,
                                 const SystemState& system, const Excluded& excluded,
                                 const StageManagerTakes& stageManager = {});

private:
    const AnimationWindowPort& m_windows;
    AnimatedWindows& m_animated;
};

} // namespace kestrana::extras
