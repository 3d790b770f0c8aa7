#pragma once
// What a second start of the program asks the running instance for, over copy-data to
// its main window: a kind number in the copy-data's kind and a short record. Anything
// else under that kind is refused.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kestrana::foundation {

// Chosen so that no other copy-data the main window serves has it (those carry a window
// size or the tray record's kind 1).
inline constexpr std::uintptr_t kInstanceRequestKind = 0x4B530001;

enum class InstanceRequest : std::uint32_t {
    OpenSettings = 1,
};

// "KSIR", the request, both little-endian: 8 bytes.
inline constexpr std::size_t kInstanceRequestBytes = 8;
[[nodiscard]] std::vector<std::uint8_t> EncodeInstanceRequest(InstanceRequest request);
[[nodiscard]] std::optional<InstanceRequest> DecodeInstanceRequest(const std::uint8_t* bytes, std::size_t size);

} // namespace kestrana::foundation
