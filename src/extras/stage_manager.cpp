#include "extras/stage_manager.h"

#include "foundation/config_store.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

namespace kestrana::extras {
namespace {

std::wstring Lower(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return out;
}

} // namespace

int StageShowModeFromSetting(int value) { return value >= 0 && value <= 2 ? value : 0; }

StageSettings ReadStageSettings(const foundation::ConfigStore& store, std::wstring_view monitorSection) {
    StageSettings s;
    s.enabled = store.ReadInt(monitorSection, L"stagemanager_enable") != 0;
    s.listRight = store.ReadInt(monitorSection, L"stagemanager_listright") != 0;
    s.showMode = StageShowModeFromSetting(store.ReadInt(monitorSection, L"stagemanager_listshowmode"));
    s.space = store.ReadFloat(monitorSection, L"stagemanager_space");
    s.windowsSize = store.ReadInt(monitorSection, L"stagemanager_windowssize");
    s.count = store.ReadInt(monitorSection, L"stagemanager_count");
    s.border = store.ReadInt(monitorSection, L"stagemanager_listborder") != 0;
    return s;
}

ScreenRect StripLayout::Slot(int index) const {
    if (index < 0 || index >= visibleSlots) return {};
    // The column stands centred in the strip's height, `edgeOffset` off the screen edge.
    const int columnLeft = right ? window.Width() - columnWidth + edgeOffset : edgeOffset;
    const int columnTop = (window.Height() - columnHeight) / 2;
    const int top = columnTop + index * (size + space);
    return {columnLeft, top, columnLeft + columnWidth, top + size};
}

StripLayout LayOutStrip(const StageSettings& settings, const StageScreen& screen) {
    StripLayout l;
    const double scale = screen.scale > 0 ? screen.scale : 1.0;
    const int h = screen.workArea.Height();
    const double space = settings.space > 0 ? settings.space : 40.0;
    l.space = static_cast<int>(std::floor(space * scale));
    l.size = settings.windowsSize > 0 ? settings.windowsSize : h / 8;
    l.count = settings.count > 0 ? settings.count : 5;
    const int pitch = l.size + l.space;
    const int room = h - screen.dockReserved - screen.menuBarHeight + 3 * l.space;
    l.visibleSlots = pitch > 0 && room > 0 ? std::min(room / pitch, l.count) : 0;
    l.inset = l.size / 3;
    l.right = settings.listRight;
    l.edgeOffset = static_cast<int>(std::floor(10 * scale)) * (l.right ? -1 : 1);
    l.columnWidth = 2 * l.size;
    l.columnHeight = l.visibleSlots > 0 ? l.visibleSlots * l.size + l.space * (l.visibleSlots - 1) : 0;
    const ScreenRect& wa = screen.workArea;
    if (l.right) l.window = {wa.right - 2 * (h / 6), wa.top, wa.right, wa.bottom};
    else l.window = {wa.left, wa.top, wa.left + 2 * l.size, wa.bottom};
    l.rotationDegrees = l.right ? -27.5f : 70.0f;
    l.perspectiveDepth = wa.Width() > 0 ? -1.0f / static_cast<float>(wa.Width()) : 0.0f;
    return l;
}

bool StageExcluded(const StageCandidate& window) {
    static constexpr std::wstring_view kFragments[] = {
        L"LauncherSearchWindow",
        L"HwndWrapper[Listary.exe;;",
        L"WindowsForms10.Window.8.app.",
        L"Windows.UI.Core.CoreWindow",
        L"$$$Secure UAP Dummy Window Class For Interim Dialog",
        L"Credential Dialog Xaml Host",
        L"AcTaskBarWin",
        L"ZPFloatToolbarClass",
    };
    for (std::wstring_view f : kFragments)
        if (window.className.find(f) != std::wstring::npos) return true;
    return Lower(window.title).find(L".dwg") != std::wstring::npos;
}

std::unordered_set<std::wstring> ReadStageBlacklist(const foundation::ConfigStore& store) {
    std::vector<std::wstring> keys, values;
    store.ReadSection(L"stagemanagerblacklist", {}, &keys, &values);
    std::unordered_set<std::wstring> out;
    for (std::size_t i = 0; i < keys.size() && i < values.size(); ++i)
        if (values[i] == L"1") out.insert(Lower(keys[i]));
    return out;
}

std::vector<WindowId> ChooseStripWindows(std::span<const StageCandidate> recentFirst, WindowId active,
                                         const std::unordered_set<std::wstring>& blacklist, int slots) {
    std::vector<WindowId> out;
    for (const StageCandidate& w : recentFirst) {
        if (static_cast<int>(out.size()) >= slots) break;
        if (w.id == active || w.id == WindowId::None || StageExcluded(w)) continue;
        if (!w.appKey.empty() && blacklist.contains(Lower(w.appKey))) continue;
        if (std::find(out.begin(), out.end(), w.id) != out.end()) continue;
        out.push_back(w.id);
    }
    return out;
}

void StageOrder::Activated(WindowId window) {
    if (window == WindowId::None) return;
    Gone(window);
    m_order.insert(m_order.begin(), window);
}

void StageOrder::Gone(WindowId window) { std::erase(m_order, window); }

} // namespace kestrana::extras
