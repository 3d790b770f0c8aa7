#pragma once
// The Launchpad's small input rules: which wheel messages turn a page, what Escape does,
// how the keyboard moves the selection, how many dropped files may be added at once, and
// the three show and hide animations.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kestrana::launchers {

inline constexpr int kWheelNotch = 120;

enum class PageTurn { None, Next, Previous };

// A vertical notch (exactly one, no button or key held) or a horizontal move of more than
// a notch turns one page. Towards the user and to the right go to the next page.
[[nodiscard]] PageTurn WheelPageTurn(int delta, bool horizontal, bool buttonsOrKeysHeld);

enum class EscapeStep { ClearSearch, CloseGroup, Hide };
[[nodiscard]] EscapeStep EscapeAction(bool hasSearchText, bool groupOpen);

enum class SelectionKey { Left, Right, Up, Down, Tab, BackTab };
// The selection (an index into `count` icons shown `columns` to a row) after a key; -1
// (nothing selected yet) starts at the first icon. Arrows stop at the edges, Tab wraps.
[[nodiscard]] int MoveSelection(int current, SelectionKey key, int count, int columns);

inline constexpr std::size_t kMaxDroppedFiles = 70;
[[nodiscard]] constexpr bool DropFits(std::size_t files) { return files > 0 && files <= kMaxDroppedFiles; }

// What a drop onto the Launchpad adds: each file as a shortcut in the pinned folder,
// named after the file (a dropped shortcut is copied as it is). Names already taken, by
// the folder or by another file of the same drop, get " (2)", " (3)", ...
struct PinnedAddition {
    std::wstring source;
    std::wstring shortcutName; // "Name.lnk"
    bool copy = false;         // the file is a shortcut itself
};
// Nothing when the drop holds too many files (or none): then nothing is added at all.
[[nodiscard]] std::optional<std::vector<PinnedAddition>> PlanDrop(const std::vector<std::wstring>& files,
                                                                  const std::vector<std::wstring>& takenNames);

// One frame of a show or hide animation: the whole window's opacity, the grid's zoom about
// the screen's centre and its shift down as a share of the screen's height.
struct EffectFrame {
    float opacity = 1.0f;
    float zoom = 1.0f;
    float shiftY = 0.0f;
};
// Effect 0 fades and zooms the grid in from a little larger, 1 slides it down from above
// while fading, 2 only fades. Hiding plays the same backwards. Unknown effects play as 0.
[[nodiscard]] int EffectDurationMs(int effect);
// `elapsedMs` since the animation began; at or past the duration the end state.
[[nodiscard]] EffectFrame EffectAt(int effect, bool showing, int elapsedMs);
// The effect the user chose ("normal"/"padeffect"), for the requests that name none;
// a value that is no effect counts as 0.
[[nodiscard]] constexpr int ConfiguredEffect(int stored) { return stored >= 0 && stored <= 2 ? stored : 0; }

// How the backdrop's small copy of the screen is taken: the whole screen shrunk in one
// copy, or only the rows the small copy keeps, one copy each. Which is quicker depends on
// the system (one large read from the screen can cost more than many small ones, or each
// read a fixed toll), so both are timed as they are used and the quicker one is kept; a
// way that fails is not tried again.
enum class ScreenCopy { Whole, Rows };
class ScreenCopyChoice {
public:
    [[nodiscard]] ScreenCopy Next() const;
    void Took(ScreenCopy way, double milliseconds);
    void Failed(ScreenCopy way);

private:
    std::optional<double> m_whole, m_rows;
    bool m_wholeFails = false, m_rowsFail = false;
};

// Eases a page slide: position 0 at the start, 1 at `durationMs`.
[[nodiscard]] float SlideProgress(int elapsedMs, int durationMs);

} // namespace kestrana::launchers
