#pragma once
// The display item: a sun on the bar, and a menu with a brightness slider per screen
// (or the prompt that no screen here takes brightness), screen projection, the system's
// dark mode, night light and the display settings. Brightness goes through the worker,
// so the menu never waits for a monitor.

#include "menubar/brightness.h"
#include "menubar/status_source.h"

#include <functional>
#include <string>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar {

struct DisplayActions {
    std::function<void(const std::wstring& uri)> open;
    std::function<void()> project;        // the system's projection choice
    std::function<bool()> systemDark;     // the applications' theme is dark
    std::function<void(bool)> setSystemDark;
};

namespace display_command {
inline constexpr int kSliderFirst = 10; // + screen index
inline constexpr int kSliderLast = 29;
inline constexpr int kProjection = 1;
inline constexpr int kSystemDark = 2;
inline constexpr int kNightLight = 3;
inline constexpr int kDisplaySettings = 4;
} // namespace display_command

class DisplaySource final : public StatusSource {
public:
    // `screens` names each screen the worker knows, in its order.
    DisplaySource(BrightnessWorker& worker, std::vector<std::wstring> screens, const foundation::ConfigStore& store,
                  DisplayActions actions);

    [[nodiscard]] StatusKind Kind() const override { return StatusKind::Display; }
    [[nodiscard]] std::wstring Name() const override;
    [[nodiscard]] StatusFace Face() const override;
    [[nodiscard]] gfx::Menu Menu() override;
    void Choose(int id) override;
    int Slide(int id, int value) override;
    [[nodiscard]] std::wstring ReaderValue() const override;

    // The worker's snapshot changed (on the user-interface thread).
    void BrightnessChanged() { Changed(); }

private:
    BrightnessWorker& m_worker;
    std::vector<std::wstring> m_screens;
    const foundation::ConfigStore& m_store;
    DisplayActions m_actions;
};

} // namespace kestrana::menubar
