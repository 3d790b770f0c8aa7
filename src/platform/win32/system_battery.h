#pragma once
// The battery items' port to the system's power state: the flags and the estimate of
// the composite battery state, and each battery's capacities from its own driver (the
// composite's sum stands in as one battery when the drivers cannot be reached).

#include "platform/battery.h"

namespace kestrana::platform::win32 {

class SystemBatteryPort final : public BatteryPort {
public:
    std::optional<PowerReading> Read() override;
};

} // namespace kestrana::platform::win32
