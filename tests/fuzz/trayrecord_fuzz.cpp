// Feeds arbitrary bytes to the notify-icon record decoder and the tray cache reader, and
// what decodes into a tray list. Whatever arrives, nothing may read out of bounds; a
// decoded record must survive being sent again, and the list keeps to its caps.
//
// Input: byte 0 picks the reader (bit 0: cache) and the copy-data kind (bit 1: not the
// tray's); the rest is the record or the file.
#include "menubar/tray/tray_cache.h"
#include "menubar/tray/tray_list.h"
#include "menubar/tray/tray_record.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

using namespace kestrana::menubar::tray;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::span<const std::uint8_t> body(data + 1, size - 1);
    if (data[0] & 1) {
        const TrayCacheRead read = ReadTrayCache(body);
        if (read.error != TrayCacheError::None && !read.icons.empty()) std::abort();
        if (read.icons.size() > kMaxTrayIcons) std::abort();
        if (read.error == TrayCacheError::None && ReadTrayCache(WriteTrayCache(read.icons)).icons != read.icons)
            std::abort();
        return 0;
    }
    const TrayDecoded decoded = DecodeTrayRecord((data[0] & 2) ? 0 : kTrayCopyDataKind, body);
    if (decoded.command.has_value() != (decoded.error == TrayRecordError::None)) std::abort();
    if (!decoded.command) return 0;
    // Sent again in the full layout, the record reads back the same.
    const TrayDecoded again = DecodeTrayRecord(kTrayCopyDataKind, EncodeTrayRecord(*decoded.command));
    if (!again.command || again.command->owner != decoded.command->owner || again.command->tip != decoded.command->tip)
        std::abort();
    TrayList list;
    for (std::uint32_t i = 0; i < 40; ++i) {
        TrayCommand c = *decoded.command;
        c.id += i;
        list.Apply(c, 1);
    }
    if (list.Icons().size() > kMaxIconsPerProgram) std::abort();
    return 0;
}
