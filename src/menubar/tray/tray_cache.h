#pragma once
// The file "cache.trayico": the tray list as it stood, so a restarted bar shows the icons
// before the tray has been read again. It holds three named values, "size" (the number
// of records), "sizeof" (the record size, 816) and "trayico" (the records). Each value is
// stored as a one-byte name length, the name, a 4-byte little-endian value length and
// the value. A cache from before the machine last started names windows that no longer
// exist, so only one written during this session is used.

#include "menubar/tray/tray_list.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kestrana::menubar::tray {

inline constexpr std::uint32_t kCacheRecordSize = 816;
inline constexpr std::wstring_view kCacheFileName = L"cache.trayico";

[[nodiscard]] std::vector<std::uint8_t> WriteTrayCache(const std::vector<TrayIcon>& icons);

enum class TrayCacheError : std::uint8_t { None, Truncated, MissingValue, WrongRecordSize, WrongCount, BadRecord };

struct TrayCacheRead {
    std::vector<TrayIcon> icons;
    TrayCacheError error = TrayCacheError::None;
};

// The records of a cache file; any fault refuses the whole file.
[[nodiscard]] TrayCacheRead ReadTrayCache(std::span<const std::uint8_t> bytes);

// True when a file written at `written` (100 ns units since some epoch, as `now`) is from
// this session: not before now minus the machine's uptime.
[[nodiscard]] bool CacheFromThisSession(std::uint64_t written, std::uint64_t now, std::uint64_t uptimeMs);

} // namespace kestrana::menubar::tray
