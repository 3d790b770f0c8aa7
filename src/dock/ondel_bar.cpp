#include "dock/ondel_bar.h"

#include "dock/item_bounce.h"
#include "dock/item_growth.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <utility>

namespace kestrana::dock {
namespace {

// The breathing of an attention mark needs no more than this.
constexpr std::int64_t kAttentionFrameMs = 80;

bool AnyAttention(const DockItems& items) {
    bool any = false;
    items.ForEachReal([&](std::size_t, const Dockico& item) { any = any || item.attention; });
    return any;
}

float EaseInOut(float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return t < 0.5f ? 4 * t * t * t : 1 - std::pow(-2 * t + 2, 3.0f) / 2;
}

} // namespace

OndelBar::OndelBar(DockPlatform& platform, themes::DockSkin& skin, const DockSettings& settings,
                   const DockScreen& screen, const SkinSpacing& spacing, int refreshHz)
    : m_platform(platform), m_model(settings, screen, spacing), m_renderer(skin), m_refreshHz(refreshHz) {
    m_animator.Configure(settings.iconEffect, m_model.MagnifyRange(), refreshHz);
    m_edgeAtHide = m_model.GetEdge();
    m_platform.ApplyZOrder(InitialZOrder(settings.displayMode));
    PlaceWindows();
}

void OndelBar::ItemsChanged() {
    bool moved = false, growing = false;
    {
        std::lock_guard lock(m_items.ListMutex());
        moved = m_model.Refit(m_items);
        m_model.Layout().Invalidate();
        growing = ItemsInMotion(m_items);
        m_attention = AnyAttention(m_items);
    }
    // The item held down may have moved to another index.
    m_pressed = 0;
    m_animator.Configure(m_model.Settings().iconEffect, m_model.MagnifyRange(), m_refreshHz);
    if (moved) PlaceWindows();
    m_renderer.Invalidate();
    LayOutAndDraw();
    if (growing && !m_growing) {
        m_growing = true;
        m_growthMs = m_platform.NowMs();
        WantFrame(NextFrameSlot(m_growthMs));
    }
}

bool OndelBar::StepGrowth(std::int64_t now) {
    bool moving = false, moved = false;
    {
        std::lock_guard lock(m_items.ListMutex());
        std::lock_guard windows(m_items.WindowListMutex());
        const GrowthStep step = StepItemGrowth(m_items, now - m_growthMs);
        moving = step.moving;
        if (step.removed) m_pressed = 0;
        moved = m_model.Refit(m_items);
        m_model.Layout().Invalidate();
    }
    m_growthMs = now;
    if (moved) PlaceWindows();
    return moving;
}

void OndelBar::StartBounce(std::int32_t itemId) {
    const std::int64_t now = m_platform.NowMs();
    std::erase_if(m_bounces, [itemId](const Bounce& b) { return b.itemId == itemId; });
    m_bounces.push_back({itemId, now});
    WantFrame(NextFrameSlot(now));
}

bool OndelBar::StepBounces(std::int64_t now) {
    std::lock_guard lock(m_items.ListMutex());
    std::lock_guard windows(m_items.WindowListMutex());
    std::erase_if(m_bounces, [&](const Bounce& b) {
        const std::size_t index = m_items.IndexOfId(b.itemId);
        return !index || !m_items[index].windows.empty() || now - b.startMs >= kBounceGiveUpMs;
    });
    return !m_bounces.empty();
}

void OndelBar::Reconfigure(const DockSettings& settings, const DockScreen& screen, const SkinSpacing& skin,
                           int refreshHz) {
    const DisplayMode before = m_model.Settings().displayMode;
    m_refreshHz = refreshHz;
    {
        std::lock_guard lock(m_items.ListMutex());
        m_model.Reconfigure(settings, screen, skin);
    }
    if (settings.displayMode != before) {
        m_platform.ApplyZOrder(InitialZOrder(settings.displayMode));
        // A mode that never hides brings a hidden dock back.
        if (!UsesHideDecision(settings.displayMode) && settings.displayMode != DisplayMode::Hotkey)
            Fire(DockEvent::ShowDecided);
    }
    ItemsChanged();
    PlaceWindows();
    UpdateActivationBar();
}

void OndelBar::SetSkin(themes::DockSkin& skin) {
    m_renderer.SetSkin(skin);
    Redraw();
}

void OndelBar::SetBackdrop(bool enabled, std::uint8_t opacity) {
    m_backdrop = enabled;
    m_barOpacity = enabled ? static_cast<float>(opacity) / 255.0f : 1.0f;
    Redraw();
    UpdateBackdrop();
}

void OndelBar::UpdateBackdrop() {
    std::optional<ScreenRect> rect;
    const gfx::RectF bar = m_renderer.BarRect();
    if (m_backdrop && !m_contrast && m_state != DockState::Hidden && m_motion == Motion::None && !bar.Empty()) {
        const ScreenRect window = m_model.WindowRect();
        rect = ScreenRect{window.left + static_cast<int>(bar.x), window.top + static_cast<int>(bar.y),
                          window.left + static_cast<int>(bar.Right()), window.top + static_cast<int>(bar.Bottom())};
    }
    if (rect == m_backdropRect) return;
    m_backdropRect = rect;
    const float depth = IsVertical(m_model.GetEdge()) ? bar.width : bar.height;
    m_platform.PlaceBackdrop(rect, static_cast<int>(depth * 0.3125f));
}

void OndelBar::SetContrast(const std::optional<gfx::ContrastColours>& colours) {
    if (colours == m_contrast) return;
    m_contrast = colours;
    RedrawWhole();
    UpdateBackdrop();
}

void OndelBar::SetDark(bool dark) {
    if (dark == m_dark) return;
    m_dark = dark;
    Redraw();
}

ScreenRect OndelBar::HitArea() const {
    ScreenRect area = m_model.DockAreaRect();
    const ScreenRect window = m_model.WindowRect();
    // While magnified the icons reach past the bar; the pointer stays "inside" on them.
    if (m_pointerInside || m_animator.Magnification() > 0) {
        const int reach = m_model.MagnifyRange();
        switch (m_model.GetEdge()) {
        case Edge::Bottom: area.top -= reach; break;
        case Edge::Top: area.bottom += reach; break;
        case Edge::Left: area.right += reach; break;
        case Edge::Right: area.left -= reach; break;
        }
    }
    // The whole length of the window stays live so the pointer can travel along a growing row.
    if (IsVertical(m_model.GetEdge())) {
        area.top = window.top;
        area.bottom = window.bottom;
    } else {
        area.left = std::max(window.left, std::min(area.left, window.right));
        area.right = std::min(window.right, std::max(area.right, window.left));
    }
    return {std::max(area.left, window.left), std::max(area.top, window.top), std::min(area.right, window.right),
            std::min(area.bottom, window.bottom)};
}

void OndelBar::PlaceWindows() {
    m_placedHit = HitArea();
    m_platform.PlaceWindows(m_model.WindowRect(), m_placedHit);
}

void OndelBar::FollowRow() {
    // The pointer must reach every icon drawn. While magnified the area only widens: the
    // row slides as the pointer moves, and an area shrinking under a still pointer would
    // read as the pointer leaving.
    ScreenRect hit = HitArea();
    if (m_animator.Magnification() > 0 && !m_placedHit.Empty())
        hit = {std::min(hit.left, m_placedHit.left), std::min(hit.top, m_placedHit.top),
               std::max(hit.right, m_placedHit.right), std::max(hit.bottom, m_placedHit.bottom)};
    if (hit == m_placedHit) return;
    m_placedHit = hit;
    m_platform.PlaceWindows(m_model.WindowRect(), hit);
}

void OndelBar::WantFrame(std::int64_t dueMs) {
    if (m_frameDue && *m_frameDue <= dueMs) return;
    m_frameDue = dueMs;
    m_platform.RequestFrame(dueMs);
}

void OndelBar::Fire(DockEvent event, bool growStarted, bool shrinkStarted) {
    const DockContext context{m_model.Settings().displayMode, growStarted, shrinkStarted};
    const DockTransition transition = NextDockState(m_state, event, context);
    const DockState before = m_state;
    m_state = transition.next;
    Carry(transition.action);
    if (before != m_state && (before == DockState::Hidden || m_state == DockState::Hidden)) UpdateActivationBar();
}

void OndelBar::Carry(DockAction action) {
    const std::int64_t now = m_platform.NowMs();
    switch (action) {
    case DockAction::None: break;
    case DockAction::Redraw: Redraw(); break;
    case DockAction::StartGrow:
    case DockAction::StartShrink: WantFrame(now); break;
    case DockAction::StartHide:
        m_platform.ShowLabel(std::nullopt);
        m_hideMotion.Begin();
        m_edgeAtHide = m_model.GetEdge();
        m_hideStepDue = now;
        WantFrame(now);
        break;
    case DockAction::StartShow:
        m_hideMotion.Cancel();
        m_hideStepDue.reset();
        m_strip.Reset();
        m_platform.SamplePointer(false);
        // Come back from wherever the motion stands, at the same pace.
        m_motion = Motion::In;
        m_motionStartMs = now - static_cast<std::int64_t>((1.0f - m_motionProgress) * kHideMotionMs);
        WantFrame(now);
        break;
    case DockAction::DecideHide:
        // The smart mode decides at its next tick; nothing to do at once.
        break;
    }
}

std::size_t OndelBar::ItemUnderPointer() const {
    if (!m_pointerInside) return 0;
    const EdgeFrame& frame = m_model.Frame();
    const float along = static_cast<float>(frame.AlongOf(m_pointer) - frame.AlongStart(m_model.WindowRect()) -
                                           m_model.RowOffset());
    const std::size_t index = ItemAt(m_items, along);
    return index && !m_items[index].IsSeparator() ? index : 0;
}

std::size_t OndelBar::EntryAt(ScreenPoint point) const {
    std::lock_guard lock(m_items.ListMutex());
    return EntryAtLocked(point);
}

std::size_t OndelBar::EntryAtLocked(ScreenPoint point) const {
    const EdgeFrame& frame = m_model.Frame();
    const float along = static_cast<float>(frame.AlongOf(point) - frame.AlongStart(m_model.WindowRect()) -
                                           m_model.RowOffset());
    return ItemAt(m_items, along);
}

void OndelBar::SetHovered(std::size_t hovered) {
    if (hovered == m_hovered) return;
    m_hovered = hovered;
    if (!m_hovered) m_platform.ShowLabel(std::nullopt);
}

void OndelBar::UpdateHover() {
    std::lock_guard lock(m_items.ListMutex());
    SetHovered(ItemUnderPointer());
}

void OndelBar::SetOpenFacts(const DockOpenFacts& facts) {
    const bool menuClosed = m_open.menuOpen && !facts.menuOpen;
    if (facts.menuOpen && !m_open.menuOpen) m_labelHeld = true;
    m_open = facts;
    if (menuClosed) RedrawWhole(); // also draws the label, held back
    else UpdateLabel();
}

void OndelBar::PointerMoved(ScreenPoint pointer) {
    if (pointer.x != m_pointer.x || pointer.y != m_pointer.y) m_labelHeld = false;
    m_pointer = pointer;
    if (m_state == DockState::Hidden || m_state == DockState::Hiding || m_state == DockState::Showing) {
        // A pointer arriving on a dock that is moving is taken up once it stands.
        if (m_state == DockState::Hiding) Fire(DockEvent::ShowDecided);
        return;
    }
    if (!m_pointerInside) {
        m_pointerInside = true;
        UpdateHover();
        const bool grow = m_animator.Enter(m_platform.NowMs());
        Fire(DockEvent::PointerEntered, grow, false);
        PlaceWindows();
        if (!grow) LayOutAndDraw();
        return;
    }
    UpdateHover();
    // Moves come faster than the display shows them: the next paced frame lays out for
    // the last one. While the animation runs, its frames pick the pointer up anyway.
    if (m_animator.Running() == MagnifyAnimator::Direction::None) {
        m_layoutWanted = true;
        WantFrame(NextFrameSlot(m_platform.NowMs()));
    }
}

std::int64_t OndelBar::NextFrameSlot(std::int64_t now) const {
    return std::max(now, m_lastDrawMs + 1000 / UsableRefreshRate(m_refreshHz));
}

void OndelBar::PointerLeft() {
    if (!m_pointerInside) return;
    m_pointerInside = false;
    m_hovered = 0;
    m_pressed = 0;
    m_platform.ShowLabel(std::nullopt);
    const bool shrink = m_animator.Leave(m_platform.NowMs());
    Fire(DockEvent::PointerLeft, false, shrink);
    if (!shrink) PlaceWindows();
}

void OndelBar::ButtonChanged(bool down) {
    const std::size_t pressed = down ? m_hovered : 0;
    if (pressed == m_pressed) return;
    m_pressed = pressed;
    Redraw();
}

bool OndelBar::WantsHideDecision() {
    if (!UsesHideDecision(m_model.Settings().displayMode)) return false;
    DockActivity activity;
    activity.buttonHeld = m_pressed != 0;
    activity.dragging = m_open.dragging;
    activity.popupOpen = m_open.popupOpen || m_open.menuOpen || m_keyboardFocus != kNoItemId;
    return m_ticker.Tick(activity);
}

HideContext OndelBar::MakeHideContext(std::uint64_t monitor, std::uint32_t foregroundProcessId) const {
    HideContext context;
    context.mode = m_model.Settings().displayMode;
    context.hidden = m_state == DockState::Hidden || m_state == DockState::Hiding;
    context.pointerInside = m_pointerInside;
    context.monitor = monitor;
    context.monitorRect = m_model.Frame().Monitor();
    context.dockArea = m_model.DockAreaRect();
    context.showModeWindows = m_model.Settings().showModeWindows;
    context.foregroundProcessId = foregroundProcessId;
    return context;
}

void OndelBar::ApplyHideVerdict(HideVerdict verdict) {
    if (verdict == HideVerdict::Hide) Fire(DockEvent::HideDecided);
    if (verdict == HideVerdict::Show) Fire(DockEvent::ShowDecided);
}

void OndelBar::PointerSample(ScreenPoint pointer, bool buttonHeld) {
    if (m_state != DockState::Hidden) return;
    const auto result = m_strip.OnPointer(m_platform.NowMs(), pointer, buttonHeld, m_model.TriggerStripRect(),
                                          m_model.Settings().displayMode, true, m_model.Settings().mouseActSleep);
    if (result.action == StripWatcher::Action::Show) Fire(DockEvent::ShowDecided);
    if (result.action == StripWatcher::Action::ScheduleCheck) m_platform.ScheduleStripCheck(result.checkAtMs);
}

void OndelBar::StripCheckDue(ScreenPoint pointer) {
    if (m_strip.OnCheckDue(pointer, m_model.TriggerStripRect(), m_state == DockState::Hidden))
        Fire(DockEvent::ShowDecided);
}

void OndelBar::HotkeyPressed() { Fire(DockEvent::HotkeyPressed); }

void OndelBar::SetKeyboardFocus(std::int32_t itemId) {
    if (itemId == m_keyboardFocus) return;
    const bool arrived = m_keyboardFocus == kNoItemId;
    m_keyboardFocus = itemId;
    if (itemId != kNoItemId && arrived && (m_state == DockState::Hidden || m_state == DockState::Hiding))
        Fire(DockEvent::ShowDecided);
    // Gone with the focus: the dock settles as it would after the pointer left it.
    if (itemId == kNoItemId && !m_pointerInside && m_state == DockState::ShownAtRest) Fire(DockEvent::PointerLeft);
    Redraw();
}

void OndelBar::AttentionChanged(const ShellAttention& attention) {
    const ZOrder order = ReassertedZOrder(m_model.Settings().displayMode, attention);
    if (order != ZOrder::Unchanged) m_platform.ApplyZOrder(order);
}

SlideOffset OndelBar::CurrentOffset() const {
    if (m_motionProgress <= 0 || MotionKindFromSetting(m_model.Settings().showHideType) == HideMotionKind::Fade)
        return {};
    const SlideOffset full = m_model.HiddenOffset();
    const float t = EaseInOut(m_motionProgress);
    return {full.dx * t, full.dy * t};
}

std::uint8_t OndelBar::CurrentOpacity() const {
    if (MotionKindFromSetting(m_model.Settings().showHideType) != HideMotionKind::Fade) return 255;
    return static_cast<std::uint8_t>(std::lround(255.0f * (1.0f - EaseInOut(m_motionProgress))));
}

bool OndelBar::StepHideWatch(std::int64_t now) {
    HideWatchFacts facts;
    facts.menuOpen = m_open.menuOpen;
    facts.dragging = m_open.dragging;
    facts.popupOpen = m_open.popupOpen || m_keyboardFocus != kNoItemId;
    facts.pointerInside = m_pointerInside;
    facts.quitting = m_open.quitting;
    facts.edgeChanged = m_model.GetEdge() != m_edgeAtHide;
    const HideStep step = m_hideMotion.Step(now, facts);
    m_hideStepDue.reset();
    switch (step.action) {
    case HideStepAction::StartMotion:
        m_animator.Stop();
        m_motion = Motion::Out;
        m_motionStartMs = now;
        m_hideStepDue = step.nextStepMs;
        break;
    case HideStepAction::Wait:
    case HideStepAction::Watch: m_hideStepDue = step.nextStepMs; break;
    case HideStepAction::Undo: Fire(DockEvent::HideUndone); break;
    case HideStepAction::Finish:
        m_motion = Motion::None;
        m_motionProgress = 1;
        Fire(DockEvent::HideDone);
        m_platform.SamplePointer(true);
        return true;
    case HideStepAction::Abort: Fire(DockEvent::ShowDecided); break;
    }
    return false;
}

std::optional<std::int64_t> OndelBar::StepMotion(std::int64_t now) {
    UpdateBackdrop();
    const float t = std::clamp(static_cast<float>(now - m_motionStartMs) / kHideMotionMs, 0.0f, 1.0f);
    m_motionProgress = m_motion == Motion::Out ? t : 1.0f - t;
    Show({}, true);
    if (t < 1.0f) return now + std::max(1, 1000 / std::max(30, m_refreshHz));
    if (m_motion == Motion::In) {
        m_motion = Motion::None;
        m_motionProgress = 0;
        Fire(DockEvent::ShowDone);
        Redraw();
    }
    // Moving out ends with the watch (HideDone); the picture stays off screen meanwhile.
    return std::nullopt;
}

std::optional<std::int64_t> OndelBar::Frame() {
    m_frameDue.reset();
    const std::int64_t now = m_platform.NowMs();
    std::optional<std::int64_t> next;
    auto soonest = [&next](std::int64_t t) { next = next ? std::min(*next, t) : t; };
    bool drawn = false;
    const bool layoutWanted = std::exchange(m_layoutWanted, false);

    const bool grew = m_growing;
    if (m_growing) m_growing = StepGrowth(now);
    if (m_animator.Running() != MagnifyAnimator::Direction::None) {
        const MagnifyFrame frame = m_animator.Step(now);
        LayOutAndDraw();
        drawn = true;
        if (frame.finished) {
            Fire(DockEvent::AnimationDone);
            if (!m_pointerInside) PlaceWindows(); // back to the bar's own hit area
        } else {
            soonest(frame.nextFrameMs);
        }
    } else if ((layoutWanted || grew || m_attention || !m_bounces.empty()) && m_motion == Motion::None &&
               m_state != DockState::Hidden) {
        // A bounce that ended is drawn once more, back in place.
        if (!m_bounces.empty() && StepBounces(now)) soonest(NextFrameSlot(now));
        LayOutAndDraw();
        drawn = true;
    }
    if (m_growing) soonest(NextFrameSlot(now));
    if (m_attention && m_state != DockState::Hidden) soonest(now + kAttentionFrameMs);

    if (m_hideStepDue && now >= *m_hideStepDue) {
        if (StepHideWatch(now)) drawn = false; // present the final position below
        if (m_hideStepDue) soonest(*m_hideStepDue);
    }
    if (m_motion != Motion::None) {
        if (const auto motionNext = StepMotion(now)) soonest(*motionNext);
    } else if (!drawn && m_state == DockState::Hidden) {
        Show({}, true);
    }

    if (next) WantFrame(*next);
    return next;
}

ScreenRect OndelBar::IconOnScreen(std::int32_t itemId) const {
    const gfx::RectF icon = m_renderer.IconRect(itemId);
    if (icon.Empty()) return {};
    const ScreenRect window = m_model.WindowRect();
    const int left = window.left + static_cast<int>(std::lround(icon.x));
    const int top = window.top + static_cast<int>(std::lround(icon.y));
    return {left, top, left + static_cast<int>(std::lround(icon.width)), top + static_cast<int>(std::lround(icon.height))};
}

void OndelBar::UpdateLabel() {
    // The label would sit on the icon being dragged.
    if (!m_hovered || !m_pointerInside || m_open.dragging || m_open.menuOpen || m_labelHeld) {
        m_platform.ShowLabel(std::nullopt);
        return;
    }
    const Dockico& item = m_items[m_hovered];
    if (item.tag.empty()) {
        m_platform.ShowLabel(std::nullopt);
        return;
    }
    const gfx::RectF icon = m_renderer.IconRect(item.id);
    const ScreenRect window = m_model.WindowRect();
    LabelRequest label;
    label.text = item.tag;
    label.itemId = item.id;
    label.edge = m_model.GetEdge();
    const float cx = static_cast<float>(window.left) + icon.x + icon.width / 2;
    const float cy = static_cast<float>(window.top) + icon.y + icon.height / 2;
    switch (label.edge) {
    case Edge::Bottom: label.anchor = {static_cast<int>(cx), window.top + static_cast<int>(icon.y)}; break;
    case Edge::Top: label.anchor = {static_cast<int>(cx), window.top + static_cast<int>(icon.Bottom())}; break;
    case Edge::Left: label.anchor = {window.left + static_cast<int>(icon.Right()), static_cast<int>(cy)}; break;
    case Edge::Right: label.anchor = {window.left + static_cast<int>(icon.x), static_cast<int>(cy)}; break;
    }
    m_platform.ShowLabel(label);
}

void OndelBar::LayOutAndDraw() {
    gfx::RectI dirty;
    {
        std::lock_guard lock(m_items.ListMutex());
        if (!DockItems::HasItemRange(m_items.Size())) return;
        m_model.LayOut(m_items, m_pointer, m_animator.Magnification(), false);
        // The bulge moved under the pointer: the item beneath it may be another now.
        SetHovered(ItemUnderPointer());
        DockFrameState state;
        state.magnification = m_animator.Magnification();
        state.lightAlpha = m_pointerInside ? 255 : m_animator.LightAlpha();
        if (!TraitsOf(m_model.Settings().iconEffect).light) state.lightAlpha = 0;
        state.hovered = m_hovered;
        state.pressed = m_pressed;
        state.focused = m_keyboardFocus;
        state.contrast = m_contrast;
        state.dark = m_dark;
        state.showRunning = m_model.Settings().runIcon;
        state.barOpacity = m_barOpacity;
        state.attentionPulse = m_attention ? AttentionPulse(m_platform.NowMs()) : 1.0f;
        if (!m_bounces.empty()) {
            // The hop stays inside the window: above the icon there is the magnification's room.
            const float room = static_cast<float>(m_model.MagnifyRange()) +
                               static_cast<float>(m_model.Thickness() - m_model.Margin()) - m_model.IconSize();
            for (const Bounce& b : m_bounces)
                state.lifts.emplace_back(b.itemId, BounceLift(m_platform.NowMs() - b.startMs, m_model.IconSize(), room));
        }
        const int width = m_frame.Width(), height = m_frame.Height();
        dirty = m_renderer.Render(m_items, m_model, state, m_frame);
        if (m_frame.Width() != width || m_frame.Height() != height) m_shown = {}; // another window
    }
    m_lastDrawMs = m_platform.NowMs();
    if (m_pointerInside || m_animator.Magnification() > 0) FollowRow();
    UpdateBackdrop();
    Show(dirty, false);
    UpdateLabel();
    // The breathing mark carries on by itself, also after the dock came back from hiding.
    if (m_attention && m_state != DockState::Hidden) WantFrame(m_lastDrawMs + kAttentionFrameMs);
}

gfx::RectI OndelBar::MagnifiedReach() const {
    // At full magnification the row is 4.234 x M longer than at rest, centred in the
    // window; a hovered end icon's look reaches a quarter of its size past the bar.
    const int range = m_model.MagnifyRange();
    const int window = m_model.WindowLength();
    const int row = m_model.RestRowLength() + static_cast<int>(std::ceil(4.234 * range));
    const int start = static_cast<int>(std::floor((window - row) / 2.0 + 0.5));
    const int reach = static_cast<int>(BarEndPadding(m_renderer.Skin())) +
                      static_cast<int>(std::ceil(0.25f * (m_model.IconSize() + static_cast<float>(range)))) + 3;
    const gfx::RectF along = EdgeRectInFrame(m_model.GetEdge(), m_frame.Width(), m_frame.Height(),
                                             static_cast<float>(start - reach), static_cast<float>(row + 2 * reach), 0,
                                             static_cast<float>(IsVertical(m_model.GetEdge()) ? m_frame.Width()
                                                                                              : m_frame.Height()));
    return gfx::Intersect({static_cast<int>(along.x), static_cast<int>(along.y), static_cast<int>(along.width),
                           static_cast<int>(along.height)},
                          m_frame.Bounds());
}

void OndelBar::Show(gfx::RectI dirty, bool moved) {
    if (m_frame.Empty()) return;
    // The window shows no more than what is drawn: the bar and its icons at rest. While
    // the icons grow it takes their whole reach at once, so the growing row never makes
    // it change size frame after frame; back at rest it shrinks again.
    const bool atRest = m_animator.Magnification() <= 0 && m_animator.Running() == MagnifyAnimator::Direction::None;
    gfx::RectI part = m_renderer.ContentExtent();
    if (!atRest) {
        part = gfx::Bounding(part, MagnifiedReach());
        if (!m_shown.Empty()) part = gfx::Bounding(part, m_shown);
    }
    part = gfx::Intersect(part, m_frame.Bounds());
    if (part.Empty()) return;
    if (!(part == m_shown)) {
        m_shown = part;
        dirty = part;
    }
    if (dirty.Empty() && !moved) return;
    m_platform.Present(m_frame, m_shown, dirty, CurrentOffset(), CurrentOpacity());
}

void OndelBar::Redraw() { LayOutAndDraw(); }

void OndelBar::RedrawWhole() {
    m_renderer.Invalidate();
    LayOutAndDraw();
}

void OndelBar::UpdateActivationBar() {
    m_platform.ShowActivationBar(ActivationBarShown(m_model.Settings().showActBar, m_state), m_model.ActivationBar());
}

} // namespace kestrana::dock
