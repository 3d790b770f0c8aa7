// The magnification pass: hand-worked rows, then invariants swept over pointer positions.
#include "dock/magnification.h"

#include "dock/dock_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <thread>
#include <vector>

namespace kestrana::dock {
namespace {

// A row of icons (1), separators (0.5) and gaps (0), laid out at rest.
DockItems MakeRow(std::initializer_list<float> factors, float size, int spacing) {
    DockItems items;
    for (float f : factors) {
        auto item = MakeDockico(f == kSeparatorFactor);
        item->sizeFactor = f;
        items.Append(std::move(item));
    }
    PlaceAtRest(items, size, spacing);
    return items;
}

DockItems Icons(int count, float size, int spacing) {
    DockItems items;
    for (int i = 0; i < count; ++i) items.Append(MakeDockico());
    PlaceAtRest(items, size, spacing);
    return items;
}

MagnifyInput Input(float size, int spacing, float a, float p, int window = 2000) {
    return {size, a, RadiusFor(size, spacing), spacing, p, window, false};
}

std::vector<float> Sizes(const DockItems& items) {
    std::vector<float> out;
    items.ForEachReal([&](std::size_t, const Dockico& item) { out.push_back(item.size); });
    return out;
}

constexpr float kTol = 1e-3f;

TEST(MagnificationByHand, BulgeMidRowCorrectedWhereItEnds) {
    // S 40, spacing 0, R = 133.6, A 20 (r 0.5), pointer on the centre of icon 4 (p 180).
    // Growth of an icon at distance d: 20 sin(1.57 (R - d) / R):
    //   d 0 -> 20.0000, 40 -> 17.8236, 80 -> 11.7810, 120 -> 3.1828; d 160 is out of range.
    // G over icons 1..7 = 85.5748; icon 8 (vector index 11) ends the bulge, so
    // h = (4.234 x 20 - 85.5748) / 2 = -0.4474 goes to icons 6 and 7.
    DockItems items = Icons(12, 40, 0);
    MagnificationLayout layout;
    const MagnifyResult r = layout.LayOut(items, Input(40, 0, 20, 180));
    const float expected[] = {40, 43.1828f, 51.7810f, 57.8236f, 60.0000f, 57.8236f, 51.3336f, 42.7354f, 40, 40, 40, 40};
    const std::vector<float> sizes = Sizes(items);
    for (std::size_t i = 0; i < sizes.size(); ++i) EXPECT_NEAR(sizes[i], expected[i], kTol) << "icon " << i;
    EXPECT_NEAR(items[3 + 7].position, 361.9446f, kTol); // 362.3920 moved by h
    EXPECT_NEAR(items[3 + 8].position, 404.6800f, kTol); // moved by 2h: 480 + 84.68 - 4 x 40
    EXPECT_EQ(r.rowLength, 565);                         // floor(480 + 84.68 + 0.5)
    EXPECT_NEAR(items[3 + 6].growth, 11.7810f - 0.4474f, kTol);
}

TEST(MagnificationByHand, BulgeRunningOffTheEndFillsTheLastTwo) {
    // Four icons, pointer on the last (p 140): all in range, G = 52.7874,
    // h = (84.68 - 52.7874) / 2 = 15.9463 to the last two; the last also moves by h.
    DockItems items = Icons(4, 40, 0);
    MagnificationLayout layout;
    const MagnifyResult r = layout.LayOut(items, Input(40, 0, 20, 140));
    const float expected[] = {43.1828f, 51.7810f, 73.7699f, 75.9463f};
    const std::vector<float> sizes = Sizes(items);
    for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(sizes[i], expected[i], kTol) << "icon " << i;
    EXPECT_NEAR(items[6].position, 168.7337f, kTol); // 94.9638 + 57.8236 + h
    EXPECT_EQ(r.rowLength, 245);                     // floor(160 + 84.68 + 0.5)
}

TEST(MagnificationByHand, SeparatorUnderThePointer) {
    // S 40, spacing 10, R = 167, A 20, pointer on the separator's centre (p 60).
    // Icon 0 at d 40: 58.5966; separator at d 0: 20 x 1.5 = 30; icon 2 at d 35: 58.9219.
    // G = 47.5185, h = (84.68 - 47.5185) / 2 = 18.5807 to the separator and the last icon.
    DockItems items = MakeRow({1, 0.5f, 1}, 40, 10);
    MagnificationLayout layout;
    const MagnifyResult r = layout.LayOut(items, Input(40, 10, 20, 60));
    EXPECT_NEAR(items[3].size, 58.5966f, kTol);
    EXPECT_NEAR(items[4].size, 48.5807f, kTol);
    EXPECT_NEAR(items[4].growth, 10 + 18.5807f, kTol); // a separator's growth is size - S/2
    EXPECT_NEAR(items[5].size, 77.5026f, kTol);
    EXPECT_NEAR(items[5].position, 122.1774f, kTol); // 68.5966 + 30 + 5 + h
    EXPECT_EQ(r.rowLength, 200);                     // floor(115 + 84.68 + 0.5)
}

TEST(MagnificationByHand, NoCorrectionBeforeTheSixthEntry) {
    // Pointer 60 px before the row: icons 0 and 1 (d 80, 120) grow by 11.7810 and
    // 3.1828; icon 2 (vector index 5) ends the bulge too early to take a correction.
    DockItems items = Icons(8, 40, 0);
    MagnificationLayout layout;
    const MagnifyResult r = layout.LayOut(items, Input(40, 0, 20, -60));
    EXPECT_NEAR(items[3].size, 51.7810f, kTol);
    EXPECT_NEAR(items[4].size, 43.1828f, kTol);
    EXPECT_EQ(r.rowLength, 335); // floor(320 + 14.9638 + 0.5)
}

struct RowCase {
    const char* name;
    std::vector<float> factors;
    float size;
    int spacing;
};

class MagnificationSweep : public ::testing::TestWithParam<RowCase> {
protected:
    DockItems Row() const {
        DockItems items;
        for (float f : GetParam().factors) {
            auto item = MakeDockico(f == kSeparatorFactor);
            item->sizeFactor = f;
            items.Append(std::move(item));
        }
        return items;
    }
};

TEST_P(MagnificationSweep, RowGrowsByExactlyItsShareOfA) {
    const RowCase& c = GetParam();
    DockItems items = Row();
    const int rest = PlaceAtRest(items, c.size, c.spacing);
    MagnificationLayout layout;
    for (float a : {5.0f, 24.0f, 64.0f}) {
        for (float p = 0; p < static_cast<float>(rest); p += 3.7f) {
            const MagnifyResult r = layout.LayOut(items, Input(c.size, c.spacing, a, p));
            const float exact = items[items.EndReal() - 1].position + items[items.EndReal() - 1].size;
            EXPECT_NEAR(exact, static_cast<float>(rest) + kRowGrowthPerMagnification * a, 0.6f) << "A " << a << " p " << p;
            EXPECT_LE(std::abs(r.rowLength - (rest + kRowGrowthPerMagnification * a)), 1.01f);
            // Entries follow each other: start + size + f x spacing.
            for (std::size_t i = DockItems::kFirstReal + 1; i < items.EndReal(); ++i) {
                const Dockico& prev = items[i - 1];
                EXPECT_NEAR(items[i].position, prev.position + prev.size + prev.sizeFactor * c.spacing, 0.01f);
            }
        }
    }
}

TEST_P(MagnificationSweep, SizesRiseWithAAndSeparatorsRestAtHalfWidth) {
    const RowCase& c = GetParam();
    DockItems items = Row();
    const int rest = PlaceAtRest(items, c.size, c.spacing);
    MagnificationLayout layout;
    for (float p = -50; p < static_cast<float>(rest) + 50; p += 11.3f) {
        layout.LayOut(items, Input(c.size, c.spacing, 0, p));
        items.ForEachReal([&](std::size_t, const Dockico& item) {
            EXPECT_FLOAT_EQ(item.size, c.size * item.sizeFactor);
            EXPECT_FLOAT_EQ(item.position, item.restStart);
        });
        std::vector<float> previous = Sizes(items);
        for (float a = 2; a <= 80; a += 2) {
            layout.LayOut(items, Input(c.size, c.spacing, a, p));
            const std::vector<float> sizes = Sizes(items);
            for (std::size_t i = 0; i < sizes.size(); ++i) EXPECT_GE(sizes[i], previous[i] - 1e-3f) << "p " << p;
            previous = sizes;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, MagnificationSweep,
                         ::testing::Values(RowCase{"icons", std::vector<float>(20, 1.0f), 48, 4},
                                           RowCase{"mixed", {1, 1, 1, 0.5f, 1, 1, 1, 1, 0.5f, 1, 1, 1, 1, 1}, 64, 0},
                                           RowCase{"small", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 25, 20}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MagnificationInvariants, BulgeIsSymmetricAroundThePointerAndKeepsItInPlace) {
    constexpr float s = 48;
    constexpr int spacing = 4;
    constexpr int window = 1600;
    DockItems items = Icons(21, s, spacing);
    const int rest = PlaceAtRest(items, s, spacing);
    const float restOffset = static_cast<float>(RowOffsetFor(window, rest));
    MagnificationLayout layout;
    for (float a : {10.0f, 40.0f, 80.0f}) {
        for (std::size_t k = 8; k <= 12; ++k) {
            // The pointer on icon k's centre, then halfway between icons k and k+1.
            for (const bool between : {false, true}) {
                const float p = items[3 + k].restStart + (between ? s + spacing / 2.0f : s / 2);
                const MagnifyResult r = layout.LayOut(items, Input(s, spacing, a, p, window));
                const std::vector<float> sz = Sizes(items);
                const std::size_t left = k, right = between ? k + 1 : k;
                // The left side is never corrected: it shows how far the bulge reaches.
                std::size_t reach = 0;
                while (sz[left - reach - 1] > s + 1e-4f) ++reach;
                // Mirrored pairs match, except the right side's last two magnified icons,
                // which both carry the same correction h.
                const float h = sz[right + reach] - sz[left - reach];
                for (std::size_t j = 0; j <= reach + 2; ++j) {
                    const float diff = sz[right + j] - sz[left - j];
                    EXPECT_NEAR(diff, j + 1 == reach || j == reach ? h : 0.0f, 1e-3f) << "pair " << j << " A " << a;
                }
                EXPECT_LE(std::abs(h), 0.03f * a);
                if (!between) {
                    // What lay under the pointer at rest is still under it.
                    const float shownCentre = r.rowOffset + items[3 + k].position + items[3 + k].size / 2;
                    EXPECT_NEAR(shownCentre, restOffset + p, std::abs(h) + 1.0f) << "k " << k << " A " << a;
                }
            }
        }
    }
}

TEST(MagnificationInvariants, PointerFarFromTheRowMagnifiesNothing) {
    DockItems items = Icons(10, 48, 4);
    const int rest = PlaceAtRest(items, 48, 4);
    MagnificationLayout layout;
    for (float p : {-400.0f, static_cast<float>(rest) + 400}) {
        const MagnifyResult r = layout.LayOut(items, Input(48, 4, 60, p));
        EXPECT_EQ(r.rowLength, rest);
        items.ForEachReal([](std::size_t, const Dockico& item) { EXPECT_FLOAT_EQ(item.size, 48); });
    }
}

TEST(MagnificationLayoutRuns, ReportsChangesDropIndexAndHits) {
    DockItems items = Icons(6, 40, 0);
    MagnificationLayout layout;
    EXPECT_EQ(layout.LayOut(items, Input(40, 0, 10, 100)).outcome, LayoutOutcome::Changed);
    // Same A and length: only a redraw, even though the bulge moved.
    EXPECT_EQ(layout.LayOut(items, Input(40, 0, 10, 110)).outcome, LayoutOutcome::RedrawOnly);
    EXPECT_EQ(layout.LayOut(items, Input(40, 0, 12, 110)).outcome, LayoutOutcome::Changed);
    layout.Invalidate();
    EXPECT_EQ(layout.LayOut(items, Input(40, 0, 12, 110)).outcome, LayoutOutcome::Changed);

    MagnifyInput drag = Input(40, 0, 0, 85);
    drag.dragging = true;
    EXPECT_EQ(layout.LayOut(items, drag).dropIndex, 6u); // icon 3 (index 6) starts at 120 > 85
    drag.pointer = 500;
    EXPECT_EQ(layout.LayOut(items, drag).dropIndex, items.EndReal());
    EXPECT_EQ(layout.LayOut(items, Input(40, 0, 0, 85)).dropIndex, 0u);

    EXPECT_EQ(ItemAt(items, 85), 5u);
    EXPECT_EQ(ItemAt(items, -1), 0u);
    EXPECT_EQ(ItemAt(items, 240), 0u);
}

TEST(MagnificationLayoutRuns, OutdatedPassesGiveUpWithoutTouchingTheRow) {
    DockItems items = Icons(6, 40, 0);
    MagnificationLayout layout;
    const auto stale = layout.Begin(items);
    const auto fresh = layout.Begin(items);
    EXPECT_EQ(layout.Run(stale, items, Input(40, 0, 30, 100)).outcome, LayoutOutcome::Abandoned);
    EXPECT_FLOAT_EQ(items[5].size, 40);

    const auto beforeChange = layout.Begin(items);
    items.Append(MakeDockico());
    EXPECT_EQ(layout.Run(beforeChange, items, Input(40, 0, 30, 100)).outcome, LayoutOutcome::Abandoned);
    EXPECT_EQ(layout.Run(fresh, items, Input(40, 0, 30, 100)).outcome, LayoutOutcome::Abandoned);

    // Tickets taken on other threads all differ.
    std::vector<std::thread> threads;
    std::vector<std::uint64_t> seen(4 * 500);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i) seen[t * 500 + i] = layout.Begin(items).generation;
        });
    for (auto& th : threads) th.join();
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end());
}

} // namespace
} // namespace kestrana::dock
