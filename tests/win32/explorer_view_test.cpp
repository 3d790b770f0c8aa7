// File Explorer's view as the menu bar hears of it: the worker's answer survives its trip
// through a message parameter.
#include "menubar/win32/explorer_view.h"

#include <gtest/gtest.h>

namespace {

using kestrana::menubar::ArrangeColumn;
using kestrana::menubar::Arrangement;
namespace menubar = kestrana::menubar::win32;

TEST(ExplorerView, ArrangementSurvivesTheMessageAndNoAnswerStaysNone) {
    const ArrangeColumn columns[] = {ArrangeColumn::None, ArrangeColumn::Name, ArrangeColumn::Modified,
                                     ArrangeColumn::Type, ArrangeColumn::Size};
    for (ArrangeColumn sort : columns)
        for (ArrangeColumn group : columns)
            for (bool descending : {false, true}) {
                const Arrangement arrangement{sort, descending, group};
                EXPECT_EQ(menubar::UnpackArrangement(menubar::PackArrangement(arrangement)), arrangement);
            }
    EXPECT_FALSE(menubar::UnpackArrangement(menubar::PackArrangement(std::nullopt)));
    // Bits no column stands for read as a column the menus do not offer.
    EXPECT_EQ(menubar::UnpackArrangement(1 | (7 << 1) | (6 << 5)), (Arrangement{ArrangeColumn::None, false, ArrangeColumn::None}));
}

} // namespace
