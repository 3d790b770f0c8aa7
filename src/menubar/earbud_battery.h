#pragma once
// Battery levels of recognised earbuds, read from the manufacturer data of their
// low-energy advertisements: left, right and case in percent, each with its charging flag.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kestrana::menubar {

struct BudLevel {
    std::optional<int> percent; // nothing when the part is away or unknown
    bool charging = false;
    bool operator==(const BudLevel&) const = default;
};

struct EarbudBattery {
    BudLevel left, right, caseLevel;
    bool operator==(const EarbudBattery&) const = default;
};

inline constexpr std::uint16_t kEarbudCompany = 0x004C;

// Decodes one advertisement's manufacturer data (company id apart); nothing when the frame
// is not an earbud status frame or is cut short.
[[nodiscard]] std::optional<EarbudBattery> DecodeEarbudFrame(std::uint16_t company, std::span<const std::uint8_t> data);

// Whether a device name or a device registry name belongs to recognised earbuds.
[[nodiscard]] bool IsEarbudName(std::wstring_view name);

// "L 80% · R 70% · Case 50%", leaving out what is unknown; empty when nothing is known.
[[nodiscard]] std::wstring EarbudText(const EarbudBattery& battery);

} // namespace kestrana::menubar
