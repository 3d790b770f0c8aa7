#include "launchers/win32/stack_shell.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/unique_handle.h"
#include "gfx/win32/bitmap_info.h"
#include "gfx/win32/shell_icon_source.h"
#include "launchers/stack_picture.h"

#include <shellapi.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <fstream>

namespace kestrana::launchers::win32 {
namespace {

using Microsoft::WRL::ComPtr;

std::int64_t Ticks(const FILETIME& t) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

bool IsPictureExtension(const std::wstring& extension) {
    for (const wchar_t* e : {L"png", L"jpg", L"ico", L"tiff", L"gif", L"bmp", L"heic"})
        if (extension == e) return true;
    return false;
}

std::optional<std::vector<std::uint8_t>> ReadWhole(const std::wstring& path) {
    kestrana::win32::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                   nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return std::nullopt;
    LARGE_INTEGER size{};
    // Pictures beyond this are not worth a stack's tile.
    constexpr LONGLONG kMaxBytes = 256LL * 1024 * 1024;
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > kMaxBytes) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
        if (!::ReadFile(file.Get(), bytes.data() + done, ask, &read, nullptr) || read == 0) return std::nullopt;
        done += read;
    }
    return bytes;
}

std::shared_ptr<const gfx::Bitmap> Fitted(std::optional<gfx::Bitmap> picture, int size) {
    if (!picture || picture->Empty()) return nullptr;
    return std::make_shared<const gfx::Bitmap>(FitPicture(*picture, size));
}

std::shared_ptr<const gfx::Bitmap> Decoded(const std::wstring& path, int size, const gfx::ImageDecoder& decoder) {
    const auto bytes = ReadWhole(path);
    if (!bytes) return nullptr;
    return Fitted(decoder.Decode(*bytes, {size, size}), size);
}

// The pixels of a bitmap the shell made. Thumbnails without any alpha are opaque pictures.
std::optional<gfx::Bitmap> FromHbitmap(HBITMAP handle) {
    BITMAP info{};
    if (!::GetObjectW(handle, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight == 0) return std::nullopt;
    const int width = info.bmWidth, height = std::abs(info.bmHeight);
    gfx::Bitmap out(width, height);
    BITMAPINFO bi = gfx::TopDownBitmapInfo(width, height);
    HDC screen = ::GetDC(nullptr);
    const int rows = ::GetDIBits(screen, handle, 0, static_cast<UINT>(height), out.Pixels().data(), &bi, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (rows != height) return std::nullopt;
    bool anyAlpha = false;
    for (const gfx::Pixel p : out.Pixels()) anyAlpha = anyAlpha || gfx::PixelA(p) != 0;
    if (!anyAlpha)
        for (gfx::Pixel& p : out.Pixels()) p |= 0xFF000000u;
    return out;
}

std::shared_ptr<const gfx::Bitmap> ShellThumbnail(const std::wstring& path, int size) {
    ComPtr<IShellItemImageFactory> factory;
    if (FAILED(::SHCreateItemFromParsingName(path.c_str(), nullptr, IID_PPV_ARGS(&factory)))) return nullptr;
    HBITMAP handle = nullptr;
    if (FAILED(factory->GetImage({size, size}, SIIGBF_THUMBNAILONLY | SIIGBF_BIGGERSIZEOK, &handle)) || !handle)
        return nullptr;
    kestrana::win32::UniqueGdiObject owned(handle);
    auto picture = FromHbitmap(handle);
    // Some shells answer with a token picture of a pixel or two rather than failing.
    if (!picture || picture->Width() < 8 || picture->Height() < 8) return nullptr;
    return Fitted(std::move(picture), size);
}

std::shared_ptr<const gfx::Bitmap> ShellIcon(const StackItem& item, int size, const std::wstring& baseFolder,
                                             const gfx::ImageDecoder& decoder) {
    if (auto icon = Fitted(gfx::ShellIconSource().FileIcon(item.path), size)) return icon;
    if (item.extension.empty()) return nullptr;
    return Decoded(ExtensionPicturePath(baseFolder, item.extension), size, decoder);
}

} // namespace

std::optional<std::vector<ListedFile>> ListFolder(const std::wstring& folder) {
    std::wstring pattern = folder;
    if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW data{};
    kestrana::win32::UniqueFind find(
        ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return std::nullopt;
    std::vector<ListedFile> files;
    do {
        if (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        ListedFile file;
        file.name = data.cFileName;
        file.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        file.bytes = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        file.writeTime = Ticks(data.ftLastWriteTime);
        file.createTime = Ticks(data.ftCreationTime);
        files.push_back(std::move(file));
    } while (::FindNextFileW(find.Get(), &data));
    // Pictures count by what they take on disk, which differs only where the disk compresses.
    for (ListedFile& file : files) {
        if (file.directory || !(file.bytes / 1024 >= kDecodeNowLimitKb)) continue;
        const auto dot = file.name.rfind(L'.');
        std::wstring extension = dot == std::wstring::npos ? L"" : file.name.substr(dot + 1);
        for (auto& c : extension) c = static_cast<wchar_t>(::towlower(c));
        if (!IsPictureExtension(extension)) continue;
        DWORD high = 0;
        const DWORD low = ::GetCompressedFileSizeW((pattern.substr(0, pattern.size() - 1) + file.name).c_str(), &high);
        if (low != INVALID_FILE_SIZE || ::GetLastError() == NO_ERROR)
            file.bytes = (static_cast<std::uint64_t>(high) << 32) | low;
    }
    return files;
}

bool OpenWithShell(const std::wstring& path) noexcept {
    try {
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
        info.lpFile = path.c_str();
        info.nShow = SW_SHOWNORMAL;
        if (::ShellExecuteExW(&info)) return true;
        foundation::LogFailure("folder stack", L"could not open " + path + L" (error " + std::to_wstring(::GetLastError()) + L")");
    } catch (...) {
        foundation::LogCaught("folder stack open");
    }
    return false;
}

std::wstring StackPictureCache::Key(const StackItem& item, int size) const {
    return std::to_wstring(size) + L'|' + std::to_wstring(item.bytes) + L'|' + std::to_wstring(item.time) + L'|' + item.path;
}

std::shared_ptr<const gfx::Bitmap> StackPictureCache::Find(const StackItem& item, int size) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_pictures.find(Key(item, size));
    return found == m_pictures.end() ? nullptr : found->second;
}

void StackPictureCache::Keep(const StackItem& item, int size, std::shared_ptr<const gfx::Bitmap> picture) {
    std::lock_guard lock(m_mutex);
    // A rough bound: a full cache starts over rather than tracking use.
    if (m_pictures.size() >= kMaxPictures) m_pictures.clear();
    m_pictures[Key(item, size)] = std::move(picture);
}

std::shared_ptr<const gfx::Bitmap> MakeStackPicture(const StackItem& item, int size, const gfx::ImageDecoder& decoder,
                                                    const std::wstring& baseFolder) {
    std::shared_ptr<const gfx::Bitmap> picture;
    try {
        switch (PlanIcon(item)) {
        case IconPlan::DecodeNow: picture = Decoded(item.path, size, decoder); break;
        case IconPlan::ThumbnailLater:
            picture = ShellThumbnail(item.path, size);
            if (!picture && IsPictureExtension(item.extension)) picture = Decoded(item.path, size, decoder);
            break;
        case IconPlan::Shell: break;
        }
        if (!picture) picture = ShellIcon(item, size, baseFolder, decoder);
    } catch (...) {
        foundation::LogCaught("folder stack picture");
    }
    return picture ? picture : std::make_shared<const gfx::Bitmap>();
}

} // namespace kestrana::launchers::win32
