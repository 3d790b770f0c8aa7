#pragma once
// The dock icons of folders shown as stacks ("stack" = 1): the first items of the folder's
// sorted list piled up, made on a worker and made again when the folder changes (the
// system's change notification, watched by one thread of ours) or its sort order does.
// The pile is handed to the folder items as their picture; the item's own picture comes
// back when the folder is shown as a folder again.

#include "foundation/job_runner.h"
#include "foundation/config_store.h"
#include "foundation/win32/unique_handle.h"
#include "gfx/image_decoder.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace kestrana::dock::win32 {
class DockHost;
}

namespace kestrana::app {

class StackIcons {
public:
    StackIcons(foundation::ConfigStore& store, foundation::JobRunner& jobs, const gfx::ImageDecoder& decoder);
    // Stops the watching thread (the piles' jobs finish on their own).
    ~StackIcons();
    StackIcons(const StackIcons&) = delete;
    StackIcons& operator=(const StackIcons&) = delete;

    // Looks at the docks' folder items and their settings: starts or stops watching
    // folders, makes piles that are missing or sorted differently, and gives each item the
    // picture it should show. User-interface thread; after the docks change and then every
    // second or so (a setting changed by a menu or another process is seen here).
    void Refresh(dock::win32::DockHost& docks);

    struct Shared;

private:
    void Watch();
    // `changed`: the folder's content changed, so a pile being made is stale too.
    void StartPile(const std::wstring& folder, bool changed);

    foundation::ConfigStore& m_store;
    foundation::JobRunner& m_jobs;
    const gfx::ImageDecoder& m_decoder;
    std::shared_ptr<Shared> m_shared;
    std::thread m_watcher;
};

} // namespace kestrana::app
