// The bar host's wireless panes and drive ejecting: the drive notice with its eject
// button, the outcome of an eject, and the hotspot pane. Each runs the program's prompt
// on the user-interface thread; the system is asked on workers.
#include "menubar/win32/bar_host.h"

#include "foundation/diagnostic_log.h"
#include "gfx/win32/prompt_window.h"
#include "menubar/hotspot_pane.h"
#include "menubar/win32/drive_eject.h"
#include "menubar/win32/hotspot_control.h"
#include "menubar/win32/system_actions.h"
#include "menubar/win32/varlo_bar.h"

namespace kestrana::menubar::win32 {

void BarHost::OfferEject(wchar_t letter) {
    if (m_bars.empty() || m_driveNoticeOpen) return;
    const std::wstring root = std::wstring(1, letter) + L":\\";
    const auto name = m_drives.NameOf(root);
    if (!name) return; // gone before its notice could show
    const DriveNotice notice{root, *name, true};
    const VarloBar& bar = *m_bars.front();
    gfx::PromptRequest request = gfx::PromptAt(L"VarloDrive", "drive notice", bar.Place().scale, bar.Dark(), bar.Place().screen);
    request.title = DriveNoticeText(notice, Store());
    request.cancel = Store().LanguageText(L"promptwindow", L"close", L"Close");
    request.confirm = Store().LanguageText(L"promptwindow", L"eject", L"Eject");
    m_driveNoticeOpen = true;
    const bool eject = gfx::RunPrompt(request, Text());
    m_driveNoticeOpen = false;
    // The prompt's own loop may have seen the bars go or the drive leave.
    if (!eject || m_bars.empty()) return;
    if (!m_drives.NameOf(root)) {
        foundation::LogDetail("usb", root + L" left before it was ejected");
        return;
    }
    foundation::LogDetail("usb", L"ejecting " + root);
    if (!EjectDrive(letter, FirstWindow())) m_bars.front()->ShowNotice(EjectText(notice, ERROR_GEN_FAILURE, Store()));
}

void BarHost::DriveEjected(wchar_t letter, DWORD error) {
    const std::wstring root = std::wstring(1, letter) + L":\\";
    const DriveNotice notice{root, m_drives.NameOf(root).value_or(L""), false};
    const std::wstring text = EjectText(notice, error, Store());
    if (error == ERROR_SUCCESS) foundation::LogDetail("usb", text);
    else foundation::LogFailure("usb", text);
    if (!m_bars.empty()) m_bars.front()->ShowNotice(text);
}

void BarHost::ShowHotspot() {
    if (!m_hotspot || m_bars.empty()) return;
    const auto answer = m_hotspot->Take();
    if (!answer) return;
    const HotspotFacts& facts = answer->facts;
    // Why the hotspot cannot be used is said once, not each time the pane opens.
    if (!facts.why.empty() && facts.why != m_hotspotWhy) foundation::LogFailure("wifi", L"hotspot: " + facts.why);
    m_hotspotWhy = facts.why;
    const HotspotWords words = HotspotPaneWords(facts, Store());
    const VarloBar& bar = *m_bars.front();
    gfx::PromptRequest request = gfx::PromptAt(L"VarloHotspot", "hotspot pane", bar.Place().scale, bar.Dark(), bar.Place().screen);
    request.title = words.title;
    request.message = words.message;
    request.cancel = words.close;
    request.confirm = words.confirm;
    if (!gfx::RunPrompt(request, Text()) || !m_hotspot) return;
    switch (words.action) {
    case HotspotAction::OpenSettings: Open(kHotspotSettings); return;
    case HotspotAction::TurnOn:
    case HotspotAction::TurnOff:
        foundation::LogDetail("wifi", words.action == HotspotAction::TurnOn ? L"hotspot: turning on" : L"hotspot: turning off");
        if (!m_bars.empty()) m_hotspot->Switch(words.action == HotspotAction::TurnOn, FirstWindow());
        return;
    }
}

} // namespace kestrana::menubar::win32
