#pragma once
// The media item's port to the system's media session manager (a Windows Runtime class
// of Windows 10 1809 and later). It is reached through the runtime's binary interface
// with declarations of our own, its entry points looked up at run time, so that the
// program still starts where it is missing (older systems, Wine); the item then stays
// hidden. All calls into the manager run on one worker thread of the multi-threaded
// apartment; the system's events and async completions arrive on its threads, update
// the snapshot under a lock and only post kMsgMedia to the target window.

#include "menubar/media_item.h"

#include <windows.h>

#include <memory>

namespace kestrana::menubar::win32 {

// Posted to the target when the current session, its song or its playback changed.
inline constexpr UINT kMsgMedia = WM_APP + 64;

class SystemMediaPort final : public MediaPort {
public:
    SystemMediaPort();
    ~SystemMediaPort() override;
    SystemMediaPort(const SystemMediaPort&) = delete;
    SystemMediaPort& operator=(const SystemMediaPort&) = delete;

    // Where kMsgMedia goes (a bar window); null stops the messages.
    void SetTarget(HWND target) noexcept;

    std::optional<MediaSession> Current() override;
    bool PlayPause() override;
    bool Next() override;
    bool Previous() override;

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
};

} // namespace kestrana::menubar::win32
