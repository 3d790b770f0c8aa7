#include "extras/window_entrance.h"

#include "foundation/config_store.h"
#include "gfx/resample.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kestrana::extras {

namespace {

// How far the zoom starts below the window's size, and the rise below its place.
constexpr float kZoomShrink = 0.15f;
constexpr float kRiseShrink = 0.04f;
constexpr float kRiseDrop = 0.06f;

EntranceKind ReadKind(const foundation::ConfigStore& store, std::wstring_view section) {
    EntranceKind kind;
    kind.enabled = store.ReadBool(section, L"enable");
    kind.effect = EntranceEffectFromNumber(store.ReadInt(section, L"AnimationEffect"));
    kind.durationPercent = ClampDurationPercent(store.ReadInt(section, L"AnimationSpeed"));
    return kind;
}

} // namespace

EntranceEffect EntranceEffectFromNumber(int value) {
    switch (value) {
    case 1: return EntranceEffect::Fade;
    case 2: return EntranceEffect::Rise;
    default: return EntranceEffect::Zoom;
    }
}

int ClampDurationPercent(int value) {
    if (value == 0) return 100;
    return std::clamp(value, 25, 200);
}

EntranceSettings ReadEntranceSettings(const foundation::ConfigStore& store) {
    EntranceSettings settings;
    settings.open = ReadKind(store, L"WindowsOpen");
    settings.close = ReadKind(store, L"WindowsClose");
    settings.centreOpened = store.ReadBool(L"normal", L"windowscenter");
    return settings;
}

bool EntranceRefusesClass(std::wstring_view className) {
    // Store applications and system flyouts are animated by the system itself; a second
    // animation would play over the first. The conference tool's floating bar and shared
    // view appear and vanish with screen sharing, where a lagging picture misleads.
    static constexpr std::array<std::wstring_view, 5> kRefused{
        L"Windows.UI.Core.CoreWindow", L"ApplicationFrameWindow", L"Shell_Flyout", L"ZPFloatToolbarClass",
        L"ZPContentViewWndClass"};
    return std::find(kRefused.begin(), kRefused.end(), className) != kRefused.end();
}

bool QualifiesForEntrance(const WindowLook& look) {
    if (!QualifiesForEffect(look) || look.fullScreen || EntranceRefusesClass(look.className)) return false;
    // The browser engine makes its menus, pop-ups and drag pictures from the same class as
    // its main windows; only the titled ones are windows people open and close.
    if (look.className == L"Chrome_WidgetWin_1" && look.title.empty()) return false;
    return true;
}

bool ShouldAnimateEntrance(Entrance entrance, const EntranceSettings& settings, const SystemState& system,
                           const WindowLook& look, const MinimiseDecider::Excluded& excluded) {
    if (!settings.Of(entrance).enabled || system.quitting || system.suspended || system.locked || system.animationsOff)
        return false;
    if (!QualifiesForEntrance(look)) return false;
    for (const auto& key : look.programKeys)
        if (excluded && excluded(key)) return false;
    return true;
}

FramePlan PlanEntrance(Entrance entrance, int refreshHz, int durationPercent) {
    FramePlan plan;
    plan.intervalMs = refreshHz > 60 ? 1000 / refreshHz : 15;
    const int duration = (entrance == Entrance::Open ? kOpenDurationMs : kCloseDurationMs) *
                         ClampDurationPercent(durationPercent) / 100;
    plan.frames = std::max(2, (duration + plan.intervalMs / 2) / plan.intervalMs);
    return plan;
}

EntranceFrame EntranceFrameAt(EntranceEffect effect, Entrance entrance, int frame, int frames) {
    const float t = frames > 1 ? std::clamp(float(frame) / float(frames - 1), 0.0f, 1.0f) : 1.0f;
    // Presence: 1 is the window as it stands. An opening decelerates into place; a
    // closing accelerates away, so both feel quick at the window's end.
    const float present = entrance == Entrance::Open ? 1.0f - (1.0f - t) * (1.0f - t) * (1.0f - t) : 1.0f - t * t;
    const float absent = 1.0f - present;
    EntranceFrame f;
    f.opacity = present;
    switch (effect) {
    case EntranceEffect::Zoom: f.scale = 1.0f - kZoomShrink * absent; break;
    case EntranceEffect::Fade: break;
    case EntranceEffect::Rise:
        f.scale = 1.0f - kRiseShrink * absent;
        f.drop = kRiseDrop * absent;
        break;
    }
    return f;
}

gfx::RectF EntranceRect(const Box& window, const EntranceFrame& frame) {
    const float w = float(window.Width()) * frame.scale, h = float(window.Height()) * frame.scale;
    const float cx = float(window.left) + float(window.Width()) / 2.0f;
    const float cy = float(window.top) + float(window.Height()) / 2.0f + frame.drop * float(window.Height());
    return {cx - w / 2.0f, cy - h / 2.0f, w, h};
}

Box EntranceArea(const Box& window, EntranceEffect effect) {
    Box area = window;
    if (effect == EntranceEffect::Rise) area.bottom += int(std::ceil(kRiseDrop * float(window.Height())));
    return area;
}

Box CentreIn(const Box& window, const Box& workArea) {
    const int w = window.Width(), h = window.Height();
    const int left = std::max(workArea.left, workArea.left + (workArea.Width() - w) / 2);
    const int top = std::max(workArea.top, workArea.top + (workArea.Height() - h) / 2);
    return {left, top, left + w, top + h};
}

namespace {

void ClearRect(gfx::Bitmap& target, const gfx::RectI& r) {
    const gfx::RectI c = gfx::Intersect(r, target.Bounds());
    for (int y = c.y; y < c.Bottom(); ++y) std::fill_n(target.Row(y) + c.x, c.width, gfx::Pixel{0});
}

// Clears what `last` covered and `next` will not: at most four strips around `next`.
void ClearOutside(gfx::Bitmap& target, const gfx::RectI& last, const gfx::RectI& next) {
    if (last.Empty()) return;
    const gfx::RectI keep = gfx::Intersect(last, next);
    if (keep.Empty()) {
        ClearRect(target, last);
        return;
    }
    ClearRect(target, {last.x, last.y, last.width, keep.y - last.y});
    ClearRect(target, {last.x, keep.Bottom(), last.width, last.Bottom() - keep.Bottom()});
    ClearRect(target, {last.x, keep.y, keep.x - last.x, keep.height});
    ClearRect(target, {keep.Right(), keep.y, last.Right() - keep.Right(), keep.height});
}

} // namespace

gfx::RectI DrawEntranceFrame(const gfx::Bitmap& image, const Box& window, const Box& area, const EntranceFrame& frame,
                             const gfx::RectI& lastDrawn, gfx::Bitmap& target) {
    gfx::RectF dest = EntranceRect(window, frame);
    dest.x -= float(area.left);
    dest.y -= float(area.top);
    gfx::RectI covered;
    if (!image.Empty() && frame.opacity > 0.0f && !dest.Empty()) {
        const int x0 = std::max(0, int(std::floor(dest.x))), y0 = std::max(0, int(std::floor(dest.y)));
        const int x1 = std::min(target.Width(), int(std::ceil(dest.Right())));
        const int y1 = std::min(target.Height(), int(std::ceil(dest.Bottom())));
        if (x1 > x0 && y1 > y0) covered = {x0, y0, x1 - x0, y1 - y0};
    }
    // The picture replaces what lies under it (edge pixels with their partial cover), so
    // only what the last frame drew outside it needs clearing.
    ClearOutside(target, lastDrawn, covered);
    if (covered.Empty()) return {};
    if (frame.scale == 1.0f && dest.x == std::floor(dest.x) && dest.y == std::floor(dest.y)) {
        // The window's own size: the picture as it is, pixel for pixel.
        gfx::BlendBitmap(image, int(dest.x), int(dest.y), 1.0f, target.Bounds(), target, gfx::BlendMode::Replace);
        return covered;
    }
    const gfx::AxisSegment xs{dest.x, dest.Right(), 0.0f, float(image.Width())};
    const gfx::AxisSegment ys{dest.y, dest.Bottom(), 0.0f, float(image.Height())};
    gfx::AxisPlan px, py;
    gfx::BuildAxisPlan({&xs, 1}, image.Width(), covered.x, covered.Right(), px);
    gfx::BuildAxisPlan({&ys, 1}, image.Height(), covered.y, covered.Bottom(), py);
    gfx::ResampleBlend(image, px, py, target, gfx::BlendMode::Replace);
    return covered;
}

} // namespace kestrana::extras
