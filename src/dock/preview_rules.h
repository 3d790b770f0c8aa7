#pragma once
// Window previews of a running dock item: their settings, which windows they show, the
// size of the row of pictures, where the preview stands beside the item, when it opens
// and closes.

#include "dock/dock_geometry.h"
#include "dock/dockico.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::dock {

// Section "DWMThumbnail" as the previews use it, limits applied.
struct PreviewSettings {
    bool enabled = false;
    bool control = false; // the pin button on the hovered picture
    bool title = false;   // each window's title over its picture
    bool aeropeek = false;
    int delayMs = 100;    // "delay" in tenths, 1..10
    int size = 100;       // picture height at 96 DPI, 100..300
};

[[nodiscard]] int PreviewDelayMs(int tenths);
[[nodiscard]] int PreviewSize(int size);
[[nodiscard]] PreviewSettings ReadPreviewSettings(const foundation::ConfigStore& store);

// --- which windows ---

// What the choice needs to know of a window.
struct PreviewCandidate {
    WindowId id = WindowId::None;
    std::wstring className;
    std::wstring title;
    bool visible = true;
    bool responsive = true;
};

inline constexpr std::wstring_view kTabProxyClass = L"Windows.Internal.Shell.TabProxyWindow";
inline constexpr std::wstring_view kVmProxyClass = L"vmware.DWMThumbProxyWnd";

// The class of the per-guest windows a program offers for its one real window; empty for
// programs without such windows. `program` is the executable's file name.
[[nodiscard]] std::wstring_view PreviewProxyClass(std::wstring_view program);

// The item's windows as previewed, in the item's order. `program` is the item's
// executable's file name; `proxies` are that program's other top-level windows, looked
// at only when the item has exactly one window and the program offers proxies.
[[nodiscard]] std::vector<WindowId> ChoosePreviewWindows(std::wstring_view program,
                                                         std::span<const PreviewCandidate> itemWindows,
                                                         std::span<const PreviewCandidate> proxies);

// --- the row ---

// A hundred windows of one program would make pictures too small to tell apart: the row
// shows the first ones and a "+N" mark for the rest.
inline constexpr std::size_t kMaxPreviewPictures = 8;

struct PreviewCount {
    std::size_t shown = 0;
    std::size_t more = 0; // the number on the "+N" mark; 0: no mark
};
[[nodiscard]] PreviewCount CapPreviewCount(std::size_t windows);

struct SourceSize {
    int width = 0;
    int height = 0;
};

struct PreviewRow {
    int height = 0;          // every picture's height
    std::vector<int> widths; // each picture's width, in the windows' order
    int gap = 0;             // between pictures
    [[nodiscard]] int Width() const;
};

// The tallest pictures, no taller than "size" at the monitor's scale, whose row (each
// picture plus the gap) fits the monitor's width (256 pixels less beside a vertical
// dock, less `reserved` for the "+N" mark). A window of no size counts as square.
[[nodiscard]] PreviewRow SizePreviewRow(std::span<const SourceSize> sources, int monitorWidth, bool verticalDock,
                                        float scale, int size, int reserved = 0);

// Where a preview of `width` x `height` stands: beside the icon on the side away from the
// dock's edge, centred on it, moved along to stay inside `monitor`, `gap` pixels off it.
[[nodiscard]] ScreenRect PlacePreview(const ScreenRect& icon, Edge edge, int width, int height,
                                      const ScreenRect& monitor, int gap);

// --- opening and closing ---

// When the preview opens and closes, from where the pointer is. Times in milliseconds
// from any fixed start; the platform calls Tick when NextDue says.
class PreviewHover {
public:
    // A pointer that leaves item and preview has this long to come back to either.
    static constexpr std::int64_t kLeaveGraceMs = 350;

    enum class Action : std::uint8_t { None, Show, Close };

    explicit PreviewHover(int delayMs) : m_delayMs(delayMs) {}
    void SetDelay(int delayMs) { m_delayMs = delayMs; }

    // The dock's hovered item (kNoItemId: none) and whether it has windows to show.
    void HoverItem(std::int32_t itemId, bool running, std::int64_t nowMs);
    // The pointer came onto or left the preview window.
    void PointerInPreview(bool inside, std::int64_t nowMs);
    // A click asked for the item's preview: it shows at the next tick, no delay.
    void OpenNow(std::int32_t itemId, std::int64_t nowMs);
    // The shown item stopped running, or the preview was closed from elsewhere.
    void Closed();

    // What to do now; Show means the preview of Item() opens (or changes to it).
    [[nodiscard]] Action Tick(std::int64_t nowMs);
    [[nodiscard]] std::optional<std::int64_t> NextDue() const;
    [[nodiscard]] std::int32_t Item() const { return m_shown ? m_shownItem : m_pendingItem; }
    [[nodiscard]] bool Shown() const { return m_shown; }

private:
    void StartLeaving(std::int64_t nowMs);
    int m_delayMs;
    bool m_shown = false;
    std::int32_t m_shownItem = kNoItemId;
    std::int32_t m_pendingItem = kNoItemId;
    std::optional<std::int64_t> m_showAt;
    std::optional<std::int64_t> m_closeAt;
    std::int32_t m_hovered = kNoItemId;
    bool m_inPreview = false;
};

// "aeropeek": while the pointer rests on a picture, the desktop shows that picture's
// window alone (the others fade). The peek starts once the pointer has rested there a
// moment, follows it to another picture at once, and ends when it leaves the pictures,
// the preview closes or the setting is off.
class PreviewPeek {
public:
    static constexpr std::int64_t kRestMs = 400;
    enum class Action : std::uint8_t { None, Show, End };

    // The pointer is on picture `index` (-1: none) at `nowMs`.
    void Hover(int index, std::int64_t nowMs);
    // What to do now; Show means peek at Peeked()'s window.
    [[nodiscard]] Action Tick(bool enabled, std::int64_t nowMs);
    // The preview closed: an open peek ends.
    [[nodiscard]] Action Closed();
    [[nodiscard]] int Peeked() const { return m_peeked; }
    [[nodiscard]] std::optional<std::int64_t> NextDue() const;

private:
    int m_hovered = -1;
    std::int64_t m_since = 0;
    int m_peeked = -1;
};

} // namespace kestrana::dock
