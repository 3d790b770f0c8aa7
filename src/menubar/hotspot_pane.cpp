#include "menubar/hotspot_pane.h"

#include "foundation/config_store.h"

namespace kestrana::menubar {

HotspotWords HotspotPaneWords(const HotspotFacts& facts, const foundation::ConfigStore& store) {
    const auto text = [&store](const wchar_t* key, const wchar_t* fallback) {
        return store.LanguageText(L"findermenu", key, fallback);
    };
    HotspotWords words;
    words.title = text(L"hotspot", L"Personal Hotspot");
    words.close = store.LanguageText(L"promptwindow", L"close", L"Close");
    words.confirm = text(L"hotspotsettings", L"Settings\u2026");
    switch (facts.state) {
    case HotspotState::Unavailable:
        words.message = text(L"hotspotunavailable", L"The hotspot is unavailable on this computer.");
        break;
    case HotspotState::Changing:
        words.message = text(L"hotspotchanging", L"The hotspot is switching\u2026");
        break;
    case HotspotState::Off:
        words.message = text(L"hotspotoff", L"The hotspot is off.");
        words.confirm = text(L"hotspotturnon", L"Turn On");
        words.action = HotspotAction::TurnOn;
        break;
    case HotspotState::On:
        // The pass phrase is shown on purpose: it is what others type to join.
        words.message = L"SSID: " + facts.ssid + L"\nPIN: " + facts.passphrase;
        words.confirm = text(L"hotspotturnoff", L"Turn Off");
        words.action = HotspotAction::TurnOff;
        break;
    }
    return words;
}

} // namespace kestrana::menubar
