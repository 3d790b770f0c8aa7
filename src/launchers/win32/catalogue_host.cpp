#include "launchers/win32/catalogue_host.h"

namespace kestrana::launchers {

Win32CatalogueHost::Win32CatalogueHost(const std::wstring& baseFolder, foundation::JobRunner& jobs, std::function<void()> arrived)
    : m_files(std::make_shared<platform::Win32FileSystem>()),
      m_store(*m_files, baseFolder, nullptr, m_codePage),
      m_icons(IconWorld{m_files, std::make_shared<Win32ApplicationIcons>(), m_store.BaseFolder()}, jobs, std::move(arrived)),
      m_catalogue(CatalogueServices{m_store, m_shell, &m_icons}) {}

} // namespace kestrana::launchers
