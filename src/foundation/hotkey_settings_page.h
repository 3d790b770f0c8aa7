#pragma once
// The settings window's Hotkeys page: one line per binding with its modifier list and
// its key field, and a note under a binding that could not be registered.

#include "foundation/hotkeys.h"
#include "foundation/settings_pages.h"

#include <functional>

namespace kestrana::foundation {

class ConfigStore;

// The running registrar's word on a binding.
using HotkeyStatusOf = std::function<HotkeyStatus(HotkeyId)>;

[[nodiscard]] PageDescriptor HotkeySettingsPage(ConfigStore& store, HotkeyStatusOf status);

} // namespace kestrana::foundation
