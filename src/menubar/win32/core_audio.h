#pragma once
// The sound and microphone items' port to Core Audio: the default render and capture
// endpoints, their volume and mute, the active devices by name, and switching the
// default device. The system's notifications arrive on its own threads; they only post
// a message to a window of the user-interface thread.

#include "menubar/audio_item.h"

#include <windows.h>

#include <atomic>
#include <memory>

namespace kestrana::menubar::win32 {

// Posted to the notification target: devices changed (no parameters), or an endpoint's
// volume changed (wParam: the flow, 0 output 1 input; lParam: percent | mute << 8).
inline constexpr UINT kMsgAudioDevices = WM_APP + 48;
inline constexpr UINT kMsgAudioVolume = WM_APP + 49;

[[nodiscard]] inline LPARAM PackVolume(VolumeState state) {
    return static_cast<LPARAM>(state.percent & 0xFF) | (state.muted ? 0x100 : 0);
}
// Only what a volume message may carry: another program can post anything.
[[nodiscard]] inline std::optional<VolumeState> UnpackVolume(LPARAM value) {
    if (value < 0 || value > 0x1FF || (value & 0xFF) > 100) return std::nullopt;
    return VolumeState{static_cast<int>(value & 0xFF), (value & 0x100) != 0};
}

class CoreAudioPort final : public AudioPort {
public:
    CoreAudioPort();
    ~CoreAudioPort() override;
    CoreAudioPort(const CoreAudioPort&) = delete;
    CoreAudioPort& operator=(const CoreAudioPort&) = delete;

    // Where the notifications go (a bar window); null stops them.
    void SetTarget(HWND target) noexcept;
    // Listens to the current default endpoints again (after a device change).
    void Rebind() noexcept;

    std::vector<AudioDevice> Devices(AudioFlow flow) override;
    std::optional<VolumeState> Volume(AudioFlow flow) override;
    bool SetVolume(AudioFlow flow, int percent) override;
    bool SetMute(AudioFlow flow, bool muted) override;
    bool MakeDefault(AudioFlow flow, const std::wstring& deviceId) override;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace kestrana::menubar::win32
