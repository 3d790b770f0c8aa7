#include "dock/preview_rules.h"

#include "foundation/config_store.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

namespace kestrana::dock {
namespace {

bool SameText(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(static_cast<wint_t>(x)) == std::towlower(static_cast<wint_t>(y));
           });
}

} // namespace

int PreviewDelayMs(int tenths) { return std::clamp(tenths, 1, 10) * 100; }
int PreviewSize(int size) { return std::clamp(size, 100, 300); }

PreviewSettings ReadPreviewSettings(const foundation::ConfigStore& store) {
    constexpr std::wstring_view section = L"DWMThumbnail";
    PreviewSettings s;
    s.enabled = store.ReadBool(section, L"enabled");
    s.control = store.ReadBool(section, L"control");
    s.title = store.ReadBool(section, L"title");
    s.aeropeek = store.ReadBool(section, L"aeropeek");
    s.delayMs = PreviewDelayMs(store.ReadInt(section, L"delay"));
    s.size = PreviewSize(store.ReadInt(section, L"size"));
    return s;
}

std::wstring_view PreviewProxyClass(std::wstring_view program) {
    if (SameText(program, L"vmware.exe")) return kVmProxyClass;
    return {};
}

std::vector<WindowId> ChoosePreviewWindows(std::wstring_view program, std::span<const PreviewCandidate> itemWindows,
                                           std::span<const PreviewCandidate> proxies) {
    std::vector<WindowId> chosen;
    // The file manager's tabs each own a stand-in window that mirrors the one real window.
    const bool fileManager = SameText(program, L"explorer.exe");
    for (const PreviewCandidate& w : itemWindows) {
        if (fileManager && w.className == kTabProxyClass) continue;
        chosen.push_back(w.id);
    }
    const std::wstring_view proxyClass = PreviewProxyClass(program);
    if (chosen.size() != 1 || proxyClass.empty()) return chosen;
    // One console window holds many guests; each guest's stand-in gives a better picture.
    std::vector<WindowId> guests;
    for (const PreviewCandidate& p : proxies)
        if (p.className == proxyClass && p.visible && p.responsive && !p.title.empty()) guests.push_back(p.id);
    return guests.empty() ? chosen : guests;
}

PreviewCount CapPreviewCount(std::size_t windows) {
    const std::size_t shown = std::min(windows, kMaxPreviewPictures);
    return {shown, windows - shown};
}

int PreviewRow::Width() const {
    int total = 0;
    for (int w : widths) total += w + gap;
    return widths.empty() ? 0 : total - gap;
}

PreviewRow SizePreviewRow(std::span<const SourceSize> sources, int monitorWidth, bool verticalDock, float scale, int size,
                          int reserved) {
    PreviewRow row;
    row.gap = Rnd(4.0 * scale);
    const int available = monitorWidth - (verticalDock ? 256 : 0) - reserved;
    const double gapExact = 4.0 * scale;
    auto aspect = [](const SourceSize& s) {
        return s.width > 0 && s.height > 0 ? static_cast<double>(s.width) / s.height : 1.0;
    };
    int h = Rnd(PreviewSize(size) * static_cast<double>(scale)) + 1;
    long long total = 0;
    do {
        --h;
        total = 0;
        for (const SourceSize& s : sources) total += Rnd(aspect(s) * h + gapExact);
    } while (total > available && h > 1);
    row.height = h;
    row.widths.reserve(sources.size());
    for (const SourceSize& s : sources) row.widths.push_back(std::max(1, Rnd(aspect(s) * h)));
    return row;
}

ScreenRect PlacePreview(const ScreenRect& icon, Edge edge, int width, int height, const ScreenRect& monitor, int gap) {
    const int cx = (icon.left + icon.right) / 2;
    const int cy = (icon.top + icon.bottom) / 2;
    int left = 0, top = 0;
    switch (edge) {
    case Edge::Bottom: left = cx - width / 2; top = icon.top - gap - height; break;
    case Edge::Top: left = cx - width / 2; top = icon.bottom + gap; break;
    case Edge::Left: left = icon.right + gap; top = cy - height / 2; break;
    case Edge::Right: left = icon.left - gap - width; top = cy - height / 2; break;
    }
    // Kept inside: the far side gives way first, the monitor's left and top edges last.
    left = std::max(std::min(left, monitor.right - width), monitor.left);
    top = std::max(std::min(top, monitor.bottom - height), monitor.top);
    return {left, top, left + width, top + height};
}

void PreviewHover::HoverItem(std::int32_t itemId, bool running, std::int64_t nowMs) {
    m_hovered = running ? itemId : kNoItemId;
    if (m_hovered == kNoItemId) {
        if (!m_shown) {
            m_showAt.reset();
            m_pendingItem = kNoItemId;
        } else if (!m_inPreview) {
            StartLeaving(nowMs);
        }
        return;
    }
    m_closeAt.reset();
    if (m_shown) {
        if (m_hovered == m_shownItem) {
            m_showAt.reset();
        } else if (m_pendingItem != m_hovered || !m_showAt) {
            // Moving along the row with a preview up shows each item's at once.
            m_pendingItem = m_hovered;
            m_showAt = nowMs;
        }
        return;
    }
    if (m_pendingItem != m_hovered || !m_showAt) {
        m_pendingItem = m_hovered;
        m_showAt = nowMs + m_delayMs;
    }
}

void PreviewHover::PointerInPreview(bool inside, std::int64_t nowMs) {
    m_inPreview = inside;
    if (inside) m_closeAt.reset();
    else if (m_shown && m_hovered == kNoItemId) StartLeaving(nowMs);
}

void PreviewHover::OpenNow(std::int32_t itemId, std::int64_t nowMs) {
    m_closeAt.reset();
    if (m_shown && m_shownItem == itemId) return;
    m_pendingItem = itemId;
    m_showAt = nowMs;
}

void PreviewHover::Closed() {
    m_shown = false;
    m_shownItem = kNoItemId;
    m_pendingItem = kNoItemId;
    m_showAt.reset();
    m_closeAt.reset();
}

void PreviewHover::StartLeaving(std::int64_t nowMs) {
    m_showAt.reset();
    if (!m_closeAt) m_closeAt = nowMs + kLeaveGraceMs;
}

PreviewHover::Action PreviewHover::Tick(std::int64_t nowMs) {
    if (m_closeAt && nowMs >= *m_closeAt) {
        Closed();
        return Action::Close;
    }
    if (m_showAt && nowMs >= *m_showAt && m_pendingItem != kNoItemId) {
        m_shown = true;
        m_shownItem = m_pendingItem;
        m_pendingItem = kNoItemId;
        m_showAt.reset();
        return Action::Show;
    }
    return Action::None;
}

std::optional<std::int64_t> PreviewHover::NextDue() const {
    if (m_showAt && m_closeAt) return std::min(*m_showAt, *m_closeAt);
    return m_showAt ? m_showAt : m_closeAt;
}

void PreviewPeek::Hover(int index, std::int64_t nowMs) {
    if (index == m_hovered) return;
    m_hovered = index;
    m_since = nowMs;
}

PreviewPeek::Action PreviewPeek::Tick(bool enabled, std::int64_t nowMs) {
    const int want = enabled && m_hovered >= 0 && (m_peeked >= 0 || nowMs - m_since >= kRestMs) ? m_hovered : -1;
    if (want == m_peeked) return Action::None;
    m_peeked = want;
    return want >= 0 ? Action::Show : Action::End;
}

PreviewPeek::Action PreviewPeek::Closed() {
    m_hovered = -1;
    if (m_peeked < 0) return Action::None;
    m_peeked = -1;
    return Action::End;
}

std::optional<std::int64_t> PreviewPeek::NextDue() const {
    if (m_hovered == m_peeked) return std::nullopt;
    // Moving on or leaving while a peek shows acts at once; a first peek waits for the rest.
    if (m_peeked >= 0 || m_hovered < 0) return m_since;
    return m_since + kRestMs;
}

} // namespace kestrana::dock
