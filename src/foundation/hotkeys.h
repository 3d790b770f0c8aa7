#pragma once
// The global hotkeys as rules: the bindings of section "hotkey", the groups they are
// registered in, what a press does given the state of the docks, and the steps of the
// level hotkeys. The Windows layer registers what the registrar asks for and carries out
// the chosen action.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::foundation {

class ConfigStore;

// The hotkey message's wParam. 113 is not used.
enum class HotkeyId : int {
    Dock = 101,
    Launchpad = 102,
    VolumeUp = 103,
    VolumeDown = 104,
    VolumeMute = 105,
    BrightnessUp = 106,
    BrightnessDown = 107,
    MicrophoneUp = 108,
    MicrophoneDown = 109,
    MicrophoneMute = 110,
    Border = 111,
    StageManager = 112,
    Taskbar = 114,
    FocusDock = 115, // the keyboard focus goes to the dock
    FocusBar = 116,  // and to the menu bar
};

// Modifier flags as Windows hotkeys take them.
inline constexpr int kModAlt = 1;
inline constexpr int kModCtrl = 2;
inline constexpr int kModShift = 4;

struct HotkeyKeys {
    HotkeyId id;
    std::wstring_view name;     // the keys' stem: "dock" gives "dock1" and "dock2"
    std::wstring_view modifier; // "dock1"
    std::wstring_view key;      // "dock2"
    // What a binding is while neither of its values was ever written; 0 and 0 for none.
    int defaultModifiers = 0;
    int defaultKey = 0;
};
[[nodiscard]] std::span<const HotkeyKeys> AllHotkeys();
[[nodiscard]] const HotkeyKeys* FindHotkey(int id);

// One binding as read: registered only when both values are non-zero.
struct HotkeyBinding {
    HotkeyId id = HotkeyId::Dock;
    int modifiers = 0;
    int key = 0;
    [[nodiscard]] bool Set() const { return modifiers != 0 && key != 0; }
};

// Values outside what Windows can take (modifiers beyond Alt, Ctrl and Shift, a key code
// beyond 254) leave the binding unset; `problem` says what was wrong.
struct BindingRead {
    HotkeyBinding binding;
    std::wstring problem;
};
[[nodiscard]] BindingRead ReadHotkeyBinding(const ConfigStore& store, HotkeyId id);

enum class HotkeyGroup : std::uint8_t {
    Dock, Launchpad, Border, Taskbar, StageManager, Microphone, Volume, Brightness, BarFocus };
[[nodiscard]] std::span<const HotkeyId> IdsOf(HotkeyGroup group);
[[nodiscard]] HotkeyGroup GroupOf(HotkeyId id);
// The dock, Launchpad and border hotkeys work on a dock: registered only while one exists.
[[nodiscard]] bool NeedsDock(HotkeyGroup group);
// What start-up registers, and what the shell's taskbar coming back registers again.
inline constexpr std::array<HotkeyGroup, 6> kStartupGroups = {HotkeyGroup::Taskbar,    HotkeyGroup::StageManager,
                                                              HotkeyGroup::Microphone, HotkeyGroup::Volume,
                                                              HotkeyGroup::Brightness, HotkeyGroup::BarFocus};
inline constexpr std::array<HotkeyGroup, 3> kDockGroups = {HotkeyGroup::Dock, HotkeyGroup::Launchpad,
                                                           HotkeyGroup::Border};
inline constexpr std::array<HotkeyGroup, 7> kTaskbarRecreatedGroups = {
    HotkeyGroup::Brightness,   HotkeyGroup::Dock,    HotkeyGroup::Launchpad, HotkeyGroup::Volume,
    HotkeyGroup::StageManager, HotkeyGroup::Taskbar, HotkeyGroup::BarFocus};

// Where Windows keeps the registrations.
class HotkeyPort {
public:
    virtual ~HotkeyPort() = default;
    // False when the combination is taken (by another program, or twice by us).
    virtual bool Register(HotkeyId id, int modifiers, int key) = 0;
    virtual void Unregister(HotkeyId id) = 0;
};

enum class HotkeyStatus : std::uint8_t {
    Unset,      // a value missing or 0
    Registered,
    Refused,    // the combination is held elsewhere; the settings stay as they are
    NoDock,     // set, but waits for a dock
};

// Registers groups from the settings as they stand and remembers each binding's outcome
// for the settings page. Bad values and refusals are logged once per distinct value.
class HotkeyRegistrar {
public:
    // `note` takes what is worth logging; by default it goes to the diagnostic log.
    HotkeyRegistrar(const ConfigStore& store, HotkeyPort& port, std::function<void(const std::wstring&)> note = {})
        : m_store(store), m_port(port), m_note(std::move(note)) {}

    void SetDockExists(bool exists) { m_dockExists = exists; }
    // First unregisters every id of the group, then registers those that are set. True
    // when every set binding of the group registered.
    bool RegisterGroup(HotkeyGroup group);
    template <std::size_t N>
    bool RegisterGroups(const std::array<HotkeyGroup, N>& groups) {
        bool all = true;
        for (const HotkeyGroup group : groups) all = RegisterGroup(group) && all;
        return all;
    }
    [[nodiscard]] HotkeyStatus Status(HotkeyId id) const;

private:
    void Note(const std::wstring& text);

    const ConfigStore& m_store;
    HotkeyPort& m_port;
    std::function<void(const std::wstring&)> m_note;
    bool m_dockExists = false;
    std::map<HotkeyId, HotkeyStatus> m_status;
    std::map<HotkeyId, std::wstring> m_lastNote; // what was logged for the binding as last read
};

// --- what a press does ---

enum class HotkeyAction : std::uint8_t {
    None,
    FlipDockHidden,      // display mode 6: the dock's hidden flag flips
    ShowDock,            // any other mode: the dock comes into view
    ToggleLaunchpad,
    PressVolumeKey,      // with `HotkeyChoice::key`
    StepBrightness,      // with `step`
    StepMicrophone,      // with `step`
    ToggleMicrophoneMute,
    BorderOn,
    BorderOff,
    ToggleStageManager,
    ToggleTaskbar,
    FocusDock,           // the primary monitor's dock takes the keyboard
    FocusBar,            // the primary monitor's menu bar takes the keyboard
};

struct HotkeyChoice {
    HotkeyAction action = HotkeyAction::None;
    int key = 0;  // the virtual key pressed for the volume hotkeys
    int step = 0; // signed step of the brightness and microphone hotkeys
};

// The facts a press is decided on, gathered by the caller at the time of the press.
struct HotkeyFacts {
    std::optional<int> dockDisplayMode; // the primary monitor's dock; none without docks
    bool dockBusy = false;
    bool launchpadShown = false;
    bool dockBorder = false;
    bool barsRunning = false;       // a dock or the menu bar runs
    bool menuBarRunning = false;
    bool mainWindowVisible = false;
};

// The stage-manager hotkey acts at most once in this many milliseconds.
inline constexpr std::int64_t kStageManagerGapMs = 1200;

// Decides what a press of `id` does; the stage-manager gate remembers accepted presses.
class HotkeyDispatcher {
public:
    [[nodiscard]] HotkeyChoice Choose(int id, const HotkeyFacts& facts, std::int64_t nowMs);

private:
    std::optional<std::int64_t> m_lastStageToggleMs;
};

// The brightness after one step within the monitor's range; nothing when it would not
// change (already at the limit), so that no indicator is shown.
[[nodiscard]] std::optional<int> SteppedBrightness(int current, int minimum, int maximum, int step);
// The microphone level after one step, within 0..100.
[[nodiscard]] int SteppedMicrophoneLevel(int current, int step);

// --- the settings page's texts ---

// The modifier list: "- ", "Ctrl ", "Shift ", "Alt " with 0, 2, 4 and 1.
struct ModifierChoice {
    std::wstring label;
    int value = 0;
};
[[nodiscard]] std::vector<ModifierChoice> ModifierChoices(std::wstring_view list = L"- |Ctrl |Shift |Alt ");
// A stored modifier in words: "Ctrl", "Shift", "Alt", else "-".
[[nodiscard]] std::wstring_view ModifierName(int modifiers);
// A virtual-key code as a person reads it: "D", "F5", "Space"; "" for 0.
[[nodiscard]] std::wstring KeyName(int key);

} // namespace kestrana::foundation
