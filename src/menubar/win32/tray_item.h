#pragma once
// The tray item: the notification-area icons of other programs, shown in the bar. The
// icons come from the taskbar's own toolbar where it has one (read every 2 s on a worker)
// or from the tray window the item hosts; the list is restored from "cache.trayico" when
// that was written during this session, and written back when it changed. A press on an
// icon is replayed to its owner.

#include "foundation/config_store.h"
#include "foundation/win32/unique_handle.h"
#include "gfx/bitmap.h"
#include "menubar/status_source.h"
#include "menubar/tray/tray_list.h"
#include "menubar/tray/tray_source.h"
#include "menubar/tray/tray_unread.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace kestrana::menubar::win32 {

class TrayHost;

// Where the chat programs' unread marks go (the docks' items); set once at start, on the
// user-interface thread.
void SetUnreadListener(std::function<void(const tray::UnreadMarks&)> listener);

class TraySource final : public StatusSource {
public:
    // `balloon` shows a program's balloon text in the bar's own tip.
    TraySource(foundation::ConfigStore& store, std::function<void(const std::wstring&)> balloon);
    ~TraySource() override;

    [[nodiscard]] StatusKind Kind() const override { return StatusKind::Tray; }
    [[nodiscard]] std::wstring Name() const override;
    [[nodiscard]] StatusFace Face() const override;
    [[nodiscard]] gfx::Menu Menu() override { return {}; }
    void Choose(int) override {}
    [[nodiscard]] std::wstring ReaderValue() const override { return {}; }
    [[nodiscard]] std::wstring Tip() const override;
    [[nodiscard]] std::vector<StatusPart> Parts() const override;
    void PressPart(std::size_t part, PartPress press, int x, int y) override;

    [[nodiscard]] tray::TraySourceKind Source() const { return m_kind; }

private:
    struct Scraped;
    struct Picture {
        std::uint64_t handle = 0;
        gfx::Bitmap bitmap;
    };
    static LRESULT CALLBACK SinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    bool Take(const tray::TrayCommand& command, std::uint32_t process);
    void Tick();
    void StartScrape();
    void TakeScraped();
    void ListChanged();
    void LoadCache();
    void SaveCache();
    [[nodiscard]] std::wstring CachePath() const;

    foundation::ConfigStore& m_store;
    tray::TraySourceKind m_kind = tray::TraySourceKind::Host;
    tray::TrayList m_list;
    std::map<std::pair<std::uint64_t, std::uint32_t>, Picture> m_pictures;
    gfx::Bitmap m_placeholder;
    std::unique_ptr<TrayHost> m_host;
    kestrana::win32::UniqueWindow m_sink;
    std::shared_ptr<Scraped> m_scraped; // shared with the reading worker
    bool m_dirty = false;               // the cache file is behind the list
    std::optional<std::size_t> m_hovered;
    std::function<void(const std::wstring&)> m_balloon;
    // The bar's window takes no double clicks itself: a second left press on the same icon
    // within the system's double-click time makes one.
    // A chat program's unread-messages pop-up, placed under its icon a moment after the hover.
    struct Popup {
        std::wstring className;
        DWORD process = 0;
        POINT under{}; // the pop-up's top centre
    };
    void PlacePopup();
    // Notes icons whose picture changed between `before` and the list now.
    void NotePictures(const std::vector<tray::TrayIcon>& before);
    void CheckUnread();
    tray::UnreadWatch m_unread;
    tray::UnreadMarks m_marks;
    std::optional<Popup> m_popup;
    std::optional<std::size_t> m_lastLeft;
    ULONGLONG m_lastLeftAt = 0;
};

} // namespace kestrana::menubar::win32
