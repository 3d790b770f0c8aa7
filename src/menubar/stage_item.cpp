#include "menubar/stage_item.h"

#include "foundation/config_store.h"

namespace kestrana::menubar {

std::wstring StageManagerSource::Name() const {
    return m_store.LanguageText(L"settingUI", L"item_stagemanager", L"Stage manager");
}

StatusFace StageManagerSource::Face() const {
    StatusFace face;
    face.glyph = Glyph::Stage;
    face.level = On() ? 100 : 0; // the glyph's column is filled while it is on
    return face;
}

gfx::Menu StageManagerSource::Menu() {
    gfx::Menu menu{gfx::MenuItem::Command(kToggleRow, Name(), On(), static_cast<bool>(m_stage.toggle))};
    const std::vector<std::wstring> column = m_stage.column ? m_stage.column() : std::vector<std::wstring>{};
    if (!column.empty()) menu.push_back(gfx::MenuItem::Rule());
    for (std::size_t i = 0; i < column.size(); ++i)
        menu.push_back(gfx::MenuItem::Command(kFirstWindowRow + static_cast<int>(i), column[i], false,
                                              static_cast<bool>(m_stage.choose)));
    return menu;
}

void StageManagerSource::Choose(int id) {
    if (id >= kFirstWindowRow) {
        if (m_stage.choose) m_stage.choose(static_cast<std::size_t>(id - kFirstWindowRow));
        return;
    }
    if (id != kToggleRow || !m_stage.toggle) return;
    m_stage.toggle();
    Changed();
}

std::wstring StageManagerSource::ReaderValue() const {
    return On() ? m_store.LanguageText(L"settingUI", L"stagemanager_on", L"On")
                : m_store.LanguageText(L"settingUI", L"stagemanager_off", L"Off");
}

} // namespace kestrana::menubar
