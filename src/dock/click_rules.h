#pragma once
// What a click on a dock item does: the decision from the item's state and the buttons,
// and the special items' own actions. The platform layer carries the decision out.

#include "dock/dockico.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kestrana::dock {

enum class ClickButton : std::uint8_t { Left, Middle };

struct ClickFacts {
    ClickButton button = ClickButton::Left;
    bool shift = false;
    bool ctrl = false;
    std::wstring_view appname;
    bool hasFilepath = false;
    bool isFolder = false; // realpath is a folder
    bool running = false;
    std::size_t windowCount = 0;
    AppKind kind = AppKind::Program;
    // The item's only window is the foreground window and not minimised.
    bool onlyWindowInFront = false;
    bool jumpIcon = false; // "jumpicon"
};

enum class ClickAction : std::uint8_t {
    Nothing,
    StartAnother,        // another instance of the item's program
    ShowPreviews,        // several windows: their previews
    CloseWindow,         // the only window, by the middle button
    SwitchToWindow,      // the only window: restore it and bring it to the front
    MinimiseWindow,      // the only window is already in front
    OpenStack,           // a folder item
    OpenLaunchpad,       // "launchpad|"
    SwitchToFileManager, // the remembered file manager window, else a new one
    Special,             // the special item's own action (SpecialActionFor)
    SearchRunning,       // running without windows: look for its windows, else launch
    Launch,
};

struct ClickDecision {
    ClickAction action = ClickAction::Nothing;
    bool closePreview = false; // an open preview of the item goes first
    bool bounce = false;       // the icon bounces until the program's first window shows
};

[[nodiscard]] ClickDecision DecideClick(const ClickFacts& facts);

// --- special items ---

enum class SpecialKind : std::uint8_t {
    OpenFileManager, // a new file manager window
    OpenTrash,       // with the empty-on-double-click timing (TrashClicks)
    OpenKnownFolder, // by known-folder id, else by the class id string
    ToggleTaskbar,
    PressKeys,       // then `uri` when given
    OpenUri,
    StartPackage,    // "family!application" when installed
    TaskView,
};

struct SpecialAction {
    SpecialKind kind = SpecialKind::OpenUri;
    std::wstring_view target{}; // known-folder id, URI, or package family name
    std::wstring_view fallback{}; // class id string, or the package's application id
    std::array<std::uint16_t, 2> keys{}; // virtual keys for PressKeys
    std::wstring_view uri{};      // opened after the keys
};

// The action of a special item's click; nullopt for an appname that is no special item.
[[nodiscard]] std::optional<SpecialAction> SpecialActionFor(std::wstring_view appname);

// --- key presses ---

// One step of a synthesised key sequence: a key going down or up, then a pause.
struct KeyStep {
    std::uint16_t key = 0;
    bool up = false;
    int pauseMs = 0;
};

// first down, 50 ms, second down (50 ms, third down), 100 ms, then the key-ups in
// reverse order; the ups are sent three times so no key is left held.
[[nodiscard]] std::vector<KeyStep> KeySequence(std::uint16_t first, std::uint16_t second, std::uint16_t third = 0);

// --- the trash's clicks ---

// A click on a full trash waits 300 ms for a second one: one click opens it, two ask to
// empty it. An empty trash opens at once.
class TrashClicks {
public:
    static constexpr int kDoubleClickMs = 300;
    enum class Outcome : std::uint8_t { Open, StartTimer, AskToEmpty };

    Outcome Click(bool full, std::int64_t nowMs);
    // The platform's timer ran out (a second click cancels it); true when the trash
    // should open now.
    bool TimerElapsed();
    [[nodiscard]] bool Waiting() const { return m_since.has_value(); }

private:
    std::optional<std::int64_t> m_since;
};

// --- dropping ---

// Where dropped files go in a row of `entries` (placeholders included): the item under
// the pointer, plus one past its middle, kept within 4 .. entries - 4 so nothing lands
// in front of the first item.
[[nodiscard]] std::size_t ClampDropIndex(std::size_t hitIndex, bool pastMiddle, std::size_t entries);

} // namespace kestrana::dock
