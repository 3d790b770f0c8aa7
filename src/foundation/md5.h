#pragma once
// MD5 of a file's bytes, for comparing companion and update files with their published
// checksums (not for security).

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace kestrana::foundation {

class Md5 {
public:
    Md5();
    void Update(std::span<const std::uint8_t> data);
    [[nodiscard]] std::array<std::uint8_t, 16> Final();

private:
    void Block(const std::uint8_t* block);
    std::array<std::uint32_t, 4> m_state;
    std::array<std::uint8_t, 64> m_buffer{};
    std::uint64_t m_length = 0;
};

// Lower-case hexadecimal digest.
[[nodiscard]] std::string Md5Hex(std::span<const std::uint8_t> data);

} // namespace kestrana::foundation
