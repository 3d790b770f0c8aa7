// The sound and microphone items against a fake sound system: the percent rules, what
// the item shows, its menu, and what happens when the system refuses or a device goes.
#include "menubar/audio_item.h"

#include "fakes/memory_log.h"
#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kestrana::menubar {
namespace {

class FakeAudioPort final : public AudioPort {
public:
    std::vector<AudioDevice> devices;
    std::optional<VolumeState> volume;
    bool refuseVolume = false, refuseMute = false, refuseDefault = false;
    std::vector<int> volumesSet;
    std::vector<std::wstring> defaultsAsked;

    std::vector<AudioDevice> Devices(AudioFlow) override { return devices; }
    std::optional<VolumeState> Volume(AudioFlow) override { return volume; }
    bool SetVolume(AudioFlow, int percent) override {
        volumesSet.push_back(percent);
        if (refuseVolume) return false;
        volume->percent = percent;
        return true;
    }
    bool SetMute(AudioFlow, bool muted) override {
        if (refuseMute) return false;
        volume->muted = muted;
        return true;
    }
    bool MakeDefault(AudioFlow, const std::wstring& id) override {
        defaultsAsked.push_back(id);
        if (refuseDefault) return false;
        for (auto& d : devices) d.isDefault = d.id == id;
        return true;
    }
};

struct AudioItem : ::testing::Test {
    fakes::SettingsFolder folder;
    fakes::MemoryLog log;
    FakeAudioPort port;
    std::vector<std::wstring> opened;
    int changes = 0;

    AudioItem() {
        port.devices = {{L"{a}", L"Speakers", true}, {L"{b}", L"Headphones", false}};
        port.volume = VolumeState{40, false};
    }
    std::unique_ptr<AudioSource> Make(AudioFlow flow = AudioFlow::Output) {
        auto source = std::make_unique<AudioSource>(flow, port, folder.store,
                                                     [this](const std::wstring& uri) { opened.push_back(uri); });
        source->OnChanged([this] { ++changes; });
        return source;
    }
    static int IdOf(const gfx::Menu& menu, const std::wstring& text) {
        for (const auto& item : menu)
            if (item.text == text) return item.id;
        return -1;
    }
};

TEST(AudioLevels, LevelsBecomeWholePercentsRoundedHalfUp) {
    const struct {
        float level;
        int percent;
    } cases[] = {{0.505f, 51}, {0.004f, 0}, {0.005f, 1}, {0.0f, 0},   {1.0f, 100}, {0.999f, 100},
                 {0.494f, 49}, {-0.2f, 0},  {1.7f, 100}, {0.333f, 33}, {std::numeric_limits<float>::quiet_NaN(), 0}};
    for (const auto& c : cases) EXPECT_EQ(LevelToPercent(c.level), c.percent) << c.level;
    // Every percent survives the round trip through a level.
    for (int p = 0; p <= 100; ++p) EXPECT_EQ(LevelToPercent(PercentToLevel(p)), p);
    EXPECT_EQ(PercentToLevel(150), 1.0f);
    EXPECT_EQ(PercentToLevel(-3), 0.0f);
}

TEST(AudioLevels, SpeakerWavesFollowTheVolume) {
    EXPECT_EQ(SpeakerWaves(0, false), 0);
    EXPECT_EQ(SpeakerWaves(80, true), 0);
    EXPECT_EQ(SpeakerWaves(1, false), 1);
    EXPECT_EQ(SpeakerWaves(33, false), 1);
    EXPECT_EQ(SpeakerWaves(34, false), 2);
    EXPECT_EQ(SpeakerWaves(66, false), 2);
    EXPECT_EQ(SpeakerWaves(67, false), 3);
    EXPECT_EQ(SpeakerWaves(100, false), 3);
}

TEST_F(AudioItem, FaceShowsTheDefaultDeviceAndHidesWithoutOne) {
    auto sound = Make();
    StatusFace face = sound->Face();
    EXPECT_TRUE(face.shown);
    EXPECT_EQ(face.glyph, Glyph::Speaker);
    EXPECT_EQ(face.level, 40);
    EXPECT_FALSE(face.crossed);
    EXPECT_EQ(sound->ReaderValue(), L"40%");
    EXPECT_GT(FaceWidth(face, 0, 1.0f), 0);

    auto microphone = Make(AudioFlow::Input);
    EXPECT_EQ(sound->Name(), L"Sound");
    EXPECT_EQ(microphone->Name(), L"Microphone");
    EXPECT_EQ(microphone->Kind(), StatusKind::Microphone);
    EXPECT_EQ(microphone->Face().glyph, Glyph::Microphone);

    // The device goes: the item takes no room and is said to have changed.
    port.volume.reset();
    sound->DevicesChanged();
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(sound->Face().shown);
    EXPECT_EQ(FaceWidth(sound->Face(), 50, 1.0f), 0);
    EXPECT_EQ(sound->ReaderValue(), L"");
    // Nothing to set on a device that is not there.
    sound->SetVolume(70);
    sound->ToggleMute();
    EXPECT_TRUE(port.volumesSet.empty());
}

TEST_F(AudioItem, NotificationsRedrawOnlyWhatChanged) {
    auto sound = Make();
    sound->VolumeChanged({40, false});
    EXPECT_EQ(changes, 0);
    sound->VolumeChanged({41, false});
    EXPECT_EQ(changes, 1);
    sound->VolumeChanged({41, true});
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(sound->Face().crossed);
    EXPECT_NE(sound->ReaderValue().find(L"41%"), std::wstring::npos);
    // A report past the ends is clamped.
    sound->VolumeChanged({250, true});
    EXPECT_EQ(sound->Face().level, 100);
}

TEST_F(AudioItem, MenuHasTheSliderTheDevicesAndTheSettings) {
    auto sound = Make();
    port.volume = VolumeState{55, true}; // read again when the menu opens
    const gfx::Menu menu = sound->Menu();
    ASSERT_GE(menu.size(), 7u);
    EXPECT_EQ(menu[0].text, L"Audio");
    EXPECT_FALSE(menu[0].Selectable());
    ASSERT_TRUE(menu[1].slider);
    EXPECT_EQ(menu[1].value, 55);
    EXPECT_TRUE(menu[2].checked); // mute
    std::vector<std::wstring> rows;
    for (const auto& item : menu)
        if (item.id >= audio_command::kDeviceFirst && item.id <= audio_command::kDeviceLast) {
            rows.push_back(item.text);
            EXPECT_EQ(item.checked, item.text == L"Speakers");
        }
    EXPECT_EQ(rows, (std::vector<std::wstring>{L"Speakers", L"Headphones"}));
    EXPECT_EQ(menu.back().id, audio_command::kSettings);
    sound->Choose(menu.back().id);
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"ms-settings:sound"}));

    auto microphone = Make(AudioFlow::Input);
    EXPECT_EQ(microphone->Menu()[0].text, L"Microphone");
    // Without a device the menu still lists what there is and the settings, but no slider.
    port.volume.reset();
    port.devices.clear();
    const gfx::Menu empty = sound->Menu();
    for (const auto& item : empty) EXPECT_FALSE(item.slider);
    EXPECT_EQ(empty.back().id, audio_command::kSettings);
}

TEST_F(AudioItem, ChoosingADeviceMakesItTheDefaultAndARefusalIsLogged) {
    auto sound = Make();
    const gfx::Menu menu = sound->Menu();
    sound->Choose(IdOf(menu, L"Speakers")); // already the default: nothing asked
    EXPECT_TRUE(port.defaultsAsked.empty());
    sound->Choose(IdOf(menu, L"Headphones"));
    EXPECT_EQ(port.defaultsAsked, (std::vector<std::wstring>{L"{b}"}));
    EXPECT_EQ(log.Count("refused"), 0u);

    port.refuseDefault = true;
    const gfx::Menu again = sound->Menu();
    sound->Choose(IdOf(again, L"Speakers"));
    EXPECT_EQ(port.defaultsAsked.back(), L"{a}");
    EXPECT_EQ(log.Count("refused"), 1u);
    EXPECT_NE(log.Text().find("Speakers"), std::string::npos);
    // Ids that the menu never offered do nothing.
    sound->Choose(audio_command::kDeviceFirst + 50);
    sound->Choose(-4);
    EXPECT_EQ(port.defaultsAsked.size(), 2u);
}

TEST_F(AudioItem, TheSliderSetsTheVolumeAndARefusalKeepsTheLastValue) {
    auto sound = Make();
    sound->Slide(audio_command::kSlider, 70);
    EXPECT_EQ(port.volumesSet, (std::vector<int>{70}));
    EXPECT_EQ(sound->Face().level, 70);
    EXPECT_EQ(changes, 1);
    sound->SetVolume(130); // the keys may overshoot
    EXPECT_EQ(port.volumesSet.back(), 100);

    port.refuseVolume = true;
    EXPECT_EQ(sound->Slide(audio_command::kSlider, 20), 100); // the slider goes back
    EXPECT_EQ(sound->Face().level, 100);
    EXPECT_EQ(log.Count("refused the volume 20"), 1u);
    sound->Slide(audio_command::kSlider + 40, 5); // not its slider
    EXPECT_EQ(port.volumesSet.size(), 3u);

    sound->ToggleMute();
    EXPECT_TRUE(sound->Face().crossed);
    port.refuseMute = true;
    sound->ToggleMute();
    EXPECT_TRUE(sound->Face().crossed);
    EXPECT_EQ(log.Count("refused to unmute"), 1u);
}

} // namespace
} // namespace kestrana::menubar
