#include "menubar/tray/tray_source.h"

#include <algorithm>

namespace kestrana::menubar::tray {
namespace {

std::uint64_t Get(std::span<const std::uint8_t> b, std::size_t at, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint64_t>(b[at + i]) << (8 * i);
    return v;
}

constexpr std::uint8_t kButtonHidden = 0x08;

} // namespace

TraySourceKind ChooseTraySource(const TrayMachine& machine) {
    return machine.taskbar && machine.notifyToolbar ? TraySourceKind::Scrape : TraySourceKind::Host;
}

const wchar_t* TraySourceName(TraySourceKind kind) {
    return kind == TraySourceKind::Scrape ? L"the taskbar's notification toolbar is read" : L"the bar hosts the tray";
}

const wchar_t* TopmostCauseText(TopmostCause cause) {
    switch (cause) {
    case TopmostCause::TaskbarBack: return L"a taskbar came back";
    case TopmostCause::DisplayChange: return L"the screens changed";
    case TopmostCause::WorkArea: return L"the work area changed";
    case TopmostCause::Demoted: return L"it was moved out of the topmost windows";
    }
    return L"?";
}

TopmostStep TrayTopmost::After(TopmostCause cause, bool placeHeld, bool ours) {
    if (ours || placeHeld) return {};
    TopmostStep step;
    step.reassert = true;
    const std::uint32_t bit = 1u << static_cast<unsigned>(cause);
    step.log = (m_logged & bit) == 0;
    m_logged |= bit;
    // The programs have just told the returning taskbar their icons; asked again, they
    // tell the hosted window, now found first.
    step.announce = cause == TopmostCause::TaskbarBack;
    return step;
}

bool AutoTrayOn(std::optional<std::uint32_t> value) { return !value || *value != 0; }

std::vector<TrayIcon> JoinTrayAreas(std::vector<TrayIcon> visible, std::vector<TrayIcon> overflow, bool autoTray) {
    std::vector<TrayIcon> joined;
    const auto add = [&joined](std::vector<TrayIcon>& area) {
        for (auto& icon : area) {
            if (joined.size() >= kMaxTrayIcons) return;
            const bool twice = std::any_of(joined.begin(), joined.end(), [&](const TrayIcon& known) {
                return known.owner == icon.owner && known.id == icon.id;
            });
            if (!twice) joined.push_back(std::move(icon));
        }
    };
    add(visible);
    if (autoTray) add(overflow);
    return joined;
}

std::optional<ToolbarButton> DecodeToolbarButton(std::span<const std::uint8_t> b) {
    if (b.size() < kToolbarButtonSize) return std::nullopt;
    // bitmap 0, command 4, state 8, style 9, padding to 16, data 16, string 24
    return ToolbarButton{(b[8] & kButtonHidden) != 0, Get(b, 16, 8)};
}

std::optional<TrayIcon> DecodeTrayData(std::span<const std::uint8_t> b) {
    if (b.size() < kTrayDataSize) return std::nullopt;
    // owner 0, id 8, callback 12, two reserved words, icon 24
    TrayIcon icon;
    icon.owner = Get(b, 0, 8);
    icon.id = static_cast<std::uint32_t>(Get(b, 8, 4));
    icon.callback = static_cast<std::uint32_t>(Get(b, 12, 4));
    icon.icon = Get(b, 24, 8);
    if (icon.owner == 0) return std::nullopt;
    return icon;
}

} // namespace kestrana::menubar::tray
