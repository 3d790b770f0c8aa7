#pragma once
// Labels of the dock's special items: their names come from the active language file
// (with a built-in text when the file lacks one), the clock's label is the current time.
// Set after loading and again whenever the language changes.

#include "dock/dockico.h"
#include "dock/item_list_ports.h"
#include "foundation/config_store.h"

#include <optional>
#include <string>
#include <string_view>

namespace kestrana::dock {

// A language text the item list shows, with the built-in text of that section and key.
[[nodiscard]] std::wstring ItemLanguageText(const foundation::ConfigStore& store, std::wstring_view section,
                                            std::wstring_view key);

struct SpecialLabel {
    std::wstring key; // the identity key the item takes; empty keeps its own
    std::wstring tag;
};

// The label of an item by its appname; nothing for an ordinary program or folder.
[[nodiscard]] std::optional<SpecialLabel> SpecialItemLabel(std::wstring_view appname,
                                                           const foundation::ConfigStore& store,
                                                           const LocalClock& clock);

// Sets the labels (and the keys that go with them) of every special item of the row. The
// texts are read first; the row's item-list lock is held only while they are set.
void ApplyItemLabels(DockItems& row, const foundation::ConfigStore& store, const LocalClock& clock);

} // namespace kestrana::dock
