#include "menubar/runtime_type_id.h"

#include <cstdio>

namespace kestrana::menubar {
namespace {

// The namespace the system hashes every generic instance's signature under.
constexpr std::array<std::uint8_t, 16> kGenericNamespace{0x11, 0xf4, 0x7a, 0xd5, 0x7b, 0x73, 0x42, 0xc0,
                                                         0xab, 0xae, 0x87, 0x8b, 0x1e, 0x16, 0xad, 0xee};

std::uint32_t Rotate(std::uint32_t v, int n) { return (v << n) | (v >> (32 - n)); }

std::array<std::uint8_t, 20> Sha1(const std::vector<std::uint8_t>& message) {
    std::uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    std::vector<std::uint8_t> data = message;
    const std::uint64_t bits = static_cast<std::uint64_t>(message.size()) * 8;
    data.push_back(0x80);
    while (data.size() % 64 != 56) data.push_back(0);
    for (int i = 7; i >= 0; --i) data.push_back(static_cast<std::uint8_t>(bits >> (i * 8)));
    for (std::size_t block = 0; block < data.size(); block += 64) {
        std::uint32_t w[80];
        for (int i = 0; i < 16; ++i)
            w[i] = std::uint32_t{data[block + i * 4]} << 24 | std::uint32_t{data[block + i * 4 + 1]} << 16 |
                   std::uint32_t{data[block + i * 4 + 2]} << 8 | std::uint32_t{data[block + i * 4 + 3]};
        for (int i = 16; i < 80; ++i) w[i] = Rotate(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        for (int i = 0; i < 80; ++i) {
            std::uint32_t f, k;
            if (i < 20) f = (b & c) | (~b & d), k = 0x5A827999;
            else if (i < 40) f = b ^ c ^ d, k = 0x6ED9EBA1;
            else if (i < 60) f = (b & c) | (b & d) | (c & d), k = 0x8F1BBCDC;
            else f = b ^ c ^ d, k = 0xCA62C1D6;
            const std::uint32_t t = Rotate(a, 5) + f + e + k + w[i];
            e = d, d = c, c = Rotate(b, 30), b = a, a = t;
        }
        h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
    }
    std::array<std::uint8_t, 20> out{};
    for (int i = 0; i < 20; ++i) out[i] = static_cast<std::uint8_t>(h[i / 4] >> (24 - 8 * (i % 4)));
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<TypeId> ParseTypeId(std::string_view text) {
    if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
    if (text.size() != 36) return std::nullopt;
    std::array<std::uint8_t, 16> bytes{};
    std::size_t at = 0;
    for (std::size_t i = 0; i < 36; ++i) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i] != '-') return std::nullopt;
            continue;
        }
        const int hi = HexDigit(text[i]), lo = i + 1 < 36 ? HexDigit(text[i + 1]) : -1;
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes[at++] = static_cast<std::uint8_t>(hi << 4 | lo);
        ++i;
    }
    TypeId id;
    id.data1 = std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3];
    id.data2 = static_cast<std::uint16_t>(bytes[4] << 8 | bytes[5]);
    id.data3 = static_cast<std::uint16_t>(bytes[6] << 8 | bytes[7]);
    for (int i = 0; i < 8; ++i) id.data4[i] = bytes[8 + i];
    return id;
}

std::string TypeIdText(const TypeId& id) {
    char text[40];
    std::snprintf(text, sizeof(text), "{%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}", id.data1, id.data2, id.data3,
                  id.data4[0], id.data4[1], id.data4[2], id.data4[3], id.data4[4], id.data4[5], id.data4[6], id.data4[7]);
    return text;
}

std::string ClassSignature(std::string_view fullName, std::string_view defaultInterface) {
    return "rc(" + std::string(fullName) + ";" + std::string(defaultInterface) + ")";
}

std::string GenericSignature(std::string_view genericId, const std::vector<std::string>& arguments) {
    std::string out = "pinterface(" + std::string(genericId);
    for (const auto& argument : arguments) out += ";" + argument;
    return out + ")";
}

TypeId ParameterizedTypeId(std::string_view signature) {
    std::vector<std::uint8_t> message(kGenericNamespace.begin(), kGenericNamespace.end());
    message.insert(message.end(), signature.begin(), signature.end());
    auto hash = Sha1(message);
    // A name-based UUID of version 5 in the standard variant, read big-endian.
    hash[6] = static_cast<std::uint8_t>((hash[6] & 0x0F) | 0x50);
    hash[8] = static_cast<std::uint8_t>((hash[8] & 0x3F) | 0x80);
    TypeId id;
    id.data1 = std::uint32_t{hash[0]} << 24 | std::uint32_t{hash[1]} << 16 | std::uint32_t{hash[2]} << 8 | hash[3];
    id.data2 = static_cast<std::uint16_t>(hash[4] << 8 | hash[5]);
    id.data3 = static_cast<std::uint16_t>(hash[6] << 8 | hash[7]);
    for (int i = 0; i < 8; ++i) id.data4[i] = hash[8 + i];
    return id;
}

} // namespace kestrana::menubar
