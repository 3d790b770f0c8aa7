#pragma once
// Interface ids of the system's runtime interfaces that take type arguments (a typed
// event handler, an asynchronous operation of some result): the system derives them from
// a signature text with a name-based UUID (SHA-1), and so must we, since no header of
// this toolchain lists the ones the Bluetooth and hotspot code needs.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::menubar {

struct TypeId {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0, data3 = 0;
    std::array<std::uint8_t, 8> data4{};
    bool operator==(const TypeId&) const = default;
};

// "{aba0fb95-4398-489d-8e44-e6130927011f}", braces optional; nothing when malformed.
[[nodiscard]] std::optional<TypeId> ParseTypeId(std::string_view text);
// Lower-case, with braces, as signatures spell them.
[[nodiscard]] std::string TypeIdText(const TypeId& id);

// Signature pieces: a runtime class with its default interface, and a generic interface
// (or delegate) with its arguments' signatures.
[[nodiscard]] std::string ClassSignature(std::string_view fullName, std::string_view defaultInterface);
[[nodiscard]] std::string GenericSignature(std::string_view genericId, const std::vector<std::string>& arguments);
inline constexpr std::string_view kInspectableSignature = "cinterface(IInspectable)";

// The id the system gives the instance named by `signature`.
[[nodiscard]] TypeId ParameterizedTypeId(std::string_view signature);

} // namespace kestrana::menubar
