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
};

[[nodiscard]] TraySourceKind ChooseTraySource(const TrayMachine& machine);
[[nodiscard]] const wchar_t* TraySourceName(TraySourceKind kind);

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

// One toolbar button as the taskbar holds it (32 bytes on a 64-bit taskbar): its state
// and the address of the tray data behind it.
inline constexpr std::size_t kToolbarButtonSize = 32;
inline constexpr std::size_t kTrayDataSize = 32;
struct ToolbarButton {
    bool hidden = false;
    std::uint64_t data = 0;
};
[[nodiscard]] std::optional<ToolbarButton> DecodeToolbarButton(std::span<const std::uint8_t> bytes);
// The tray data a button points at: owner, id, callback and icon; nothing without an owner.
[[nodiscard]] std::optional<TrayIcon> DecodeTrayData(std::span<const std::uint8_t> bytes);

} // namespace kestrana::menubar::tray
