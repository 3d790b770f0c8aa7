#pragma once
// What a screen reader is told about one of our surfaces: a snapshot of its elements
// (name, role, value, state, screen bounds, children, action, shortcut), built from the
// same state the surface draws from. Ids are stable for as long as the thing they name
// exists, so a client that holds an id across a rebuild either finds the same element
// again or learns that it is gone; it never reaches a dead object.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrana::foundation {

// 0 is the surface itself; every other element has an id above 0 that fits a signed
// 32-bit number (the platform's child ids are).
using AccessibleId = std::uint32_t;
inline constexpr AccessibleId kAccessibleRoot = 0;
inline constexpr AccessibleId kAccessibleMaxId = 0x7FFFFFFF;

enum class AccessibleRole : std::uint8_t {
    Window,      // the surface itself
    ToolBar,     // a row of buttons: the dock, the status row
    MenuBar,     // a row of menu titles
    PushButton,  // something that acts when pressed: a dock item, the logo
    MenuButton,  // a button whose action is a menu: a status item
    MenuItem,    // a menu title or a row of a pop-up menu
    PopupMenu,   // an open pop-up menu
    Separator,
    Clock,
    StaticText,  // text with no action: the active application's name
    Text,        // text the user types: the search field
    List,        // a page of entries
    ListItem,    // an entry
    Grouping,    // a group of entries
    PageTabList, // the pages of a paged surface
    PageTab,
};

// Flags; combine with |.
enum class AccessibleState : std::uint32_t {
    None = 0,
    Focusable = 1u << 0,
    Focused = 1u << 1,
    Selectable = 1u << 2,
    Selected = 1u << 3,
    Expanded = 1u << 4,   // its menu, group or stack is open
    Collapsed = 1u << 5,  // it has one and it is closed
    Pressed = 1u << 6,
    Unavailable = 1u << 7,
    Checked = 1u << 8,
    HasPopup = 1u << 9,   // its action opens a menu
    Invisible = 1u << 10, // part of the surface but not shown now (another page)
    Offscreen = 1u << 11,
    Attention = 1u << 12, // asks for the user's attention
    Running = 1u << 13,   // a program item with windows open
    Busy = 1u << 14,      // starting up
    SelectionRequired = 1u << 15, // a selection container that always has one selected
};

[[nodiscard]] constexpr AccessibleState operator|(AccessibleState a, AccessibleState b) {
    return static_cast<AccessibleState>(static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b));
}
constexpr AccessibleState& operator|=(AccessibleState& a, AccessibleState b) { return a = a | b; }
[[nodiscard]] constexpr bool Has(AccessibleState states, AccessibleState flag) {
    return (static_cast<std::uint32_t>(states) & static_cast<std::uint32_t>(flag)) != 0;
}

// Screen pixels, right and bottom exclusive.
struct AccessibleRect {
    int x = 0, y = 0, width = 0, height = 0;
    [[nodiscard]] bool Empty() const { return width <= 0 || height <= 0; }
    [[nodiscard]] bool Contains(int px, int py) const {
        return !Empty() && px >= x && px < x + width && py >= y && py < y + height;
    }
    bool operator==(const AccessibleRect&) const = default;
};

// How a container lays its children out, which decides what the arrow keys do.
enum class AccessibleFlow : std::uint8_t {
    Horizontal, // left and right move; the dock at the bottom or top, the menu bar
    Vertical,   // up and down move; a dock on a side, a menu
    Grid,       // left and right move by one, up and down by a row (`columns`)
};

struct AccessibleElement {
    AccessibleId id = kAccessibleRoot;
    AccessibleId parent = kAccessibleRoot;
    AccessibleRole role = AccessibleRole::PushButton;
    AccessibleState state = AccessibleState::None;
    std::wstring name;
    std::wstring value;         // what it shows that changes: the time, "75 %", "Full"
    std::wstring description;   // the rest of its state in words: "running, 2 windows"
    std::wstring defaultAction; // the verb of its action: "Open", "Press"
    std::wstring shortcut;      // "Alt+F"
    AccessibleRect bounds;
    AccessibleFlow flow = AccessibleFlow::Horizontal; // of its children
    int columns = 0;                                  // with AccessibleFlow::Grid
    std::vector<AccessibleId> children;               // in screen order
};

// One snapshot of a surface. Elements are added parents first; look-ups by id are
// answered after Seal (a builder seals as its last step).
class AccessibleTree {
public:
    // The surface itself; its id is kAccessibleRoot.
    explicit AccessibleTree(AccessibleElement root = {});

    // Adds `element` as the last child of `element.parent`. False, and nothing added, for
    // the root's id, an id above kAccessibleMaxId, an id already taken, or a parent that
    // is not there. Only before Seal.
    bool Add(AccessibleElement element);
    // Makes the look-ups ready. Adding after Seal is refused.
    void Seal();
    [[nodiscard]] bool Sealed() const { return m_sealed; }

    [[nodiscard]] const AccessibleElement& Root() const { return m_elements.front(); }
    [[nodiscard]] AccessibleElement& MutableRoot() { return m_elements.front(); }
    // The element with this id; null when the snapshot has none (a stale id).
    [[nodiscard]] const AccessibleElement* Find(AccessibleId id) const;
    [[nodiscard]] std::size_t Size() const { return m_elements.size(); }
    [[nodiscard]] const std::vector<AccessibleElement>& Elements() const { return m_elements; }

    // The deepest visible element whose bounds hold the point; the root when only the
    // surface does, nothing when the point lies outside it.
    [[nodiscard]] std::optional<AccessibleId> HitTest(int x, int y) const;
    // The element that has the keyboard focus, if any.
    [[nodiscard]] std::optional<AccessibleId> Focused() const;
    // The next or previous sibling in screen order, without wrapping.
    [[nodiscard]] std::optional<AccessibleId> Sibling(AccessibleId id, int step) const;

private:
    [[nodiscard]] AccessibleElement* FindMutable(AccessibleId id);

    std::vector<AccessibleElement> m_elements; // the root first, then in the order added
    std::vector<std::pair<AccessibleId, std::uint32_t>> m_index; // id -> element, by id
    bool m_sealed = false;
};

// --- selection: lists whose items are selected one at a time ---

// Whether `id` is a list (a page of entries, the pages' tabs) whose items can be selected.
// Menus and rows of buttons are not: their current item is the focus.
[[nodiscard]] bool HoldsSelection(const AccessibleTree& tree, AccessibleId id);
// Whether `id` is a selectable item of such a list.
[[nodiscard]] bool InSelection(const AccessibleTree& tree, AccessibleId id);
// The selected items of a list, in screen order; none for anything else.
[[nodiscard]] std::vector<AccessibleId> SelectedChildren(const AccessibleTree& tree, AccessibleId container);

// A keyboard focus move within one container.
enum class FocusMove : std::uint8_t { Next, Previous, First, Last, Up, Down };
// The keys that move the focus.
enum class FocusKey : std::uint8_t { Left, Right, Up, Down, Home, End, Tab, ShiftTab };

// What a key does in a container that flows this way; nothing for a key that does not
// move the focus there (up and down in a horizontal row). Right-to-left layouts are not
// ours: the dock and the bar always run left to right and top to bottom.
[[nodiscard]] std::optional<FocusMove> FocusMoveFor(FocusKey key, AccessibleFlow flow);

// Where the focus goes from `from` among the focusable, available and visible siblings:
// next and previous wrap around the ends (as in a menu), up and down in a grid move by a
// row and stop at the edges. From the container itself (or an id the snapshot no longer
// has), every move lands on the first or the last of `container`'s focusable children.
// Nothing when there is nowhere to go.
[[nodiscard]] std::optional<AccessibleId> MoveFocus(const AccessibleTree& tree, AccessibleId container,
                                                    AccessibleId from, FocusMove move);

// --- the keyboard on a surface that holds the focus ---

// The platform's virtual-key codes of the keys a surface answers.
namespace keys {
inline constexpr int kTab = 0x09, kEnter = 0x0D, kEscape = 0x1B, kSpace = 0x20, kEnd = 0x23, kHome = 0x24,
                     kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28, kMenu = 0x5D, kF10 = 0x79;
} // namespace keys

enum class SurfaceVerb : std::uint8_t {
    None,     // the key means nothing here
    Move,     // the focus goes to `target`
    Activate, // `target`'s default action, as a click
    OpenMenu, // `target`'s menu, as a right click (or a menu title's own menu)
    Leave,    // the surface gives the focus back to where it came from
};

struct SurfaceKeyResult {
    SurfaceVerb verb = SurfaceVerb::None;
    AccessibleId target = kAccessibleRoot;
};

// What `virtualKey` does on a surface whose items are the root's children, with `focused`
// holding the focus (an id the snapshot no longer has counts as none): arrows, Home, End
// and Tab move as the root flows; Enter and Space act; Shift+F10 and the menu key open
// the item's menu, and so does the key pointing away from a horizontal row's edge when
// `downOpensMenu` (a menu bar). Escape leaves.
[[nodiscard]] SurfaceKeyResult KeyOnSurface(const AccessibleTree& tree, AccessibleId focused, int virtualKey,
                                            bool shift, bool downOpensMenu = false);

} // namespace kestrana::foundation
