#pragma once
// The interface id of an instance of a generic Windows Runtime interface (an async
// operation, its completion handler, a typed event handler of given types). The system
// derives it from the instance's type signature: a name-based (version 5, SHA-1) id in
// the runtime's own namespace. Our handlers must answer to exactly that id.

#include <array>
#include <cstdint>
#include <string_view>

namespace kestrana::menubar {

struct TypeId {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};
    bool operator==(const TypeId&) const = default;
};

// The SHA-1 digest of `bytes`.
[[nodiscard]] std::array<std::uint8_t, 20> Sha1(std::string_view bytes);

// `signature` as the runtime writes it, e.g.
// "pinterface({9fc2b0bb-e446-44e2-aa61-9cab8f636af2};b1)" for an async operation of a
// boolean.
[[nodiscard]] TypeId GenericInstanceId(std::string_view signature);

} // namespace kestrana::menubar
