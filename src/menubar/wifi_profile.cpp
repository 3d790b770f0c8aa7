#include "menubar/wifi_profile.h"

#include <array>

namespace kestrana::menubar {
namespace {

constexpr std::wstring_view kTemplate =
    L"<?xml version=\"1.0\"?>\n"
    L"<WLANProfile xmlns=\"http://www.microsoft.com/networking/WLAN/profile/v1\">\n"
    L"\t<name>%name%</name>\n"
    L"\t<SSIDConfig>\n\t\t<SSID>\n\t\t\t<name>%ssid%</name>\n\t\t</SSID>\n\t</SSIDConfig>\n"
    L"\t<connectionType>ESS</connectionType>\n"
    L"\t<connectionMode>auto</connectionMode>\n"
    L"\t<autoSwitch>false</autoSwitch>\n"
    L"\t<MSM>\n\t\t<security>\n"
    L"\t\t\t<authEncryption>\n"
    L"\t\t\t\t<authentication>%authAlgo%</authentication>\n"
    L"\t\t\t\t<encryption>%cipherAlgo%</encryption>\n"
    L"\t\t\t\t<useOneX>false</useOneX>\n"
    L"\t\t\t</authEncryption>\n"
    L"\t\t\t<sharedKey>\n"
    L"\t\t\t\t<keyType>%keyType%</keyType>\n"
    L"\t\t\t\t<protected>false</protected>\n"
    L"\t\t\t\t<keyMaterial>%password%</keyMaterial>\n"
    L"\t\t\t</sharedKey>\n"
    L"\t\t</security>\n\t</MSM>\n"
    L"</WLANProfile>";

constexpr std::wstring_view kKeyElement = L"<keyMaterial>%password%</keyMaterial>";
constexpr std::wstring_view kAutoSwitch = L"<autoSwitch>false</autoSwitch>";
constexpr std::wstring_view kClosing = L"</WLANProfile>";

void EraseLine(std::wstring& text, std::wstring_view element) {
    const auto at = text.find(element);
    if (at == std::wstring::npos) return;
    // The element with the indentation before it and the line break after it.
    auto from = at;
    while (from > 0 && text[from - 1] == L'\t') --from;
    auto to = at + element.size();
    if (to < text.size() && text[to] == L'\n') ++to;
    text.erase(from, to - from);
}

} // namespace

SignalLevel SignalLevelOf(int quality) {
    if (quality >= 67) return SignalLevel::Full;
    return quality > 33 ? SignalLevel::Middle : SignalLevel::Low;
}

std::wstring_view AuthenticationText(int algorithm) {
    switch (algorithm) {
    case 2: return L"shared";
    case 3:
    case 5: return L"WPA";
    case 4: return L"WPAPSK";
    case 6: return L"WPA2";
    case 7: return L"WPA2PSK";
    default: return L"open";
    }
}

std::wstring_view CipherText(int algorithm) {
    switch (algorithm) {
    case 1:
    case 257: return L"WEP";
    case 2: return L"TKIP";
    case 4:
    case 5:
    case 256: return L"AES";
    default: return L"none";
    }
}

std::wstring SsidText(std::span<const std::uint8_t> bytes) {
    std::wstring out;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::uint8_t lead = bytes[i];
        std::size_t extra = 0;
        std::uint32_t code = lead;
        bool valid = true;
        if (lead < 0x80) extra = 0;
        else if (lead >= 0xC2 && lead <= 0xDF) extra = 1, code = lead & 0x1Fu;
        else if (lead >= 0xE0 && lead <= 0xEF) extra = 2, code = lead & 0x0Fu;
        else if (lead >= 0xF0 && lead <= 0xF4) extra = 3, code = lead & 0x07u;
        else valid = false;
        if (valid && i + extra >= bytes.size()) valid = false; // cut short
        for (std::size_t k = 1; valid && k <= extra; ++k) {
            const std::uint8_t next = bytes[i + k];
            if ((next & 0xC0u) != 0x80u) valid = false;
            code = (code << 6) | (next & 0x3Fu);
        }
        // Overlong forms, surrogates and values past the last code point are not UTF-8.
        if (valid && ((extra == 2 && code < 0x800) || (extra == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
                      (code >= 0xD800 && code <= 0xDFFF)))
            valid = false;
        if (!valid) {
            // Not UTF-8: the older routers' single-byte names.
            out.clear();
            for (const std::uint8_t b : bytes) out.push_back(static_cast<wchar_t>(b));
            return out;
        }
        if (sizeof(wchar_t) == 2 && code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FFu)));
        } else {
            out.push_back(static_cast<wchar_t>(code));
        }
        i += extra + 1;
    }
    return out;
}

std::optional<std::wstring> EscapeXmlText(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (const wchar_t c : text) {
        switch (c) {
        case L'<': out += L"&lt;"; break;
        case L'>': out += L"&gt;"; break;
        case L'&': out += L"&amp;"; break;
        case L'"': out += L"&quot;"; break;
        case L'\'': out += L"&apos;"; break;
        // Kept as references: a parser would fold a raw carriage return into a line feed.
        case L'\t': out += L"&#9;"; break;
        case L'\n': out += L"&#10;"; break;
        case L'\r': out += L"&#13;"; break;
        default:
            if (static_cast<std::uint32_t>(c) < 0x20 || c == 0xFFFE || c == 0xFFFF) return std::nullopt;
            out.push_back(c);
        }
    }
    return out;
}

std::wstring BuildWifiProfile(const WifiNetwork& network, std::optional<std::wstring_view> password,
                              std::int64_t nowSeconds) {
    const auto ssid = EscapeXmlText(network.ssid);
    if (!ssid) return {};
    std::optional<std::wstring> key;
    if (password) {
        key = EscapeXmlText(*password);
        if (!key) return {};
    }
    const std::wstring_view cipher = CipherText(network.cipherAlgorithm);
    const std::wstring_view keyType = cipher == L"WEP" ? L"networkKey" : L"passPhrase";

    std::wstring text(kTemplate);
    if (!key) EraseLine(text, kKeyElement);

    bool wide = false;
    for (const wchar_t c : network.ssid) wide = wide || static_cast<std::uint32_t>(c) > 255;
    if (wide) {
        EraseLine(text, kAutoSwitch);
        const auto closing = text.rfind(kClosing);
        text.replace(closing, kClosing.size(),
                     L"\t<MacRandomization xmlns=\"http://www.microsoft.com/networking/WLAN/profile/v3\">\n"
                     L"\t\t<enableRandomization>false</enableRandomization>\n"
                     L"\t\t<randomizationSeed>" +
                         std::to_wstring(nowSeconds) +
                         L"</randomizationSeed>\n"
                         L"\t</MacRandomization>\n" +
                         std::wstring(kClosing));
    }

    // One pass over the template: a value that looks like a placeholder stays as it is.
    const std::array<std::pair<std::wstring_view, std::wstring_view>, 6> values{{
        {L"%name%", *ssid},
        {L"%ssid%", *ssid},
        {L"%authAlgo%", AuthenticationText(network.authAlgorithm)},
        {L"%cipherAlgo%", cipher},
        {L"%keyType%", keyType},
        {L"%password%", key ? std::wstring_view(*key) : std::wstring_view()},
    }};
    std::wstring out;
    out.reserve(text.size() + 2 * ssid->size() + (key ? key->size() : 0));
    std::size_t at = 0;
    while (at < text.size()) {
        bool replaced = false;
        if (text[at] == L'%') {
            for (const auto& [name, value] : values) {
                if (text.compare(at, name.size(), name) == 0) {
                    out += value;
                    at += name.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out.push_back(text[at++]);
    }
    if (key) WipeText(*key);
    return out;
}

void WipeText(std::wstring& text) noexcept {
    volatile wchar_t* p = text.data();
    for (std::size_t i = 0; i < text.size(); ++i) p[i] = L'\0';
    text.clear();
}

} // namespace kestrana::menubar
