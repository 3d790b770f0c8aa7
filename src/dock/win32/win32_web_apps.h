#pragma once
// The browsers' installed web applications, read from the shortcuts they write into the
// user's start-menu Programs folder: Chrome into a folder of its own there ("Chrome
// Apps", named in the user's language), Edge into Programs itself. Both point at the
// browser's proxy with "--app-id=". Only the Programs folder and the folders directly in
// it are read, and only shortcuts that carry that switch are opened.
//
// Cheap to ask often: the folders are listed again at most every few seconds, and the
// shortcuts read again only when a folder changed. Safe from any thread.

#include "dock/web_app_catalog.h"

#include <cstdint>
#include <mutex>
#include <string>

namespace kestrana::dock {

class Win32WebApps {
public:
    // `programsFolder` empty: the user's start-menu Programs folder.
    explicit Win32WebApps(std::wstring programsFolder = {}) : m_folder(std::move(programsFolder)) {}

    [[nodiscard]] std::wstring FindByTitle(Browser browser, std::wstring_view title);
    // How many web applications the last reading found.
    [[nodiscard]] std::size_t Count();

    static constexpr std::uint64_t kRecheckMs = 5000;

private:
    void Refresh();

    std::mutex m_mutex;
    std::wstring m_folder;
    bool m_read = false;
    std::uint64_t m_checkedAt = 0;
    std::uint64_t m_signature = 0;
    WebAppCatalog m_catalog;
};

} // namespace kestrana::dock
