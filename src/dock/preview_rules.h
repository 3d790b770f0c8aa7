#pragma once
// Window previews of a running dock item: their settings, which windows they show, the
// size of the row of pictures, where the preview stands beside the item, when it opens
// and closes, and how often pictures are taken where the system cannot show live ones.

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

// --- pictures where live thumbnails are missing ---

// How each window's picture reaches the preview. The live thumbnail is asked for first;
// only a window the system refused one for is captured.
enum class PictureSource : std::uint8_t { Live, Captured };
[[nodiscard]] PictureSource ChoosePictureSource(bool liveThumbnailRegistered);

// Captured pictures are taken at most four times a second, one pass at a time; results
// of a pass begun for an earlier opening are dropped. A picture costs a copy of the whole
// window: the first pass of an opening takes every window, later ones one window each in
// turn, so an open preview of several windows costs about one capture per pass.
class CaptureSchedule {
public:
    static constexpr std::int64_t kMinIntervalMs = 250;

    // A new opening: the first pass is due at once and earlier passes no longer count.
    std::uint64_t Restart();
    // Whether a pass should start now; when it does, it is marked running.
    [[nodiscard]] bool StartIfDue(std::int64_t nowMs);
    // A pass of `generation` ended; false when its pictures belong to an earlier opening.
    bool Finished(std::uint64_t generation);
    void Stop();
    // Which of `windows` pictures the pass just started takes.
    [[nodiscard]] std::vector<std::size_t> Batch(std::size_t windows);
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
};

} // namespace kestrana::dock
