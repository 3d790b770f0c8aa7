#include "menubar/tray/tray_cache.h"

#include "foundation/text.h"

#include <string_view>

namespace kestrana::menubar::tray {
namespace {

// Record layout: owner 0, id 8, callback 12, version 16, flags 20, icon 24, process 32,
// tip 40 (128 units), path 296 (260 units).
constexpr std::size_t kTipAt = 40, kTipUnits = 128, kPathAt = 296, kPathUnits = 260;
static_assert(kPathAt + kPathUnits * 2 == kCacheRecordSize);
constexpr std::uint32_t kFlagHidden = 1;

void Put(std::vector<std::uint8_t>& b, std::size_t at, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint64_t Get(std::span<const std::uint8_t> b, std::size_t at, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint64_t>(b[at + i]) << (8 * i);
    return v;
}

void PutText(std::vector<std::uint8_t>& b, std::size_t at, std::size_t units, const std::wstring& text) {
    const std::u16string wide = foundation::ToUtf16(foundation::TruncateUtf16(text, units - 1));
    for (std::size_t i = 0; i < wide.size(); ++i) Put(b, at + 2 * i, wide[i], 2);
}
std::optional<std::wstring> GetText(std::span<const std::uint8_t> b, std::size_t at, std::size_t units) {
    std::u16string text;
    for (std::size_t i = 0; i < units; ++i) {
        const auto unit = static_cast<char16_t>(Get(b, at + 2 * i, 2));
        if (unit == 0) return foundation::FromUtf16(text);
        text.push_back(unit);
    }
    return std::nullopt;
}

void PutValue(std::vector<std::uint8_t>& out, std::string_view name, std::span<const std::uint8_t> value) {
    out.push_back(static_cast<std::uint8_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
    const auto at = out.size();
    out.resize(at + 4);
    Put(out, at, value.size(), 4);
    out.insert(out.end(), value.begin(), value.end());
}

std::vector<std::uint8_t> U32Bytes(std::uint32_t v) {
    std::vector<std::uint8_t> b(4);
    Put(b, 0, v, 4);
    return b;
}

} // namespace

std::vector<std::uint8_t> WriteTrayCache(const std::vector<TrayIcon>& icons) {
    std::vector<std::uint8_t> records(icons.size() * kCacheRecordSize, 0);
    for (std::size_t n = 0; n < icons.size(); ++n) {
        const TrayIcon& i = icons[n];
        const std::size_t r = n * kCacheRecordSize;
        Put(records, r + 0, i.owner, 8);
        Put(records, r + 8, i.id, 4);
        Put(records, r + 12, i.callback, 4);
        Put(records, r + 16, i.version, 4);
        Put(records, r + 20, i.hidden ? kFlagHidden : 0, 4);
        Put(records, r + 24, i.icon, 8);
        Put(records, r + 32, i.process, 4);
        PutText(records, r + kTipAt, kTipUnits, i.tip);
        PutText(records, r + kPathAt, kPathUnits, i.path);
    }
    std::vector<std::uint8_t> out;
    PutValue(out, "size", U32Bytes(static_cast<std::uint32_t>(icons.size())));
    PutValue(out, "sizeof", U32Bytes(kCacheRecordSize));
    PutValue(out, "trayico", records);
    return out;
}

TrayCacheRead ReadTrayCache(std::span<const std::uint8_t> bytes) {
    std::optional<std::span<const std::uint8_t>> size, recordSize, records;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t nameLength = bytes[at];
        if (bytes.size() - at < 1 + nameLength + 4) return {{}, TrayCacheError::Truncated};
        const std::string_view name(reinterpret_cast<const char*>(bytes.data() + at + 1), nameLength);
        const std::uint64_t length = Get(bytes, at + 1 + nameLength, 4);
        at += 1 + nameLength + 4;
        if (length > bytes.size() - at) return {{}, TrayCacheError::Truncated};
        const auto value = bytes.subspan(at, static_cast<std::size_t>(length));
        at += static_cast<std::size_t>(length);
        if (name == "size") size = value;
        else if (name == "sizeof") recordSize = value;
        else if (name == "trayico") records = value;
        // Other names are left for whoever wrote them.
    }
    if (!size || !recordSize || !records || size->size() != 4 || recordSize->size() != 4)
        return {{}, TrayCacheError::MissingValue};
    if (Get(*recordSize, 0, 4) != kCacheRecordSize) return {{}, TrayCacheError::WrongRecordSize};
    const std::uint64_t count = Get(*size, 0, 4);
    if (count > kMaxTrayIcons || count * kCacheRecordSize != records->size()) return {{}, TrayCacheError::WrongCount};

    TrayCacheRead read;
    for (std::size_t n = 0; n < count; ++n) {
        const auto r = records->subspan(n * kCacheRecordSize, kCacheRecordSize);
        TrayIcon i;
        i.owner = Get(r, 0, 8);
        i.id = static_cast<std::uint32_t>(Get(r, 8, 4));
        i.callback = static_cast<std::uint32_t>(Get(r, 12, 4));
        i.version = static_cast<std::uint32_t>(Get(r, 16, 4));
        i.hidden = (Get(r, 20, 4) & kFlagHidden) != 0;
        i.icon = Get(r, 24, 8);
        i.process = static_cast<std::uint32_t>(Get(r, 32, 4));
        auto tip = GetText(r, kTipAt, kTipUnits);
        auto path = GetText(r, kPathAt, kPathUnits);
        if (!tip || !path || i.owner == 0 || i.version > kHighestIconVersion) return {{}, TrayCacheError::BadRecord};
        i.tip = std::move(*tip);
        i.path = std::move(*path);
        read.icons.push_back(std::move(i));
    }
    return read;
}

bool CacheFromThisSession(std::uint64_t written, std::uint64_t now, std::uint64_t uptimeMs) {
    const std::uint64_t uptime = uptimeMs * 10'000; // to 100 ns units
    const std::uint64_t boot = uptime > now ? 0 : now - uptime;
    return written >= boot && written <= now + 10'000'000ull * 60; // a clock set back a little is forgiven
}

} // namespace kestrana::menubar::tray
