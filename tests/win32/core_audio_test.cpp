// The sound items' Core Audio port: what a volume message may carry, and a port that
// survives whatever sound system the machine has (none, a silent one, a real one).
#include "menubar/win32/core_audio.h"

#include "foundation/win32/unique_handle.h"

#include <gtest/gtest.h>

namespace {

namespace menubar = kestrana::menubar;
using kestrana::menubar::win32::PackVolume;
using kestrana::menubar::win32::UnpackVolume;

TEST(CoreAudioMessage, VolumesSurviveTheTripAndNonsenseIsRefused) {
    for (int percent = 0; percent <= 100; ++percent)
        for (bool muted : {false, true}) {
            const auto back = UnpackVolume(PackVolume({percent, muted}));
            ASSERT_TRUE(back.has_value());
            EXPECT_EQ(back->percent, percent);
            EXPECT_EQ(back->muted, muted);
        }
    // Another program may post anything to the bar.
    for (LPARAM hostile : {LPARAM{-1}, LPARAM{101}, LPARAM{0x100 | 101}, LPARAM{0x200}, LPARAM{0xFF}, LPARAM{1} << 40})
        EXPECT_FALSE(UnpackVolume(hostile).has_value()) << hostile;
}

TEST(CoreAudioPort, AnswersSanelyOnAnySoundSystem) {
    kestrana::win32::ComApartment apartment;
    menubar::win32::CoreAudioPort port;
    for (menubar::AudioFlow flow : {menubar::AudioFlow::Output, menubar::AudioFlow::Input}) {
        const auto devices = port.Devices(flow);
        int defaults = 0;
        for (const auto& d : devices) {
            EXPECT_FALSE(d.id.empty());
            EXPECT_FALSE(d.name.empty());
            defaults += d.isDefault ? 1 : 0;
        }
        EXPECT_LE(defaults, 1);
        const auto volume = port.Volume(flow);
        if (volume) {
            EXPECT_GE(volume->percent, 0);
            EXPECT_LE(volume->percent, 100);
        } else {
            // No default device: nothing can be set either.
            EXPECT_FALSE(port.SetVolume(flow, 50));
            EXPECT_FALSE(port.SetMute(flow, true));
        }
        // An endpoint no system has is never made the default.
        EXPECT_FALSE(port.MakeDefault(flow, L"{0.0.0.00000000}.{00000000-dead-beef-0000-000000000000}"));
    }
    port.SetTarget(nullptr);
    port.Rebind(); // twice in a row, with nothing bound, is harmless
    port.Rebind();
}

} // namespace
