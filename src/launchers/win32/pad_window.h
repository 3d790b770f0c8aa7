#pragma once
// The Launchpad on screen: the full-screen "OndelLaunchpad" window, its
// "OndelLaunchpadtag" drag label and the "OndelLaunchpadgroup" window that shows an open
// group over the dimmed page, made once and then shown and hidden. It owns the
// catalogue (loaded on first use), the view and its renderer, captures and blurs the
// desktop under it when it appears, plays the show and hide effects, turns the pointer,
// wheel, keyboard, input-method and dropped files into the view's input and carries out
// what the view decides (launching, saving, renaming, the right-button menu).

#include "foundation/config_store.h"
#include "foundation/job_runner.h"
#include "foundation/win32/accessible_host.h"
#include "foundation/win32/unique_handle.h"
#include "gfx/text_renderer.h"
#include "gfx/win32/layered_window_surface.h"
#include "launchers/pad_geometry.h"
#include "launchers/pad_menu.h"
#include "launchers/pad_renderer.h"
#include "launchers/pad_rules.h"
#include "launchers/pad_view.h"
#include "launchers/win32/catalogue_host.h"
#include "platform/win32/recent_documents.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrana::launchers {

// The dock's band on a monitor, when a dock is there.
struct DockBand {
    DockSide side = DockSide::Bottom;
    int thickness = 0;
};

struct PadWindowServices {
    foundation::ConfigStore& settings; // config.ini and the language texts
    gfx::TextRenderer& text;
    foundation::JobRunner& jobs;
    // The dock on the monitor with this device name ("\\.\DISPLAY1"), if any.
    std::function<std::optional<DockBand>(const std::wstring& device)> dockOn;
    // The Launchpad's own picture from the theme (its dark twin with `dark`), beside its
    // notices and questions (may be empty).
    std::function<std::shared_ptr<const gfx::Bitmap>(bool dark)> padIcon;
};

class LaunchpadWindow {
public:
    explicit LaunchpadWindow(PadWindowServices services);
    ~LaunchpadWindow();
    LaunchpadWindow(const LaunchpadWindow&) = delete;
    LaunchpadWindow& operator=(const LaunchpadWindow&) = delete;

    // Shows it when hidden (or hiding), hides it when shown, with effect 0, 1 or 2.
    void Toggle(int effect);
    void Show(int effect);
    void Hide(int effect);
    // At once, without an effect (shutdown, restart).
    void HideNow() noexcept;
    [[nodiscard]] bool Shown() const { return m_shown; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK GroupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    // Shown and not on its way out: only then does input reach the view.
    [[nodiscard]] bool Interactive() const;
    // Draws when the view changed, and keeps the frames coming while it moves.
    void Redraw(bool changed);
    void EndPress(PadPoint at);
    void OnTouch(WPARAM wParam, LPARAM lParam);
    [[nodiscard]] std::optional<LRESULT> OnGetObject(WPARAM wParam, LPARAM lParam);
    void OnActivate(WORD state, HWND other);
    void OnPress(PadPoint at);
    void OnPointerMove(PadPoint at, bool buttonDown);
    void OnRelease(PadPoint at);
    void OnRightButtonUp(PadPoint at);
    void OnKey(int virtualKey);
    // True when the input method's result was taken.
    bool OnImeComposition(LPARAM lParam);
    void OnDropFiles(HDROP drop);
    void UpdateGroupWindow(BYTE opacity);
    bool CreateWindows();
    bool EnsureCatalogue();
    void LayOut(const std::wstring& device, const RECT& monitor, float scale);
    void CaptureBackdrop(const RECT& monitor, float scale);
    // One frame, `effectMs` into the show or hide effect (by default: as the clock says).
    void Draw(std::optional<int> effectMs = std::nullopt);
    void ReadTexts();
    void PrepareShow();
    // A while after hiding: the full-screen pictures are given back.
    void ReleasePictures();
    void StartFrames();
    void FrameTick();
    void Carry(const PadCommand& command);
    void Launch(const EntryPlace& place, bool admin);
    void ShowMenu(POINT screen);
    // The recent documents the entry's program opens (their files), newest first.
    [[nodiscard]] std::vector<std::wstring> RecentOf(const LaunchpadEntry& entry) const;
    // The files picked in the system's open dialog (several at once).
    [[nodiscard]] std::vector<std::wstring> ChooseFiles();
    // Before a notice or question is drawn: its look follows the appearance in effect.
    void PreparePrompt();
    void AddFiles(const std::vector<std::wstring>& files);
    void FilesAdded(int added);
    void UpdateTag();
    void Publish();
    [[nodiscard]] std::int64_t Now() const;
    [[nodiscard]] std::wstring Text(std::wstring_view section, std::wstring_view key, std::wstring_view fallback) const;

    PadWindowServices m_services;
    // The system's recent list, read on a worker when the Launchpad shows and after each
    // menu; the menu offers what the last reading found.
    platform::RecentDocuments m_recent;
    kestrana::win32::UniqueWindow m_window;
    kestrana::win32::UniqueWindow m_tag;
    kestrana::win32::UniqueWindow m_groupWindow;
    gfx::LayeredWindowSurface m_groupSurface;
    gfx::Bitmap m_groupFrame;
    bool m_groupShown = false;
    std::optional<bool> m_noticeIconDark; // the appearance the notices' picture was asked for
    bool m_textsRead = false;
    gfx::LayeredWindowSurface m_surface;
    gfx::LayeredWindowSurface m_tagSurface;
    std::unique_ptr<Win32CatalogueHost> m_catalogue;
    std::unique_ptr<PadView> m_view;
    PadRenderer m_renderer;
    gfx::Bitmap m_backdrop;
    gfx::Bitmap m_frame;
    POINT m_origin{};
    bool m_shown = false;
    bool m_hiding = false;
    int m_effect = 0;
    std::int64_t m_effectStart = 0;
    bool m_instant = false; // the system's animations are off: shows and hides at once
    std::int64_t m_hiddenAt = 0; // when the last hiding ended (Now()); the pictures go a set time after it
    bool m_timer = false;
    bool m_tagShown = false;
    bool m_modal = false; // a dialog of ours (choosing files) is up
    double m_renderMs = 0, m_presentMs = 0, m_blurMs = 0, m_copyMs = 0; // the last frame's and backdrop's, for the log
    ScreenCopyChoice m_screenCopy;
    // Made when a screen reader first asks.
    std::unique_ptr<kestrana::win32::AccessibleHost> m_reader;
};

} // namespace kestrana::launchers
