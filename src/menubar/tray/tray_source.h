#pragma once
// Where the tray icons come from, chosen by what the machine has rather than its version:
// a taskbar with a notification toolbar is read across the process boundary; without
// one (a taskbar that draws its tray otherwise, or no taskbar) the bar hosts a tray window
// of its own and programs send their records to it. Also the decoding of what the
// toolbar reading brings back from the taskbar's memory.

#include "menubar/tray/tray_list.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kestrana::menubar::tray {

enum class TraySourceKind : std::uint8_t { Scrape, Host };

struct TrayMachine {
    bool taskbar = false;        // a "Shell_TrayWnd" of another process
    bool notifyToolbar = false;  // a toolbar under its "TrayNotifyWnd"
    bool toolbarReadable = true; // our process can read the taskbar's memory
};

[[nodiscard]] TraySourceKind ChooseTraySource(const TrayMachine& machine);
[[nodiscard]] const wchar_t* TraySourceName(TraySourceKind kind);
// Why that source was chosen, for the log.
[[nodiscard]] const wchar_t* TraySourceReason(const TrayMachine& machine);

// The taskbar's "EnableAutoTray" value, absent when it has none: absent counts as on.
[[nodiscard]] bool AutoTrayOn(std::optional<std::uint32_t> value);

// One reading of the taskbar's two areas as the bar lists it. With auto tray on, the icons
// the taskbar hides are collected in the overflow area: the bar, which stands in for a
// taskbar kept out of sight, lists them after the visible ones. With it off, the taskbar
// shows every icon in the visible area and whatever the overflow toolbar still holds is
// left over from before, so it is not listed. An icon in both areas counts once, and
// the list is capped.
[[nodiscard]] std::vector<TrayIcon> JoinTrayAreas(std::vector<TrayIcon> visible, std::vector<TrayIcon> overflow,
                                                  bool autoTray);

// Why the hosted tray window may have lost its place above every other taskbar window,
// which is what makes programs looking for the taskbar by class find it.
enum class TopmostCause : std::uint8_t {
    TaskbarBack,   // a taskbar announced itself: it came back, made after ours
    DisplayChange, // screens were added, removed or changed
    WorkArea,      // the work area changed, as when a taskbar shows again
    Demoted,       // something took our window out of the topmost band
};
[[nodiscard]] const wchar_t* TopmostCauseText(TopmostCause cause);

struct TopmostStep {
    bool reassert = false; // put the window back on top
    bool log = false;      // the first time for this cause
    bool announce = false; // ask the programs for their icons again
};

// Decides, after each such event, whether the hosted window takes its place back. Driven
// by the events, never by a timer.
class TrayTopmost {
public:
    // `placeHeld`: a look for the taskbar by class still finds the hosted window first and
    // it is topmost. `ours`: the event is our own announcement coming back to us.
    TopmostStep After(TopmostCause cause, bool placeHeld, bool ours = false);

private:
    std::uint32_t m_logged = 0; // one bit per cause
};

// What the toolbar reading brings back is laid out by the taskbar's own bitness.
enum class TaskbarBits : std::uint8_t { Bits32, Bits64 };
// A 32-bit process cannot address a 64-bit taskbar's memory; the other way round works.
[[nodiscard]] bool ToolbarReadable(bool ours64, TaskbarBits taskbar);

// One toolbar button as the taskbar holds it (20 bytes on a 32-bit taskbar, 32 on a
// 64-bit one): its state and the address of the tray data behind it.
inline constexpr std::size_t kToolbarButtonSize = 32; // the larger: the read buffer
inline constexpr std::size_t kTrayDataSize = 32;
[[nodiscard]] std::size_t ToolbarButtonSize(TaskbarBits bits);
[[nodiscard]] std::size_t TrayDataSize(TaskbarBits bits);
struct ToolbarButton {
    bool hidden = false;
    std::uint64_t data = 0; // 0 when the address cannot be the taskbar's
};
[[nodiscard]] std::optional<ToolbarButton> DecodeToolbarButton(std::span<const std::uint8_t> bytes,
                                                               TaskbarBits bits = TaskbarBits::Bits64);
// The tray data a button points at: owner, id, callback and icon; nothing without an owner.
[[nodiscard]] std::optional<TrayIcon> DecodeTrayData(std::span<const std::uint8_t> bytes,
                                                     TaskbarBits bits = TaskbarBits::Bits64);

} // namespace kestrana::menubar::tray
