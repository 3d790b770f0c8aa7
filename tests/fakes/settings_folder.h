#pragma once
// A program folder on the in-memory disk with a settings store over it: the start of
// most tests that read or write the settings files.

#include "fakes/fake_file_system.h"
#include "fakes/fake_registry.h"
#include "foundation/config_store.h"

#include <string>
#include <string_view>

namespace kestrana::fakes {

// UTF-16LE with a byte-order mark, as the settings files are written.
[[nodiscard]] std::string Utf16File(std::u16string_view text);

class SettingsFolder {
public:
    explicit SettingsFolder(std::wstring baseFolder = L"C:\\Kestrana\\");

    // config.ini of the program folder, written as the program writes it, and read back.
    void Config(std::u16string_view text);
    [[nodiscard]] std::string ConfigText() const;

    const std::wstring base;
    FakeFileSystem files;
    FakeRegistry registry;
    foundation::ConfigStore store;
};

} // namespace kestrana::fakes
