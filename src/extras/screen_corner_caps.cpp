#include "extras/screen_corner_caps.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

namespace kestrana::extras {

std::wstring MonitorSection(std::wstring_view deviceName) {
    constexpr std::wstring_view prefix = L"\\\\.\\";
    if (deviceName.starts_with(prefix)) deviceName.remove_prefix(prefix.size());
    return std::wstring(deviceName);
}

int ClampCornerRadius(std::int64_t radius) {
    if (radius == 0) return kDefaultCornerRadius;
    return static_cast<int>(std::clamp<std::int64_t>(radius, 1, kMaxCornerRadius));
}

std::optional<std::uint32_t> ParseCornerColor(std::wstring_view text) {
    while (!text.empty() && std::iswspace(text.front())) text.remove_prefix(1);
    while (!text.empty() && std::iswspace(text.back())) text.remove_suffix(1);
    int base = 10;
    if (text.starts_with(L"0x") || text.starts_with(L"0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    for (wchar_t c : text) {
        int digit = -1;
        if (c >= L'0' && c <= L'9') digit = c - L'0';
        else if (base == 16 && c >= L'a' && c <= L'f') digit = c - L'a' + 10;
        else if (base == 16 && c >= L'A' && c <= L'F') digit = c - L'A' + 10;
        if (digit < 0) return std::nullopt;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    // Opacity is always full: only the three colour bytes count.
    return static_cast<std::uint32_t>(value & 0xFFFFFF);
}

int CapSize(int radius96, int dpi, const MonitorBox& monitor) {
    const std::int64_t scaled = static_cast<std::int64_t>(radius96) * std::max(dpi, 1) / 96;
    const int half = std::min(monitor.right - monitor.left, monitor.bottom - monitor.top) / 2;
    return static_cast<int>(std::clamp<std::int64_t>(scaled, 1, std::max(half, 1)));
}

std::array<CapBox, 4> CapBoxes(const MonitorBox& m, int size) {
    return {{
        {CapCorner::TopLeft, m.left, m.top, size},
        {CapCorner::TopRight, m.right - size, m.top, size},
        {CapCorner::BottomLeft, m.left, m.bottom - size, size},
        {CapCorner::BottomRight, m.right - size, m.bottom - size, size},
    }};
}

std::vector<std::uint8_t> CapCoverage(CapCorner corner, int size) {
    if (size <= 0) return {};
    std::vector<std::uint8_t> coverage(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
    const bool right = corner == CapCorner::TopRight || corner == CapCorner::BottomRight;
    const bool bottom = corner == CapCorner::BottomLeft || corner == CapCorner::BottomRight;
    constexpr int kSub = 4; // 4 × 4 samples a pixel smooth the arc
    const double r = size;
    for (int row = 0; row < size; ++row) {
        for (int col = 0; col < size; ++col) {
            // Distances measured from the circle's centre, which lies at the cap's inner
            // corner (towards the middle of the screen).
            int outside = 0;
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    const double px = col + (sx + 0.5) / kSub;
                    const double py = row + (sy + 0.5) / kSub;
                    const double dx = right ? px : r - px;
                    const double dy = bottom ? py : r - py;
                    if (dx * dx + dy * dy > r * r) ++outside;
                }
            }
            coverage[static_cast<std::size_t>(row) * static_cast<std::size_t>(size) + static_cast<std::size_t>(col)] =
                static_cast<std::uint8_t>((outside * 255 + kSub * kSub / 2) / (kSub * kSub));
        }
    }
    return coverage;
}

CornerSwitchPlan PlanCornerSwitch(int monitorIndex, int monitorCount, bool on, bool storedOn, int radius) {
    CornerSwitchPlan plan;
    if (monitorIndex < 0 || monitorIndex >= monitorCount) return plan;
    plan.valid = true;
    plan.write = on != storedOn;
    plan.ensureProcess = on;
    plan.wParam = on ? 0 : 1;
    plan.lParam = monitorIndex;
    plan.menuBarInset = on ? radius : 0;
    return plan;
}

} // namespace kestrana::extras
