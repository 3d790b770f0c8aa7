#pragma once
// The mobile hotspot through the runtime's tethering manager (for the connection to the
// internet): its state, network name and pass phrase, and switching it. Each request runs
// on a worker of its own, which posts kMsgHotspot to the bar when the facts are ready.
// Where the runtime has no tethering manager (Wine) the facts say the hotspot is
// unavailable and why.

#include "menubar/hotspot_pane.h"

#include <windows.h>

#include <memory>
#include <optional>

namespace kestrana::menubar::win32 {

inline constexpr UINT kMsgHotspot = WM_APP + 73;

class HotspotControl {
public:
    HotspotControl();
    ~HotspotControl(); // waits for a worker still asking the system
    HotspotControl(const HotspotControl&) = delete;
    HotspotControl& operator=(const HotspotControl&) = delete;

    // Reads the facts; kMsgHotspot follows. False while a request still runs.
    bool Read(HWND target);
    // Switches the hotspot, then reads the facts; kMsgHotspot follows.
    bool Switch(bool on, HWND target);
    // After kMsgHotspot: the facts and whether they answer a switch.
    struct Answer {
        HotspotFacts facts;
        bool switched = false;
    };
    [[nodiscard]] std::optional<Answer> Take();

    struct Shared;

private:
    bool Start(std::optional<bool> turnOn, HWND target);
    std::shared_ptr<Shared> m_shared;
};

} // namespace kestrana::menubar::win32
