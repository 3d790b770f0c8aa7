#include "menubar/display_item.h"

#include "foundation/config_store.h"

namespace kestrana::menubar {

DisplaySource::DisplaySource(BrightnessWorker& worker, std::vector<std::wstring> screens,
                             const foundation::ConfigStore& store, DisplayActions actions)
    : m_worker(worker), m_screens(std::move(screens)), m_store(store), m_actions(std::move(actions)) {}

std::wstring DisplaySource::Name() const { return m_store.LanguageText(L"findermenu", L"displayitem", L"Display"); }

StatusFace DisplaySource::Face() const {
    StatusFace face;
    face.glyph = Glyph::Sun;
    const auto screens = m_worker.Snapshot();
    face.level = !screens.empty() && screens.front().supported ? screens.front().percent : 100;
    return face;
}

std::wstring DisplaySource::ReaderValue() const {
    const auto screens = m_worker.Snapshot();
    if (screens.empty() || !screens.front().supported) return {};
    return std::to_wstring(screens.front().percent) + L"%";
}

gfx::Menu DisplaySource::Menu() {
    gfx::Menu menu;
    menu.push_back(gfx::MenuItem::Command(0, m_store.LanguageText(L"findermenu", L"brightness", L"Brightness"), false, false));
    const auto screens = m_worker.Snapshot();
    bool any = false;
    for (std::size_t i = 0; i < screens.size() && i < m_screens.size(); ++i) {
        if (!screens[i].supported) continue;
        const int id = display_command::kSliderFirst + static_cast<int>(i);
        if (id > display_command::kSliderLast) break;
        if (m_screens.size() > 1) menu.push_back(gfx::MenuItem::Command(0, m_screens[i], false, false));
        menu.push_back(gfx::MenuItem::Slider(id, screens[i].percent, m_screens[i]));
        any = true;
    }
    if (!any) {
        // Still looking, or no screen here takes brightness.
        const std::wstring tip = m_worker.Ready()
                                     ? m_store.LanguageText(L"promptwindow", L"brightnesstip",
                                                            L"This screen does not let its brightness be set here.")
                                     : std::wstring(L"\u2026");
        menu.push_back(gfx::MenuItem::Command(0, tip, false, false));
    }
    menu.push_back(gfx::MenuItem::Rule());
    menu.push_back(gfx::MenuItem::Command(display_command::kProjection,
                                          m_store.LanguageText(L"findermenu", L"screen projection", L"Screen Projection")));
    menu.push_back(gfx::MenuItem::Command(display_command::kSystemDark,
                                          m_store.LanguageText(L"findermenu", L"systemdark", L"Dark Mode"),
                                          m_actions.systemDark && m_actions.systemDark()));
    menu.push_back(gfx::MenuItem::Command(display_command::kNightLight,
                                          m_store.LanguageText(L"findermenu", L"bluelight", L"Night Light")));
    menu.push_back(gfx::MenuItem::Rule());
    menu.push_back(gfx::MenuItem::Command(display_command::kDisplaySettings,
                                          m_store.LanguageText(L"findermenu", L"displayset", L"Display Settings")));
    return menu;
}

void DisplaySource::Choose(int id) {
    switch (id) {
    case display_command::kProjection:
        if (m_actions.project) m_actions.project();
        return;
    case display_command::kSystemDark:
        if (m_actions.setSystemDark) m_actions.setSystemDark(!(m_actions.systemDark && m_actions.systemDark()));
        return;
    case display_command::kNightLight:
        if (m_actions.open) m_actions.open(L"ms-settings:nightlight");
        return;
    case display_command::kDisplaySettings:
        if (m_actions.open) m_actions.open(L"ms-settings:display");
        return;
    default: return;
    }
}

int DisplaySource::Slide(int id, int value) {
    if (id < display_command::kSliderFirst || id > display_command::kSliderLast) return value;
    const auto screen = static_cast<std::size_t>(id - display_command::kSliderFirst);
    if (screen >= m_screens.size()) return value;
    // Handed over at once; the monitor follows on the worker.
    m_worker.Request(screen, value);
    return value;
}

} // namespace kestrana::menubar
