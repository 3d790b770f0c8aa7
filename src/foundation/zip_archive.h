#pragma once
// Zip archives held in memory, so that an archive is read and written through the
// file-system port like every other file (and replaced in one piece). Entry names are
// UTF-8 with "/" between folders; content is deflated.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrana::foundation {

struct ZipMember {
    std::string name; // UTF-8
    std::vector<std::uint8_t> content;
};

// The archive of the members, in order; nothing when a member cannot be added or the
// archive would grow beyond `maxBytes`.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> WriteZip(std::span<const ZipMember> members,
                                                                std::size_t maxBytes);

struct ZipEntryInfo {
    std::string name;             // as stored; empty with nameTooLong set when it was cut
    bool nameTooLong = false;
    std::uint64_t size = 0;       // uncompressed, as the archive claims it
    std::uint64_t packedSize = 0; // compressed, as the archive claims it
};

struct ZipReadStream {
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
};

// Walks the entries of an archive in memory. The bytes must outlive the reader.
class ZipReader {
public:
    explicit ZipReader(std::span<const std::uint8_t> archive);
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    [[nodiscard]] bool Opened() const { return m_zip != nullptr; }
    // Moves to the first or next entry; false at the end or when the directory is broken
    // (Broken() tells which).
    bool First();
    bool Next();
    [[nodiscard]] bool Broken() const { return m_broken; }
    [[nodiscard]] std::optional<ZipEntryInfo> Current();
    // The current entry's content, at most `maxBytes` whatever the archive claims;
    // nothing when it is larger, cannot be inflated or fails its checksum.
    [[nodiscard]] std::optional<std::vector<std::uint8_t>> ReadCurrent(std::size_t maxBytes);

private:
    ZipReadStream m_stream;
    void* m_zip = nullptr;
    bool m_broken = false;
};

} // namespace kestrana::foundation
