#include "foundation/instance_request.h"

namespace kestrana::foundation {
namespace {

constexpr std::uint8_t kMagic[4] = {'K', 'S', 'I', 'R'};

} // namespace

std::vector<std::uint8_t> EncodeInstanceRequest(InstanceRequest request) {
    const auto value = static_cast<std::uint32_t>(request);
    return {kMagic[0], kMagic[1], kMagic[2], kMagic[3], static_cast<std::uint8_t>(value & 0xFF),
            static_cast<std::uint8_t>((value >> 8) & 0xFF), static_cast<std::uint8_t>((value >> 16) & 0xFF),
            static_cast<std::uint8_t>(value >> 24)};
}

std::optional<InstanceRequest> DecodeInstanceRequest(const std::uint8_t* bytes, std::size_t size) {
    if (!bytes || size != kInstanceRequestBytes) return std::nullopt;
    for (std::size_t i = 0; i < 4; ++i)
        if (bytes[i] != kMagic[i]) return std::nullopt;
    const std::uint32_t value = bytes[4] | (bytes[5] << 8) | (bytes[6] << 16) | (static_cast<std::uint32_t>(bytes[7]) << 24);
    if (value != static_cast<std::uint32_t>(InstanceRequest::OpenSettings)) return std::nullopt;
    return static_cast<InstanceRequest>(value);
}

} // namespace kestrana::foundation
