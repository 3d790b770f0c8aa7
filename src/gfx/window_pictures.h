#pragma once
// Pictures of other programs' windows shown inside ours (the dock's previews, the stage
// manager's column): where each comes from, and how often captured ones are taken again
// where the window manager gives no live thumbnails.

#include "gfx/bitmap.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kestrana::gfx {

// The live thumbnail is asked for first; only a window the system refused one for is captured.
enum class PictureSource : std::uint8_t { Live, Captured };
[[nodiscard]] PictureSource ChoosePictureSource(bool liveThumbnailRegistered);

// Captured pictures are taken at most four times a second, one pass at a time; results
// of a pass begun for an earlier opening are dropped. A picture costs a copy of the
// window: the first pass of an opening takes every window, later ones one window each in
// turn. A window whose picture came back unchanged rests before it is taken again, so a
// row of still windows costs a picture every few seconds, not four a second.
class CaptureSchedule {
public:
    static constexpr std::int64_t kMinIntervalMs = 250;
    static constexpr std::int64_t kRestMs = 3000;

    // A new opening: the first pass is due at once and earlier passes no longer count.
    std::uint64_t Restart();
    // Whether a pass should start now; when it does, it is marked running.
    [[nodiscard]] bool StartIfDue(std::int64_t nowMs);
    // A pass of `generation` ended; false when its pictures belong to an earlier opening.
    bool Finished(std::uint64_t generation);
    void Stop();
    // Which of `windows` pictures the pass started at `nowMs` takes: every one on the
    // first pass, afterwards the next one in turn that is not resting (maybe none).
    [[nodiscard]] std::vector<std::size_t> Batch(std::size_t windows, std::int64_t nowMs = 0);
    // The same, where only the windows marked in `capturable` can be pictured now (the
    // others are minimised or hidden and keep what they had).
    [[nodiscard]] std::vector<std::size_t> Batch(const std::vector<bool>& capturable, std::int64_t nowMs);
    // Window `index`'s picture came back at `nowMs`; `changed` false when it is the one
    // already shown, which sends that window to rest.
    void Taken(std::size_t index, bool changed, std::int64_t nowMs);
    [[nodiscard]] std::uint64_t Generation() const { return m_generation; }
    [[nodiscard]] bool Running() const { return m_running; }
    [[nodiscard]] bool Active() const { return m_active; }

private:
    std::uint64_t m_generation = 0;
    std::optional<std::int64_t> m_lastStart;
    bool m_running = false;
    bool m_active = false;
    bool m_firstTaken = false;
    std::size_t m_next = 0;
    std::vector<std::int64_t> m_restUntil; // per window
};

// A cheap fingerprint of a picture, to tell whether a new capture shows anything new.
[[nodiscard]] std::uint64_t PictureFingerprint(const Bitmap& picture);

} // namespace kestrana::gfx
