#include "foundation/hotkeys.h"

#include "foundation/config_store.h"
#include "foundation/diagnostic_log.h"

#include <algorithm>

namespace kestrana::foundation {
namespace {

constexpr int kVkF8 = 0x77;
constexpr int kVkF9 = 0x78;

constexpr std::array<HotkeyKeys, 15> kHotkeys = {{
    {HotkeyId::Dock, L"dock", L"dock1", L"dock2"},
    {HotkeyId::Launchpad, L"pad", L"pad1", L"pad2"},
    {HotkeyId::VolumeUp, L"volumeup", L"volumeup1", L"volumeup2"},
    {HotkeyId::VolumeDown, L"volumedown", L"volumedown1", L"volumedown2"},
    {HotkeyId::VolumeMute, L"volumemute", L"volumemute1", L"volumemute2"},
    {HotkeyId::BrightnessUp, L"brightnessup", L"brightnessup1", L"brightnessup2"},
    {HotkeyId::BrightnessDown, L"brightnessdown", L"brightnessdown1", L"brightnessdown2"},
    {HotkeyId::MicrophoneUp, L"microphoneup", L"microphoneup1", L"microphoneup2"},
    {HotkeyId::MicrophoneDown, L"microphonedown", L"microphonedown1", L"microphonedown2"},
    {HotkeyId::MicrophoneMute, L"microphonemute", L"microphonemute1", L"microphonemute2"},
    {HotkeyId::Border, L"border", L"border1", L"border2"},
    {HotkeyId::StageManager, L"hotkey_open", L"hotkey_open1", L"hotkey_open2"},
    {HotkeyId::Taskbar, L"hotkey_showhidetaskbar", L"hotkey_showhidetaskbar1", L"hotkey_showhidetaskbar2"},
    // Keyboard access is on from the first start; Windows itself binds neither combination.
    {HotkeyId::FocusDock, L"focusdock", L"focusdock1", L"focusdock2", kModCtrl, kVkF8},
    {HotkeyId::FocusBar, L"focusbar", L"focusbar1", L"focusbar2", kModCtrl, kVkF9},
}};

constexpr HotkeyId kDockIds[] = {HotkeyId::Dock, HotkeyId::FocusDock};
constexpr HotkeyId kBarFocusIds[] = {HotkeyId::FocusBar};
constexpr HotkeyId kLaunchpadIds[] = {HotkeyId::Launchpad};
constexpr HotkeyId kBorderIds[] = {HotkeyId::Border};
constexpr HotkeyId kTaskbarIds[] = {HotkeyId::Taskbar};
constexpr HotkeyId kStageIds[] = {HotkeyId::StageManager};
constexpr HotkeyId kMicrophoneIds[] = {HotkeyId::MicrophoneUp, HotkeyId::MicrophoneDown, HotkeyId::MicrophoneMute};
constexpr HotkeyId kVolumeIds[] = {HotkeyId::VolumeUp, HotkeyId::VolumeDown, HotkeyId::VolumeMute};
constexpr HotkeyId kBrightnessIds[] = {HotkeyId::BrightnessUp, HotkeyId::BrightnessDown};

constexpr int kAllModifiers = kModAlt | kModCtrl | kModShift;
constexpr int kLastKeyCode = 254;

// Display modes in which the border cannot change (the dock hides behind its edge).
bool BorderLocked(int displayMode) { return displayMode == 3 || displayMode == 4 || displayMode == 7; }

constexpr int kDisplayModeHotkey = 6;

} // namespace

std::span<const HotkeyKeys> AllHotkeys() { return kHotkeys; }

const HotkeyKeys* FindHotkey(int id) {
    for (const auto& keys : kHotkeys)
        if (static_cast<int>(keys.id) == id) return &keys;
    return nullptr;
}

BindingRead ReadHotkeyBinding(const ConfigStore& store, HotkeyId id) {
    BindingRead read;
    read.binding.id = id;
    const HotkeyKeys* keys = FindHotkey(static_cast<int>(id));
    if (!keys) return read;
    if (!store.HasKey(L"hotkey", keys->modifier) && !store.HasKey(L"hotkey", keys->key)) {
        read.binding.modifiers = keys->defaultModifiers;
        read.binding.key = keys->defaultKey;
        return read;
    }
    const int modifiers = store.ReadInt(L"hotkey", keys->modifier);
    const int key = store.ReadInt(L"hotkey", keys->key);
    if (modifiers < 0 || modifiers > kAllModifiers)
        read.problem = std::wstring(keys->modifier) + L"=" + std::to_wstring(modifiers) + L" is no modifier set";
    else if (key < 0 || key > kLastKeyCode)
        read.problem = std::wstring(keys->key) + L"=" + std::to_wstring(key) + L" is no key code";
    if (!read.problem.empty()) return read; // unset, as if the values were absent
    read.binding.modifiers = modifiers;
    read.binding.key = key;
    return read;
}

std::span<const HotkeyId> IdsOf(HotkeyGroup group) {
    switch (group) {
    case HotkeyGroup::Dock: return kDockIds;
    case HotkeyGroup::Launchpad: return kLaunchpadIds;
    case HotkeyGroup::Border: return kBorderIds;
    case HotkeyGroup::Taskbar: return kTaskbarIds;
    case HotkeyGroup::StageManager: return kStageIds;
    case HotkeyGroup::Microphone: return kMicrophoneIds;
    case HotkeyGroup::Volume: return kVolumeIds;
    case HotkeyGroup::Brightness: return kBrightnessIds;
    case HotkeyGroup::BarFocus: return kBarFocusIds;
    }
    return {};
}

HotkeyGroup GroupOf(HotkeyId id) {
    for (const auto group : {HotkeyGroup::Dock, HotkeyGroup::Launchpad, HotkeyGroup::Border, HotkeyGroup::Taskbar,
                             HotkeyGroup::StageManager, HotkeyGroup::Microphone, HotkeyGroup::Volume,
                             HotkeyGroup::Brightness, HotkeyGroup::BarFocus}) {
        const auto ids = IdsOf(group);
        if (std::find(ids.begin(), ids.end(), id) != ids.end()) return group;
    }
    return HotkeyGroup::Dock;
}

bool NeedsDock(HotkeyGroup group) {
    return group == HotkeyGroup::Dock || group == HotkeyGroup::Launchpad || group == HotkeyGroup::Border;
}

void HotkeyRegistrar::Note(const std::wstring& text) {
    if (m_note) m_note(text);
    else LogFailure("hotkeys", text);
}

bool HotkeyRegistrar::RegisterGroup(HotkeyGroup group) {
    bool all = true;
    for (const HotkeyId id : IdsOf(group)) m_port.Unregister(id);
    for (const HotkeyId id : IdsOf(group)) {
        const BindingRead read = ReadHotkeyBinding(m_store, id);
        const HotkeyBinding& b = read.binding;
        std::wstring note = read.problem;
        HotkeyStatus status = HotkeyStatus::Unset;
        if (b.Set()) {
            if (NeedsDock(group) && !m_dockExists) {
                status = HotkeyStatus::NoDock;
            } else if (m_port.Register(id, b.modifiers, b.key)) {
                status = HotkeyStatus::Registered;
            } else {
                status = HotkeyStatus::Refused;
                all = false;
                note = L"hotkey " + std::to_wstring(static_cast<int>(id)) + L" (" + std::wstring(ModifierName(b.modifiers)) +
                       L"+" + KeyName(b.key) + L") was refused: another program holds the combination";
            }
        }
        m_status[id] = status;
        // Renewals (the taskbar coming back, a settings change) repeat nothing already said.
        auto& last = m_lastNote[id];
        if (!note.empty() && note != last) Note(note);
        last = note;
    }
    return all;
}

HotkeyStatus HotkeyRegistrar::Status(HotkeyId id) const {
    const auto found = m_status.find(id);
    return found == m_status.end() ? HotkeyStatus::Unset : found->second;
}

HotkeyChoice HotkeyDispatcher::Choose(int id, const HotkeyFacts& facts, std::int64_t nowMs) {
    HotkeyChoice choice;
    switch (static_cast<HotkeyId>(id)) {
    case HotkeyId::Dock:
        if (!facts.dockDisplayMode) break;
        if (*facts.dockDisplayMode != kDisplayModeHotkey) choice.action = HotkeyAction::ShowDock;
        else if (!facts.launchpadShown) choice.action = HotkeyAction::FlipDockHidden;
        break;
    case HotkeyId::Launchpad:
        if (!facts.dockBusy) choice.action = HotkeyAction::ToggleLaunchpad;
        break;
    case HotkeyId::VolumeUp: choice = {HotkeyAction::PressVolumeKey, 175, 0}; break;
    case HotkeyId::VolumeDown: choice = {HotkeyAction::PressVolumeKey, 174, 0}; break;
    case HotkeyId::VolumeMute: choice = {HotkeyAction::PressVolumeKey, 173, 0}; break;
    case HotkeyId::BrightnessUp: choice = {HotkeyAction::StepBrightness, 0, 6}; break;
    case HotkeyId::BrightnessDown: choice = {HotkeyAction::StepBrightness, 0, -6}; break;
    case HotkeyId::MicrophoneUp: choice = {HotkeyAction::StepMicrophone, 0, 4}; break;
    case HotkeyId::MicrophoneDown: choice = {HotkeyAction::StepMicrophone, 0, -4}; break;
    case HotkeyId::MicrophoneMute: choice.action = HotkeyAction::ToggleMicrophoneMute; break;
    case HotkeyId::Border:
        if (facts.dockDisplayMode && !BorderLocked(*facts.dockDisplayMode))
            choice.action = facts.dockBorder ? HotkeyAction::BorderOff : HotkeyAction::BorderOn;
        break;
    case HotkeyId::StageManager:
        if (!facts.barsRunning || facts.mainWindowVisible) break;
        if (m_lastStageToggleMs && nowMs - *m_lastStageToggleMs < kStageManagerGapMs) break;
        m_lastStageToggleMs = nowMs;
        choice.action = HotkeyAction::ToggleStageManager;
        break;
    case HotkeyId::Taskbar: choice.action = HotkeyAction::ToggleTaskbar; break;
    case HotkeyId::FocusDock:
        if (facts.dockDisplayMode && !facts.launchpadShown) choice.action = HotkeyAction::FocusDock;
        break;
    case HotkeyId::FocusBar:
        if (facts.menuBarRunning && !facts.launchpadShown) choice.action = HotkeyAction::FocusBar;
        break;
    }
    return choice;
}

std::optional<int> SteppedBrightness(int current, int minimum, int maximum, int step) {
    if (minimum > maximum) return std::nullopt;
    const int next = std::clamp(current + step, minimum, maximum);
    if (next == current) return std::nullopt;
    return next;
}

int SteppedMicrophoneLevel(int current, int step) { return std::clamp(current + step, 0, 100); }

std::vector<ModifierChoice> ModifierChoices(std::wstring_view list) {
    static constexpr int kValues[] = {0, kModCtrl, kModShift, kModAlt};
    std::vector<ModifierChoice> choices;
    std::size_t index = 0;
    while (index < std::size(kValues)) {
        const std::size_t bar = list.find(L'|');
        choices.push_back({std::wstring(list.substr(0, bar)), kValues[index++]});
        if (bar == std::wstring_view::npos) break;
        list.remove_prefix(bar + 1);
    }
    return choices;
}

std::wstring_view ModifierName(int modifiers) {
    switch (modifiers) {
    case kModCtrl: return L"Ctrl";
    case kModShift: return L"Shift";
    case kModAlt: return L"Alt";
    default: return L"-";
    }
}

std::wstring KeyName(int key) {
    if (key <= 0) return {};
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::wstring(1, static_cast<wchar_t>(key));
    if (key >= 0x70 && key <= 0x87) return L"F" + std::to_wstring(key - 0x70 + 1);
    if (key >= 0x60 && key <= 0x69) return L"Num " + std::to_wstring(key - 0x60);
    switch (key) {
    case 0x08: return L"Backspace";
    case 0x09: return L"Tab";
    case 0x0D: return L"Enter";
    case 0x1B: return L"Esc";
    case 0x20: return L"Space";
    case 0x21: return L"Page Up";
    case 0x22: return L"Page Down";
    case 0x23: return L"End";
    case 0x24: return L"Home";
    case 0x25: return L"Left";
    case 0x26: return L"Up";
    case 0x27: return L"Right";
    case 0x28: return L"Down";
    case 0x2D: return L"Insert";
    case 0x2E: return L"Delete";
    default: return L"Key " + std::to_wstring(key);
    }
}

} // namespace kestrana::foundation
