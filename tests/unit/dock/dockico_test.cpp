// The item record's ids and the item vector with its placeholders.
#include "dock/dockico.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace kestrana::dock {
namespace {

TEST(DockicoIds, UniqueAcrossThreadsAndNeverReserved) {
    constexpr int kThreads = 4, kEach = 5000;
    std::vector<std::int32_t> ids(kThreads * kEach);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) ids[t * kEach + i] = NewItemId();
        });
    for (auto& th : threads) th.join();
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
    EXPECT_FALSE(std::binary_search(ids.begin(), ids.end(), kNoItemId));
    EXPECT_FALSE(std::binary_search(ids.begin(), ids.end(), kDragGapItemId));

    const auto separator = MakeDockico(true);
    EXPECT_TRUE(separator->IsSeparator());
    EXPECT_FLOAT_EQ(separator->sizeFactor, 0.5f);
    EXPECT_TRUE(separator->kept);
}

std::vector<std::int32_t> RealIds(const DockItems& items) {
    std::vector<std::int32_t> ids;
    items.ForEachReal([&](std::size_t, const Dockico& item) { ids.push_back(item.id); });
    return ids;
}

TEST(DockItemsRow, PlaceholdersFrameTheRealItems) {
    DockItems items;
    ASSERT_EQ(items.Size(), 6u);
    EXPECT_TRUE(items.Empty());
    for (std::size_t i = 0; i < items.Size(); ++i) {
        EXPECT_TRUE(items[i].kept);
        EXPECT_FLOAT_EQ(items[i].sizeFactor, 1.0f);
        EXPECT_TRUE(items[i].appname.empty());
        EXPECT_EQ(items[i].id, kNoItemId); // never saved, never matched
    }
    EXPECT_FALSE(DockItems::HasItemRange(4));
    EXPECT_TRUE(DockItems::HasItemRange(5));

    const std::int32_t a = items[items.Append(MakeDockico())].id;
    const std::int32_t c = items[items.Append(MakeDockico())].id;
    // Inserting at a placeholder's index lands at the nearest end of the real range.
    const std::int32_t first = items[items.Insert(0, MakeDockico())].id;
    const std::int32_t last = items[items.Insert(99, MakeDockico(true))].id;
    const std::int32_t b = items[items.Insert(5, MakeDockico())].id;
    EXPECT_EQ(RealIds(items), (std::vector<std::int32_t>{first, a, b, c, last}));
    EXPECT_FLOAT_EQ(items.FactorSum(), 4.5f);
    EXPECT_EQ(items.IndexOfId(c), 6u);
    EXPECT_EQ(items.IndexOfId(kNoItemId), 0u);

    EXPECT_EQ(items.Take(2), nullptr);
    EXPECT_EQ(items.Take(items.EndReal()), nullptr);
    EXPECT_TRUE(items.Move(3, 6));
    EXPECT_EQ(RealIds(items), (std::vector<std::int32_t>{a, b, c, first, last}));
    EXPECT_TRUE(items.Move(7, 3));
    EXPECT_EQ(RealIds(items), (std::vector<std::int32_t>{last, a, b, c, first}));
    EXPECT_FALSE(items.Move(2, 4));
    EXPECT_EQ(items.Take(4)->id, a);
    EXPECT_EQ(items.Size(), 10u);
    EXPECT_EQ(items.RealCount(), 4u);
}

} // namespace
} // namespace kestrana::dock
