#pragma once
// Loading the dock's item list from "ico.ini": the older "ico.xml" is migrated first, a
// missing, empty or shrunken list falls back to its backup and then to the default list,
// and each section becomes a Dockico with its paths cleaned, its identity key worked out
// and old values upgraded. Runs on the user-interface thread.

#include "dock/dockico.h"
#include "dock/item_list_file.h"
#include "dock/item_list_ports.h"
#include "foundation/config_store.h"
#include "foundation/file_system.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::dock {

// Where the items came from.
enum class ItemListSource {
    File,         // "ico.ini" (perhaps just restored from "ico_bak.ini" or migrated)
    PreviousFile, // read from "ico_bak.ini": "ico.ini" had shrunk to fewer than 3 sections
    Defaults,     // the default list (written to "ico.ini" when that was possible)
};

struct LoadedItemList {
    std::vector<std::unique_ptr<Dockico>> items;
    ItemListSource source = ItemListSource::File;
    // An upgrade changed an item (or "minimize"/"minicopos" was added): save when done.
    bool saveRequested = false;
};

// The list of a first start: explorer, Launchpad, calendar, clock, a separator, trash.
[[nodiscard]] std::vector<ItemRecord> DefaultItemRecords(const foundation::ConfigStore& store, const ItemShell& shell);

// Expands "%NAME%" references once, left to right, as the system does: an unknown name
// stays as written, a value is never expanded again (so variables that name each other
// cannot loop), and a result longer than 32767 UTF-16 units leaves the text unexpanded.
[[nodiscard]] std::wstring ExpandEnvironment(std::wstring_view text, const ItemShell& shell);

// The virtualpath as the item keeps it: an id of 16 letters and digits is dropped; any
// other value only stays when the shell knows "shell:AppsFolder\<value>" and it is no
// existing file; a known-folder path ("{GUID}\rest") is dropped when it leads to an
// existing file (the file path then says everything).
[[nodiscard]] std::wstring CleanVirtualPath(std::wstring_view value, const ItemShell& shell,
                                            const foundation::FileSystem& files);

// Works out the identity key from the app kind, appname and paths (and, for web and
// Android applications, normalises filepath). `baseFolder` ends in a backslash. With a
// shell, a realpath on another machine is not asked whether it is a folder (a share is
// never asked in any case); the picture pass finds that out on a worker.
void AssignIdentity(Dockico& item, const foundation::FileSystem& files, std::wstring_view baseFolder,
                    const ItemShell* shell = nullptr);

// One item from one section (steps after the section was accepted). `upgraded` is set
// when an old value was replaced, so that the list gets saved.
[[nodiscard]] std::unique_ptr<Dockico> BuildItem(const ItemRecord& record, const ItemShell& shell,
                                                 const foundation::FileSystem& files, std::wstring_view baseFolder,
                                                 bool& upgraded);

// The whole load. Never fails: at worst the default list comes back. `codePage` is the
// one the settings store reads with (for item files without a byte-order mark).
[[nodiscard]] LoadedItemList LoadItemList(foundation::ConfigStore& store, const ItemShell& shell,
                                          const foundation::CodePage& codePage = foundation::Windows1252());

// Puts these items in place of the row's real items, holding the row's item-list lock.
void ReplaceItems(DockItems& row, std::vector<std::unique_ptr<Dockico>> items);

} // namespace kestrana::dock
