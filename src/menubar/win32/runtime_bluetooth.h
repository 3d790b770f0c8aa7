#pragma once
// The system's runtime Bluetooth interfaces: the radio (its state and switch), the device
// watchers over the classic and low-energy association endpoints, and the advertisement
// watcher that hears earbud batteries. Everything runs on one worker of its own, in the
// runtime's multithreaded apartment; the system's events only record what they saw and
// post kMsgBluetoothChanged to the bar. Where the runtime lacks the classes (older systems,
// Wine) the worker says so once and ends; the classic calls then serve the item.

#include "menubar/bluetooth_watch.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace kestrana::menubar::win32 {

inline constexpr UINT kMsgBluetoothChanged = WM_APP + 71;

struct HeardBattery {
    EarbudBattery battery;
    int signalDbm = 0;
};

// What came from the system since the last take.
struct RuntimeNews {
    std::optional<RuntimeRadio> radio; // the worker's findings
    std::optional<bool> radioOn;        // the radio's own report of a change
    std::vector<WatchReport> reports;
    std::vector<HeardBattery> heard;
};

class RuntimeBluetooth {
public:
    // Starts the worker; `target` receives kMsgBluetoothChanged. `batteries`: listen to
    // advertisements for earbud batteries.
    RuntimeBluetooth(HWND target, bool batteries);
    ~RuntimeBluetooth(); // stops the watchers and waits for the worker
    RuntimeBluetooth(const RuntimeBluetooth&) = delete;
    RuntimeBluetooth& operator=(const RuntimeBluetooth&) = delete;

    void SetTarget(HWND target) noexcept;
    // User-interface thread, after kMsgBluetoothChanged.
    [[nodiscard]] RuntimeNews Take();
    // Asks the worker to switch the radio; the radio's state change brings the outcome.
    // False when there is no radio to switch.
    bool SetRadio(bool on);

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
    std::thread m_worker;
};

} // namespace kestrana::menubar::win32
