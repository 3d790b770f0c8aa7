#pragma once
// The drives that come and go while the bar runs: which roots a device message names,
// the list of present drives with their names (a removed drive can no longer be asked
// its name), and the texts announcing them.

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

// How ejecting a drive ended, from the system's error code (0: it can be removed).
enum class EjectOutcome : std::uint8_t { Ejected, InUse, Failed };
[[nodiscard]] EjectOutcome EjectOutcomeOf(std::uint32_t error);
// What the notice says after an eject: "Stick (E:) can be removed", "... is in use", ...
[[nodiscard]] std::wstring EjectText(const DriveNotice& drive, std::uint32_t error, const foundation::ConfigStore& store);
// How often the volume's lock is tried, and how long apart: a program that just wrote to
// the drive may hold it a moment longer.
inline constexpr int kEjectLockTries = 5;
inline constexpr int kEjectLockPauseMs = 300;

} // namespace kestrana::menubar
