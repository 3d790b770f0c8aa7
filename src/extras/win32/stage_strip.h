#pragma once
// The stage manager on screen: one strip window per monitor on which it is on, carrying
// the property "KestranaStageManager", with a column of tilted pictures of the monitor's
// other windows (most recent first). Choosing a picture brings its window to the front;
// the one that was in front goes to the top of the column. The pictures come from the
// same source as the dock's previews (live thumbnails, or captured ones). Lives on the
// user-interface thread.

#include "dock/win32/window_event_sources.h"
#include "extras/stage_manager.h"
#include "foundation/job_runner.h"
#include "gfx/text_renderer.h"
#include "gfx/win32/window_thumbnails.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::extras::win32 {

struct StageServices {
    foundation::ConfigStore* store = nullptr;
    foundation::JobRunner* jobs = nullptr;
    gfx::TextRenderer* text = nullptr;
    gfx::WindowThumbnails::WindowPicture picture;
    // What the bars keep of a monitor's height, by device name ("\\.\DISPLAY1"); 0 for none.
    std::function<int(const std::wstring& deviceName)> menuBarHeight;
    std::function<int(const std::wstring& deviceName)> dockLength;
};

class StageStrip;

class StageManager {
public:
    explicit StageManager(StageServices services);
    ~StageManager();
    StageManager(const StageManager&) = delete;
    StageManager& operator=(const StageManager&) = delete;

    // Every monitor as its "stagemanager_enable" says, each strip laid out again with its
    // settings as they stand (start-up, settings page, monitors changed).
    void ApplySettings();
    // Writes the monitor's switch, then starts or stops its strip. `monitor` counts the
    // monitors as the system lists them. False when the setting could not be written.
    bool Toggle(std::size_t monitor, bool on);
    // The hotkey and the menu-bar item: the monitor under the pointer, to the other state.
    void ToggleUnderPointer();
    [[nodiscard]] bool IsOn(std::size_t monitor) const;
    [[nodiscard]] bool IsOnUnderPointer() const;
    // The minimise watcher's question: the strip of the window's monitor takes the window
    // (it is on there and the window may go into the column).
    [[nodiscard]] bool Takes(HWND window);
    // A window came to the front, opened or closed: the columns are chosen again.
    void WindowsChanged();
    // The titles in the columns, top to bottom, monitor after monitor; and the choice of
    // one of them by its place there (the menu bar's item lists them for the keyboard).
    [[nodiscard]] std::vector<std::wstring> ColumnTitles() const;
    void ChooseFromColumns(std::size_t index);
    void StopAll();

    // For the strips.
    [[nodiscard]] const StageServices& Services() const { return m_services; }
    [[nodiscard]] const std::unordered_set<std::wstring>& Blacklist() const { return m_blacklist; }
    [[nodiscard]] StageOrder& Order() { return m_order; }
    [[nodiscard]] bool Busy() const { return m_moving || m_switching; }
    // The window events that matter to the strips (move and size, the system's switcher).
    void OnWindowEvent(DWORD event);

private:
    void Start(std::size_t monitor);
    void Stop(std::size_t monitor);
    void HookWindowEvents();

    StageServices m_services;
    std::vector<std::unique_ptr<StageStrip>> m_strips;
    std::unordered_set<std::wstring> m_blacklist;
    bool m_blacklistRead = false;
    StageOrder m_order; // over every monitor: each strip takes its own windows from it
    dock::UniqueWinEventHook m_hook;
    bool m_moving = false;
    bool m_switching = false;
};

} // namespace kestrana::extras::win32
