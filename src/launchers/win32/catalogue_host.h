#pragma once
// A catalogue over the program's Windows ports (files, settings, the shell's folders and
// icons), as the test driver and the benchmarks use it until the Launchpad's view owns
// one. Made and used on one thread that has joined a COM apartment.

#include "foundation/job_runner.h"
#include "foundation/config_store.h"
#include "foundation/win32/system_code_page.h"
#include "launchers/launchpad_catalogue.h"
#include "launchers/win32/win32_application_shell.h"
#include "platform/win32/win32_file_system.h"

#include <functional>
#include <memory>
#include <string>

namespace kestrana::launchers {

class Win32CatalogueHost {
public:
    // `baseFolder` is the program folder; `arrived` as for CatalogueIcons.
    Win32CatalogueHost(const std::wstring& baseFolder, foundation::JobRunner& jobs, std::function<void()> arrived = {});
    Win32CatalogueHost(const Win32CatalogueHost&) = delete;
    Win32CatalogueHost& operator=(const Win32CatalogueHost&) = delete;

    [[nodiscard]] LaunchpadCatalogue& Catalogue() { return m_catalogue; }
    [[nodiscard]] CatalogueIcons& Icons() { return m_icons; }
    [[nodiscard]] foundation::ConfigStore& Store() { return m_store; }

private:
    std::shared_ptr<platform::Win32FileSystem> m_files;
    kestrana::win32::SystemCodePage m_codePage;
    foundation::ConfigStore m_store;
    Win32ApplicationShell m_shell;
    CatalogueIcons m_icons;
    LaunchpadCatalogue m_catalogue;
};

} // namespace kestrana::launchers
