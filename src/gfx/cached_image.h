#pragma once
// A source picture prepared for drawing at many sizes: half-size levels are built once so
// a shrink never reads more than twice the pixels it writes, and scaled copies are kept
// for sizes that come back frame after frame (resting icons). A size seen only once (a
// magnified icon in motion) is drawn straight into the target without being kept, and a
// kept copy not drawn for a while (the sizes of a magnification that has ended) is let go.
// One thread at a time: each bar owns its images.

#include "gfx/bitmap.h"
#include "gfx/resample.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace kestrana::gfx {

class CachedImage {
public:
    CachedImage() = default;
    explicit CachedImage(Bitmap source, int cacheSlots = 3);
    // Shares a picture that is kept elsewhere anyway (an item's or an entry's icon) instead
    // of holding a second copy of it.
    explicit CachedImage(std::shared_ptr<const Bitmap> source, int cacheSlots = 3);
    // A nine-grid picture (a bar background): drawn with these insets at any size.
    CachedImage(Bitmap source, const Insets& nineGrid, int cacheSlots = 1);

    CachedImage(CachedImage&&) noexcept = default;
    CachedImage& operator=(CachedImage&&) noexcept = default;

    [[nodiscard]] const Bitmap& Source() const;
    [[nodiscard]] int Width() const { return Source().Width(); }
    [[nodiscard]] int Height() const { return Source().Height(); }
    [[nodiscard]] bool Empty() const { return Source().Empty(); }

    // Draws the picture filling `dest` (target coordinates), clipped, with an opacity.
    void Draw(Bitmap& target, const RectF& dest, const RectI& clip, float opacity,
              BlendMode mode = BlendMode::Over);

    // How many scaled copies are kept right now, and how many draws were served from them.
    [[nodiscard]] int CachedCopies() const;
    [[nodiscard]] std::uint64_t Hits() const { return m_hits; }
    // Memory held beside the source: the half-size levels and the kept copies.
    [[nodiscard]] std::size_t HeldBytes() const;

    // A kept copy not used in this many draws of the picture is released.
    static constexpr std::uint64_t kStaleDraws = 32;

    // Drops the scaled copies (the levels stay).
    void Trim();

private:
    struct Key {
        float width = 0, height = 0; // exact sizes: a resting icon repeats them bit for bit
        float fracX = 0, fracY = 0;
        bool operator==(const Key&) const = default;
    };
    struct Entry {
        Key key;
        Bitmap pixels;
        std::uint64_t lastUse = 0;
        std::uint32_t uses = 0;
        bool valid = false;
    };

    // The smallest level still at least as large as the drawing (so the last step shrinks by < 2).
    const Bitmap& LevelFor(float destWidth, float destHeight);
    // Plans for drawing into target pixels [x0, x1) x [y0, y1); returns the level to read.
    const Bitmap& Plan(const RectF& dest, const RectI& area, float gain);

    std::shared_ptr<const Bitmap> m_source; // never changed while shared
    std::optional<Insets> m_nineGrid;
    std::vector<Bitmap> m_levels; // m_levels[0] is half size
    std::vector<Entry> m_entries;
    Key m_lastMiss{};
    bool m_hasLastMiss = false;
    std::uint64_t m_clock = 0;
    std::uint64_t m_hits = 0;
    AxisPlan m_xs, m_ys;
};

} // namespace kestrana::gfx
