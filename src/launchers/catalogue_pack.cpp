#include "launchers/catalogue_pack.h"

#include "foundation/diagnostic_log.h"
#include "foundation/text.h"
#include "foundation/config_store.h"
#include "launchers/catalogue_file.h"
#include "launchers/catalogue_sources.h"
#include "launchers/launchpad_catalogue.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace kestrana::launchers {

namespace {

constexpr std::string_view kPinnedFolder = "launchpad/Pinned/";
constexpr std::size_t kMaxEntryBytes = 16u * 1024 * 1024;
constexpr std::size_t kMaxPackBytes = 64u * 1024 * 1024;
constexpr int kUtf8Names = 1 << 11; // general-purpose flag: names are UTF-8

const std::wstring kRootFiles[] = {L"padconfig.xml", L"padconfig_startmenu.xml", L"padconfig_desktop.xml",
                                   L"padconfig_startmenudesktop.xml", kPadSettingsFile};

// The archive lives in memory so that it goes through the file-system port like every
// other file the program writes (and is replaced in one piece).
struct MemoryStream {
    std::vector<std::uint8_t>* bytes;
    std::size_t position = 0;
};

voidpf ZCALLBACK Open(voidpf opaque, const void*, int) { return opaque; }

uLong ZCALLBACK Read(voidpf, voidpf stream, void* buffer, uLong size) {
    auto* s = static_cast<MemoryStream*>(stream);
    const std::size_t available = s->position < s->bytes->size() ? s->bytes->size() - s->position : 0;
    const std::size_t n = std::min<std::size_t>(size, available);
    if (n) std::memcpy(buffer, s->bytes->data() + s->position, n);
    s->position += n;
    return uLong(n);
}

uLong ZCALLBACK Write(voidpf, voidpf stream, const void* buffer, uLong size) {
    auto* s = static_cast<MemoryStream*>(stream);
    if (s->position + size > kMaxPackBytes) return 0;
    if (s->bytes->size() < s->position + size) s->bytes->resize(s->position + size);
    std::memcpy(s->bytes->data() + s->position, buffer, size);
    s->position += size;
    return size;
}

ZPOS64_T ZCALLBACK Tell(voidpf, voidpf stream) { return static_cast<MemoryStream*>(stream)->position; }

long ZCALLBACK Seek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* s = static_cast<MemoryStream*>(stream);
    ZPOS64_T from = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) from = s->position;
    else if (origin == ZLIB_FILEFUNC_SEEK_END) from = s->bytes->size();
    else if (origin != ZLIB_FILEFUNC_SEEK_SET) return -1;
    if (offset > kMaxPackBytes || from + offset > kMaxPackBytes) return -1;
    s->position = std::size_t(from + offset);
    return 0;
}

int ZCALLBACK Close(voidpf, voidpf) { return 0; }
int ZCALLBACK Error(voidpf, voidpf) { return 0; }

zlib_filefunc64_def MemoryFunctions(MemoryStream& stream) {
    zlib_filefunc64_def functions{};
    functions.zopen64_file = Open;
    functions.zread_file = Read;
    functions.zwrite_file = Write;
    functions.ztell64_file = Tell;
    functions.zseek64_file = Seek;
    functions.zclose_file = Close;
    functions.zerror_file = Error;
    functions.opaque = &stream;
    return functions;
}

bool AddEntry(zipFile zip, const std::string& name, const std::vector<std::uint8_t>& content) {
    zip_fileinfo info{};
    info.tmz_date.tm_year = 1980; // no clock here; the date is not part of the pack's meaning
    info.tmz_date.tm_mday = 1;
    if (zipOpenNewFileInZip4_64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, 0,
                                kUtf8Names, content.size() >= 0xFFFFFFFFu) != ZIP_OK) {
        return false;
    }
    const bool written = content.empty() || zipWriteInFileInZip(zip, content.data(), unsigned(content.size())) == ZIP_OK;
    return zipCloseFileInZip(zip) == ZIP_OK && written;
}

// The program-folder path an archive name stands for; nothing for names no pack holds.
std::optional<std::wstring> TargetOf(const std::wstring& baseFolder, std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    const std::wstring wide = foundation::FromUtf8(name);
    for (const std::wstring& root : kRootFiles) {
        if (foundation::EqualsIgnoreCase(wide, root)) return baseFolder + root;
    }
    const std::wstring prefix = foundation::FromUtf8(kPinnedFolder);
    if (!foundation::StartsWithIgnoreCase(wide, prefix)) return std::nullopt;
    const std::wstring file = wide.substr(prefix.size());
    const bool plain = !file.empty() && file != L"." && file != L".." &&
                       std::none_of(file.begin(), file.end(), [](wchar_t c) {
                           return c < 0x20 || c == L'/' || c == L'\\' || c == L':' || c == L'*' || c == L'?' ||
                                  c == L'"' || c == L'<' || c == L'>' || c == L'|';
                       });
    if (!plain) return std::nullopt;
    return baseFolder + L"launchpad\\Pinned\\" + file;
}

// A path into another program folder's launchpad\Pinned\, moved into this one: the
// pack's catalogue files and names speak of the folder the pack was made in.
std::optional<std::wstring> MovedPinnedPath(const std::wstring& path, const std::wstring& baseFolder) {
    static constexpr std::wstring_view kPinned = L"\\launchpad\\pinned\\";
    const auto at = foundation::AsciiLower(path).rfind(kPinned);
    if (at == std::wstring::npos) return std::nullopt;
    const std::wstring file = path.substr(at + kPinned.size());
    if (file.empty() || file.find_first_of(L"\\/") != std::wstring::npos) return std::nullopt;
    std::wstring moved = baseFolder + L"launchpad\\Pinned\\" + file;
    if (moved == path) return std::nullopt;
    return moved;
}

std::vector<std::uint8_t> WithPinnedPathsMoved(std::vector<std::uint8_t> bytes, const std::wstring& baseFolder) {
    auto document = ParseCatalogue(bytes);
    if (!document) return bytes;
    bool changed = false;
    const auto move = [&](CatalogueItem& item) {
        if (auto moved = MovedPinnedPath(item.path, baseFolder)) {
            item.path = std::move(*moved);
            changed = true;
        }
    };
    for (auto& page : document->pages) {
        for (auto& item : page) {
            move(item);
            for (auto& member : item.members) move(member);
        }
    }
    return changed ? SerializeCatalogue(*document) : bytes;
}

void MovePinnedNames(foundation::FileSystem& files, const std::wstring& baseFolder) {
    foundation::ConfigStore store(files, baseFolder);
    std::vector<std::wstring> keys, values;
    store.ReadSection(L"pinned", kPadSettingsFile, &keys, &values);
    for (std::size_t i = 0; i < keys.size() && i < values.size(); ++i) {
        if (auto moved = MovedPinnedPath(keys[i], baseFolder)) {
            store.WriteString(L"pinned", *moved, values[i], kPadSettingsFile);
            store.DeleteKey(L"pinned", keys[i], kPadSettingsFile);
        }
    }
}

// The current entry's content, at most kMaxEntryBytes whatever the archive claims.
std::optional<std::vector<std::uint8_t>> ReadEntry(unzFile zip) {
    if (unzOpenCurrentFile(zip) != UNZ_OK) return std::nullopt;
    std::vector<std::uint8_t> content;
    std::uint8_t buffer[64 * 1024];
    int n = 0;
    while ((n = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0) {
        if (content.size() + std::size_t(n) > kMaxEntryBytes) {
            unzCloseCurrentFile(zip);
            return std::nullopt;
        }
        content.insert(content.end(), buffer, buffer + n);
    }
    // A bad checksum shows only when the entry is closed.
    if (unzCloseCurrentFile(zip) != UNZ_OK || n < 0) return std::nullopt;
    return content;
}

} // namespace

bool ExportPack(foundation::FileSystem& files, const std::wstring& baseFolder, const std::wstring& zipPath) {
    std::vector<std::pair<std::string, std::wstring>> members; // archive name, file
    const std::wstring pinned = baseFolder + L"launchpad\\Pinned\\";
    for (const auto& entry : files.List(pinned)) {
        if (!entry.isDirectory) members.emplace_back(std::string(kPinnedFolder) + foundation::ToUtf8(entry.name), pinned + entry.name);
    }
    for (const std::wstring& root : kRootFiles) {
        if (files.IsFile(baseFolder + root)) members.emplace_back(foundation::ToUtf8(root), baseFolder + root);
    }

    std::vector<std::uint8_t> archive;
    MemoryStream stream{&archive};
    auto functions = MemoryFunctions(stream);
    zipFile zip = zipOpen2_64("pad.zip", APPEND_STATUS_CREATE, nullptr, &functions);
    if (!zip) return false;
    bool ok = true;
    for (const auto& [name, path] : members) {
        const auto content = files.Read(path);
        if (!content || !AddEntry(zip, name, *content)) {
            foundation::LogFailure("launchpad export", L"cannot add " + path);
            ok = false;
            break;
        }
    }
    ok = zipClose(zip, nullptr) == ZIP_OK && ok;
    if (ok && !files.Replace(zipPath, archive)) {
        foundation::LogFailure("launchpad export", L"cannot write " + zipPath);
        ok = false;
    }
    return ok;
}

ImportReport ImportPack(foundation::FileSystem& files, const std::wstring& baseFolder, const std::wstring& zipPath) {
    ImportReport report;
    auto archive = files.Read(zipPath);
    if (!archive) return report;
    MemoryStream stream{&*archive};
    auto functions = MemoryFunctions(stream);
    unzFile zip = unzOpen2_64("pad.zip", &functions);
    if (!zip) return report;
    report.opened = true;
    std::vector<std::pair<std::wstring, std::vector<std::uint8_t>>> taken;
    std::size_t total = 0;
    for (int status = unzGoToFirstFile(zip); status == UNZ_OK; status = unzGoToNextFile(zip)) {
        unz_file_info64 info{};
        char name[1024];
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) break;
        if (info.size_filename >= sizeof name) { // cut short (and not terminated): no name a pack holds
            ++report.refused;
            continue;
        }
        const std::string archiveName(name, info.size_filename);
        if (!archiveName.empty() && archiveName.back() == '/') continue; // a folder entry
        const auto target = TargetOf(baseFolder, archiveName);
        auto content = target ? ReadEntry(zip) : std::nullopt;
        if (!content || (total += content->size()) > kMaxPackBytes) {
            ++report.refused;
            continue;
        }
        report.names.push_back(foundation::FromUtf8(archiveName));
        taken.emplace_back(*target, std::move(*content));
    }
    unzClose(zip);

    files.CreateFolder(baseFolder);
    files.CreateFolder(baseFolder + L"launchpad");
    files.CreateFolder(baseFolder + L"launchpad\\Pinned");
    for (auto& [path, content] : taken) {
        if (foundation::EndsWithIgnoreCase(path, L".xml")) content = WithPinnedPathsMoved(std::move(content), baseFolder);
        files.ResetAttributes(path);
        if (files.Replace(path, content)) {
            ++report.written;
        } else {
            foundation::LogFailure("launchpad import", L"cannot write " + path);
        }
    }
    MovePinnedNames(files, baseFolder);
    EmptyIconCaches(files, baseFolder);
    return report;
}

} // namespace kestrana::launchers
