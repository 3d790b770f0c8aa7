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

bool StripShown(int showMode, bool pointerOnStrip, bool stageOverStrip) {
    switch (StageShowModeFromSetting(showMode)) {
    case 1: return pointerOnStrip;
    case 2: return !stageOverStrip || pointerOnStrip;
    default: return true;
    }
}

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

ScreenRect PictureInSlot(const ScreenRect& slot, int inset, int sourceWidth, int sourceHeight) {
    const int roomWidth = std::max(slot.Width() - 2 * inset, 1);
    const int roomHeight = std::max(slot.Height(), 1);
    if (sourceWidth <= 0 || sourceHeight <= 0)
        return {slot.left + inset, slot.top, slot.left + inset + roomWidth, slot.top + roomHeight};
    // The side that is relatively longer decides: the picture fits both ways.
    const std::int64_t w = sourceWidth, h = sourceHeight;
    int width = roomWidth, height = roomHeight;
    if (w * roomHeight >= h * roomWidth) height = static_cast<int>(std::max<std::int64_t>(1, h * roomWidth / w));
    else width = static_cast<int>(std::max<std::int64_t>(1, w * roomHeight / h));
    const int left = slot.left + inset + (roomWidth - width) / 2;
    const int top = slot.top + (roomHeight - height) / 2;
    return {left, top, left + width, top + height};
}

ScreenRect TiltedPicture::Bounds() const {
    return {static_cast<int>(std::floor(std::min(left, right))), static_cast<int>(std::floor(std::min(leftTop, rightTop))),
            static_cast<int>(std::ceil(std::max(left, right))),
            static_cast<int>(std::ceil(std::max(leftBottom, rightBottom)))};
}

bool TiltedPicture::Contains(float x, float y) const {
    if (right <= left || x < left || x >= right) return false;
    const float t = (x - left) / (right - left);
    const float top = leftTop + (rightTop - leftTop) * t;
    const float bottom = leftBottom + (rightBottom - leftBottom) * t;
    return y >= top && y < bottom;
}

TiltedPicture TiltPicture(const ScreenRect& picture, float axisX, float axisY, float degrees, float depth) {
    const double angle = degrees * 3.14159265358979 / 180.0;
    const double c = std::cos(angle), s = std::sin(angle);
    // An edge at horizontal distance d from the axis moves to d cos a and comes d sin a
    // towards the viewer; the perspective divides by 1 + depth * z.
    auto edge = [&](double x, float& outX, float& top, float& bottom) {
        const double d = x - axisX;
        const double w = std::max(1.0 + depth * d * s, 0.05);
        outX = static_cast<float>(axisX + d * c / w);
        top = static_cast<float>(axisY + (picture.top - axisY) / w);
        bottom = static_cast<float>(axisY + (picture.bottom - axisY) / w);
    };
    TiltedPicture t;
    edge(picture.left, t.left, t.leftTop, t.leftBottom);
    edge(picture.right, t.right, t.rightTop, t.rightBottom);
    if (t.right < t.left) { // turned past a quarter: the back is seen, drawn as the front
        std::swap(t.left, t.right);
        std::swap(t.leftTop, t.rightTop);
        std::swap(t.leftBottom, t.rightBottom);
    }
    return t;
}

void DrawTilted(gfx::Bitmap& target, const gfx::Bitmap& picture, const TiltedPicture& shape) {
    if (picture.Empty() || target.Empty() || shape.right - shape.left < 0.5f) return;
    // A pixel belongs to the shape when its centre does.
    const int x0 = std::max(0, static_cast<int>(std::ceil(shape.left - 0.5f)));
    const int x1 = std::min(target.Width(), static_cast<int>(std::ceil(shape.right - 0.5f)));
    const float span = shape.right - shape.left;
    for (int x = x0; x < x1; ++x) {
        const float t = std::clamp((static_cast<float>(x) + 0.5f - shape.left) / span, 0.0f, 1.0f);
        const float top = shape.leftTop + (shape.rightTop - shape.leftTop) * t;
        const float bottom = shape.leftBottom + (shape.rightBottom - shape.leftBottom) * t;
        if (bottom - top < 0.5f) continue;
        const int sx = std::min(picture.Width() - 1, static_cast<int>(t * static_cast<float>(picture.Width())));
        const int y0 = std::max(0, static_cast<int>(std::ceil(top - 0.5f)));
        const int y1 = std::min(target.Height(), static_cast<int>(std::ceil(bottom - 0.5f)));
        for (int y = y0; y < y1; ++y) {
            const float v = std::clamp((static_cast<float>(y) + 0.5f - top) / (bottom - top), 0.0f, 1.0f);
            const int sy = std::min(picture.Height() - 1, static_cast<int>(v * static_cast<float>(picture.Height())));
            target.Set(x, y, picture.At(sx, sy));
        }
    }
}

int StepSlot(int current, int key, int slots) {
    if (slots <= 0) return -1;
    if (current < 0 || current >= slots) return key < 0 ? slots - 1 : 0;
    return std::clamp(current + (key < 0 ? -1 : 1), 0, slots - 1);
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
