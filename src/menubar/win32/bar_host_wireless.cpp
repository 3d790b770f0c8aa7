// The bar host's wireless panes and drive ejecting: the drive notice with its eject
// button, left up beside the user's work, the outcome of an eject, and the hotspot pane,
// a waiting prompt. The system is asked on workers.
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
    if (m_bars.empty()) return;
    const std::wstring root = std::wstring(1, letter) + L":\\";
    const auto name = m_drives.NameOf(root);
    if (!name) return; // gone before its notice could show
    const DriveNotice drive{root, *name, true};
    switch (m_noticeSlot.Arrive(drive, m_driveNotice && m_driveNotice->Held())) {
    case DriveNoticeSlot::Step::Show:
    case DriveNoticeSlot::Step::Replace: ShowDriveNotice(drive); return;
    case DriveNoticeSlot::Step::None:
    case DriveNoticeSlot::Step::Close: return;
    }
}

void BarHost::ShowDriveNotice(const DriveNotice& drive) {
    m_driveNotice.reset(); // the drive it replaces goes unanswered
    if (m_bars.empty()) {
        m_noticeSlot = DriveNoticeSlot{}; // no bar to place it under: none is up, none waits
        return;
    }
    const VarloBar& bar = *m_bars.front();
    const BarPlace& place = bar.Place();
    gfx::PromptRequest request = gfx::PromptAt(L"VarloDrive", "drive notice", place.scale, bar.Dark(), place.screen);
    request.title = DriveNoticeText(drive, Store());
    request.cancel = Store().LanguageText(L"promptwindow", L"close", L"Close");
    request.confirm = Store().LanguageText(L"promptwindow", L"eject", L"Eject");
    request.lingerMs = kDriveNoticeMs;
    // Copied: the bar may be made again while the notice is up.
    const gfx::RectI screen{place.screen.left, place.screen.top, place.screen.right - place.screen.left,
                            place.screen.bottom - place.screen.top};
    request.place = [screen, barHeight = place.height, scale = place.scale](SIZE size) {
        const gfx::RectI at = DriveNoticeRect(screen, barHeight, size.cx, size.cy, scale);
        return POINT{at.x, at.y};
    };
    m_driveNotice = gfx::PromptWindow::Show(request, Text(), [this, root = drive.root](bool eject) {
        DriveNoticeDone(root, eject);
    });
    if (!m_driveNotice) m_noticeSlot = DriveNoticeSlot{}; // logged; the next arrival tries again
}

void BarHost::DriveNoticeDone(const std::wstring& root, bool eject) {
    foundation::LogDetail("usb", L"the notice of " + root + (eject ? L" asked to eject" : L" closed"));
    m_driveNotice.reset();
    if (eject) EjectListed(root);
    if (const auto next = m_noticeSlot.Closed()) ShowDriveNotice(*next);
}

void BarHost::DriveLeft(const std::wstring& root) {
    if (m_noticeSlot.Left(root) != DriveNoticeSlot::Step::Close) return;
    foundation::LogDetail("usb", L"the notice of " + root + L" closed: the drive left");
    m_driveNotice.reset();
    if (const auto next = m_noticeSlot.Closed()) ShowDriveNotice(*next);
}

void BarHost::EjectListed(const std::wstring& root) {
    if (m_bars.empty()) return;
    const auto name = m_drives.NameOf(root);
    if (!name) {
        foundation::LogDetail("usb", root + L" left before it was ejected");
        return;
    }
    foundation::LogDetail("usb", L"ejecting " + root);
    if (!EjectDrive(root[0], FirstWindow()))
        m_bars.front()->ShowNotice(EjectText({root, *name, false}, EjectAnswer{ERROR_GEN_FAILURE, {}}, Store()));
}

void BarHost::DriveEjected(wchar_t letter, LPARAM packed) {
    const std::wstring root = std::wstring(1, letter) + L":\\";
    const DriveNotice notice{root, m_drives.NameOf(root).value_or(L""), false};
    const EjectAnswer answer = UnpackEjectAnswer(static_cast<std::uint64_t>(packed));
    const std::wstring text = EjectText(notice, answer, Store());
    if (EjectOutcomeOf(answer) == EjectOutcome::Ejected) foundation::LogDetail("usb", text);
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
