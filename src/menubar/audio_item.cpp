#include "menubar/audio_item.h"

#include "foundation/config_store.h"
#include "foundation/diagnostic_log.h"

#include <algorithm>
#include <cmath>

namespace kestrana::menubar {
namespace {

const char* Where(AudioFlow flow) { return flow == AudioFlow::Output ? "sound" : "microphone"; }

} // namespace

int LevelToPercent(float level) {
    if (!(level > 0.0f)) return 0; // also NaN
    if (level >= 1.0f) return 100;
    // The sum is done in double: 0.505f is a hair below 0.505 and must still give 51.
    return static_cast<int>(static_cast<double>(level) * 100.0 + 0.5 + 1e-6);
}

float PercentToLevel(int percent) { return static_cast<float>(std::clamp(percent, 0, 100)) / 100.0f; }

AudioSource::AudioSource(AudioFlow flow, AudioPort& port, const foundation::ConfigStore& store, OpenPage open)
    : m_flow(flow), m_port(port), m_store(store), m_open(std::move(open)), m_state(port.Volume(flow)) {}

StatusKind AudioSource::Kind() const { return m_flow == AudioFlow::Output ? StatusKind::Audio : StatusKind::Microphone; }

std::wstring AudioSource::Name() const {
    return m_flow == AudioFlow::Output ? m_store.LanguageText(L"findermenu", L"sounditem", L"Sound")
                                       : m_store.LanguageText(L"findermenu", L"microphoneitem", L"Microphone");
}

StatusFace AudioSource::Face() const {
    StatusFace face;
    // No device of this kind: the item takes no room until one comes.
    face.shown = m_state.has_value();
    face.glyph = m_flow == AudioFlow::Output ? Glyph::Speaker : Glyph::Microphone;
    if (m_state) {
        face.level = m_state->percent;
        face.crossed = m_state->muted;
    }
    return face;
}

std::wstring AudioSource::ReaderValue() const {
    if (!m_state) return {};
    std::wstring value = std::to_wstring(m_state->percent) + L"%";
    if (m_state->muted) value += L", " + m_store.LanguageText(L"findertips", L"muted", L"muted");
    return value;
}

std::wstring AudioSource::Tip() const {
    if (!m_state) return {};
    const std::wstring name = m_flow == AudioFlow::Output ? m_store.LanguageText(L"findertips", L"volume", L"Volume")
                                                           : m_store.LanguageText(L"findertips", L"microphone", L"Microphone");
    return name + L" " + ReaderValue();
}

gfx::Menu AudioSource::Menu() {
    const bool output = m_flow == AudioFlow::Output;
    gfx::Menu menu;
    // The heading is a row that does nothing.
    menu.push_back(gfx::MenuItem::Command(0, output ? m_store.LanguageText(L"findermenu", L"Audio", L"Audio")
                                                    : m_store.LanguageText(L"findermenu", L"Microphone", L"Microphone"),
                                          false, false));
    Set(m_port.Volume(m_flow));
    if (m_state) {
        menu.push_back(gfx::MenuItem::Slider(audio_command::kSlider, m_state->percent,
                                             output ? L"Volume" : L"Input volume"));
        menu.push_back(gfx::MenuItem::Command(audio_command::kMute, m_store.LanguageText(L"findermenu", L"mute", L"Mute"),
                                              m_state->muted));
    }
    menu.push_back(gfx::MenuItem::Rule());
    menu.push_back(gfx::MenuItem::Command(0, output ? m_store.LanguageText(L"findermenu", L"output", L"Output")
                                                    : m_store.LanguageText(L"findermenu", L"input", L"Input"),
                                          false, false));
    m_menuDevices = m_port.Devices(m_flow);
    const auto count = std::min<std::size_t>(m_menuDevices.size(), audio_command::kDeviceLast - audio_command::kDeviceFirst + 1);
    m_menuDevices.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const AudioDevice& device = m_menuDevices[i];
        menu.push_back(gfx::MenuItem::Command(audio_command::kDeviceFirst + static_cast<int>(i), device.name,
                                              device.isDefault));
    }
    menu.push_back(gfx::MenuItem::Rule());
    menu.push_back(gfx::MenuItem::Command(audio_command::kSettings,
                                          m_store.LanguageText(L"findermenu", L"audio settings", L"Sound Settings")));
    return menu;
}

void AudioSource::Choose(int id) {
    if (id == audio_command::kSettings) {
        if (m_open) m_open(L"ms-settings:sound");
        return;
    }
    if (id == audio_command::kMute) {
        ToggleMute();
        return;
    }
    if (id < audio_command::kDeviceFirst || id > audio_command::kDeviceLast) return;
    const auto index = static_cast<std::size_t>(id - audio_command::kDeviceFirst);
    if (index >= m_menuDevices.size()) return;
    const AudioDevice& device = m_menuDevices[index];
    if (device.isDefault) return;
    if (!m_port.MakeDefault(m_flow, device.id)) {
        foundation::LogFailure(Where(m_flow), L"the system refused to make \"" + device.name + L"\" the default device");
        return;
    }
    foundation::LogDetail(Where(m_flow), L"made \"" + device.name + L"\" the default device");
    DevicesChanged();
}

int AudioSource::Slide(int id, int value) {
    if (id != audio_command::kSlider) return value;
    SetVolume(value);
    return m_state ? m_state->percent : value;
}

void AudioSource::SetVolume(int percent) {
    if (!m_state) return;
    percent = std::clamp(percent, 0, 100);
    if (!m_port.SetVolume(m_flow, percent)) {
        // The item keeps showing what the device last reported.
        foundation::LogFailure(Where(m_flow), "the device refused the volume " + std::to_string(percent));
        return;
    }
    Set(VolumeState{percent, m_state->muted});
}

void AudioSource::ToggleMute() {
    if (!m_state) return;
    const bool muted = !m_state->muted;
    if (!m_port.SetMute(m_flow, muted)) {
        foundation::LogFailure(Where(m_flow), muted ? "the device refused to mute" : "the device refused to unmute");
        return;
    }
    Set(VolumeState{m_state->percent, muted});
}

void AudioSource::VolumeChanged(VolumeState state) {
    state.percent = std::clamp(state.percent, 0, 100);
    // A report for a device that is gone by now still means there is one.
    Set(state);
}

void AudioSource::DevicesChanged() { Set(m_port.Volume(m_flow)); }

void AudioSource::Set(std::optional<VolumeState> state) {
    if (state) state->percent = std::clamp(state->percent, 0, 100);
    const bool same = state.has_value() == m_state.has_value() &&
                      (!state || (state->percent == m_state->percent && state->muted == m_state->muted));
    m_state = state;
    if (!same) Changed();
}

} // namespace kestrana::menubar
