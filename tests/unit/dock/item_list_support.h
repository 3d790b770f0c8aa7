#pragma once
// Shared pieces of the item-list tests: fakes of the shell and clock ports, a settings
// store over the in-memory file system, and helpers that write and read item files.

#include "dock/dockico.h"
#include "dock/item_list.h"
#include "dock/item_list_file.h"
#include "dock/item_list_ports.h"
#include "dock/item_list_save.h"
#include "fakes/settings_folder.h"
#include "foundation/text.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace kestrana::dock::testing {

inline const std::wstring kBase = L"C:\\Kestrana\\";

class FakeItemShell final : public ItemShell {
public:
    std::map<std::wstring, std::wstring> variables;    // by lower-case name
    std::map<std::wstring, std::wstring> longNames;    // short path -> long path
    std::map<std::wstring, std::wstring> knownFolders; // "{GUID}" (upper case) -> folder
    std::set<std::wstring> unparsable;                 // parsing names the shell refuses
    std::wstring windowsFolder = L"C:\\Windows";
    mutable int parseCalls = 0;

    void SetVariable(const std::wstring& name, const std::wstring& value) {
        variables[foundation::AsciiLower(name)] = value;
    }

    std::optional<std::wstring> EnvironmentVariable(std::wstring_view name) const override {
        const auto it = variables.find(foundation::AsciiLower(name));
        if (it == variables.end()) return std::nullopt;
        return it->second;
    }
    std::wstring LongPathName(const std::wstring& path) const override {
        const auto it = longNames.find(foundation::AsciiLower(path));
        return it == longNames.end() ? std::wstring() : it->second;
    }
    bool ParsesAsShellItem(const std::wstring& parsingName) const override {
        ++parseCalls;
        return !unparsable.count(foundation::AsciiLower(parsingName));
    }
    std::wstring KnownFolderPath(std::wstring_view folderId) const override {
        std::wstring id(folderId);
        for (auto& c : id) c = static_cast<wchar_t>(std::towupper(c));
        const auto it = knownFolders.find(id);
        return it == knownFolders.end() ? std::wstring() : it->second;
    }
    std::wstring WindowsFolder() const override { return windowsFolder; }
};

class FakeClock final : public LocalClock {
public:
    LocalTime now{2024, 3, 5, 9, 7, 2};
    // Pictures this clock cannot format (as a locale that rejects them).
    std::set<std::wstring> rejected;

    LocalTime Now() const override { return now; }
    // Enough of the picture language for the tests: HH, H, mm, ss; anything else is copied.
    std::wstring FormatTime(std::wstring_view picture, const LocalTime& time) const override {
        if (rejected.count(std::wstring(picture))) return {};
        std::wstring out;
        const auto two = [](int v) { return (v < 10 ? L"0" : L"") + std::to_wstring(v); };
        for (std::size_t i = 0; i < picture.size();) {
            const auto rest = picture.substr(i);
            if (rest.starts_with(L"HH")) { out += two(time.hour); i += 2; }
            else if (rest.starts_with(L"H")) { out += std::to_wstring(time.hour); i += 1; }
            else if (rest.starts_with(L"mm")) { out += two(time.minute); i += 2; }
            else if (rest.starts_with(L"ss")) { out += two(time.second); i += 2; }
            else { out += picture[i]; i += 1; }
        }
        return out;
    }
};

// Forwards every call to another file system. Before() runs ahead of each call (told
// whether the call changes the disk) and may make it fail instead.
class FileSystemProxy : public foundation::FileSystem {
public:
    explicit FileSystemProxy(foundation::FileSystem& inner) : m_inner(inner) {}

    bool IsFile(const std::wstring& p) const override { return Before(false) && m_inner.IsFile(p); }
    bool IsDirectory(const std::wstring& p) const override { return Before(false) && m_inner.IsDirectory(p); }
    std::optional<foundation::FileStamp> Stat(const std::wstring& p) const override {
        return Before(false) ? m_inner.Stat(p) : std::nullopt;
    }
    std::optional<std::vector<std::uint8_t>> Read(const std::wstring& p) const override {
        return Before(false) ? m_inner.Read(p) : std::nullopt;
    }
    bool Replace(const std::wstring& p, std::span<const std::uint8_t> c) override { return Before(true) && m_inner.Replace(p, c); }
    bool Rename(const std::wstring& f, const std::wstring& t, bool r) override { return Before(true) && m_inner.Rename(f, t, r); }
    bool Copy(const std::wstring& f, const std::wstring& t, bool e) override { return Before(true) && m_inner.Copy(f, t, e); }
    bool Remove(const std::wstring& p) override { return Before(true) && m_inner.Remove(p); }
    bool CreateFolder(const std::wstring& p) override { return Before(true) && m_inner.CreateFolder(p); }
    bool RemoveFolder(const std::wstring& p) override { return Before(true) && m_inner.RemoveFolder(p); }
    std::vector<foundation::DirectoryEntry> List(const std::wstring& p) const override {
        return Before(false) ? m_inner.List(p) : std::vector<foundation::DirectoryEntry>();
    }
    bool ResetAttributes(const std::wstring& p) override { return Before(true) && m_inner.ResetAttributes(p); }

protected:
    virtual bool Before(bool changes) const = 0;
    foundation::FileSystem& m_inner;
};

// A program folder on the in-memory disk with its settings store.
struct ItemWorld : fakes::SettingsFolder {
    FakeItemShell shell;
    FakeClock clock;

    ItemWorld() : SettingsFolder(kBase) {
        files.SetCurrentDirectory(kBase);
        // The clean start of most tests: the minimise settings already exist.
        files.AddFile(kBase + L"config.ini", "[minimize]\r\nminicopos=0\r\n");
    }

    [[nodiscard]] std::wstring Path(std::wstring_view name) const { return kBase + std::wstring(name); }
    void Write(std::wstring_view name, std::string_view text) { files.AddFile(Path(name), text); }
    [[nodiscard]] bool Exists(std::wstring_view name) const { return files.IsFile(Path(name)); }
    [[nodiscard]] std::vector<std::uint8_t> Bytes(std::wstring_view name) const {
        return files.Content(Path(name)).value_or(std::vector<std::uint8_t>());
    }
    [[nodiscard]] std::vector<ItemRecord> Records(std::wstring_view name) const {
        const auto document = ReadItemFile(files, Path(name), foundation::Windows1252());
        return document ? ReadItemRecords(*document) : std::vector<ItemRecord>();
    }
    [[nodiscard]] int Sections(std::wstring_view name) const { return store.ReadSectionNames(name, nullptr); }
    [[nodiscard]] LoadedItemList Load() { return LoadItemList(store, shell); }
};

// A record for a program at C:\Apps\<name>.exe.
inline ItemRecord Program(const std::wstring& name) {
    ItemRecord record;
    record.tag = name;
    record.appname = name + L".exe";
    record.filepath = L"c:\\apps\\" + name + L".exe";
    record.realpath = record.filepath;
    return record;
}

inline ItemRecord Separator() {
    ItemRecord record;
    record.delimiter = true;
    return record;
}

// `count` programs named "<prefix>1", "<prefix>2", ..., with a separator after the second.
inline std::vector<ItemRecord> ProgramList(int count, const std::wstring& prefix = L"app") {
    std::vector<ItemRecord> records;
    for (int i = 1; i <= count; ++i) {
        records.push_back(Program(prefix + std::to_wstring(i)));
        if (i == 2) records.push_back(Separator());
    }
    return records;
}

// The bytes of an item file holding these records, as a save writes it.
inline std::vector<std::uint8_t> FileOf(const std::vector<ItemRecord>& records) {
    std::vector<ItemKeys> sections;
    for (const auto& record : records) sections.push_back(SectionKeys(record, false));
    return ComposeItemFile(sections);
}

// What an item looks like in the file, for comparing loaded items with saved records.
inline std::vector<ItemRecord> RecordsOf(const std::vector<std::unique_ptr<Dockico>>& items) {
    std::vector<ItemRecord> records;
    for (const auto& item : items) records.push_back(RecordOf(*item));
    return records;
}

// A row holding these items (loaded through the usual build rules).
inline void Fill(DockItems& row, const std::vector<ItemRecord>& records, ItemWorld& world) {
    std::vector<std::unique_ptr<Dockico>> items;
    bool upgraded = false;
    for (const auto& record : records) items.push_back(BuildItem(record, world.shell, world.files, kBase, upgraded));
    ReplaceItems(row, std::move(items));
}

} // namespace kestrana::dock::testing
