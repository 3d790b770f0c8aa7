#include "foundation/zip_archive.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <algorithm>
#include <cstring>

namespace kestrana::foundation {

namespace {

constexpr int kUtf8Names = 1 << 11; // general-purpose flag: names are UTF-8

struct WriteStream {
    std::vector<std::uint8_t>* bytes;
    std::size_t limit;
    std::size_t position = 0;
};

voidpf ZCALLBACK Open(voidpf opaque, const void*, int) { return opaque; }
int ZCALLBACK Close(voidpf, voidpf) { return 0; }
int ZCALLBACK Error(voidpf, voidpf) { return 0; }

// Seeks within [0, limit] from the start, the current place or the end.
long SeekIn(std::size_t& position, std::size_t size, std::size_t limit, ZPOS64_T offset, int origin) {
    ZPOS64_T from = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) from = position;
    else if (origin == ZLIB_FILEFUNC_SEEK_END) from = size;
    else if (origin != ZLIB_FILEFUNC_SEEK_SET) return -1;
    if (offset > limit || from + offset > limit) return -1;
    position = std::size_t(from + offset);
    return 0;
}

uLong ZCALLBACK WriteRead(voidpf, voidpf stream, void* buffer, uLong size) {
    auto* s = static_cast<WriteStream*>(stream);
    const std::size_t available = s->position < s->bytes->size() ? s->bytes->size() - s->position : 0;
    const std::size_t n = std::min<std::size_t>(size, available);
    if (n) std::memcpy(buffer, s->bytes->data() + s->position, n);
    s->position += n;
    return uLong(n);
}

uLong ZCALLBACK WriteWrite(voidpf, voidpf stream, const void* buffer, uLong size) {
    auto* s = static_cast<WriteStream*>(stream);
    if (s->position + size > s->limit) return 0;
    if (s->bytes->size() < s->position + size) s->bytes->resize(s->position + size);
    std::memcpy(s->bytes->data() + s->position, buffer, size);
    s->position += size;
    return size;
}

ZPOS64_T ZCALLBACK WriteTell(voidpf, voidpf stream) { return static_cast<WriteStream*>(stream)->position; }

long ZCALLBACK WriteSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* s = static_cast<WriteStream*>(stream);
    return SeekIn(s->position, s->bytes->size(), s->limit, offset, origin);
}

bool AddEntry(zipFile zip, const ZipMember& member) {
    zip_fileinfo info{};
    info.tmz_date.tm_year = 1980; // no clock here; a caller that wants a date puts it in the name
    info.tmz_date.tm_mday = 1;
    if (zipOpenNewFileInZip4_64(zip, member.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, 0,
                                kUtf8Names, member.content.size() >= 0xFFFFFFFFu) != ZIP_OK) {
        return false;
    }
    const bool written = member.content.empty() ||
                         zipWriteInFileInZip(zip, member.content.data(), unsigned(member.content.size())) == ZIP_OK;
    return zipCloseFileInZip(zip) == ZIP_OK && written;
}

} // namespace

std::optional<std::vector<std::uint8_t>> WriteZip(std::span<const ZipMember> members, std::size_t maxBytes) {
    std::vector<std::uint8_t> archive;
    WriteStream stream{&archive, maxBytes};
    zlib_filefunc64_def functions{};
    functions.zopen64_file = Open;
    functions.zread_file = WriteRead;
    functions.zwrite_file = WriteWrite;
    functions.ztell64_file = WriteTell;
    functions.zseek64_file = WriteSeek;
    functions.zclose_file = Close;
    functions.zerror_file = Error;
    functions.opaque = &stream;
    zipFile zip = zipOpen2_64("archive.zip", APPEND_STATUS_CREATE, nullptr, &functions);
    if (!zip) return std::nullopt;
    bool ok = true;
    for (const ZipMember& member : members) {
        if (!AddEntry(zip, member)) {
            ok = false;
            break;
        }
    }
    ok = zipClose(zip, nullptr) == ZIP_OK && ok;
    if (!ok) return std::nullopt;
    return archive;
}

namespace {

using ReadStream = ZipReadStream;

uLong ZCALLBACK ReadRead(voidpf, voidpf stream, void* buffer, uLong size) {
    auto* s = static_cast<ReadStream*>(stream);
    const std::size_t available = s->position < s->bytes.size() ? s->bytes.size() - s->position : 0;
    const std::size_t n = std::min<std::size_t>(size, available);
    if (n) std::memcpy(buffer, s->bytes.data() + s->position, n);
    s->position += n;
    return uLong(n);
}

uLong ZCALLBACK ReadWrite(voidpf, voidpf, const void*, uLong) { return 0; }
ZPOS64_T ZCALLBACK ReadTell(voidpf, voidpf stream) { return static_cast<ReadStream*>(stream)->position; }

long ZCALLBACK ReadSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* s = static_cast<ReadStream*>(stream);
    return SeekIn(s->position, s->bytes.size(), s->bytes.size(), offset, origin);
}

} // namespace

ZipReader::ZipReader(std::span<const std::uint8_t> archive) : m_stream{archive} {
    zlib_filefunc64_def functions{};
    functions.zopen64_file = Open;
    functions.zread_file = ReadRead;
    functions.zwrite_file = ReadWrite;
    functions.ztell64_file = ReadTell;
    functions.zseek64_file = ReadSeek;
    functions.zclose_file = Close;
    functions.zerror_file = Error;
    functions.opaque = &m_stream;
    m_zip = unzOpen2_64("archive.zip", &functions);
}

ZipReader::~ZipReader() {
    if (m_zip) unzClose(m_zip);
}

bool ZipReader::First() {
    if (!m_zip) return false;
    const int status = unzGoToFirstFile(m_zip);
    m_broken = status != UNZ_OK && status != UNZ_END_OF_LIST_OF_FILE;
    return status == UNZ_OK;
}

bool ZipReader::Next() {
    if (!m_zip) return false;
    const int status = unzGoToNextFile(m_zip);
    m_broken = status != UNZ_OK && status != UNZ_END_OF_LIST_OF_FILE;
    return status == UNZ_OK;
}

std::optional<ZipEntryInfo> ZipReader::Current() {
    if (!m_zip) return std::nullopt;
    unz_file_info64 info{};
    char name[1024];
    if (unzGetCurrentFileInfo64(m_zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) {
        m_broken = true;
        return std::nullopt;
    }
    ZipEntryInfo entry;
    entry.size = info.uncompressed_size;
    entry.packedSize = info.compressed_size;
    if (info.size_filename >= sizeof name) {
        entry.nameTooLong = true; // cut short and not terminated
    } else {
        entry.name.assign(name, info.size_filename);
    }
    return entry;
}

std::optional<std::vector<std::uint8_t>> ZipReader::ReadCurrent(std::size_t maxBytes) {
    if (!m_zip || unzOpenCurrentFile(m_zip) != UNZ_OK) return std::nullopt;
    std::vector<std::uint8_t> content;
    std::vector<std::uint8_t> buffer(64 * 1024);
    int n = 0;
    while ((n = unzReadCurrentFile(m_zip, buffer.data(), unsigned(buffer.size()))) > 0) {
        if (content.size() + std::size_t(n) > maxBytes) {
            unzCloseCurrentFile(m_zip);
            return std::nullopt;
        }
        content.insert(content.end(), buffer.begin(), buffer.begin() + n);
    }
    // A bad checksum shows only when the entry is closed.
    if (unzCloseCurrentFile(m_zip) != UNZ_OK || n < 0) return std::nullopt;
    return content;
}

} // namespace kestrana::foundation
