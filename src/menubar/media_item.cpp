#include "menubar/media_item.h"

#include "foundation/config_store.h"
#include "foundation/diagnostic_log.h"

namespace kestrana::menubar {
namespace {

std::wstring Trimmed(const std::wstring& text) {
    const auto first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

bool Plays(const MediaSession& session) { return session.playback == Playback::Playing; }

} // namespace

MediaLook MediaLookFromSetting(int value) {
    switch (value) {
    case 1: return MediaLook::NoteOnly;
    case 2: return MediaLook::TitleArtist;
    default: return MediaLook::Title;
    }
}

bool MediaShown(const std::optional<MediaSession>& session) {
    return session && (session->playback == Playback::Playing || session->playback == Playback::Paused);
}

std::wstring MediaText(const MediaSession& session, MediaLook look) {
    const std::wstring title = Trimmed(session.title), artist = Trimmed(session.artist);
    switch (look) {
    case MediaLook::NoteOnly: return {};
    case MediaLook::TitleArtist:
        if (title.empty() || artist.empty()) return title.empty() ? artist : title;
        return title + L" \u2013 " + artist;
    case MediaLook::Title: break;
    }
    return title.empty() ? artist : title;
}

MediaSource::MediaSource(MediaPort& port, const foundation::ConfigStore& store)
    : m_port(port), m_store(store), m_look(MediaLookFromSetting(store.ReadInt(L"finder", L"musictype"))),
      m_session(port.Current()) {}

std::wstring MediaSource::Name() const { return m_store.LanguageText(L"findermenu", L"mediaitem", L"Now Playing"); }

StatusFace MediaSource::Face() const {
    StatusFace face;
    face.shown = MediaShown(m_session);
    if (!face.shown) return face;
    face.glyph = Glyph::Music;
    face.crossed = !Plays(*m_session); // a paused note
    face.text = MediaText(*m_session, m_look);
    face.textLimit = kMediaTextLimit;
    return face;
}

std::wstring MediaSource::ReaderValue() const {
    if (!MediaShown(m_session)) return {};
    std::wstring value = Plays(*m_session) ? m_store.LanguageText(L"findertips", L"mediaplaying", L"Playing")
                                           : m_store.LanguageText(L"findertips", L"mediapaused", L"Paused");
    for (const std::wstring& part : {Trimmed(m_session->title), Trimmed(m_session->artist)})
        if (!part.empty()) value += L", " + part;
    return value;
}

std::wstring MediaSource::Tip() const {
    if (!MediaShown(m_session)) return {};
    return MediaText(*m_session, MediaLook::TitleArtist);
}

gfx::Menu MediaSource::Menu() {
    SessionChanged();
    gfx::Menu menu;
    if (!m_session) {
        menu.push_back(gfx::MenuItem::Command(0, m_store.LanguageText(L"findermenu", L"medianothing", L"Nothing is playing"),
                                              false, false));
        return menu;
    }
    // The title and the artist head the menu as rows that do nothing.
    const std::wstring title = Trimmed(m_session->title), artist = Trimmed(m_session->artist);
    menu.push_back(gfx::MenuItem::Command(
        0, title.empty() ? m_store.LanguageText(L"findermenu", L"mediauntitled", L"Untitled") : title, false, false));
    if (!artist.empty()) menu.push_back(gfx::MenuItem::Command(0, artist, false, false));
    menu.push_back(gfx::MenuItem::Rule());
    menu.push_back(gfx::MenuItem::Command(media_command::kPrevious,
                                          m_store.LanguageText(L"findermenu", L"mediaprevious", L"Previous"), false,
                                          m_session->canPrevious));
    menu.push_back(gfx::MenuItem::Command(
        media_command::kPlayPause,
        Plays(*m_session) ? m_store.LanguageText(L"findermenu", L"mediapause", L"Pause")
                          : m_store.LanguageText(L"findermenu", L"mediaplay", L"Play"),
        false, m_session->canPlayPause));
    menu.push_back(gfx::MenuItem::Command(media_command::kNext, m_store.LanguageText(L"findermenu", L"medianext", L"Next"),
                                          false, m_session->canNext));
    return menu;
}

void MediaSource::Choose(int id) {
    switch (id) {
    case media_command::kPrevious:
        if (!m_port.Previous()) foundation::LogFailure("media", "the session refused to go to the previous track");
        return;
    case media_command::kPlayPause: PlayPause(); return;
    case media_command::kNext:
        if (!m_port.Next()) foundation::LogFailure("media", "the session refused to go to the next track");
        return;
    default: return;
    }
}

void MediaSource::PlayPause() {
    // The item changes when the session reports its new state, not before.
    if (!m_port.PlayPause()) foundation::LogFailure("media", "the session refused to play or pause");
}

void MediaSource::SessionChanged() {
    std::optional<MediaSession> session = m_port.Current();
    if (session == m_session) return;
    const StatusFace before = Face();
    const std::wstring heard = ReaderValue();
    m_session = std::move(session);
    // An album or a capability alone changes nothing drawn or heard.
    if (Face() != before || ReaderValue() != heard) Changed();
}

} // namespace kestrana::menubar
