#pragma once
// The one preview of a dock item's windows, "OndelPreview": a row of pictures beside the
// item, live thumbnails from the window manager where it gives them, otherwise pictures
// taken on a worker a few times a second. A click on a picture brings its window to the
// front. Lives on the user-interface thread; the docks tell it what the pointer rests on.

#include "dock/dock_geometry.h"
#include "dock/dockico.h"
#include "foundation/job_runner.h"
#include "dock/preview_rules.h"
#include "foundation/win32/accessible_host.h"
#include "foundation/win32/unique_handle.h"
#include "gfx/bitmap.h"
#include "gfx/text_renderer.h"
#include "gfx/win32/layered_window_surface.h"
#include "gfx/win32/window_thumbnails.h"

#include <windows.h>

#include <dwmapi.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::dock::win32 {

// What a dock tells of an item when its preview is about to show.
struct PreviewTarget {
    std::wstring program; // the executable's file name
    std::vector<WindowId> windows;
    ScreenRect icon;      // on the screen
    Edge edge = Edge::Bottom;
    ScreenRect monitor;
    float scale = 1.0f;
};

class PreviewWindow {
public:
    // The item's facts now; nothing when it is gone or has no windows.
    using Resolver = std::function<std::optional<PreviewTarget>(std::int32_t itemId)>;
    using WindowPicture = gfx::WindowThumbnails::WindowPicture;

    struct Services {
        foundation::JobRunner& jobs;
        const foundation::ConfigStore& settings;
        gfx::TextRenderer& text;
        WindowPicture picture;
    };

    explicit PreviewWindow(Services services);
    ~PreviewWindow();
    PreviewWindow(const PreviewWindow&) = delete;
    PreviewWindow& operator=(const PreviewWindow&) = delete;

    // Settings changed: read "DWMThumbnail" again.
    void Reload();
    // The dock `owner` has the pointer on `itemId` (kNoItemId: on none of its items).
    void HoverItem(const void* owner, std::int32_t itemId, Resolver resolve);
    // A click on a multi-window item: its preview at once. False when it cannot show.
    bool OpenNow(const void* owner, std::int32_t itemId, Resolver resolve);
    // Closes the preview if it shows `itemId` of `owner` (a click that switched to its window).
    void CloseFor(const void* owner, std::int32_t itemId);
    // The dock goes away: nothing of it is asked for again.
    void Forget(const void* owner);

    [[nodiscard]] HWND Window() const { return m_window.Get(); }
    static constexpr const wchar_t* kClassName = L"OndelPreview";

private:
    struct Picture {
        HWND window = nullptr;
        std::wstring title;
        SourceSize source;
        RECT slot{}; // in the preview window
    };

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool EnsureWindow();
    void Schedule();
    void Tick();
    bool Show(std::int64_t lateMs);
    void Close();
    void LayOut(const PreviewTarget& target);
    void Draw();
    [[nodiscard]] const gfx::Bitmap& TitlePicture(const std::wstring& title, int width);
    void UpdateThumbnails();
    void RefreshTitles();
    void Refresh();
    [[nodiscard]] int SlotAt(POINT client) const;
    [[nodiscard]] RECT PinRect(const RECT& slot) const;
    void Activate(int slot);
    // The pointer is on picture `slot` (-1: none): the peek follows when "aeropeek" is on.
    void PeekHover(int slot);
    void PeekTick();
    void TogglePin(int slot);
    [[nodiscard]] std::optional<foundation::AccessibleTree> AccessibleSnapshot() const;

    Services m_services;
    PreviewSettings m_settings;
    PreviewHover m_hover{100};
    PreviewPeek m_peek;
    gfx::WindowThumbnails m_thumbnails;
    kestrana::win32::UniqueWindow m_window;
    gfx::LayeredWindowSurface m_surface;
    const void* m_owner = nullptr; // the dock whose item is hovered or shown
    const void* m_shownOwner = nullptr;
    Resolver m_resolve;
    Resolver m_shownResolve;
    std::int32_t m_shownItem = kNoItemId;
    std::vector<Picture> m_pictures;
    std::size_t m_more = 0; // windows past the cap
    ScreenRect m_rect;
    float m_scale = 1.0f;
    int m_titleHeight = 0;
    int m_hovered = -1;
    bool m_tracking = false;
    std::unordered_map<std::wstring, gfx::Bitmap> m_titlePictures;
    std::unique_ptr<kestrana::win32::AccessibleHost> m_reader;
};

} // namespace kestrana::dock::win32
