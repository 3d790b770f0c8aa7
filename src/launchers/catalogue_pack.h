#pragma once
// The Launchpad pack, "pad.zip": the whole Launchpad set-up in one archive, to keep or to
// take to another machine. It holds every file of launchpad\Pinned\ (under the archive
// folder "launchpad/Pinned/"), each catalogue file that exists and padconfig.ini.

#include "foundation/file_system.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kestrana::launchers {

inline constexpr wchar_t kPackFile[] = L"pad.zip";

// Writes the pack to `zipPath` (in one piece). False when a file could not be read or
// the archive not written.
bool ExportPack(foundation::FileSystem& files, const std::wstring& baseFolder, const std::wstring& zipPath);

struct ImportReport {
    bool opened = false;       // the archive could be read
    std::size_t written = 0;   // files put in place
    std::size_t refused = 0;   // entries that are no part of a pack, or too large
    std::vector<std::wstring> names; // the archive names taken, in archive order
};

// Puts a pack's files in place: the catalogue files and padconfig.ini replace those of
// the program folder, the shortcuts join launchpad\Pinned\ (replacing files of the same
// name). Paths into the pinned folder of the program folder the pack was made in are
// moved into this one, in the catalogue files and in padconfig.ini's names, so the
// pinned entries keep their places. Any other entry, and any name that would leave
// those places, is refused. The
// icon caches are emptied, as they hold the icons of the machine the pack came from. The
// catalogue is to be loaded again afterwards.
ImportReport ImportPack(foundation::FileSystem& files, const std::wstring& baseFolder, const std::wstring& zipPath);

} // namespace kestrana::launchers
