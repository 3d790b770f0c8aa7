// The item-list loader on arbitrary files: "ico.ini", "ico_bak.ini" and "ico.xml" made
// from the input. Loading must not crash or hang, and after one load and save the list
// is a fixed point: loading and saving it again writes the same bytes.

#include "dock/item_list.h"
#include "fakes/fake_file_system.h"
#include "dock/item_list_save.h"
#include "foundation/config_store.h"
#include "foundation/text.h"

#include <cstdint>
#include <cstdlib>

namespace {

using namespace kestrana;

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

void AddSettings(fakes::FakeFileSystem& files) { files.AddFile(L"C:\\K\\config.ini", "[minimize]\r\nminicopos=0\r\n"); }

// One start and save: the list written back to "ico.ini".
std::vector<std::uint8_t> LoadAndSave(fakes::FakeFileSystem& files) {
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
    fakes::FakeFileSystem files;
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
    fakes::FakeFileSystem again;
    AddSettings(again);
    again.Replace(L"C:\\K\\ico.ini", first);
    if (LoadAndSave(again) != first) std::abort();
    return 0;
}
