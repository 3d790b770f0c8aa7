#include "menubar/tray/tray_record.h"

#include "foundation/text.h"

#include <algorithm>
#include <cstring>

namespace kestrana::menubar::tray {
namespace {

// Offsets inside the icon data (after the 8-byte header).
constexpr std::size_t kOffSize = 0, kOffOwner = 4, kOffId = 8, kOffFields = 12, kOffCallback = 16, kOffIcon = 20,
                      kOffTip = 24;
constexpr std::size_t kFirstTipUnits = 64, kTipUnits = 128;
constexpr std::size_t kOffState = kOffTip + kTipUnits * 2; // 280
constexpr std::size_t kOffStateMask = kOffState + 4;
constexpr std::size_t kOffInfo = kOffStateMask + 4;         // 288
constexpr std::size_t kInfoUnits = 256;
constexpr std::size_t kOffVersion = kOffInfo + kInfoUnits * 2; // 800
constexpr std::size_t kOffInfoTitle = kOffVersion + 4;
constexpr std::size_t kInfoTitleUnits = 64;
constexpr std::size_t kOffInfoFlags = kOffInfoTitle + kInfoTitleUnits * 2; // 932
constexpr std::size_t kOffGuid = kOffInfoFlags + 4;                         // 936

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

void PutU32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A fixed text field: the units up to the terminator, nothing when there is none.
std::optional<std::wstring> Text(std::span<const std::uint8_t> b, std::size_t at, std::size_t units) {
    std::u16string text;
    for (std::size_t i = 0; i < units; ++i) {
        const auto unit = static_cast<char16_t>(b[at + 2 * i] | b[at + 2 * i + 1] << 8);
        if (unit == 0) return foundation::FromUtf16(text);
        text.push_back(unit);
    }
    return std::nullopt;
}

void PutText(std::vector<std::uint8_t>& b, std::size_t at, std::size_t units, const std::wstring& text) {
    const std::u16string wide = foundation::ToUtf16(text);
    const std::size_t n = std::min(wide.size(), units - 1);
    for (std::size_t i = 0; i < n; ++i) {
        b[at + 2 * i] = static_cast<std::uint8_t>(wide[i]);
        b[at + 2 * i + 1] = static_cast<std::uint8_t>(wide[i] >> 8);
    }
}

TrayDecoded Fail(TrayRecordError error) { return {std::nullopt, error}; }

} // namespace

TrayDecoded DecodeTrayRecord(std::uint32_t kind, std::span<const std::uint8_t> bytes) {
    if (kind != kTrayCopyDataKind) return Fail(TrayRecordError::WrongKind);
    if (bytes.size() < kTrayHeaderSize + kIconDataFirstSize) return Fail(TrayRecordError::TooShort);
    if (bytes.size() > kTrayRecordMax) return Fail(TrayRecordError::TooLong);
    if (U32(bytes, 0) != kTraySignature) return Fail(TrayRecordError::BadSignature);
    const std::uint32_t verb = U32(bytes, 4);
    if (verb > static_cast<std::uint32_t>(TrayVerb::SetVersion)) return Fail(TrayRecordError::UnknownVerb);

    const auto data = bytes.subspan(kTrayHeaderSize);
    const std::uint32_t size = U32(data, kOffSize);
    // The size field picks the layout; it must be one we know and may not claim more
    // than was sent.
    if (size < kIconDataFirstSize || size > data.size() || size > kIconDataLargest ||
        (size > kIconDataFirstSize && size < kIconDataSecondSize))
        return Fail(TrayRecordError::BadLength);
    const bool later = size >= kIconDataSecondSize;

    TrayCommand c;
    c.verb = static_cast<TrayVerb>(verb);
    c.owner = U32(data, kOffOwner);
    c.id = U32(data, kOffId);
    c.fields = U32(data, kOffFields);
    c.callback = U32(data, kOffCallback);
    c.icon = U32(data, kOffIcon);
    if (c.fields & kFieldTip) {
        auto tip = Text(data, kOffTip, later ? kTipUnits : kFirstTipUnits);
        if (!tip) return Fail(TrayRecordError::UnterminatedText);
        c.tip = std::move(*tip);
    }
    if (later) {
        c.state = U32(data, kOffState);
        c.stateMask = U32(data, kOffStateMask);
        c.version = U32(data, kOffVersion);
        if (c.fields & kFieldInfo) {
            auto info = Text(data, kOffInfo, kInfoUnits);
            auto title = Text(data, kOffInfoTitle, kInfoTitleUnits);
            if (!info || !title) return Fail(TrayRecordError::UnterminatedText);
            c.info = std::move(*info);
            c.infoTitle = std::move(*title);
            c.infoFlags = U32(data, kOffInfoFlags);
        }
        if (size >= kIconDataThirdSize && (c.fields & kFieldGuid))
            std::memcpy(c.guid.data(), data.data() + kOffGuid, c.guid.size());
    } else {
        c.fields &= ~(kFieldState | kFieldInfo | kFieldGuid); // the first layout has none of them
    }
    if (!(c.fields & kFieldState)) c.state = c.stateMask = 0;
    return {std::move(c), TrayRecordError::None};
}

std::vector<std::uint8_t> EncodeTrayRecord(const TrayCommand& c, std::uint32_t layoutSize) {
    layoutSize = std::clamp(layoutSize, kIconDataFirstSize, kIconDataLargest);
    std::vector<std::uint8_t> b(kTrayHeaderSize + layoutSize, 0);
    PutU32(b, 0, kTraySignature);
    PutU32(b, 4, static_cast<std::uint32_t>(c.verb));
    const std::size_t d = kTrayHeaderSize;
    PutU32(b, d + kOffSize, layoutSize);
    PutU32(b, d + kOffOwner, c.owner);
    PutU32(b, d + kOffId, c.id);
    PutU32(b, d + kOffFields, c.fields);
    PutU32(b, d + kOffCallback, c.callback);
    PutU32(b, d + kOffIcon, c.icon);
    const bool later = layoutSize >= kIconDataSecondSize;
    PutText(b, d + kOffTip, later ? kTipUnits : kFirstTipUnits, c.tip);
    if (later) {
        PutU32(b, d + kOffState, c.state);
        PutU32(b, d + kOffStateMask, c.stateMask);
        PutText(b, d + kOffInfo, kInfoUnits, c.info);
        PutU32(b, d + kOffVersion, c.version);
        PutText(b, d + kOffInfoTitle, kInfoTitleUnits, c.infoTitle);
        PutU32(b, d + kOffInfoFlags, c.infoFlags);
        if (layoutSize >= kIconDataThirdSize) std::memcpy(b.data() + d + kOffGuid, c.guid.data(), c.guid.size());
    }
    return b;
}

const char* TrayRecordErrorText(TrayRecordError error) {
    switch (error) {
    case TrayRecordError::None: return "none";
    case TrayRecordError::WrongKind: return "not a tray record";
    case TrayRecordError::TooShort: return "a tray record too short for any layout";
    case TrayRecordError::TooLong: return "a tray record longer than any layout";
    case TrayRecordError::BadSignature: return "a tray record without the tray's signature";
    case TrayRecordError::UnknownVerb: return "a tray record with an unknown verb";
    case TrayRecordError::BadLength: return "a tray record whose size field lies";
    case TrayRecordError::UnterminatedText: return "a tray record with an unterminated text";
    }
    return "?";
}

} // namespace kestrana::menubar::tray
