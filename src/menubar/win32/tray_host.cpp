#include "menubar/win32/tray_host.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/shell_window.h"
#include "foundation/win32/taskbar_window.h"

#include <span>

namespace kestrana::menubar::win32 {
namespace {

constexpr wchar_t kTrayClass[] = L"Shell_TrayWnd";
constexpr wchar_t kNotifyClass[] = L"TrayNotifyWnd";
constexpr wchar_t kHostProperty[] = L"KestranaTrayHost";
// A hung taskbar must not hang the programs whose records we pass on.
constexpr UINT kForwardTimeoutMs = 500;

// Handles travel in records as 32 bits; the system sign-extends them.
HWND FromRecord(std::uint32_t handle) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(static_cast<std::int32_t>(handle)));
}

} // namespace

HWND FindOtherTaskbar() { return kestrana::win32::FindTaskbarWindow(); }

HWND FindNotifyToolbar(HWND taskbar) {
    if (!taskbar) return nullptr;
    HWND notify = ::FindWindowExW(taskbar, nullptr, kNotifyClass, nullptr);
    HWND pager = notify ? ::FindWindowExW(notify, nullptr, L"SysPager", nullptr) : nullptr;
    HWND toolbar = pager ? ::FindWindowExW(pager, nullptr, L"ToolbarWindow32", nullptr) : nullptr;
    if (!toolbar && notify) toolbar = ::FindWindowExW(notify, nullptr, L"ToolbarWindow32", nullptr);
    return toolbar;
}

std::unique_ptr<TrayHost> TrayHost::Create(Sink sink) {
    static const bool registered = kestrana::win32::RegisterWindowClass(kTrayClass, Proc, 0) &&
                                   kestrana::win32::RegisterWindowClass(kNotifyClass, Proc, 0);
    if (!registered) {
        foundation::LogFailure("tray", L"the tray window classes could not be registered");
        return nullptr;
    }
    std::unique_ptr<TrayHost> host(new TrayHost(std::move(sink)));
    // Topmost, so that programs looking for the taskbar by class find this one first; it
    // has no size and is never shown.
    host->m_tray = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kTrayClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                     nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!host->m_tray) {
        foundation::LogFailure("tray", L"the hosted tray window could not be made");
        return nullptr;
    }
    ::SetPropW(host->m_tray, kHostProperty, host.get());
    host->m_notify = ::CreateWindowExW(0, kNotifyClass, L"", WS_CHILD, 0, 0, 0, 0, host->m_tray, nullptr,
                                       ::GetModuleHandleW(nullptr), nullptr);
    if (host->m_notify) ::SetPropW(host->m_notify, kHostProperty, host.get());
    // Programs of higher rights send here too.
    ::ChangeWindowMessageFilterEx(host->m_tray, WM_COPYDATA, MSGFLT_ALLOW, nullptr);
    return host;
}

TrayHost::~TrayHost() {
    for (HWND w : {m_notify, m_tray}) {
        if (!w) continue;
        ::RemovePropW(w, kHostProperty);
        ::DestroyWindow(w);
    }
}

void TrayHost::AnnounceAgain() const {
    static const UINT created = ::RegisterWindowMessageW(L"TaskbarCreated");
    // Signed with our main window, which thus knows the taskbar did not come back.
    if (!created ||
        !::PostMessageW(HWND_BROADCAST, created, 0, reinterpret_cast<LPARAM>(kestrana::win32::ShellWindowHost())))
        foundation::LogFailure("tray", L"programs could not be asked to announce their icons");
}

HWND TrayHost::OtherTray() const { return FindOtherTaskbar(); }

LRESULT CALLBACK TrayHost::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* host = static_cast<TrayHost*>(::GetPropW(window, kHostProperty));
    if (!host) return ::DefWindowProcW(window, message, wParam, lParam);
    try {
        return host->OnMessage(window, message, wParam, lParam);
    } catch (...) {
        foundation::LogCaught("tray window");
        return 0;
    }
}

void TrayHost::KeepOnTop(tray::TopmostCause cause, bool ours) {
    // Our own move reports a z-order change; another window that insists on the top
    // would otherwise have us answer it forever.
    if (m_keeping) return;
    m_keeping = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_keeping};
    const bool topmost = (::GetWindowLongPtrW(m_tray, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    const bool held = topmost && ::FindWindowW(kTrayClass, nullptr) == m_tray;
    const tray::TopmostStep step = m_topmost.After(cause, held, ours);
    if (!step.reassert) return;
    const bool placed = ::SetWindowPos(m_tray, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE) != FALSE &&
                        ::FindWindowW(kTrayClass, nullptr) == m_tray;
    if (step.log || !placed)
        foundation::LogDetail("tray", std::wstring(placed ? L"the hosted tray took its place on top again: "
                                                        : L"the hosted tray could not take its place on top again: ") +
                                          tray::TopmostCauseText(cause));
    if (step.announce) AnnounceAgain();
}

LRESULT TrayHost::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA && lParam) return OnCopyData(window, wParam, *reinterpret_cast<const COPYDATASTRUCT*>(lParam), lParam);
    if (window == m_tray) {
        static const UINT created = ::RegisterWindowMessageW(L"TaskbarCreated");
        if (created && message == created) {
            // Our own announcement carries our main window; any other is a taskbar's.
            KeepOnTop(tray::TopmostCause::TaskbarBack,
                      reinterpret_cast<HWND>(lParam) == kestrana::win32::ShellWindowHost() && lParam != 0);
            return 0;
        }
        switch (message) {
        case WM_DISPLAYCHANGE: KeepOnTop(tray::TopmostCause::DisplayChange); break;
        case WM_SETTINGCHANGE:
            if (wParam == SPI_SETWORKAREA) KeepOnTop(tray::TopmostCause::WorkArea);
            break;
        case WM_WINDOWPOSCHANGED:
            if (lParam && !(reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_NOZORDER))
                KeepOnTop(tray::TopmostCause::Demoted);
            break;
        default: break;
        }
    }
    // The taskbar's private messages (and app-bar traffic) still reach the taskbar.
    if (message >= WM_USER && window == m_tray) {
        if (HWND other = OtherTray()) ::PostMessageW(other, message, wParam, lParam);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT TrayHost::OnCopyData(HWND window, WPARAM wParam, const COPYDATASTRUCT& data, LPARAM lParam) {
    // Passed on first, whatever we make of it: the taskbar's own tray keeps its icons.
    DWORD_PTR forwarded = 0;
    bool passedOn = false;
    if (HWND other = OtherTray(); other && window == m_tray)
        passedOn = ::SendMessageTimeoutW(other, WM_COPYDATA, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                         kForwardTimeoutMs, &forwarded) != 0;
    if (data.dwData != tray::kTrayCopyDataKind) return passedOn ? static_cast<LRESULT>(forwarded) : FALSE;

    const auto bytes = std::span(static_cast<const std::uint8_t*>(data.lpData), data.lpData ? data.cbData : 0);
    const tray::TrayDecoded decoded = tray::DecodeTrayRecord(static_cast<std::uint32_t>(data.dwData), bytes);
    if (!decoded.command) {
        const std::uint32_t bit = 1u << static_cast<unsigned>(decoded.error);
        if (!(m_loggedErrors & bit)) {
            m_loggedErrors |= bit;
            foundation::LogFailure("tray", tray::TrayRecordErrorText(decoded.error));
        }
        return passedOn ? static_cast<LRESULT>(forwarded) : FALSE;
    }
    // The owner must be a window; its process is what the caps count by.
    HWND owner = FromRecord(decoded.command->owner);
    DWORD process = 0;
    if (!::IsWindow(owner) || !::GetWindowThreadProcessId(owner, &process)) {
        if (!(m_loggedErrors & 0x80000000u)) {
            m_loggedErrors |= 0x80000000u;
            foundation::LogFailure("tray", L"a tray record named no window as its owner");
        }
        return passedOn ? static_cast<LRESULT>(forwarded) : FALSE;
    }
    const bool accepted = m_sink && m_sink(*decoded.command, process);
    return (accepted || (passedOn && forwarded)) ? TRUE : FALSE;
}

} // namespace kestrana::menubar::win32
