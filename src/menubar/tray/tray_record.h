#pragma once
// The notify-icon records that programs send the taskbar as copy-data (data kind 1):
// a signature, the verb, then the icon's data with 32-bit handle fields, whatever the
// sender's bitness. Two layouts exist: the first, with a 64-unit tooltip, and the later
// one with a 128-unit tooltip, balloon texts, version and item id. The record comes from
// another process, so every length in it is checked before any field is read.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrana::menubar::tray {

inline constexpr std::uint32_t kTrayCopyDataKind = 1;
inline constexpr std::uint32_t kTraySignature = 0x34753423;

// The icon data's own size field, one per layout generation.
inline constexpr std::uint32_t kIconDataFirstSize = 152;  // 64-unit tooltip
inline constexpr std::uint32_t kIconDataSecondSize = 936; // 128-unit tooltip, balloon, version
inline constexpr std::uint32_t kIconDataThirdSize = 952;  // adds the item id
inline constexpr std::uint32_t kIconDataFullSize = 956;   // adds the balloon icon
// Signature and verb come before the icon data.
inline constexpr std::size_t kTrayHeaderSize = 8;
// A 64-bit sender's own structure is 976 bytes; a size field up to that is believed as far
// as the bytes sent bear it out, anything larger is refused.
inline constexpr std::uint32_t kIconDataLargest = 976;
inline constexpr std::size_t kTrayRecordMax = kTrayHeaderSize + kIconDataLargest;

enum class TrayVerb : std::uint8_t { Add = 0, Modify = 1, Delete = 2, SetFocus = 3, SetVersion = 4 };

// Which fields a record carries.
enum TrayField : std::uint32_t {
    kFieldMessage = 0x01,
    kFieldIcon = 0x02,
    kFieldTip = 0x04,
    kFieldState = 0x08,
    kFieldInfo = 0x10,
    kFieldGuid = 0x20,
    kFieldShowTip = 0x80,
};

inline constexpr std::uint32_t kStateHidden = 0x01;

struct TrayCommand {
    TrayVerb verb{};
    std::uint32_t owner = 0;    // the owner window, as the 32-bit handle the record carries
    std::uint32_t id = 0;
    std::uint32_t fields = 0;   // TrayField bits
    std::uint32_t callback = 0; // the owner's callback message
    std::uint32_t icon = 0;
    std::wstring tip;
    std::uint32_t state = 0, stateMask = 0;
    std::wstring info, infoTitle; // a balloon
    std::uint32_t infoFlags = 0;
    std::uint32_t version = 0;    // only meaningful for SetVersion
    std::array<std::uint8_t, 16> guid{};
};

enum class TrayRecordError : std::uint8_t {
    None,
    WrongKind,      // not the tray's copy-data kind
    TooShort,       // shorter than a header and the smallest icon data
    TooLong,        // longer than the largest layout
    BadSignature,
    UnknownVerb,
    BadLength,      // the icon data's own size is no layout's, or more than was sent
    UnterminatedText,
};

struct TrayDecoded {
    std::optional<TrayCommand> command;
    TrayRecordError error = TrayRecordError::None;
};

// Decodes one copy-data record: `kind` is its data kind, `bytes` what it carried.
[[nodiscard]] TrayDecoded DecodeTrayRecord(std::uint32_t kind, std::span<const std::uint8_t> bytes);

// The bytes a shell would send for `command` in the layout whose size field is
// `layoutSize` (the test program and the tests speak with these).
[[nodiscard]] std::vector<std::uint8_t> EncodeTrayRecord(const TrayCommand& command,
                                                       std::uint32_t layoutSize = kIconDataFullSize);

[[nodiscard]] const char* TrayRecordErrorText(TrayRecordError error);

} // namespace kestrana::menubar::tray
