// The media item against a fake session source: when it shows and what text, the menu's
// rows and what they ask of the session, and that only changes the user can see or hear
// redraw the item.
#include "menubar/media_item.h"

#include "fakes/memory_log.h"
#include "gfx/canvas.h"
#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

namespace kestrana::menubar {
namespace {

class FakeMediaPort final : public MediaPort {
public:
    std::optional<MediaSession> session;
    bool refuse = false;
    std::vector<std::string> asked;

    std::optional<MediaSession> Current() override { return session; }
    bool PlayPause() override { return Ask("playpause"); }
    bool Next() override { return Ask("next"); }
    bool Previous() override { return Ask("previous"); }

private:
    bool Ask(const char* what) {
        asked.push_back(what);
        return session && !refuse;
    }
};

MediaSession Song(Playback playback = Playback::Playing) {
    MediaSession s;
    s.title = L"Blue Train";
    s.artist = L"John Coltrane";
    s.playback = playback;
    s.canPlayPause = s.canNext = true;
    return s;
}

struct MediaItem : ::testing::Test {
    fakes::SettingsFolder folder;
    fakes::MemoryLog log;
    FakeMediaPort port;
    int changes = 0;

    std::unique_ptr<MediaSource> Make() {
        auto source = std::make_unique<MediaSource>(port, folder.store);
        source->OnChanged([this] { ++changes; });
        return source;
    }
    static const gfx::MenuItem* Row(const gfx::Menu& menu, int id) {
        for (const auto& item : menu)
            if (item.id == id) return &item;
        return nullptr;
    }
};

TEST(MediaRules, ShownOnlyWhilePlayingOrPaused) {
    EXPECT_FALSE(MediaShown(std::nullopt));
    const struct {
        Playback playback;
        bool shown;
    } cases[] = {{Playback::Closed, false},  {Playback::Opened, false}, {Playback::Changing, false},
                 {Playback::Stopped, false}, {Playback::Playing, true}, {Playback::Paused, true}};
    for (const auto& c : cases) EXPECT_EQ(MediaShown(Song(c.playback)), c.shown) << static_cast<int>(c.playback);
}

TEST(MediaRules, TextFollowsTheLookAndFallsBackToWhatIsKnown) {
    MediaSession s = Song();
    s.title = L"  Blue Train ";
    EXPECT_EQ(MediaText(s, MediaLook::Title), L"Blue Train");
    EXPECT_EQ(MediaText(s, MediaLook::TitleArtist), L"Blue Train \u2013 John Coltrane");
    EXPECT_EQ(MediaText(s, MediaLook::NoteOnly), L"");
    s.title = L" ";
    EXPECT_EQ(MediaText(s, MediaLook::Title), L"John Coltrane");
    EXPECT_EQ(MediaText(s, MediaLook::TitleArtist), L"John Coltrane");
    s.artist.clear();
    EXPECT_EQ(MediaText(s, MediaLook::TitleArtist), L"");
    // Unknown settings read as the first look.
    for (int value : {0, 3, -1, 99}) EXPECT_EQ(MediaLookFromSetting(value), MediaLook::Title) << value;
    EXPECT_EQ(MediaLookFromSetting(1), MediaLook::NoteOnly);
    EXPECT_EQ(MediaLookFromSetting(2), MediaLook::TitleArtist);
}

TEST(MediaGlyph, NoteStaysInItsCellAndPausedLooksDifferent) {
    // Drawn in a cell with a margin around it: nothing may fall outside the cell.
    const auto Draw = [](bool paused, float scale) {
        const int cell = static_cast<int>(34 * scale);
        gfx::Bitmap bitmap(cell + 20, cell + 20);
        gfx::Canvas canvas(bitmap);
        DrawGlyph(canvas, Glyph::Music, {10, 10, static_cast<float>(cell), static_cast<float>(cell)}, {255, 255, 255, 255},
                  scale, 100, paused);
        int inside = 0, outside = 0;
        for (int y = 0; y < bitmap.Height(); ++y)
            for (int x = 0; x < bitmap.Width(); ++x) {
                if (gfx::PixelA(bitmap.Row(y)[x]) == 0) continue;
                const bool in = x >= 10 && y >= 10 && x < 10 + cell && y < 10 + cell;
                (in ? inside : outside)++;
            }
        return std::pair{inside, outside};
    };
    for (float scale : {1.0f, 1.5f, 2.0f}) {
        const auto playing = Draw(false, scale), paused = Draw(true, scale);
        EXPECT_GT(playing.first, 0) << scale;
        EXPECT_EQ(playing.second, 0) << scale;
        EXPECT_EQ(paused.second, 0) << scale;
        EXPECT_LT(paused.first, playing.first) << "the paused note is hollow, at " << scale;
    }
}

TEST_F(MediaItem, FaceIsANoteWithTheTitleCutToTheLimit) {
    port.session = Song(Playback::Paused);
    folder.Config(u"[finder]\r\nmusictype=2\r\n");
    auto source = Make();
    StatusFace face = source->Face();
    EXPECT_TRUE(face.shown);
    EXPECT_EQ(face.glyph, Glyph::Music);
    EXPECT_TRUE(face.crossed); // paused
    EXPECT_EQ(face.text, L"Blue Train \u2013 John Coltrane");
    EXPECT_EQ(face.textLimit, kMediaTextLimit);
    EXPECT_EQ(source->ReaderValue(), L"Paused, Blue Train, John Coltrane");
    EXPECT_EQ(source->Tip(), L"Blue Train \u2013 John Coltrane");

    port.session.reset();
    source->SessionChanged();
    face = source->Face();
    EXPECT_FALSE(face.shown);
    EXPECT_EQ(FaceWidth(face, 100, 1.0f), 0); // takes no room
    EXPECT_EQ(source->ReaderValue(), L"");
    EXPECT_EQ(source->Tip(), L"");
}

TEST_F(MediaItem, OnlyVisibleOrAudibleChangesRedraw) {
    port.session = Song();
    auto source = Make();
    MediaSession s = Song();
    s.album = L"Blue Train (Remastered)";
    s.canPrevious = true;
    port.session = s;
    source->SessionChanged();
    EXPECT_EQ(changes, 0) << "album and controls are not on the face";
    s.playback = Playback::Paused;
    port.session = s;
    source->SessionChanged();
    EXPECT_EQ(changes, 1);
    s.title = L"Moment's Notice";
    port.session = s;
    source->SessionChanged();
    EXPECT_EQ(changes, 2);
    // A session that stops, then goes away: hidden once, and nothing more to redraw.
    s.playback = Playback::Stopped;
    port.session = s;
    source->SessionChanged();
    port.session.reset();
    source->SessionChanged();
    EXPECT_EQ(changes, 3);
    EXPECT_FALSE(source->Face().shown);
}

TEST_F(MediaItem, MenuHeadsWithTheSongAndOffersWhatTheSessionAllows) {
    port.session = Song();
    auto source = Make();
    gfx::Menu menu = source->Menu();
    ASSERT_GE(menu.size(), 6u);
    EXPECT_EQ(menu[0].text, L"Blue Train");
    EXPECT_FALSE(menu[0].Selectable());
    EXPECT_EQ(menu[1].text, L"John Coltrane");
    EXPECT_FALSE(menu[1].Selectable());
    EXPECT_TRUE(menu[2].separator);
    ASSERT_NE(Row(menu, media_command::kPrevious), nullptr);
    EXPECT_FALSE(Row(menu, media_command::kPrevious)->enabled);
    EXPECT_EQ(Row(menu, media_command::kPlayPause)->text, L"Pause");
    EXPECT_TRUE(Row(menu, media_command::kPlayPause)->enabled);
    EXPECT_TRUE(Row(menu, media_command::kNext)->enabled);

    // The menu reads the session afresh: paused by now, untitled.
    MediaSession s = Song(Playback::Paused);
    s.title.clear();
    s.artist.clear();
    port.session = s;
    menu = source->Menu();
    EXPECT_EQ(menu[0].text, L"Untitled");
    EXPECT_TRUE(menu[1].separator) << "no artist row without an artist";
    EXPECT_EQ(Row(menu, media_command::kPlayPause)->text, L"Play");

    port.session.reset();
    menu = source->Menu();
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_FALSE(menu[0].Selectable());
}

TEST_F(MediaItem, ControlsAskTheSessionAndRefusalsAreLogged) {
    port.session = Song();
    auto source = Make();
    source->Choose(media_command::kPrevious);
    source->Choose(media_command::kPlayPause);
    source->Choose(media_command::kNext);
    source->Choose(0);
    source->Choose(77);
    EXPECT_EQ(port.asked, (std::vector<std::string>{"previous", "playpause", "next"}));
    EXPECT_EQ(log.Count("refused"), 0u);
    EXPECT_EQ(changes, 0) << "the item waits for the session's own report";

    port.refuse = true;
    source->Choose(media_command::kNext);
    source->PlayPause();
    EXPECT_EQ(log.Count("refused to go to the next track"), 1u);
    EXPECT_EQ(log.Count("refused to play or pause"), 1u);
}

} // namespace
} // namespace kestrana::menubar
