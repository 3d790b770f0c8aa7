#pragma once
// The menu bar's stage-manager item: a glyph that shows whether the stage manager is on
// for the screen under the pointer, and a menu that switches it and lists the windows of
// the columns, so that they can be chosen from the keyboard too.

#include "menubar/status_source.h"

#include <functional>
#include <string>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar {

struct StageSwitch {
    std::function<bool()> isOn;
    std::function<void()> toggle;
    // The titles of the windows in the columns, top to bottom (monitor after monitor),
    // and the choice of one of them by its place in that list.
    std::function<std::vector<std::wstring>()> column;
    std::function<void(std::size_t)> choose;
};

class StageManagerSource final : public StatusSource {
public:
    static constexpr int kToggleRow = 1;
    static constexpr int kFirstWindowRow = 100;

    StageManagerSource(StageSwitch stage, foundation::ConfigStore& store) : m_stage(std::move(stage)), m_store(store) {}

    [[nodiscard]] StatusKind Kind() const override { return StatusKind::StageManager; }
    [[nodiscard]] std::wstring Name() const override;
    [[nodiscard]] StatusFace Face() const override;
    [[nodiscard]] gfx::Menu Menu() override;
    void Choose(int id) override;
    [[nodiscard]] std::wstring ReaderValue() const override;

private:
    [[nodiscard]] bool On() const { return m_stage.isOn && m_stage.isOn(); }

    StageSwitch m_stage;
    foundation::ConfigStore& m_store;
};

} // namespace kestrana::menubar
