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
// The highest address of a 64-bit process's own memory; a button pointing above it is
// garbage, not tray data.
constexpr std::uint64_t kHighestUserAddress = 0x0000'7FFF'FFFF'FFFFull;

} // namespace

TraySourceKind ChooseTraySource(const TrayMachine& machine) {
    return machine.taskbar && machine.notifyToolbar && machine.toolbarReadable ? TraySourceKind::Scrape
                                                                               : TraySourceKind::Host;
}

const wchar_t* TraySourceReason(const TrayMachine& machine) {
    if (!machine.taskbar) return L"there is no taskbar";
    if (!machine.notifyToolbar) return L"the taskbar has no notification toolbar";
    if (!machine.toolbarReadable) return L"the taskbar's memory cannot be read from this process";
    return L"the taskbar has a notification toolbar";
}

bool ToolbarReadable(bool ours64, TaskbarBits taskbar) { return ours64 || taskbar == TaskbarBits::Bits32; }

std::size_t ToolbarButtonSize(TaskbarBits bits) { return bits == TaskbarBits::Bits32 ? 20 : 32; }

std::size_t TrayDataSize(TaskbarBits bits) { return bits == TaskbarBits::Bits32 ? 24 : 32; }

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

std::optional<ToolbarButton> DecodeToolbarButton(std::span<const std::uint8_t> b, TaskbarBits bits) {
    if (b.size() < ToolbarButtonSize(bits)) return std::nullopt;
    // bitmap 0, command 4, state 8, style 9, then padding to the pointer size:
    // 32-bit: data 12, string 16; 64-bit: data 16, string 24.
    const bool wide = bits == TaskbarBits::Bits64;
    std::uint64_t data = wide ? Get(b, 16, 8) : Get(b, 12, 4);
    if (data > kHighestUserAddress) data = 0;
    return ToolbarButton{(b[8] & kButtonHidden) != 0, data};
}

std::optional<TrayIcon> DecodeTrayData(std::span<const std::uint8_t> b, TaskbarBits bits) {
    if (b.size() < TrayDataSize(bits)) return std::nullopt;
    // 32-bit: owner 0, id 4, callback 8, two reserved words, icon 20;
    // 64-bit: owner 0, id 8, callback 12, two reserved words, icon 24.
    const bool wide = bits == TaskbarBits::Bits64;
    TrayIcon icon;
    icon.owner = wide ? Get(b, 0, 8) : Get(b, 0, 4);
    icon.id = static_cast<std::uint32_t>(Get(b, wide ? 8 : 4, 4));
    icon.callback = static_cast<std::uint32_t>(Get(b, wide ? 12 : 8, 4));
    icon.icon = wide ? Get(b, 24, 8) : Get(b, 20, 4);
    if (icon.owner == 0) return std::nullopt;
    return icon;
}

} // namespace kestrana::menubar::tray
