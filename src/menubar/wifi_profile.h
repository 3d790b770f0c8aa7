#pragma once
// Wi-Fi networks as the WLAN service reports them, the three signal levels the bar and
// the menu draw, and the profile XML written before joining a network that has none.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kestrana::menubar {

struct WifiNetwork {
    std::wstring ssid;
    bool hasProfile = false;
    int quality = 0;          // 0..100
    int authAlgorithm = 1;    // the service's default authentication algorithm
    int cipherAlgorithm = 0;  // and its default cipher algorithm
    int bssType = 1;          // infrastructure
    bool connected = false;

    // Joining needs a key unless the network is open and unencrypted.
    [[nodiscard]] bool Secured() const { return !(authAlgorithm == 1 && cipherAlgorithm == 0); }
};

// Full from 67, the lowest at 33 or less, the middle between.
enum class SignalLevel : std::uint8_t { Low = 1, Middle = 2, Full = 3 };
[[nodiscard]] SignalLevel SignalLevelOf(int quality);

[[nodiscard]] std::wstring_view AuthenticationText(int algorithm);
[[nodiscard]] std::wstring_view CipherText(int algorithm);

// An SSID's bytes as text: UTF-8 when they are valid UTF-8, else one character per byte.
[[nodiscard]] std::wstring SsidText(std::span<const std::uint8_t> bytes);

// `text` with the five markup characters and tab, line feed and carriage return as
// references; nothing when it holds a character XML cannot carry at all.
[[nodiscard]] std::optional<std::wstring> EscapeXmlText(std::wstring_view text);

// The profile for `network`, named after its SSID, with `password` as the key (no key
// element without one). Empty when the SSID or the password cannot be written as XML.
// `nowSeconds` seeds the MAC randomisation element of non-Latin SSIDs.
[[nodiscard]] std::wstring BuildWifiProfile(const WifiNetwork& network, std::optional<std::wstring_view> password,
                                            std::int64_t nowSeconds);

// Overwrites a secret before its memory is given back.
void WipeText(std::wstring& text) noexcept;

} // namespace kestrana::menubar
