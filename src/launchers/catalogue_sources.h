#pragma once
// Where the Launchpad finds applications: the source choice ("normal"/"padicotype") with
// its catalogue file, the shell folders listed for it, and the rules that turn the
// listed items into entries (skipped uninstallers and web links, the exclusion list and
// the user's names from padconfig.ini).

#include "foundation/config_store.h"
#include "launchers/launchpad_entry.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrana::launchers {

// "padicotype": 0 the pinned folder only, 1 with the applications folder, 2 with the
// desktop, 3 with both. Values above 3 count as 3; below 0 as 0.
[[nodiscard]] int ReadSourceChoice(const foundation::ConfigStore& store);
[[nodiscard]] int ClampSourceChoice(int choice);
// The catalogue file of a choice, relative to the program folder.
[[nodiscard]] std::wstring CatalogueFileName(int choice);
[[nodiscard]] bool ScansApplications(int choice);
[[nodiscard]] bool ScansDesktop(int choice);

inline constexpr wchar_t kPadSettingsFile[] = L"padconfig.ini";

struct ShellItemInfo {
    std::wstring path; // parsing name
    std::wstring name; // display name
};

enum class ShellFolder {
    Applications,   // every installed program and store application
    Desktop,        // the user's and the public desktop
    UserPrograms,   // the Start menu's program folder of the user, sub-folders included
    CommonPrograms, // the same for all users
    FileFolder,     // a file-system folder given by path
};

// Names the catalogue file already gives, by lower-cased path.
using KnownNames = std::unordered_map<std::wstring, std::wstring>;

// The shell's view of its folders.
class ApplicationShell {
public:
    virtual ~ApplicationShell() = default;
    // The non-folder items; nothing when the folder cannot be opened or listed. An item
    // whose lower-cased path is in `known` may come without its display name: asking for
    // it is most of a listing's cost under Wine, and the catalogue file names it anyway.
    [[nodiscard]] virtual std::optional<std::vector<ShellItemInfo>> NonFolderItems(
        ShellFolder folder, const std::wstring& path = {}, const KnownNames* known = nullptr) const = 0;
};

// True for the path of an uninstaller, whose entry and icon are never an application's.
[[nodiscard]] bool IsUninstaller(std::wstring_view path);
// True for uninstallers and web links; Steam game links are not web links.
[[nodiscard]] bool SkippedPath(std::wstring_view path);

// The path as an entry keeps it: a "file:///" prefix removed.
[[nodiscard]] std::wstring EntryPath(std::wstring_view parsingName);

// The sources of `choice` in order (applications folder, desktop, pinned folder) as
// entries with names and keys. Where the applications folder cannot be listed, the
// Start menu's program folders of the user and of all users stand in for it.
// Items listed without a name take theirs from `known`.
[[nodiscard]] std::vector<LaunchpadEntry> ScanSources(int choice, const ApplicationShell& shell,
                                                      const foundation::ConfigStore& store,
                                                      const std::wstring& pinnedFolder, const PinyinLookup& pinyin,
                                                      const KnownNames* known = nullptr);

// The section of padconfig.ini that holds the user's names for a source; empty for the
// desktop, whose names live only in the catalogue file.
[[nodiscard]] std::wstring_view OverrideSection(EntrySource source);

} // namespace kestrana::launchers
