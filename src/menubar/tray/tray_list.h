#pragma once
// The tray icon list shared by every bar: icons in the order their programs added them,
// changed by the decoded notify-icon records (or replaced by a reading of the taskbar's
// own toolbar), and pruned of icons whose owner window is gone.

#include "menubar/tray/tray_record.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::menubar::tray {

struct TrayIcon {
    std::uint64_t owner = 0;    // owner window
    std::uint32_t id = 0;
    std::uint32_t callback = 0; // 0: none given
    std::uint32_t version = 0;  // the icon's interface version (0..4)
    std::uint64_t icon = 0;     // icon handle, as the owner gave it
    std::wstring tip;
    std::wstring path;          // the owner program, lower-cased when known
    std::uint32_t process = 0;  // the owner's process id when known
    bool hidden = false;
    std::array<std::uint8_t, 16> guid{}; // all zero: identified by owner and id
    bool operator==(const TrayIcon&) const = default;
};

struct TrayBalloon {
    std::uint64_t owner = 0;
    std::uint32_t id = 0;
    std::wstring title, text;
};

enum class TrayOutcome : std::uint8_t {
    Changed,   // the list is different now
    Unchanged, // accepted, nothing to draw (set focus, a modify that changed nothing)
    Unknown,   // no such icon, or an add of one already there
    Refused,   // a null owner
    Capped,    // the program already has as many icons as it may
};

struct TrayApplied {
    TrayOutcome outcome = TrayOutcome::Unchanged;
    std::optional<TrayBalloon> balloon;
    [[nodiscard]] bool Accepted() const { return outcome == TrayOutcome::Changed || outcome == TrayOutcome::Unchanged; }
};

// One program may show this many icons; the whole tray this many.
inline constexpr std::size_t kMaxIconsPerProgram = 16;
inline constexpr std::size_t kMaxTrayIcons = 128;
inline constexpr std::uint32_t kHighestIconVersion = 4;

class TrayList {
public:
    // `process` is the sender's process id when the platform knows it (0 when not): the
    // cap counts a program's icons by it, by owner window otherwise.
    // `program` is the owner's program path, kept lower-cased with an added icon.
    TrayApplied Apply(const TrayCommand& command, std::uint32_t process = 0, std::wstring_view program = {});

    // Drops the icons whose owner fails `alive`; returns how many went.
    std::size_t Prune(const std::function<bool(std::uint64_t owner)>& alive);

    // Takes a fresh reading as the list, keeping what the hosted records taught about
    // icons it also holds (the version, which a toolbar does not show).
    void Replace(std::vector<TrayIcon> icons);

    [[nodiscard]] const std::vector<TrayIcon>& Icons() const { return m_icons; }
    // The icons a bar draws: not hidden by their owner.
    [[nodiscard]] std::vector<const TrayIcon*> Shown() const;
    [[nodiscard]] const TrayIcon* Find(std::uint64_t owner, std::uint32_t id) const;

private:
    std::vector<TrayIcon>::iterator Locate(const TrayCommand& command);

    std::vector<TrayIcon> m_icons;
};

// The chat programs whose tray icons open an unread-messages pop-up on hover: the class of
// that pop-up for the icon's owner program, by its file name; nothing for other programs.
[[nodiscard]] std::optional<std::wstring_view> MessengerPopupClass(std::wstring_view programPath);

} // namespace kestrana::menubar::tray
