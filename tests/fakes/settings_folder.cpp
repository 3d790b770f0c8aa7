#include "fakes/settings_folder.h"

#include <utility>

namespace kestrana::fakes {

std::string Utf16File(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

SettingsFolder::SettingsFolder(std::wstring baseFolder)
    : base(std::move(baseFolder)), store(files, base, &registry) {
    files.AddDirectory(base);
}

void SettingsFolder::Config(std::u16string_view text) { files.AddFile(base + L"config.ini", Utf16File(text)); }

std::string SettingsFolder::ConfigText() const { return files.ContentText(base + L"config.ini"); }

} // namespace kestrana::fakes
