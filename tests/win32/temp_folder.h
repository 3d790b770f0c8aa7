#pragma once
// A fresh folder under the temporary folder, removed afterwards with everything in it,
// read-only files and paths beyond MAX_PATH included.

#include <windows.h>

#include <filesystem>
#include <string>

namespace kestrana::testing {

class TempFolder {
public:
    explicit TempFolder(const std::wstring& prefix) {
        static int counter = 0;
        const auto name = prefix + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        m_path = (std::filesystem::temp_directory_path() / name).wstring() + L"\\";
        std::filesystem::create_directory(m_path);
    }
    ~TempFolder() { RemoveTree(m_path); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    [[nodiscard]] const std::wstring& Path() const { return m_path; }
    [[nodiscard]] std::wstring File(const std::wstring& name) const { return m_path + name; }

private:
    static void RemoveTree(const std::wstring& folder) {
        WIN32_FIND_DATAW data{};
        HANDLE find = ::FindFirstFileW((folder + L"*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = data.cFileName, path = folder + name;
                if (name == L"." || name == L"..") continue;
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path + L"\\");
                else ::DeleteFileW(path.c_str());
            } while (::FindNextFileW(find, &data));
            ::FindClose(find);
        }
        ::RemoveDirectoryW(folder.c_str());
    }

    std::wstring m_path;
};

} // namespace kestrana::testing
