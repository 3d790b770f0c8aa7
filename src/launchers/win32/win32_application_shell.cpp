#include "launchers/win32/win32_application_shell.h"

#include "foundation/diagnostic_log.h"
#include "foundation/text.h"
#include "foundation/win32/system_function.h"
#include "foundation/win32/unique_handle.h"
#include "gfx/win32/bitmap_info.h"
#include "gfx/win32/shell_icon_source.h"

#include <windows.h>
#include <knownfolders.h>
#include <propsys.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <algorithm>

namespace kestrana::launchers {

using Microsoft::WRL::ComPtr;
using foundation::EndsWithIgnoreCase;

namespace {

constexpr int kMaxFolderDepth = 8;

struct CoTaskText {
    wchar_t* text = nullptr;
    ~CoTaskText() { ::CoTaskMemFree(text); }
    [[nodiscard]] std::wstring Get() const { return text ? std::wstring(text) : std::wstring(); }
};

struct CoTaskIdList {
    PITEMID_CHILD id = nullptr;
    ~CoTaskIdList() { ::CoTaskMemFree(id); }
};

bool IsFileSystemPath(const std::wstring& path) {
    return (path.size() > 2 && path[1] == L':') || path.starts_with(L"\\\\");
}

std::wstring Expand(const std::wstring& text) {
    wchar_t buffer[MAX_PATH * 2] = {};
    const DWORD n = ::ExpandEnvironmentStringsW(text.c_str(), buffer, DWORD(std::size(buffer)));
    return n > 0 && n <= std::size(buffer) ? std::wstring(buffer) : text;
}

std::wstring KnownFolderPath(REFKNOWNFOLDERID id) {
    CoTaskText path;
    if (FAILED(::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path.text))) return {};
    return path.Get();
}

// A shortcut's name never shows its extension; Wine's shell sometimes leaves it on.
std::wstring ShownName(std::wstring name, const std::wstring& path) {
    for (const std::wstring_view extension : {L".lnk", L".url"}) {
        if (EndsWithIgnoreCase(path, extension) && EndsWithIgnoreCase(name, extension)) name.resize(name.size() - 4);
    }
    return name;
}

ComPtr<IShellItem> ItemFromParsingName(const std::wstring& name) {
    ComPtr<IShellItem> item;
    if (FAILED(::SHCreateItemFromParsingName(name.c_str(), nullptr, IID_PPV_ARGS(&item)))) return nullptr;
    // Wine answers names it cannot parse with an item of an all-zero class id.
    CoTaskText parsing;
    if (SUCCEEDED(item->GetDisplayName(SIGDN_DESKTOPABSOLUTEPARSING, &parsing.text)) &&
        parsing.Get() == L"::{00000000-0000-0000-0000-000000000000}") {
        return nullptr;
    }
    return item;
}

ComPtr<IShellItem> KnownFolderItem(REFKNOWNFOLDERID id) {
    ComPtr<IShellItem> item;
    if (FAILED(::SHGetKnownFolderItem(id, KF_FLAG_DEFAULT, nullptr, IID_PPV_ARGS(&item)))) return nullptr;
    return item;
}

std::wstring NameOf(IShellFolder* folder, PCUITEMID_CHILD child, SHGDNF form) {
    STRRET result{};
    CoTaskText text;
    if (FAILED(folder->GetDisplayNameOf(child, form, &result)) || FAILED(::StrRetToStrW(&result, child, &text.text))) {
        return {};
    }
    return text.Get();
}

// The applications folder lists its entries by item; their names relative to the
// folder are what launches them ("shell:AppsFolder\<name>").
bool Known(const KnownNames* known, const std::wstring& path) {
    return known && known->count(foundation::AsciiLower(path)) != 0;
}

std::optional<std::vector<ShellItemInfo>> ListByItems(IShellItem* folder, const KnownNames* known) {
    ComPtr<IEnumShellItems> items;
    if (FAILED(folder->BindToHandler(nullptr, BHID_EnumItems, IID_PPV_ARGS(&items)))) return std::nullopt;
    std::vector<ShellItemInfo> listed;
    ComPtr<IShellItem> child;
    while (items->Next(1, child.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        SFGAOF attributes = 0;
        if (SUCCEEDED(child->GetAttributes(SFGAO_FOLDER, &attributes)) && (attributes & SFGAO_FOLDER)) continue;
        CoTaskText path, name;
        if (FAILED(child->GetDisplayName(SIGDN_PARENTRELATIVEPARSING, &path.text)) ||
            (!Known(known, path.Get()) && FAILED(child->GetDisplayName(SIGDN_NORMALDISPLAY, &name.text)))) {
            continue;
        }
        listed.push_back({path.Get(), name.Get()});
    }
    return listed;
}

// File folders, by their shell folder; sub-folders too when `recurse`, but not `skipped`
// ones. Sub-folders are bound through the folder itself: Wine's SHCreateItemWithParent
// is a stub that ends the process.
void ListByFolder(IShellFolder* folder, bool recurse, const std::vector<std::wstring>& skipped, const KnownNames* known,
                  int depth, std::vector<ShellItemInfo>& out) {
    ComPtr<IEnumIDList> children;
    const HRESULT listed = folder->EnumObjects(nullptr, SHCONTF_NONFOLDERS | (recurse ? SHCONTF_FOLDERS : 0), &children);
    if (listed != S_OK || !children) return; // S_FALSE: empty
    for (;;) {
        CoTaskIdList child;
        if (children->Next(1, &child.id, nullptr) != S_OK) break;
        SFGAOF attributes = SFGAO_FOLDER | SFGAO_STREAM;
        PCUITEMID_CHILD ids[] = {child.id};
        if (FAILED(folder->GetAttributesOf(1, ids, &attributes))) attributes = 0;
        const std::wstring path = NameOf(folder, child.id, SHGDN_FORPARSING);
        // A zip file is a folder to the shell, but a file to the Launchpad.
        if ((attributes & SFGAO_FOLDER) && !(attributes & SFGAO_STREAM)) {
            const bool skip = std::any_of(skipped.begin(), skipped.end(),
                                          [&path](const std::wstring& s) { return foundation::EqualsIgnoreCase(s, path); });
            ComPtr<IShellFolder> sub;
            if (recurse && !skip && depth < kMaxFolderDepth &&
                SUCCEEDED(folder->BindToObject(child.id, nullptr, IID_PPV_ARGS(&sub)))) {
                ListByFolder(sub.Get(), recurse, skipped, known, depth + 1, out);
            }
            continue;
        }
        if (path.empty()) continue;
        out.push_back({path, Known(known, path) ? std::wstring() : ShownName(NameOf(folder, child.id, SHGDN_NORMAL), path)});
    }
}

std::optional<std::vector<ShellItemInfo>> ListFolder(IShellItem* item, bool recurse, const KnownNames* known,
                                                     const std::vector<std::wstring>& skipped = {}) {
    ComPtr<IShellFolder> folder;
    if (!item || FAILED(item->BindToHandler(nullptr, BHID_SFObject, IID_PPV_ARGS(&folder)))) return std::nullopt;
    std::vector<ShellItemInfo> listed;
    ListByFolder(folder.Get(), recurse, skipped, known, 0, listed);
    return listed;
}

using PropertyKeyFromName = HRESULT(WINAPI*)(PCWSTR, PROPERTYKEY*);

// Resolved at run time: propsys is optional on Wine, and a missing import would stop
// the program from loading.
std::optional<PROPERTYKEY> PropertyKey(const wchar_t* name) {
    static const auto resolve = [] {
        const HMODULE module = ::LoadLibraryW(L"propsys.dll");
        return module ? kestrana::win32::FunctionIn<PropertyKeyFromName>(module, "PSGetPropertyKeyFromName")
                      : nullptr;
    }();
    PROPERTYKEY key{};
    if (!resolve || FAILED(resolve(name, &key))) return std::nullopt;
    return key;
}

std::wstring StringProperty(IShellItem2* item, const wchar_t* name) {
    const auto key = PropertyKey(name);
    CoTaskText value;
    if (!key || FAILED(item->GetString(*key, &value.text))) return {};
    return value.Get();
}

// A packaged application's logo as its manifest names it, inside its package folder.
std::wstring PackageLogo(IShellItem* item) {
    ComPtr<IShellItem2> item2;
    if (FAILED(item->QueryInterface(IID_PPV_ARGS(&item2)))) return {};
    const std::wstring folder = StringProperty(item2.Get(), L"System.AppUserModel.PackageInstallPath");
    const std::wstring logo = StringProperty(item2.Get(), L"System.Tile.SmallLogoPath");
    if (folder.empty() || logo.empty()) return {};
    return folder + L"\\" + logo;
}

// A bitmap from the shell: 32 bits with alpha, premultiplied as a rule; straight alpha and
// pictures without alpha are taken too.
std::optional<gfx::Bitmap> BitmapFromHandle(HBITMAP bitmap) {
    BITMAP shape{};
    if (!::GetObjectW(bitmap, sizeof shape, &shape) || shape.bmWidth <= 0 || shape.bmHeight == 0) return std::nullopt;
    const int width = shape.bmWidth, height = std::abs(shape.bmHeight);
    if (width > 4096 || height > 4096) return std::nullopt;
    BITMAPINFO info = gfx::TopDownBitmapInfo(width, height);
    gfx::Bitmap picture(width, height);
    const kestrana::win32::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!dc || ::GetDIBits(dc.Get(), bitmap, 0, UINT(height), picture.Pixels().data(), &info, DIB_RGB_COLORS) != height) {
        return std::nullopt;
    }
    bool anyAlpha = false, straight = false;
    for (const gfx::Pixel p : picture.Pixels()) {
        const auto a = gfx::PixelA(p);
        anyAlpha = anyAlpha || a != 0;
        straight = straight || gfx::PixelR(p) > a || gfx::PixelG(p) > a || gfx::PixelB(p) > a;
    }
    for (gfx::Pixel& p : picture.Pixels()) {
        if (!anyAlpha || shape.bmBitsPixel < 32) {
            p |= 0xFF000000u;
        } else if (straight) {
            const std::uint32_t a = gfx::PixelA(p);
            const auto scale = [a](std::uint8_t c) { return std::uint8_t((c * a + 127) / 255); };
            p = gfx::MakePixel(scale(gfx::PixelR(p)), scale(gfx::PixelG(p)), scale(gfx::PixelB(p)), std::uint8_t(a));
        }
    }
    return picture;
}

// The edge of the square that holds everything visible.
int VisibleExtent(const gfx::Bitmap& picture) {
    int left = picture.Width(), top = picture.Height(), right = -1, bottom = -1;
    for (int y = 0; y < picture.Height(); ++y) {
        const gfx::Pixel* row = picture.Row(y);
        for (int x = 0; x < picture.Width(); ++x) {
            if (gfx::PixelA(row[x]) == 0) continue;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? 0 : std::max(right - left, bottom - top) + 1;
}

} // namespace

std::wstring ShellParsingName(const std::wstring& path) {
    return IsFileSystemPath(path) ? path : L"shell:AppsFolder\\" + path;
}

std::optional<std::vector<ShellItemInfo>> Win32ApplicationShell::NonFolderItems(ShellFolder folder,
                                                                                const std::wstring& path,
                                                                                const KnownNames* known) const {
    try {
        switch (folder) {
        case ShellFolder::Applications: {
            auto apps = KnownFolderItem(FOLDERID_AppsFolder);
            if (!apps) apps = ItemFromParsingName(L"shell:AppsFolder");
            if (!apps) return std::nullopt;
            return ListByItems(apps.Get(), known);
        }
        case ShellFolder::Desktop: {
            // The root of the shell's namespace shows the user's and the public desktop
            // together, as the user sees them; Wine parses the desktop's own "shell:::{...}"
            // name into an empty folder.
            ComPtr<IShellFolder> desktop;
            if (FAILED(::SHGetDesktopFolder(&desktop))) return std::nullopt;
            std::vector<ShellItemInfo> listed;
            ListByFolder(desktop.Get(), false, {}, known, 0, listed);
            return listed;
        }
        case ShellFolder::UserPrograms:
            return ListFolder(KnownFolderItem(FOLDERID_Programs).Get(), true, known, {KnownFolderPath(FOLDERID_Startup)});
        case ShellFolder::CommonPrograms:
            return ListFolder(KnownFolderItem(FOLDERID_CommonPrograms).Get(), true, known,
                              {KnownFolderPath(FOLDERID_CommonStartup)});
        case ShellFolder::FileFolder: {
            const DWORD attributes = ::GetFileAttributesW(path.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
            return ListFolder(ItemFromParsingName(path).Get(), false, known);
        }
        }
    } catch (...) {
        foundation::LogCaught("launchpad scan");
    }
    return std::nullopt;
}

IconFacts Win32ApplicationIcons::Facts(const std::wstring& path) const {
    IconFacts facts;
    try {
        wchar_t buffer[MAX_PATH] = {};
        if (IsFileSystemPath(path) && EndsWithIgnoreCase(path, L".lnk")) {
            ComPtr<IShellLinkW> link;
            ComPtr<IPersistFile> file;
            if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) ||
                FAILED(link.As(&file)) || FAILED(file->Load(path.c_str(), STGM_READ))) {
                return facts;
            }
            int index = 0;
            if (SUCCEEDED(link->GetIconLocation(buffer, MAX_PATH, &index)) && buffer[0]) {
                facts = {Expand(buffer), index, true};
            }
            WIN32_FIND_DATAW found{};
            buffer[0] = 0;
            if (SUCCEEDED(link->GetPath(buffer, MAX_PATH, &found, SLGP_RAWPATH)) && buffer[0]) facts.target = Expand(buffer);
            return facts;
        }
        const auto item = ItemFromParsingName(ShellParsingName(path));
        if (!item) return facts;
        ComPtr<IExtractIconW> extract;
        // mingw has no uuidof for this interface; its IID comes from the uuid library.
        if (SUCCEEDED(item->BindToHandler(nullptr, BHID_SFUIObject, IID_IExtractIconW,
                                          reinterpret_cast<void**>(extract.GetAddressOf())))) {
            int index = 0;
            UINT flags = 0;
            if (extract->GetIconLocation(GIL_FORSHELL, buffer, MAX_PATH, &index, &flags) == S_OK && buffer[0] &&
                !(flags & GIL_NOTFILENAME)) {
                facts = {Expand(buffer), index, true};
            }
        }
        if (!IsFileSystemPath(path)) facts.packageLogo = PackageLogo(item.Get());
    } catch (...) {
        foundation::LogCaught("launchpad icon facts");
    }
    return facts;
}

std::optional<gfx::Bitmap> Win32ApplicationIcons::ItemImage(const std::wstring& path) const {
    try {
        const auto item = ItemFromParsingName(ShellParsingName(path));
        ComPtr<IShellItemImageFactory> factory;
        if (!item || FAILED(item.As(&factory))) return std::nullopt;
        HBITMAP handle = nullptr;
        if (FAILED(factory->GetImage(SIZE{kIconSize, kIconSize}, SIIGBF_ICONONLY | SIIGBF_BIGGERSIZEOK, &handle))) {
            return std::nullopt;
        }
        const kestrana::win32::UniqueGdiObject owner(handle);
        auto picture = BitmapFromHandle(handle);
        if (!picture || picture->Width() < 16) return std::nullopt;
        // A 32 or 48 px icon on a 256 px canvas: the resources give it at its own size.
        if (picture->Width() >= 128 && VisibleExtent(*picture) <= 48) return std::nullopt;
        return picture;
    } catch (...) {
        foundation::LogCaught("launchpad item image");
        return std::nullopt;
    }
}

std::optional<gfx::Bitmap> Win32ApplicationIcons::ResourceIcon(const std::wstring& file, int index) const {
    return gfx::ShellIconSource().ResourceIcon(file, index);
}

std::optional<gfx::Bitmap> Win32ApplicationIcons::FileIcon(const std::wstring& path) const {
    if (!IsFileSystemPath(path)) return std::nullopt;
    const std::lock_guard lock(m_imageLists);
    return gfx::ShellIconSource().FileIcon(path);
}

std::shared_ptr<void> Win32ApplicationIcons::EnterWorker() const {
    return std::make_shared<kestrana::win32::ComApartment>(COINIT_APARTMENTTHREADED);
}

} // namespace kestrana::launchers
