#include "foundation/startup_verbs.h"

#include "foundation/text.h"

namespace kestrana::foundation {

ParsedCommandLine ParseCommandLine(std::wstring_view arguments) {
    const std::wstring lower = AsciiLower(arguments);
    const std::wstring_view text = TrimBlanks(lower);
    ParsedCommandLine parsed;

    constexpr std::wstring_view kWait = L"waitgameover-";
    if (const auto at = text.find(kWait); at != std::wstring_view::npos) {
        parsed.verb = StartVerb::WaitGameOver;
        std::uint64_t window = 0;
        for (std::size_t i = at + kWait.size(); i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
            const std::uint64_t digit = static_cast<std::uint64_t>(text[i] - L'0');
            if (window > (UINT64_MAX - digit) / 10) {
                window = 0; // not a handle any window could have
                break;
            }
            window = window * 10 + digit;
        }
        parsed.waitWindow = window;
        return parsed;
    }
    if (text == L"adduiaccess") parsed.verb = StartVerb::AddUiAccess;
    else if (text == L"deluiaccess") parsed.verb = StartVerb::DelUiAccess;
    else if (text == L"opensystemuac") parsed.verb = StartVerb::OpenSystemUac;
    else if (text == L"steamoffline") parsed.verb = StartVerb::SteamOffline;
    else if (text == L"--settings") parsed.verb = StartVerb::OpenSettings;
    return parsed;
}

std::wstring RestartArguments(std::optional<std::uint64_t> window) {
    if (!window) return {};
    return L"waitgameover-" + std::to_wstring(*window);
}

std::uint32_t WaitGameOver(std::uint64_t window, const WaitGameOverPorts& ports) {
    std::uint32_t checks = 0;
    int goneSeen = 0;
    // The restart waits as long as the game runs; that is the point of the verb.
    for (;;) {
        ports.sleep(1500);
        if (ports.fullScreenDirect3D && ports.fullScreenDirect3D()) continue;
        ++checks;
        const bool exists = window != 0 && ports.windowExists && ports.windowExists(window);
        if (!exists && ++goneSeen >= 2) break;
    }
    return checks;
}

} // namespace kestrana::foundation
