#pragma once
// A fresh folder under the temporary folder, removed afterwards with everything in it,
// read-only files and paths beyond MAX_PATH included.

#include <windows.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace kestrana::testing {

class TempFolder {
public:
    explicit TempFolder(const std::wstring& prefix) {
        static int counter = 0;
        const auto name = prefix + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        m_path = (std::filesystem::temp_directory_path() / name).wstring() + L"\\";
        std::filesystem::create_directory(m_path);
    }
    ~TempFolder() {
        std::error_code error;
        const std::filesystem::path root(L"\\\\?\\" + m_path);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root, error))
            ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::filesystem::remove_all(root, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    [[nodiscard]] const std::wstring& Path() const { return m_path; }
    [[nodiscard]] std::wstring File(const std::wstring& name) const { return m_path + name; }

private:
    std::wstring m_path;
};

} // namespace kestrana::testing
