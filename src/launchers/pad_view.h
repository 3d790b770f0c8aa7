#pragma once
// What the Launchpad shows and how it answers the pointer and the keyboard, without any
// window: the current page and its slide, the search text and its hits, the keyboard
// selection, the open group, the group being renamed and the drag of an icon. It edits
// the catalogue's pages directly and tells its host what is left to do (launch, hide,
// save, rename). Time comes in as milliseconds, so every animation is testable.

#include "launchers/launchpad_entry.h"
#include "launchers/pad_geometry.h"
#include "launchers/pad_rules.h"
#include "launchers/pad_search.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrana::launchers {

struct PadPoint {
    int x = 0, y = 0;
};

// One icon as it is shown: where it lives in the catalogue and the cell it takes.
struct PadTile {
    EntryPlace place;
    int cell = 0;
    const LaunchpadEntry* entry = nullptr; // a plain entry or a group member
    const LaunchpadGroup* group = nullptr; // a group on a page
};

enum class PadKey { Escape, Enter, Left, Right, Up, Down, Tab, BackTab, Backspace };

struct PadCommand {
    enum class Kind {
        None,
        Launch,      // start `place` and hide
        Hide,        // hide with the current effect
        Save,        // the pages changed: save the catalogue
        RenameGroup, // the group at `place` takes `text` as its name (then save)
        Rename,      // the entry at `place` takes `text` as its name (then save)
        Delete,      // the user confirmed: remove the entry at `place` (then save)
    };
    Kind kind = Kind::None;
    EntryPlace place{};
    std::wstring text{};
};

// The boxes of the prompt over the view (a notice or a question), on the monitor. A
// notice has only its `confirm` button; `cancel` is then empty.
struct PadPromptBoxes {
    gfx::RectI panel, icon, text, confirm, cancel;
};

// The drag of an icon: pressed, then dragged once the pointer moved far enough. Pressing
// empty space and moving sideways drags the pages themselves.
enum class DragState { None, Pressing, Dragging, Swiping };

class PadView {
public:
    static constexpr int kSlideMs = 300;
    static constexpr int kEdgeTurnMs = 600;  // a dragged icon held at the screen's (or group's) side turns the page
    static constexpr int kGroupRows = 3;     // an open group shows 3 rows of 7 per page
    static constexpr int kReflowMs = 250;    // a dragged icon rests this long before its neighbours make room

    explicit PadView(std::vector<LaunchpadPage>& pages) : m_pages(pages) {}

    void SetGeometry(const PadGeometry& geometry) { m_geometry = geometry; }
    [[nodiscard]] const PadGeometry& Geometry() const { return m_geometry; }
    // The catalogue was loaded again or icons arrived: keeps the page in range.
    void PagesChanged();
    // Back to the first page, no search, no group, no drag (before showing again).
    void Reset();

    [[nodiscard]] std::size_t PageCount() const { return m_pages.size(); }
    [[nodiscard]] std::size_t Page() const { return m_page; }
    // The page shown, between two while a slide runs or a finger drags the pages.
    [[nodiscard]] float PagePosition(std::int64_t nowMs) const;
    [[nodiscard]] bool Animating(std::int64_t nowMs) const;
    void GoToPage(std::size_t page, std::int64_t nowMs);

    [[nodiscard]] const std::wstring& SearchText() const { return m_search; }
    [[nodiscard]] const std::wstring& Composition() const { return m_composition; }
    [[nodiscard]] bool Searching() const { return !m_search.empty(); }
    [[nodiscard]] const std::vector<SearchHit>& Hits() const { return m_hits; }
    // The hits are shown 35 to a page, as the catalogue's own pages; the wheel, the page
    // dots and the keyboard turn them.
    [[nodiscard]] std::size_t ResultPage() const { return m_resultPage; }
    [[nodiscard]] std::size_t ResultPageCount() const;
    [[nodiscard]] int Selection() const { return m_selection; }

    [[nodiscard]] std::optional<EntryPlace> OpenGroup() const { return m_group; }
    [[nodiscard]] const LaunchpadGroup* OpenGroupData() const;
    [[nodiscard]] std::size_t GroupPage() const { return m_groupPage; }
    [[nodiscard]] std::size_t GroupPageCount() const;
    [[nodiscard]] bool Renaming() const { return m_renaming; }
    // The entry whose name is being edited under its icon (not a group's).
    [[nodiscard]] std::optional<EntryPlace> RenamedEntry() const;
    [[nodiscard]] const std::wstring& RenameText() const { return m_renameText; }

    [[nodiscard]] DragState Drag() const { return m_drag; }
    // The dragged icon and where the pointer holds it.
    [[nodiscard]] std::optional<PadTile> DraggedTile() const;
    [[nodiscard]] PadPoint Pointer() const { return m_pointer; }
    // Whether the drag would now make a group with the icon under the pointer.
    [[nodiscard]] std::optional<EntryPlace> CombineTarget() const;

    // The icons of a page as they stand (the dragged one left out, room made where it
    // would land), of the search hits, or of the open group's page.
    [[nodiscard]] std::vector<PadTile> PageTiles(std::size_t page) const;
    [[nodiscard]] std::vector<PadTile> ResultTiles() const;
    [[nodiscard]] std::vector<PadTile> GroupTiles() const;
    // The tiles the keyboard moves through now.
    [[nodiscard]] std::vector<PadTile> SelectableTiles() const;

    // The open group's panel and its cells and title, on the monitor.
    [[nodiscard]] gfx::RectI GroupPanel() const;
    [[nodiscard]] gfx::RectI GroupCell(int index) const;
    [[nodiscard]] gfx::RectI GroupTitle() const;
    // The centre of page dot `index` of `count`.
    [[nodiscard]] PadPoint DotCentre(std::size_t index, std::size_t count) const;

    // True when the view changed.
    bool Wheel(int delta, bool horizontal, bool buttonsOrKeysHeld, std::int64_t nowMs);
    PadCommand Key(PadKey key, std::int64_t nowMs);
    // Typed text (a character, or an input method's result) goes to the search or the
    // new group name; control characters are ignored.
    bool Type(std::wstring_view text);
    // The input method's text still being composed (shown, not yet searched).
    void Compose(std::wstring text) { m_composition = std::move(text); }

    void Press(PadPoint at, std::int64_t nowMs);
    // True when the view changed.
    bool Move(PadPoint at, std::int64_t nowMs);
    PadCommand Release(PadPoint at, std::int64_t nowMs);
    // The button went away without a release (capture lost): the drag is dropped unmade.
    void CancelPress();
    // Timed work (turning the page under a dragged icon held at the side); true when the
    // view changed.
    bool Tick(std::int64_t nowMs);

    // Starts renaming the group at `place` (as after making it).
    void BeginRename(const EntryPlace& place);
    // Starts renaming the entry at `place` in place, under its icon (from its menu).
    // Enter or a click commits it as a Rename command; Escape keeps the old name.
    void BeginRenameEntry(const EntryPlace& place);

    // The entry for a right-button click at `at`, if any.
    [[nodiscard]] std::optional<EntryPlace> EntryAt(PadPoint at) const;

    // A message over the view (too many files dropped). While it is up a click anywhere,
    // Enter or Escape only dismiss it.
    void ShowNotice(std::wstring text);
    // Asks whether the entry at `place` is to be removed, with `text` as the question.
    // Enter or the confirm button answer with a Delete command (when the entry is still
    // there); Escape, the cancel button or a click beside the prompt keep it.
    void AskDelete(const EntryPlace& place, std::wstring text);
    // The text of the notice or question shown; empty when none is up.
    [[nodiscard]] const std::wstring& Notice() const { return m_notice; }
    [[nodiscard]] bool Confirming() const { return m_confirm.has_value(); }
    [[nodiscard]] PadPromptBoxes PromptBoxes() const;

private:
    struct Hit {
        enum class Kind { Nothing, Tile, Dot, SearchBox, GroupPanel, GroupTitle } kind = Kind::Nothing;
        PadTile tile{};
        std::size_t dot = 0;
    };
    [[nodiscard]] Hit HitTest(PadPoint at) const;
    [[nodiscard]] int CellUnder(PadPoint at) const;
    [[nodiscard]] int GroupCellUnder(PadPoint at) const;
    [[nodiscard]] bool DraggingOpenGroupMember() const;
    void SetSearch(std::wstring text);
    void TurnPage(int direction, std::int64_t nowMs);
    // True when there was a page of hits that way.
    bool TurnResultPage(int direction);
    void CloseGroup();
    PadCommand Activate(const PadTile& tile);
    PadCommand Drop(std::int64_t nowMs);
    void UpdateDropTarget(std::int64_t nowMs);
    PadCommand CommitRename();
    PadCommand AnswerPrompt(bool confirmed);
    [[nodiscard]] bool AtGroupSide(PadPoint at) const;

    std::vector<LaunchpadPage>& m_pages;
    PadGeometry m_geometry;

    std::size_t m_page = 0;
    float m_slideFrom = 0.0f;
    std::int64_t m_slideStart = 0;
    bool m_sliding = false;
    int m_swipeOffset = 0; // pixels the finger moved the pages

    std::wstring m_search;
    std::wstring m_composition;
    std::vector<SearchHit> m_hits;
    std::size_t m_resultPage = 0;
    int m_selection = -1;

    std::optional<EntryPlace> m_group;
    std::size_t m_groupPage = 0;
    bool m_renaming = false;
    EntryPlace m_renamePlace{};
    std::wstring m_renameText;
    bool m_renameFresh = false; // the name is still as it was: typing replaces it
    bool m_renameEntry = false; // the name edited is an entry's, not the open group's
    std::wstring m_renamePath;  // the entry's, in case the catalogue is loaded again meanwhile

    DragState m_drag = DragState::None;
    PadPoint m_pressAt{};
    PadPoint m_pointer{};
    std::optional<PadTile> m_pressed;
    bool m_pressedDot = false;
    std::size_t m_pressedDotIndex = 0;
    // Where the dragged icon would land: a cell of the current page, or onto an icon.
    int m_dropCell = -1;
    std::optional<EntryPlace> m_combine;
    // The cell the pointer rests in, and since when: the room moves there after a pause,
    // so passing over a neighbour on the way to another icon does not push it away.
    int m_pendingCell = -1;
    std::int64_t m_pendingSince = 0;
    std::int64_t m_edgeSince = -1;
    // Where a member dragged inside its open group would land, as a cell of the group's page.
    int m_groupDropCell = -1;

    std::wstring m_notice;
    bool m_noticePressed = false;
    PadPoint m_noticePressAt{};
    // The entry the question asks about, and its path: the catalogue may be loaded again
    // while the question is up, and then another entry could stand in its place.
    std::optional<EntryPlace> m_confirm;
    std::wstring m_confirmPath;
};

} // namespace kestrana::launchers
