#include "menubar/winrt_type_id.h"

#include <string>

namespace kestrana::menubar {
namespace {

std::uint32_t Rotate(std::uint32_t value, int bits) { return (value << bits) | (value >> (32 - bits)); }

} // namespace

std::array<std::uint8_t, 20> Sha1(std::string_view bytes) {
    std::uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    std::string message(bytes);
    const std::uint64_t bits = static_cast<std::uint64_t>(bytes.size()) * 8;
    message.push_back(static_cast<char>(0x80));
    while (message.size() % 64 != 56) message.push_back('\0');
    for (int i = 7; i >= 0; --i) message.push_back(static_cast<char>((bits >> (i * 8)) & 0xFF));

    for (std::size_t block = 0; block < message.size(); block += 64) {
        std::uint32_t w[80];
        for (int i = 0; i < 16; ++i) {
            const auto* p = reinterpret_cast<const unsigned char*>(message.data() + block + i * 4);
            w[i] = (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
        }
        for (int i = 16; i < 80; ++i) w[i] = Rotate(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        for (int i = 0; i < 80; ++i) {
            std::uint32_t f, k;
            if (i < 20) f = (b & c) | (~b & d), k = 0x5A827999;
            else if (i < 40) f = b ^ c ^ d, k = 0x6ED9EBA1;
            else if (i < 60) f = (b & c) | (b & d) | (c & d), k = 0x8F1BBCDC;
            else f = b ^ c ^ d, k = 0xCA62C1D6;
            const std::uint32_t next = Rotate(a, 5) + f + e + k + w[i];
            e = d;
            d = c;
            c = Rotate(b, 30);
            b = a;
            a = next;
        }
        h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
    }
    std::array<std::uint8_t, 20> digest{};
    for (int i = 0; i < 20; ++i) digest[i] = static_cast<std::uint8_t>(h[i / 4] >> (24 - (i % 4) * 8));
    return digest;
}

TypeId GenericInstanceId(std::string_view signature) {
    // The runtime's namespace for these ids, 11f47ad5-7b73-42c0-abae-878b1e16adee, in
    // network byte order, followed by the signature's UTF-8 bytes (it is ASCII).
    static constexpr unsigned char kNamespace[16] = {0x11, 0xf4, 0x7a, 0xd5, 0x7b, 0x73, 0x42, 0xc0,
                                                     0xab, 0xae, 0x87, 0x8b, 0x1e, 0x16, 0xad, 0xee};
    std::string input(reinterpret_cast<const char*>(kNamespace), sizeof kNamespace);
    input.append(signature);
    std::array<std::uint8_t, 20> hash = Sha1(input);
    hash[6] = static_cast<std::uint8_t>((hash[6] & 0x0F) | 0x50); // version 5
    hash[8] = static_cast<std::uint8_t>((hash[8] & 0x3F) | 0x80); // the standard variant
    TypeId id;
    id.data1 = (std::uint32_t{hash[0]} << 24) | (std::uint32_t{hash[1]} << 16) | (std::uint32_t{hash[2]} << 8) | hash[3];
    id.data2 = static_cast<std::uint16_t>((hash[4] << 8) | hash[5]);
    id.data3 = static_cast<std::uint16_t>((hash[6] << 8) | hash[7]);
    for (int i = 0; i < 8; ++i) id.data4[i] = hash[8 + i];
    return id;
}

} // namespace kestrana::menubar
