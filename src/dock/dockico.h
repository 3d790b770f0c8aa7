#pragma once
// One entry of a dock's item row, and the row itself. The row always carries three
// placeholder entries at each end so that neighbour look-ups around the first and last
// real item never fall off the vector; real items live from index 3 to Size() - 3.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kestrana::gfx {
class Bitmap;
}

namespace kestrana::dock {

// A top-level window as the rules see it: an opaque number the platform layer gives out
// (the handle's value on Windows). Zero is no window.
enum class WindowId : std::uint64_t { None = 0 };

// How an item's program is started, stored as "UWP" in the item file.
enum class AppKind : std::uint8_t {
    Program = 0,       // an ordinary program or folder
    Packaged = 1,      // a packaged (store) application
    AppIdProgram = 2,  // a program started with "--app-id=" and an id in its arguments
    Android = 3,       // an Android subsystem application ("wsaclient.exe" with "wsa://")
    BrowserWebApp = 4, // a web application through the browser's proxy with "--app-id="
    FirefoxWebApp = 5, // a web application through "firefoxpwa.exe" with "site launch"
};

// A picture that a later feature draws and keeps current; the item list only marks it.
enum class LivePicture : std::uint8_t {
    None = 0,
    Calendar, // "cal|": a calendar page of today
    Clock,    // "systemtime": a clock face with the current time
    Weather,  // "weather": the current weather
    Battery,  // "battery": the battery levels
};

inline constexpr std::int32_t kNoItemId = 0;
// The temporary gap shown where a dragged icon would land.
inline constexpr std::int32_t kDragGapItemId = -99;
// An item whose program tells of no unread messages.
inline constexpr std::int32_t kNoUnread = -1;

// A process-unique item id from one atomic counter; never 0 or the drag gap's id.
[[nodiscard]] std::int32_t NewItemId() noexcept;

inline constexpr float kItemFactor = 1.0f;
inline constexpr float kSeparatorFactor = 0.5f;

struct Dockico {
    std::wstring key;         // identity key: themed-icon look-up and window matching
    std::wstring icopath;     // user-chosen picture file
    std::wstring appname;     // program file name in lower case, or a special key
    std::wstring filepath;    // program or folder path (lower case)
    std::wstring realpath;    // what is launched: path, folder or URL (lower case)
    std::wstring runline;     // command-line arguments
    std::wstring tag;         // label shown beside the icon
    std::wstring virtualpath; // application user model id, or a known-folder path
    bool delimiter = false;   // a separator rather than an application
    // Written by the window tracker's threads while the UI thread reads them.
    std::atomic<bool> running{false};
    std::atomic<bool> kept{false}; // pinned: belongs to the saved list

    // Share of one icon width: 1 for an item, 0.5 for a separator, 0 for the drag gap and
    // for items that are still growing in.
    float sizeFactor = kItemFactor;
    // Layout along the dock axis, in pixels from the start of the row.
    float position = 0;  // current start
    float size = 0;      // current edge length
    float growth = 0;    // current size against the resting size
    float restStart = 0; // start when nothing is magnified

    std::int32_t id = kNoItemId;
    std::vector<WindowId> windows; // top-level windows grouped under the item
    AppKind appKind = AppKind::Program;
    std::shared_ptr<const gfx::Bitmap> picture;
    LivePicture live = LivePicture::None; // the picture is drawn by the live-icon feature
    // The window tracker's marks, changed and read under the item-list lock.
    bool leaving = false;   // on its way out: shrinks to nothing, then the bar takes it out
    bool attention = false; // one of its windows asks for the user's attention
    // Unread messages its program tells of: kNoUnread for none, 0 for some without a count.
    std::int32_t unread = kNoUnread;
    // Dragged within the dock: it keeps its index (and its saved place) but gives its room
    // up and is drawn at the pointer instead, until the drag ends.
    bool lifted = false;

    [[nodiscard]] bool IsSeparator() const { return delimiter; }
    // The share of an icon width the item takes once it has grown in.
    [[nodiscard]] float FullFactor() const { return delimiter ? kSeparatorFactor : kItemFactor; }
};

// Guards the process-wide list of docks. Lock order: this lock, then a dock's item-list
// lock (DockItems::ListMutex), then its window-list lock (DockItems::WindowListMutex).
[[nodiscard]] std::mutex& BarsListMutex() noexcept;

class DockItems;

// How a worker reaches a row that may be destroyed before the worker runs: the row lets
// go of its link under the bars-list lock when it dies. A worker holding the bars-list
// lock that still finds the row may use it (under its item-list lock) until it lets go
// of the bars-list lock.
class RowLink {
public:
    // Only with BarsListMutex() held; null once the row is gone.
    [[nodiscard]] const DockItems* Row() const { return m_row; }
    [[nodiscard]] DockItems* Row() { return m_row; }

private:
    friend class DockItems;
    explicit RowLink(DockItems* row) : m_row(row) {}
    DockItems* m_row;
};

// A new pinned entry with a fresh id; separators get half an icon's width.
[[nodiscard]] std::unique_ptr<Dockico> MakeDockico(bool separator = false);

// The item vector of one dock. Entries are owned here and handed out by reference; the
// bar's item-list lock guards every use.
class DockItems {
public:
    static constexpr std::size_t kPlaceholders = 3;
    static constexpr std::size_t kFirstReal = kPlaceholders;

    // An empty row: the six placeholders only.
    DockItems();
    // Moving hands over the entries; each row keeps its locks and its link. Nobody may
    // hold either row's locks meanwhile.
    DockItems(DockItems&& other) noexcept;
    DockItems& operator=(DockItems&& other) noexcept {
        m_entries = std::move(other.m_entries);
        return *this;
    }
    // Cuts the link its workers hold (waiting for one that is reading the row).
    ~DockItems();

    // The bar's item-list lock. The user-interface thread holds it while it changes the
    // row or its items' fields; a worker holds it while it reads them. Never held while
    // touching files.
    [[nodiscard]] std::mutex& ListMutex() const { return m_listMutex; }
    // The bar's window-list lock: guards the items' window lists and running flags as the
    // window tracker changes them. Taken after the item-list lock when both are needed.
    [[nodiscard]] std::mutex& WindowListMutex() const { return m_windowListMutex; }
    // For a job that may outlive the row. User-interface thread.
    [[nodiscard]] std::shared_ptr<const RowLink> Link() const;
    [[nodiscard]] std::shared_ptr<RowLink> Link();

    // Operations on the row are skipped on a vector this short: it lacks its placeholders.
    [[nodiscard]] static constexpr bool HasItemRange(std::size_t entryCount) { return entryCount >= 5; }

    [[nodiscard]] std::size_t Size() const { return m_entries.size(); }
    [[nodiscard]] std::size_t RealCount() const { return m_entries.size() - 2 * kPlaceholders; }
    [[nodiscard]] bool Empty() const { return RealCount() == 0; }
    // One past the last real item.
    [[nodiscard]] std::size_t EndReal() const { return m_entries.size() - kPlaceholders; }
    [[nodiscard]] static bool IsPlaceholderIndex(std::size_t index, std::size_t entryCount) {
        return index < kPlaceholders || index + kPlaceholders >= entryCount;
    }

    [[nodiscard]] Dockico& operator[](std::size_t index) { return *m_entries[index]; }
    [[nodiscard]] const Dockico& operator[](std::size_t index) const { return *m_entries[index]; }

    // Inserts before `index` (clamped to the real range) and returns the vector index used.
    std::size_t Insert(std::size_t index, std::unique_ptr<Dockico> item);
    std::size_t Append(std::unique_ptr<Dockico> item) { return Insert(EndReal(), std::move(item)); }
    // Removes a real item; nullptr for a placeholder or an index out of range.
    std::unique_ptr<Dockico> Take(std::size_t index);
    // Moves a real item so that it ends up at `to` (both vector indices of real items).
    bool Move(std::size_t from, std::size_t to);
    // Vector index of the item with this id, or 0 when there is none.
    [[nodiscard]] std::size_t IndexOfId(std::int32_t id) const;

    // Calls fn(index, item) for every real item in order.
    template <typename Fn>
    void ForEachReal(Fn&& fn) {
        for (std::size_t i = kFirstReal; i < EndReal(); ++i) fn(i, *m_entries[i]);
    }
    template <typename Fn>
    void ForEachReal(Fn&& fn) const {
        for (std::size_t i = kFirstReal; i < EndReal(); ++i) fn(i, static_cast<const Dockico&>(*m_entries[i]));
    }

    // Sum of the size factors of the real items.
    [[nodiscard]] float FactorSum() const;

private:
    std::vector<std::unique_ptr<Dockico>> m_entries;
    mutable std::mutex m_listMutex;
    mutable std::mutex m_windowListMutex;
    std::shared_ptr<RowLink> m_link;
    mutable bool m_linked = false; // a link was handed out; only then must the row wait to die
};

} // namespace kestrana::dock
