#include "dock/item_pictures.h"

#include "foundation/diagnostic_log.h"

#include "dock/item_list.h"
#include "foundation/profile_document.h"
#include "foundation/text.h"
#include "gfx/resample.h"

#include <algorithm>
#include <cwctype>
#include <mutex>

namespace kestrana::dock {

using foundation::AsciiLower;
using foundation::EndsWithIgnoreCase;
using foundation::RegistryRoot;

namespace {

constexpr std::wstring_view kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Reading a device ("CON", "\\.\COM1") waits for input that never comes; such names are
// never pictures.
bool IsDeviceName(std::wstring_view path) {
    if (path.starts_with(L"\\\\.\\") || path.starts_with(L"//./")) return true;
    if (path.starts_with(L"\\\\?\\") && !(path.size() > 6 && path[5] == L':')) return true;
    const auto slash = path.find_last_of(L"\\/:");
    std::wstring name(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
    name = name.substr(0, name.find(L'.'));
    while (!name.empty() && name.back() == L' ') name.pop_back();
    name = AsciiLower(name);
    static constexpr std::wstring_view kDevices[] = {L"con", L"prn", L"aux", L"nul", L"conin$", L"conout$"};
    if (std::find(std::begin(kDevices), std::end(kDevices), name) != std::end(kDevices)) return true;
    return name.size() == 4 && (name.starts_with(L"com") || name.starts_with(L"lpt")) && name[3] >= L'0' &&
           name[3] <= L'9';
}

bool IsPicturePath(std::wstring_view path) {
    return EndsWithIgnoreCase(path, L".png") || EndsWithIgnoreCase(path, L".ico");
}

const PictureFacts& FactsOf(const Dockico& item, PictureFacts& facts) {
    facts.id = item.id;
    facts.delimiter = item.delimiter;
    facts.appKind = item.appKind;
    facts.key = item.key;
    facts.appname = item.appname;
    facts.icopath = item.icopath;
    facts.filepath = item.filepath;
    facts.realpath = item.realpath;
    facts.runline = item.runline;
    return facts;
}

std::wstring SteamGame(std::wstring_view realpath) {
    for (const std::wstring_view scheme : {std::wstring_view(L"steam://rungameid/"), std::wstring_view(L"steamchina://rungameid/")}) {
        const auto at = realpath.find(scheme);
        if (at == std::wstring_view::npos) continue;
        auto rest = realpath.substr(at + scheme.size());
        const auto digits = std::find_if_not(rest.begin(), rest.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
        if (digits != rest.begin()) return std::wstring(rest.begin(), digits);
    }
    return {};
}

std::wstring AppIdIn(std::wstring_view text) {
    static constexpr std::wstring_view kOption = L"--app-id=";
    const auto at = foundation::AsciiLower(text).find(kOption);
    if (at == std::wstring::npos) return {};
    auto id = text.substr(at + kOption.size());
    id = id.substr(0, id.find_first_of(L" \t\""));
    return std::wstring(id);
}

} // namespace

IconLocation ParseIconLocation(std::wstring_view text, const ItemShell& shell) {
    IconLocation location;
    std::wstring_view rest = foundation::TrimBlanks(text);
    const auto comma = rest.rfind(L',');
    if (comma != std::wstring_view::npos) {
        const auto number = foundation::TrimBlanks(rest.substr(comma + 1));
        const bool numeric = !number.empty() && std::all_of(number.begin(), number.end(), [](wchar_t c) {
            return (c >= L'0' && c <= L'9') || c == L'-' || c == L'+';
        });
        if (numeric) {
            location.index = foundation::ParseInt32(number);
            rest = foundation::TrimBlanks(rest.substr(0, comma));
        }
    }
    while (!rest.empty() && rest.front() == L'"') rest.remove_prefix(1);
    while (!rest.empty() && rest.back() == L'"') rest.remove_suffix(1);
    location.path = ExpandEnvironment(rest, shell);
    return location;
}

std::shared_ptr<const gfx::Bitmap> ItemPictures::PictureFile(const std::wstring& path) {
    if (path.empty() || IsDeviceName(path)) return nullptr;
    const std::wstring cacheKey = AsciiLower(path);
    if (const auto cached = m_cache.find(cacheKey); cached != m_cache.end()) return cached->second;
    std::shared_ptr<const gfx::Bitmap> picture;
    if (m_sources.files.IsFile(path)) {
        if (const auto bytes = m_sources.files.Read(path)) {
            // At its own size (an icon file's largest entry), brought down to the largest
            // size the bars draw.
            if (auto decoded = m_sources.decoder.Decode(*bytes)) {
                if (decoded->Width() > kItemPictureSize || decoded->Height() > kItemPictureSize) {
                    const auto target = gfx::ResolveDecodeSize(
                        decoded->Width(), decoded->Height(),
                        decoded->Width() >= decoded->Height() ? gfx::DecodeSize{kItemPictureSize, 0}
                                                              : gfx::DecodeSize{0, kItemPictureSize});
                    *decoded = gfx::ScaleBitmap(*decoded, target.width, target.height);
                }
                picture = std::make_shared<const gfx::Bitmap>(std::move(*decoded));
            }
        }
        if (!picture) foundation::LogFailure("item picture", L"cannot read or decode " + path);
    }
    m_cache.emplace(cacheKey, picture);
    return picture;
}

std::shared_ptr<const gfx::Bitmap> ItemPictures::IconAt(const IconLocation& location) {
    if (location.path.empty() || IsDeviceName(location.path)) return nullptr;
    if (IsPicturePath(location.path)) return PictureFile(location.path);
    if (!m_sources.files.IsFile(location.path)) return nullptr;
    const std::wstring cacheKey = AsciiLower(location.path) + L"," + std::to_wstring(location.index);
    if (const auto cached = m_cache.find(cacheKey); cached != m_cache.end()) return cached->second;
    std::shared_ptr<const gfx::Bitmap> picture;
    if (auto icon = m_sources.icons.ResourceIcon(location.path, location.index); icon && !icon->Empty()) {
        picture = std::make_shared<const gfx::Bitmap>(std::move(*icon));
    }
    m_cache.emplace(cacheKey, picture);
    return picture;
}

std::shared_ptr<const gfx::Bitmap> ItemPictures::FolderIcon(const std::wstring& folder) {
    std::wstring base = folder;
    if (!base.empty() && base.back() != L'\\') base += L'\\';
    const std::wstring desktopIni = base + L"desktop.ini";
    if (!m_sources.files.IsFile(desktopIni)) return nullptr;
    auto bytes = m_sources.files.Read(desktopIni);
    if (!bytes) return nullptr;
    const auto document = foundation::ProfileDocument::Parse(std::move(*bytes));
    if (!document) return nullptr;
    const auto read = [&](std::u16string_view key) {
        return foundation::FromUtf16(document->ReadString(u".ShellClassInfo", key, u"", foundation::ConfigStore::kValueUnits));
    };
    IconLocation location;
    if (const std::wstring resource = read(u"IconResource"); !resource.empty()) {
        location = ParseIconLocation(resource, m_sources.shell);
    } else if (const std::wstring file = read(u"IconFile"); !file.empty()) {
        location = ParseIconLocation(file, m_sources.shell);
        location.index = foundation::ParseInt32(read(u"IconIndex"));
    } else {
        return nullptr;
    }
    // A name without a folder is a file inside the folder itself.
    if (location.path.find_first_of(L"\\/:") == std::wstring::npos) location.path = base + location.path;
    return IconAt(location);
}

std::shared_ptr<const gfx::Bitmap> ItemPictures::UninstallIcon(RegistryRoot root, const std::wstring& subKey) {
    const auto icon = m_sources.registry.ReadString(root, subKey, L"DisplayIcon");
    if (!icon || icon->empty()) return nullptr;
    return IconAt(ParseIconLocation(*icon, m_sources.shell));
}

std::shared_ptr<const gfx::Bitmap> ItemPictures::WebAppIcon(const std::wstring& appId) {
    if (appId.empty()) return nullptr;
    const std::wstring wanted = AsciiLower(appId);
    for (const auto& name : m_sources.registry.SubKeyNames(RegistryRoot::CurrentUser, kUninstallKey)) {
        const std::wstring subKey = std::wstring(kUninstallKey) + L"\\" + name;
        const auto uninstall = m_sources.registry.ReadString(RegistryRoot::CurrentUser, subKey, L"UninstallString");
        if (uninstall && AsciiLower(AppIdIn(*uninstall)) == wanted) return UninstallIcon(RegistryRoot::CurrentUser, subKey);
    }
    return nullptr;
}

std::shared_ptr<const gfx::Bitmap> ItemPictures::ThemePicture(std::wstring_view name, bool dark) {
    auto picture = PictureFile(m_sources.theme.ThemeIconPath(name, dark));
    // Said once per name until the cache is cleared (a theme change), not on every pass.
    if (!picture && m_cache.emplace(L"|missing|" + std::wstring(name), nullptr).second)
        foundation::LogFailure("theme", L"no picture for " + std::wstring(name));
    return picture;
}

namespace {

// The live pictures are drawn elsewhere; until then the theme's still picture stands in.
LivePicture LiveOf(std::wstring_view appname) {
    if (appname == L"cal|") return LivePicture::Calendar;
    if (appname == L"systemtime") return LivePicture::Clock;
    if (appname == L"weather") return LivePicture::Weather;
    if (appname == L"battery") return LivePicture::Battery;
    return LivePicture::None;
}

} // namespace

ResolvedPicture ItemPictures::Resolve(const PictureFacts& facts, const PictureState& state) {
    ResolvedPicture result;
    result.key = facts.key;
    if (facts.delimiter) {
        result.key.clear();
        return result;
    }
    const bool trash = facts.appname == L"trash|";
    // A folder is known by "folder-" and its name, in every pass alike.
    const bool folder = !facts.realpath.empty() && !IsDeviceName(facts.realpath) &&
                        m_sources.files.IsDirectory(facts.realpath);
    if (folder) result.key = L"folder-" + facts.appname;

    // A chosen or themed picture first.
    if (!trash && !facts.icopath.empty()) result.picture = PictureFile(facts.icopath);
    if (!result.picture) {
        if (trash) result.picture = ThemePicture(state.trashFull ? L"Trash_Full" : L"Trash_Empty", state.dark);
        else if (facts.appname == L"virtualdesktop") result.picture = ThemePicture(L"virtualdesktop");
        else result.picture = PictureFile(m_sources.theme.IconOverridePath(result.key));
    }
    result.live = LiveOf(facts.appname);
    if (!result.picture && result.live == LivePicture::Calendar) result.picture = ThemePicture(L"Calendar");
    if (!result.picture && result.live == LivePicture::Weather) result.picture = ThemePicture(L"Weather");
    if (result.picture || result.live != LivePicture::None || trash) return result;

    if (SpecialPicture(facts, folder, result)) return result;
    result.picture = KindPicture(facts);
    return result;
}

bool ItemPictures::SpecialPicture(const PictureFacts& facts, bool folder, ResolvedPicture& result) {
    struct Named {
        std::wstring_view match;
        std::wstring_view picture;
    };
    static constexpr Named kByAppname[] = {{L"explorer.exe", L"explorer"}, {L"launchpad|", L"pad"}};
    static constexpr Named kByKey[] = {
        {L"taskbar", L"Systemtray"}, {L"startmenu", L"startmenu"}, {L"controlpanel", L"ControlPlanel"}, {L"network", L"Network"}};
    for (const auto& named : kByAppname) {
        if (facts.appname == named.match) {
            result.picture = ThemePicture(named.picture);
            return true;
        }
    }
    for (const auto& named : kByKey) {
        if (facts.key == named.match) {
            result.picture = ThemePicture(named.picture);
            return true;
        }
    }
    if (!folder) return false;
    result.picture = FolderIcon(facts.realpath);
    if (!result.picture) result.picture = ThemePicture(L"folder");
    return true;
}

std::shared_ptr<const gfx::Bitmap> ItemPictures::KindPicture(const PictureFacts& facts) {
    switch (facts.appKind) {
    case AppKind::Android: return IsPicturePath(facts.filepath) ? PictureFile(facts.filepath) : nullptr;
    case AppKind::BrowserWebApp: {
        std::wstring id = AppIdIn(facts.realpath);
        if (id.empty()) id = AppIdIn(facts.runline);
        if (id.empty()) id = facts.filepath;
        return WebAppIcon(id);
    }
    case AppKind::FirefoxWebApp:
        if (facts.key.empty() || facts.key.find(L'\\') != std::wstring::npos) return nullptr;
        return UninstallIcon(RegistryRoot::CurrentUser, std::wstring(kUninstallKey) + L"\\FFPWA-" + facts.key);
    case AppKind::Program:
    case AppKind::Packaged:
    case AppKind::AppIdProgram: break;
    }
    std::shared_ptr<const gfx::Bitmap> picture;
    // A packaged or started-with-an-id program is asked for even when its path is no file.
    if (facts.appKind != AppKind::Program || m_sources.files.IsFile(facts.filepath)) picture = ShellIcon(facts.filepath);
    if (!picture && m_sources.files.IsFile(facts.realpath)) picture = ShellIcon(facts.realpath);
    if (!picture) {
        if (const std::wstring game = SteamGame(facts.realpath); !game.empty())
            picture = UninstallIcon(RegistryRoot::LocalMachine, std::wstring(kUninstallKey) + L"\\Steam App " + game);
    }
    return picture;
}

std::shared_ptr<const gfx::Bitmap> ItemPictures::ShellIcon(const std::wstring& path) {
    if (path.empty() || IsDeviceName(path)) return nullptr;
    const std::wstring cacheKey = L"shell:" + AsciiLower(path);
    if (const auto cached = m_cache.find(cacheKey); cached != m_cache.end()) return cached->second;
    std::shared_ptr<const gfx::Bitmap> picture;
    if (auto icon = m_sources.icons.FileIcon(path); icon && !icon->Empty())
        picture = std::make_shared<const gfx::Bitmap>(std::move(*icon));
    m_cache.emplace(cacheKey, picture);
    return picture;
}

void ItemPictures::ResolveAll(DockItems& row, const PictureState& state) {
    m_cache.clear();
    std::vector<PictureFacts> facts;
    {
        std::lock_guard lock(row.ListMutex());
        if (!DockItems::HasItemRange(row.Size())) return;
        facts.reserve(row.RealCount());
        row.ForEachReal([&](std::size_t, Dockico& item) {
            if (item.delimiter) {
                item.id = NewItemId();
                item.appname.clear();
                item.filepath.clear();
                item.realpath.clear();
                item.key.clear();
                item.icopath.clear();
                item.picture.reset();
                item.live = LivePicture::None;
                return;
            }
            FactsOf(item, facts.emplace_back());
        });
    }
    std::vector<ResolvedPicture> resolved;
    resolved.reserve(facts.size());
    for (const auto& item : facts) resolved.push_back(Resolve(item, state));
    std::lock_guard lock(row.ListMutex());
    for (std::size_t i = 0; i < facts.size(); ++i) {
        const std::size_t index = row.IndexOfId(facts[i].id);
        if (index == 0) continue; // removed meanwhile
        Dockico& item = row[index];
        item.picture = std::move(resolved[i].picture);
        item.live = resolved[i].live;
        item.key = std::move(resolved[i].key);
    }
}

void ItemPictures::ApplyOverride(DockItems& row, std::wstring_view fileName) {
    if (!EndsWithIgnoreCase(fileName, L".png")) return;
    const std::wstring key = AsciiLower(fileName.substr(0, fileName.size() - 4));
    const std::wstring path = m_sources.theme.IconOverridePath(key);
    if (path.empty()) return;
    m_cache.erase(AsciiLower(path)); // a new file under a name seen before
    const auto picture = PictureFile(path);
    if (!picture) return;
    std::lock_guard lock(row.ListMutex());
    row.ForEachReal([&](std::size_t, Dockico& item) {
        if (!item.delimiter && AsciiLower(item.key) == key) item.picture = picture;
    });
}

} // namespace kestrana::dock
