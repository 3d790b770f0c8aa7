#include "menubar/tray/tray_click.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace kestrana::menubar::tray {
namespace {

constexpr std::uint32_t kMouseMove = 512, kLeftDown = 513, kLeftUp = 514, kLeftDouble = 515, kRightDown = 516,
                        kRightUp = 517, kContextMenu = 123, kSelect = 1024;
constexpr int kPauseMs = 50;

} // namespace

std::vector<TrayStep> ClickSequence(const TrayIcon& icon, TrayClick click, TrayPoint point) {
    const std::uint32_t callback = icon.callback != 0 ? icon.callback : kDefaultCallback;
    const bool fourth = icon.version >= 4;
    const auto step = [&](std::uint32_t mouse, bool send = false, int pause = 0) {
        TrayStep s;
        s.message = callback;
        if (fourth) {
            s.wParam = static_cast<std::uint16_t>(point.x) | static_cast<std::uint64_t>(static_cast<std::uint16_t>(point.y)) << 16;
            s.lParam = (mouse & 0xFFFF) | static_cast<std::uint64_t>(icon.id & 0xFFFF) << 16;
        } else {
            s.wParam = icon.id;
            s.lParam = mouse;
        }
        s.send = send;
        s.pauseMs = pause;
        return s;
    };
    switch (click) {
    case TrayClick::Left: return {step(kLeftDown), step(kLeftUp), step(kSelect)};
    case TrayClick::Right:
        return {step(kMouseMove, true), step(kRightDown), step(kRightUp, false, kPauseMs), step(kContextMenu)};
    case TrayClick::Double:
        return {step(kLeftDown), step(kLeftUp), step(kLeftDouble, false, kPauseMs), step(kLeftUp), step(kSelect)};
    case TrayClick::Hover: return {step(kMouseMove)};
    }
    return {};
}

std::wstring CompanionArgument(const CompanionClick& c) {
    const std::uint64_t second = (c.callback & 0xFFFF) | static_cast<std::uint64_t>(c.click) << 16 |
                                 static_cast<std::uint64_t>(std::min(c.version, kHighestIconVersion)) << 20;
    const std::uint64_t point = static_cast<std::uint16_t>(c.point.x) | static_cast<std::uint64_t>(static_cast<std::uint16_t>(c.point.y)) << 16;
    return std::to_wstring(c.owner) + L'|' + std::to_wstring(second) + L'|' + std::to_wstring(point) + L'|' +
           std::to_wstring(c.id);
}

std::optional<CompanionClick> ParseCompanionArgument(std::wstring_view text) {
    std::uint64_t parts[4]{};
    for (int i = 0; i < 4; ++i) {
        const std::size_t bar = text.find(L'|');
        if ((i < 3) == (bar == std::wstring_view::npos)) return std::nullopt; // three bars, no more
        const std::wstring_view part = i < 3 ? text.substr(0, bar) : text;
        if (part.empty() || part.size() > 20) return std::nullopt;
        std::string digits;
        for (wchar_t c : part) {
            if (c < L'0' || c > L'9') return std::nullopt;
            digits.push_back(static_cast<char>(c));
        }
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), parts[i]);
        if (error != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
        if (i < 3) text.remove_prefix(bar + 1);
    }
    const std::uint64_t kind = parts[1] >> 16 & 0xF, version = parts[1] >> 20;
    if (parts[0] == 0 || kind > static_cast<std::uint64_t>(TrayClick::Hover) || version > kHighestIconVersion ||
        parts[2] > 0xFFFFFFFFu || parts[3] > 0xFFFFFFFFu)
        return std::nullopt;
    CompanionClick c;
    c.owner = parts[0];
    c.callback = static_cast<std::uint32_t>(parts[1] & 0xFFFF);
    c.click = static_cast<TrayClick>(kind);
    c.version = static_cast<std::uint32_t>(version);
    c.point = {static_cast<std::int16_t>(parts[2] & 0xFFFF), static_cast<std::int16_t>(parts[2] >> 16 & 0xFFFF)};
    c.id = static_cast<std::uint32_t>(parts[3]);
    return c;
}

TrayIcon CompanionIcon(const CompanionClick& c) {
    TrayIcon icon;
    icon.owner = c.owner;
    icon.id = c.id;
    icon.callback = c.callback;
    icon.version = c.version;
    return icon;
}

} // namespace kestrana::menubar::tray
