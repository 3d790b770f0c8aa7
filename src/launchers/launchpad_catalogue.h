#pragma once
// The Launchpad's catalogue: the applications found in the chosen sources, arranged in
// pages and groups as the catalogue file keeps them, with the user's names and
// exclusions from padconfig.ini and icons that arrive from the icon workers. Every change
// is saved at once. Lives on the user-interface thread.

#include "foundation/config_store.h"
#include "launchers/catalogue_icons.h"
#include "launchers/catalogue_sources.h"
#include "launchers/launchpad_entry.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestrana::launchers {

struct CatalogueServices {
    foundation::ConfigStore& store; // settings, padconfig.ini and pinyin.ini; its file system holds the rest
    const ApplicationShell& shell;
    CatalogueIcons* icons = nullptr; // without it the entries get no icons
};

struct LoadReport {
    bool imported = false;  // shortcuts found in launchpad\ started a fresh arrangement
    bool rewritten = false; // the catalogue file was missing or unreadable and was written from the scan
    std::size_t scanned = 0;
    bool saved = false; // the file now holds what is shown
};

class LaunchpadCatalogue {
public:
    explicit LaunchpadCatalogue(CatalogueServices services);

    // Scans the sources and merges them with the catalogue file, then saves it; the
    // icons are asked for on the workers.
    LoadReport Load();
    // Writes the pages to the catalogue file (in one piece: a crash leaves the old file or
    // the new one). Skips the disk when the file already holds exactly this.
    bool Save();

    // The "padicotype" the last load used, and its catalogue file's full path.
    [[nodiscard]] int Choice() const { return m_choice; }
    [[nodiscard]] std::wstring FilePath() const;

    [[nodiscard]] const std::vector<LaunchpadPage>& Pages() const { return m_pages; }
    // The view's edits (moving, grouping) change the pages here and then call Save().
    [[nodiscard]] std::vector<LaunchpadPage>& Pages() { return m_pages; }
    [[nodiscard]] const LaunchpadEntry* EntryAt(const EntryPlace& place) const;
    [[nodiscard]] std::size_t EntryCount() const;

    // Sets the name and with it the key and search key (the icon files follow). The
    // applications folder's and pinned entries' names are kept in padconfig.ini too, so a
    // rewritten catalogue keeps them; a desktop entry's only in the catalogue file.
    bool Rename(const EntryPlace& place, const std::wstring& name);
    bool RenameGroup(std::size_t page, std::size_t position, const std::wstring& name);
    // Removes the entry and its icon files. A pinned entry's shortcut is deleted; any
    // other entry is excluded from later scans ("delete"/path = 1 in padconfig.ini).
    bool Delete(const EntryPlace& place);

    // Puts the icons that arrived into their entries; returns how many entries changed.
    std::size_t TakeIcons();
    // The size the icons are drawn at: they are held at it (from then on every icon is
    // asked for again, the entries keeping theirs until the new one arrives). True when
    // it changed.
    bool SetIconSize(int pixels);
    // While hidden: the icons past the first `keepPages` pages are let go (the disk cache
    // has them); returns how many. RequestMissingIcons() asks for them again.
    std::size_t LetIconsGo(std::size_t keepPages);
    void RequestMissingIcons();

    // The reading of an ideograph, remembered per catalogue.
    [[nodiscard]] const PinyinLookup& Pinyin() const { return m_pinyin; }

private:
    [[nodiscard]] LaunchpadEntry* MutableEntryAt(const EntryPlace& place);
    bool ImportDroppedShortcuts();
    // Asks for the icons of the entries without one, or of every entry.
    void RequestIcons(bool all = false);

    CatalogueServices m_services;
    int m_choice = 0;
    int m_iconSize = 0;
    std::vector<LaunchpadPage> m_pages;
    std::vector<std::uint8_t> m_onDisk; // the catalogue file's bytes as last read or written
    PinyinLookup m_pinyin;
};

// Removes a folder with everything in it; true when it is gone.
bool RemoveTree(foundation::FileSystem& files, const std::wstring& folder);
// Removes a folder with its content and makes it again, empty.
bool RecreateFolder(foundation::FileSystem& files, const std::wstring& folder);
// Empties launchpad\cache\ and launchpad\cache_shell\.
void EmptyIconCaches(foundation::FileSystem& files, const std::wstring& baseFolder);

// What the settings window shows while the source choice changes.
struct ChoicePrompts {
    std::function<void(const std::wstring&)> tell;
    std::function<bool(const std::wstring&)> confirm; // true: go ahead
};
enum class ChoiceOutcome {
    Switched,  // the choice had a catalogue file: written, caches emptied, restart asked for
    Confirmed, // no catalogue file yet; the user agreed and the choice was written
    Declined,  // no catalogue file yet; nothing changed
};
ChoiceOutcome SetSourceChoice(foundation::ConfigStore& store, int choice, const ChoicePrompts& prompts);

} // namespace kestrana::launchers
