#pragma once
// The drives that come and go while the bar runs: which roots a device message names,
// the list of present drives with their names (a removed drive can no longer be asked
// its name), and the texts announcing them.

#include "gfx/bitmap.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar {

struct DriveNotice {
    std::wstring root; // "E:\"
    std::wstring name; // the volume's label; may be empty
    bool arrived = false;
    bool operator==(const DriveNotice&) const = default;
};

// "A:\" for bit 0, "B:\" for bit 1, and so on.
[[nodiscard]] std::vector<std::wstring> DriveRoots(std::uint32_t unitMask);

class DriveList {
public:
    // The drive's label, or nothing when its root does not exist.
    using Probe = std::function<std::optional<std::wstring>(const std::wstring& root)>;

    // Drives that arrived and whose root exists are listed and announced.
    [[nodiscard]] std::vector<DriveNotice> Arrived(std::uint32_t unitMask, const Probe& probe);
    // Drives that left, with the names they had when they came (listed or not).
    [[nodiscard]] std::vector<DriveNotice> Removed(std::uint32_t unitMask);
    // The drives present now (`presentMask`): listed ones take the label they have now (when
    // it can be read), and listed ones no longer present are forgotten. How many were.
    std::size_t Rescan(std::uint32_t presentMask, const Probe& probe);
    // The name a listed drive came with; nothing when it is not listed.
    [[nodiscard]] std::optional<std::wstring> NameOf(const std::wstring& root) const;

private:
    std::vector<std::pair<std::wstring, std::wstring>> m_drives; // root, name
};

[[nodiscard]] std::wstring DriveNoticeText(const DriveNotice& notice, const foundation::ConfigStore& store);

// Which drive's notice is up, and which waits its turn. One notice at a time: a drive
// that arrives while the notice is left alone takes its place, since the drive just
// plugged in is the one the user looks for, and a queue would keep showing drives the
// user saw come seconds ago. One that arrives while the user has the notice in hand (the
// pointer on it, or its keyboard) waits until it closes, so that a click or Enter never
// lands on a drive the user has not read; a newer arrival takes the waiting place.
class DriveNoticeSlot {
public:
    enum class Step : std::uint8_t { None, Show, Replace, Close };
    // A drive arrived; `held`: the user has the notice that is up in hand.
    [[nodiscard]] Step Arrive(const DriveNotice& drive, bool held);
    // A drive left: Close when its notice is up (the next one, if any, then comes from
    // Closed()); a waiting one is forgotten.
    [[nodiscard]] Step Left(const std::wstring& root);
    // The notice closed, whatever closed it: the waiting drive, now up, if there is one.
    [[nodiscard]] std::optional<DriveNotice> Closed();
    [[nodiscard]] const std::optional<DriveNotice>& Shown() const { return m_shown; }

private:
    std::optional<DriveNotice> m_shown;
    std::optional<DriveNotice> m_waiting;
};

// Where a drive notice of `width` x `height` goes: under the right end of the bar on
// `screen` (the bar `barHeight` tall), clear of the screen's edge, never off the screen.
[[nodiscard]] gfx::RectI DriveNoticeRect(const gfx::RectI& screen, int barHeight, int width, int height, float scale);
// How long a notice nobody touches stays up.
inline constexpr int kDriveNoticeMs = 10000;

// How the system answered an eject: a Windows error code, or a removal vetoed by a
// program, service or driver (the veto's type as the device manager counts them).
struct EjectAnswer {
    std::uint32_t error = 0; // 0 with no veto: it can be removed
    std::optional<std::uint8_t> veto;
    bool operator==(const EjectAnswer&) const = default;
};
// An answer through a window message's 64-bit parameter and back.
[[nodiscard]] std::uint64_t PackEjectAnswer(const EjectAnswer& answer);
[[nodiscard]] EjectAnswer UnpackEjectAnswer(std::uint64_t packed);

// How ejecting a drive ended (error 0 and no veto: it can be removed).
enum class EjectOutcome : std::uint8_t { Ejected, InUse, Failed };
[[nodiscard]] EjectOutcome EjectOutcomeOf(const EjectAnswer& answer);
// What the notice says after an eject: "Stick (E:) can be removed", "... is in use", ...
[[nodiscard]] std::wstring EjectText(const DriveNotice& drive, const EjectAnswer& answer,
                                     const foundation::ConfigStore& store);
// How often the volume's lock is tried, and how long apart: a program that just wrote to
// the drive may hold it a moment longer.
inline constexpr int kEjectLockTries = 5;
inline constexpr int kEjectLockPauseMs = 300;

} // namespace kestrana::menubar
