#pragma once
// The media item: what the system's current media session plays (title, artist, whether
// it plays or pauses) as a note and the title beside it, and a menu with the title, the
// artist and the previous, play/pause and next controls. Hidden while nothing plays. The
// sessions are reached through a MediaPort, which answers from what the system last
// reported and never waits for it.

#include "menubar/status_source.h"

#include <optional>
#include <string>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar {

// As the system numbers a session's playback status.
enum class Playback : std::uint8_t { Closed = 0, Opened = 1, Changing = 2, Stopped = 3, Playing = 4, Paused = 5 };

struct MediaSession {
    std::wstring title;
    std::wstring artist;
    std::wstring album;
    Playback playback = Playback::Closed;
    bool canPlayPause = false;
    bool canNext = false;
    bool canPrevious = false;
    bool operator==(const MediaSession&) const = default;
};

class MediaPort {
public:
    virtual ~MediaPort() = default;
    // The session the system calls current, as last reported; nothing without one.
    [[nodiscard]] virtual std::optional<MediaSession> Current() = 0;
    // Each asks the current session; false when there is none or it refused at once.
    virtual bool PlayPause() = 0;
    virtual bool Next() = 0;
    virtual bool Previous() = 0;
};

// "musictype": what the item shows beside its note.
enum class MediaLook : std::uint8_t {
    Title = 0,       // the title (the artist when the title is empty)
    NoteOnly = 1,    // the note alone
    TitleArtist = 2, // "title - artist"
};
[[nodiscard]] MediaLook MediaLookFromSetting(int value);

// The widest the item's text may be at 96 dpi; a longer one ends in an ellipsis.
inline constexpr int kMediaTextLimit = 180;

// Shown for a session that plays, or pauses (so that it can be resumed from the bar);
// hidden for none, and for one that stopped, closed or is only opening.
[[nodiscard]] bool MediaShown(const std::optional<MediaSession>& session);
// The item's text for a session under `look`; blanks around the parts are dropped.
[[nodiscard]] std::wstring MediaText(const MediaSession& session, MediaLook look);

namespace media_command {
inline constexpr int kPrevious = 1;
inline constexpr int kPlayPause = 2;
inline constexpr int kNext = 3;
} // namespace media_command

class MediaSource final : public StatusSource {
public:
    MediaSource(MediaPort& port, const foundation::ConfigStore& store);

    [[nodiscard]] StatusKind Kind() const override { return StatusKind::MediaControl; }
    [[nodiscard]] std::wstring Name() const override;
    [[nodiscard]] StatusFace Face() const override;
    [[nodiscard]] gfx::Menu Menu() override;
    void Choose(int id) override;
    // "Playing, title, artist" (or "Paused, ..."); empty while hidden.
    [[nodiscard]] std::wstring ReaderValue() const override;
    // "title - artist".
    [[nodiscard]] std::wstring Tip() const override;

    // The system reported a change of session, of its properties or of its playback
    // (already on the user-interface thread): the port is read again.
    void SessionChanged();
    // The play/pause media key and hotkeys act through this as the menu does.
    void PlayPause();
    [[nodiscard]] const std::optional<MediaSession>& Session() const { return m_session; }

private:
    MediaPort& m_port;
    const foundation::ConfigStore& m_store;
    MediaLook m_look;
    std::optional<MediaSession> m_session;
};

} // namespace kestrana::menubar
