#pragma once
// The tray window the bar hosts where the taskbar has no notification toolbar to read: a
// topmost "Shell_TrayWnd" with a "TrayNotifyWnd" child, which is where programs send
// their notify-icon records. Every record is decoded and checked before it is obeyed,
// and every message is also passed on to the taskbar's own tray window, when there is
// one, so that it keeps working.

#include "menubar/tray/tray_record.h"
#include "menubar/tray/tray_source.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

namespace kestrana::menubar::win32 {

class TrayHost {
public:
    // Takes a decoded record and the owner's process; true when it was accepted.
    using Sink = std::function<bool(const tray::TrayCommand& command, std::uint32_t process)>;

    // Made on the user-interface thread; null when the windows cannot be made.
    static std::unique_ptr<TrayHost> Create(Sink sink);
    ~TrayHost();
    TrayHost(const TrayHost&) = delete;
    TrayHost& operator=(const TrayHost&) = delete;

    // Asks every program to announce its icons again ("TaskbarCreated").
    void AnnounceAgain() const;
    [[nodiscard]] HWND Window() const { return m_tray; }

private:
    explicit TrayHost(Sink sink) : m_sink(std::move(sink)) {}
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCopyData(HWND window, WPARAM wParam, const COPYDATASTRUCT& data, LPARAM lParam);
    [[nodiscard]] HWND OtherTray() const;
    // After an event that may have cost the window its place on top: takes it back.
    void KeepOnTop(tray::TopmostCause cause, bool ours = false);

    Sink m_sink;
    HWND m_tray = nullptr;
    HWND m_notify = nullptr;
    std::uint32_t m_loggedErrors = 0; // one log line per kind of refusal
    tray::TrayTopmost m_topmost;
    bool m_keeping = false; // taking the place back moves the window, which reports again
};

// The taskbar window of another process, and whether it has a notification toolbar.
[[nodiscard]] HWND FindOtherTaskbar();
[[nodiscard]] HWND FindNotifyToolbar(HWND taskbar);

} // namespace kestrana::menubar::win32
