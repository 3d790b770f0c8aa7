#include "menubar/earbud_battery.h"

#include <cwctype>

namespace kestrana::menubar {
namespace {

// The status frame: type 7, its length, then a fixed prefix, the model, a status byte
// whose 0x20 bit tells which bud is reported first, the two buds' nibbles, and the
// charging flags over the case's nibble.
constexpr std::uint8_t kStatusType = 0x07;
constexpr std::size_t kMinimumLength = 8;

std::optional<int> NibblePercent(std::uint8_t nibble) {
    if (nibble <= 10) return nibble * 10; // tenths
    return std::nullopt;                  // 15: not in the case's reach
}

} // namespace

std::optional<EarbudBattery> DecodeEarbudFrame(std::uint16_t company, std::span<const std::uint8_t> data) {
    if (company != kEarbudCompany || data.size() < kMinimumLength) return std::nullopt;
    // The length byte counts what follows it; a frame shorter than it says was cut.
    if (data[0] != kStatusType || data[1] < kMinimumLength - 2 || data.size() < data[1] + 2u) return std::nullopt;
    const bool leftFirst = (data[5] & 0x20u) != 0;
    const std::uint8_t high = data[6] >> 4, low = data[6] & 0x0Fu;
    const std::uint8_t flags = data[7] >> 4;
    EarbudBattery out;
    out.left.percent = NibblePercent(leftFirst ? low : high);
    out.right.percent = NibblePercent(leftFirst ? high : low);
    out.caseLevel.percent = NibblePercent(data[7] & 0x0Fu);
    out.left.charging = (flags & (leftFirst ? 0x1u : 0x2u)) != 0;
    out.right.charging = (flags & (leftFirst ? 0x2u : 0x1u)) != 0;
    out.caseLevel.charging = (flags & 0x4u) != 0;
    return out;
}

bool IsEarbudName(std::wstring_view name) {
    constexpr std::wstring_view kWord = L"airpods";
    if (name.size() < kWord.size()) return false;
    for (std::size_t i = 0; i + kWord.size() <= name.size(); ++i) {
        bool same = true;
        for (std::size_t k = 0; same && k < kWord.size(); ++k)
            same = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(name[i + k]))) == kWord[k];
        if (same) return true;
    }
    return false;
}

std::wstring EarbudText(const EarbudBattery& battery) {
    std::wstring out;
    const auto add = [&out](const wchar_t* label, const BudLevel& level) {
        if (!level.percent) return;
        if (!out.empty()) out += L" \u00B7 ";
        out += label;
        out += std::to_wstring(*level.percent) + L"%";
        if (level.charging) out += L"+";
    };
    add(L"L ", battery.left);
    add(L"R ", battery.right);
    add(L"Case ", battery.caseLevel);
    return out;
}

} // namespace kestrana::menubar
