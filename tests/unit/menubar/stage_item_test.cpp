// The menu bar's stage-manager item: its face follows the switch, its menu switches it
// and lists the columns' windows, and a chosen row reaches the right one.
#include "menubar/stage_item.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

namespace kestrana::menubar {
namespace {

class StageItem : public ::testing::Test, protected fakes::SettingsFolder {
protected:
    bool on = false;
    int toggles = 0;
    std::vector<std::wstring> column;
    std::vector<std::size_t> chosen;
    StageManagerSource source{{[this] { return on; }, [this] {
                                   on = !on;
                                   ++toggles;
                               }, [this] { return column; },
                               [this](std::size_t i) { chosen.push_back(i); }},
                              store};
};

TEST_F(StageItem, SwitchesFromItsMenuAndListsTheColumnsWindows) {
    int changed = 0;
    source.OnChanged([&] { ++changed; });
    EXPECT_EQ(source.Kind(), StatusKind::StageManager);
    EXPECT_EQ(source.Face().level, 0);
    gfx::Menu menu = source.Menu();
    ASSERT_EQ(menu.size(), 1u); // nothing in a column: the switch alone
    EXPECT_FALSE(menu[0].checked);
    source.Choose(menu[0].id);
    EXPECT_TRUE(on);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(source.Face().level, 100);

    column = {L"Notes - Notepad", L"Report"};
    menu = source.Menu();
    ASSERT_EQ(menu.size(), 4u);
    EXPECT_TRUE(menu[0].checked);
    EXPECT_TRUE(menu[1].separator);
    EXPECT_EQ(menu[2].text, L"Notes - Notepad");
    EXPECT_EQ(menu[3].text, L"Report");
    source.Choose(menu[3].id);
    source.Choose(menu[2].id);
    EXPECT_EQ(chosen, (std::vector<std::size_t>{1, 0}));
    EXPECT_EQ(toggles, 1); // choosing a window does not switch
    source.Choose(0);      // no such row
    EXPECT_EQ(toggles, 1);
}

TEST(StageItemWithout, AnItemWithoutTheStageManagerOffersNothingToDo) {
    fakes::SettingsFolder folder;
    StageManagerSource source({}, folder.store);
    const gfx::Menu menu = source.Menu();
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_FALSE(menu[0].enabled);
    source.Choose(StageManagerSource::kToggleRow); // nothing to call: no fault
    source.Choose(StageManagerSource::kFirstWindowRow);
    EXPECT_EQ(source.Face().level, 0);
}

} // namespace
} // namespace kestrana::menubar
