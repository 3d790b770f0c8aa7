// The item-list loader on arbitrary files: "ico.ini", "ico_bak.ini" and "ico.xml" made
// from the input. Loading must not crash or hang, and after one load and save the list
// is a fixed point: loading and saving it again writes the same bytes.

#include "dock/item_list.h"
#include "dock/item_list_save.h"
#include "foundation/config_store.h"
#include "foundation/text.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <mutex>

namespace {

using namespace kestrana;

// Just enough of a disk for the loader and the save: whole files by case-folded path.
class MemoryFileSystem final : public foundation::FileSystem {
public:
    bool IsFile(const std::wstring& path) const override { return m_files.count(Key(path)) != 0; }
    bool IsDirectory(const std::wstring& path) const override {
        return foundation::EqualsIgnoreCase(path, L"C:\\K") || foundation::EqualsIgnoreCase(path, L"C:\\K\\");
    }
    std::optional<foundation::FileStamp> Stat(const std::wstring& path) const override {
        const auto it = m_files.find(Key(path));
        if (it == m_files.end()) return std::nullopt;
        return foundation::FileStamp{it->second.bytes.size(), it->second.stamp, static_cast<std::uint64_t>(it->second.stamp), false};
    }
    std::optional<std::vector<std::uint8_t>> Read(const std::wstring& path) const override {
        const auto it = m_files.find(Key(path));
        if (it == m_files.end()) return std::nullopt;
        return it->second.bytes;
    }
    bool Replace(const std::wstring& path, std::span<const std::uint8_t> content) override {
        m_files[Key(path)] = File{{content.begin(), content.end()}, ++m_clock};
        return true;
    }
    bool Rename(const std::wstring& from, const std::wstring& to, bool replaceExisting) override {
        const auto it = m_files.find(Key(from));
        if (it == m_files.end() || (!replaceExisting && m_files.count(Key(to)))) return false;
        File file = std::move(it->second);
        m_files.erase(it);
        file.stamp = ++m_clock;
        m_files[Key(to)] = std::move(file);
        return true;
    }
    bool Copy(const std::wstring& from, const std::wstring& to, bool failIfExists) override {
        const auto it = m_files.find(Key(from));
        if (it == m_files.end() || (failIfExists && m_files.count(Key(to)))) return false;
        m_files[Key(to)] = File{it->second.bytes, ++m_clock};
        return true;
    }
    bool Remove(const std::wstring& path) override { return m_files.erase(Key(path)) != 0; }
    bool CreateFolder(const std::wstring&) override { return false; }
    bool RemoveFolder(const std::wstring&) override { return false; }
    std::vector<foundation::DirectoryEntry> List(const std::wstring&) const override { return {}; }
    bool ResetAttributes(const std::wstring& path) override { return IsFile(path); }

private:
    struct File {
        std::vector<std::uint8_t> bytes;
        std::int64_t stamp = 0;
    };
    static std::wstring Key(const std::wstring& path) { return foundation::AsciiLower(path); }
    std::map<std::wstring, File> m_files;
    std::int64_t m_clock = 0;
};

class Shell final : public dock::ItemShell {
public:
    std::optional<std::wstring> EnvironmentVariable(std::wstring_view name) const override {
        if (foundation::EqualsIgnoreCase(name, L"windir")) return L"C:\\Windows";
        if (foundation::EqualsIgnoreCase(name, L"long")) return std::wstring(300, L'l');
        return std::nullopt;
    }
    std::wstring LongPathName(const std::wstring&) const override { return {}; }
    bool ParsesAsShellItem(const std::wstring& name) const override { return name.size() % 3 != 0; }
    std::wstring KnownFolderPath(std::wstring_view) const override { return L"C:\\Known"; }
    std::wstring WindowsFolder() const override { return L"C:\\Windows"; }
};

void AddSettings(MemoryFileSystem& files) {
    const std::string settings = "[minimize]\r\nminicopos=0\r\n";
    files.Replace(L"C:\\K\\config.ini", std::vector<std::uint8_t>(settings.begin(), settings.end()));
}

// One start and save: the list written back to "ico.ini".
std::vector<std::uint8_t> LoadAndSave(MemoryFileSystem& files) {
    foundation::ConfigStore store(files, L"C:\\K\\");
    Shell shell;
    auto loaded = dock::LoadItemList(store, shell);
    std::vector<dock::ItemRecord> records;
    std::size_t writable = 0;
    for (const auto& item : loaded.items) {
        records.push_back(dock::RecordOf(*item));
        if (!dock::SectionKeys(records.back(), false).empty()) ++writable;
    }
    // A short list is never written: make it long enough.
    for (int i = 0; writable < 3; ++i, ++writable) {
        dock::ItemRecord pad;
        pad.appname = L"pad" + std::to_wstring(i) + L".exe";
        records.push_back(std::move(pad));
    }
    if (dock::WriteItemList(files, L"C:\\K\\", records) != dock::ItemSaveResult::Saved) std::abort();
    return files.Read(L"C:\\K\\ico.ini").value_or(std::vector<std::uint8_t>());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t mode = data[0] % 3;
    const std::span<const std::uint8_t> rest(data + 1, size - 1);
    MemoryFileSystem files;
    AddSettings(files);
    if (mode == 0) {
        files.Replace(L"C:\\K\\ico.ini", rest);
    } else if (mode == 1) {
        files.Replace(L"C:\\K\\ico.xml", rest);
    } else {
        // The first half is the list, the second its previous version.
        files.Replace(L"C:\\K\\ico.ini", rest.subspan(0, rest.size() / 2));
        files.Replace(L"C:\\K\\ico_bak.ini", rest.subspan(rest.size() / 2));
    }
    const auto first = LoadAndSave(files);

    // What was written is clean: loading and saving it again writes the same bytes.
    MemoryFileSystem again;
    AddSettings(again);
    again.Replace(L"C:\\K\\ico.ini", first);
    if (LoadAndSave(again) != first) std::abort();
    return 0;
}
