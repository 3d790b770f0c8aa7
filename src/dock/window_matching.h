#pragma once
// What the window tracker does with an identified window: which item of the row it
// belongs to, whether it is shown at all, and where the items of running programs that
// are not pinned, and of minimised windows, take their place. Called with the row's
// item-list lock held.

#include "dock/app_identity.h"
#include "dock/dockico.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kestrana::foundation {
class ConfigStore;
class FileSystem;
} // namespace kestrana::foundation

namespace kestrana::dock {

// The first item, in dock order, that the window belongs to; 0 when none does.
[[nodiscard]] std::size_t MatchWindowItem(const DockItems& row, const AppIdentity& identity,
                                          const foundation::FileSystem& files);

// The running item a minimised window belongs to; 0 when none does.
[[nodiscard]] std::size_t FindMinimisedOwner(const DockItems& row, const AppIdentity& identity);

// The item whose window list holds this window; 0 when none does.
[[nodiscard]] std::size_t FindItemOfWindow(const DockItems& row, WindowId window);

struct AcceptContext {
    float iconSize = 0;
    bool dockEmpty = false;
    std::wstring baseFolder;    // the program folder, ending in a backslash
    std::wstring ownImagePath;  // this program's image, lower case
};

// Whether the window shows in the dock as a running program.
[[nodiscard]] bool AcceptsWindow(const AppIdentity& identity, const AcceptContext& context,
                                 const foundation::ConfigStore& settings);

// A running-only item for a window that matches no item: never saved.
[[nodiscard]] std::unique_ptr<Dockico> MakeRunningItem(const AppIdentity& identity, const foundation::FileSystem& files,
                                                       std::wstring_view baseFolder);

// Where a running-only item's picture comes from: the configured picture, else the cache
// file (written once the picture has been taken from the process image).
struct RunningPictureFiles {
    std::wstring configured; // "unsaveicon" for the key; empty when none
    std::wstring cache;      // "runpng\<key>.png" in the program folder
};
[[nodiscard]] RunningPictureFiles RunningPictureNames(std::wstring_view key, const foundation::ConfigStore& settings);

// The separators the tracker put in the row itself, remembered by item id.
struct TrackerSeparators {
    std::int32_t running = kNoItemId;   // in front of the running-only items ("runicolim")
    std::int32_t minimised = kNoItemId; // in front of the minimised windows ("minicopos" 2)
};

// The vector index a new running-only item goes to.
[[nodiscard]] std::size_t RunningItemIndex(const DockItems& row, const TrackerSeparators& separators);
// Puts a running-only item in place, with its separator when `runIconLim`; returns its index.
std::size_t PlaceRunningItem(DockItems& row, std::unique_ptr<Dockico> item, TrackerSeparators& separators,
                             bool runIconLim);

// "minicopos": where the item of a minimised window goes.
enum class MinimisedPlace : std::uint8_t {
    BeforeLastKept = 0, // before the last pinned item (normally the trash)
    AtEnd = 1,          // after the last item
    AtEndSeparated = 2, // after the last item, behind a separator of its own
};
[[nodiscard]] MinimisedPlace MinimisedPlaceFromSetting(int value);

// An item of its own for a minimised window; it grows in from nothing and is never saved.
[[nodiscard]] std::unique_ptr<Dockico> MakeMinimisedItem(WindowId window, std::wstring title);
std::size_t PlaceMinimisedItem(DockItems& row, std::unique_ptr<Dockico> item, TrackerSeparators& separators,
                               MinimisedPlace place);

} // namespace kestrana::dock
