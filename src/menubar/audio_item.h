#pragma once
// The sound (output) and microphone (input) items: the volume and mute of the default
// device shown as a speaker or a microphone, and a menu with the volume slider, one row
// per active device (the default one checked; choosing another makes it the default)
// and the system's sound settings. The system is reached through an AudioPort.

#include "menubar/status_source.h"

#include <optional>
#include <string>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar {

enum class AudioFlow { Output, Input };

struct AudioDevice {
    std::wstring id;   // the system's endpoint id
    std::wstring name; // as the system names it
    bool isDefault = false;
};

struct VolumeState {
    int percent = 0; // 0..100
    bool muted = false;
};

// The sound system as the items need it. Every call may fail: a device can vanish
// between two calls, and an endpoint may refuse to be changed.
class AudioPort {
public:
    virtual ~AudioPort() = default;
    // The active devices of a flow, by name, the default one marked.
    [[nodiscard]] virtual std::vector<AudioDevice> Devices(AudioFlow flow) = 0;
    // The default device's volume, or nothing when the flow has no device.
    [[nodiscard]] virtual std::optional<VolumeState> Volume(AudioFlow flow) = 0;
    virtual bool SetVolume(AudioFlow flow, int percent) = 0;
    virtual bool SetMute(AudioFlow flow, bool muted) = 0;
    // Makes a device the default for every role.
    virtual bool MakeDefault(AudioFlow flow, const std::wstring& deviceId) = 0;
};

// A master level of 0.0..1.0 as a whole percent, rounded half up; out-of-range levels
// are clamped.
[[nodiscard]] int LevelToPercent(float level);
[[nodiscard]] float PercentToLevel(int percent);

namespace audio_command {
inline constexpr int kSlider = 1;
inline constexpr int kMute = 2;
inline constexpr int kSettings = 3;
inline constexpr int kDeviceFirst = 100; // + index in the menu's device list
inline constexpr int kDeviceLast = 199;
} // namespace audio_command

class AudioSource final : public StatusSource {
public:
    using OpenPage = std::function<void(const std::wstring& uri)>;
    AudioSource(AudioFlow flow, AudioPort& port, const foundation::ConfigStore& store, OpenPage open);

    [[nodiscard]] StatusKind Kind() const override;
    [[nodiscard]] std::wstring Name() const override;
    [[nodiscard]] StatusFace Face() const override;
    [[nodiscard]] gfx::Menu Menu() override;
    void Choose(int id) override;
    int Slide(int id, int value) override;
    [[nodiscard]] std::wstring ReaderValue() const override;
    // "Volume 40%" (with "muted"); the same text serves the volume tip.
    [[nodiscard]] std::wstring Tip() const override;

    // The endpoint reported a new volume (already on the user-interface thread).
    void VolumeChanged(VolumeState state);
    // Devices came, went, or the default changed: everything is read again.
    void DevicesChanged();
    // The volume keys and hotkeys act through these.
    void SetVolume(int percent);
    void ToggleMute();
    [[nodiscard]] const std::optional<VolumeState>& State() const { return m_state; }

private:
    void Set(std::optional<VolumeState> state);

    AudioFlow m_flow;
    AudioPort& m_port;
    const foundation::ConfigStore& m_store;
    OpenPage m_open;
    std::optional<VolumeState> m_state;
    std::vector<AudioDevice> m_menuDevices; // as the open menu lists them
};

} // namespace kestrana::menubar
