#pragma once
// The settings window's page for the window previews: whether resting on an item shows
// them, after what delay, how tall, and what each picture carries.

#include "foundation/settings_pages.h"

namespace kestrana::dock {

[[nodiscard]] foundation::PageDescriptor PreviewSettingsPage();

} // namespace kestrana::dock
