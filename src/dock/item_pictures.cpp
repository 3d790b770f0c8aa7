#include "dock/item_pictures.h"

#include "foundation/diagnostic_log.h"

#include "dock/item_list.h"
#include "foundation/profile_document.h"
#include "foundation/text.h"
#include "gfx/resample.h"

#include <algorithm>
#include <condition_variable>
#include <cwctype>
#include <mutex>
#include <thread>

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
                if (decoded->Width() > kItemPictureSize || decoded->Height() > kItemPictureSize)
                    *decoded = gfx::ScaleToFit(*decoded, kItemPictureSize);
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
    if (auto icon = Icons().ResourceIcon(location.path, location.index); icon && !icon->Empty()) {
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

int PictureSizeFor(int restingSize, int maximumSize) {
    return std::clamp(std::max(restingSize, maximumSize), 1, kItemPictureSize);
}

ResolvedPicture ItemPictures::Resolve(const PictureFacts& facts, const PictureState& state) {
    ResolvedPicture result = Find(facts, state);
    result.picture = Fitted(std::move(result.picture), state.pictureSize);
    return result;
}

std::shared_ptr<const gfx::Bitmap> ItemPictures::Fitted(std::shared_ptr<const gfx::Bitmap> picture, int size) {
    if (!picture || size <= 0 || (picture->Width() <= size && picture->Height() <= size)) return picture;
    const auto key = std::make_pair(picture.get(), size);
    if (const auto it = m_fitted.find(key); it != m_fitted.end()) return it->second.fitted;
    auto fitted = std::make_shared<const gfx::Bitmap>(gfx::ScaleToFit(*picture, size));
    m_fitted.emplace(key, FittedPicture{std::move(picture), fitted});
    return fitted;
}

ResolvedPicture ItemPictures::Find(const PictureFacts& facts, const PictureState& state) {
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
    if (auto icon = Icons().FileIcon(path); icon && !icon->Empty())
        picture = std::make_shared<const gfx::Bitmap>(std::move(*icon));
    m_cache.emplace(cacheKey, picture);
    return picture;
}

const IconSource& ItemPictures::Icons() {
    // Most rows show themed pictures only; their workers never pay for the preparation.
    if (!m_iconsPrepared && m_sources.prepareIcons) m_iconsPrepared = m_sources.prepareIcons();
    return m_sources.icons;
}

std::shared_ptr<const gfx::Bitmap> ItemPictures::OverridePicture(std::wstring_view key) {
    return PictureFile(m_sources.theme.IconOverridePath(key));
}

// One request: what the user-interface thread copied from the row, and what the workers
// found for it.
struct PicturePass {
    enum class Kind : std::uint8_t { Items, Override };
    Kind kind = Kind::Items;
    std::wstring overrideKey;
    std::shared_ptr<const PictureSources> sources;
    std::shared_ptr<RowLink> link;
    // The newest items request of the row; an older one gives way to it. None for overrides.
    std::shared_ptr<std::atomic<std::uint64_t>> latest;
    std::uint64_t id = 0;
    std::vector<PictureFacts> facts;
    // Each item's picture when asked: a picture set since (a live clock drawn, an
    // override) is newer than what this pass found, and stays.
    std::vector<std::shared_ptr<const gfx::Bitmap>> before;
    PictureState state;
    PictureDelivery delivery;
    int workers = 1;
    std::chrono::steady_clock::time_point asked;

    std::atomic<std::size_t> next{0}; // the next item a worker takes
    std::mutex mutex;                 // guards what follows; never held together with the row's locks
    std::condition_variable settled;
    std::vector<std::optional<ResolvedPicture>> results;
    int running = 0;        // workers started and not done yet
    int started = 0;        // workers started in all (none: the runner was full)
    bool published = false; // every result went to the row

    [[nodiscard]] bool Superseded() const { return latest && latest->load(std::memory_order_acquire) != id; }
};

namespace {

using Ready = std::vector<std::pair<std::size_t, ResolvedPicture>>;

Ready TakeReady(PicturePass& pass) {
    Ready ready;
    for (std::size_t i = 0; i < pass.results.size(); ++i)
        if (pass.results[i]) ready.emplace_back(i, *pass.results[i]);
    return ready;
}

// Hands resolved pictures to the row under its locks; false when the row is gone or a
// newer request took over.
bool Publish(const PicturePass& pass, const Ready& ready) {
    if (ready.empty()) return false;
    std::lock_guard bars(BarsListMutex());
    DockItems* row = pass.link->Row();
    if (!row) return false;
    std::lock_guard list(row->ListMutex());
    if (pass.Superseded()) return false;
    for (const auto& [i, resolved] : ready) {
        const std::size_t index = row->IndexOfId(pass.facts[i].id);
        if (index == 0) continue; // removed meanwhile
        Dockico& item = (*row)[index];
        // A live item's picture, once there, is its drawing's to change: a later pass (the
        // trash filling, an item added) would otherwise blank the clock until its next minute.
        const bool liveDrawn = resolved.live != LivePicture::None && item.live == resolved.live && item.picture;
        if (item.picture == pass.before[i] && !liveDrawn && (resolved.picture || pass.kind == PicturePass::Kind::Items))
            item.picture = resolved.picture;
        if (pass.kind == PicturePass::Kind::Override) continue;
        item.live = resolved.live;
        item.key = resolved.key;
    }
    return true;
}

void Finish(PicturePass& pass) {
    Ready ready;
    int started = 0;
    {
        std::lock_guard lock(pass.mutex);
        ready = TakeReady(pass);
        started = pass.started;
    }
    const bool reached = Publish(pass, ready);
    if (reached && pass.delivery.arrived) pass.delivery.arrived();
    {
        std::lock_guard lock(pass.mutex);
        pass.published = true;
    }
    pass.settled.notify_all();
    if (foundation::DetailLogging()) {
        const auto us = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - pass.asked).count();
        foundation::LogDetail("item pictures", std::to_wstring(ready.size()) + L" of " + std::to_wstring(pass.facts.size()) +
                                                   L" in " + std::to_wstring(us / 1000) + L"." +
                                                   std::to_wstring(us % 1000 / 100) + L" ms on " +
                                                   std::to_wstring(started) + L" worker(s)" +
                                                   (reached ? L"" : L", not handed to the row"));
    }
}

void Work(PicturePass& pass, const foundation::JobContext& job) {
    {
        ItemPictures resolver(*pass.sources);
        if (pass.kind == PicturePass::Kind::Override) {
            const auto picture = resolver.OverridePicture(pass.overrideKey);
            std::lock_guard lock(pass.mutex);
            for (auto& result : pass.results) result = ResolvedPicture{picture, LivePicture::None, {}};
        } else {
            for (;;) {
                if (job.Quitting() || pass.Superseded()) break;
                const std::size_t i = pass.next.fetch_add(1, std::memory_order_relaxed);
                if (i >= pass.facts.size()) break;
                ResolvedPicture resolved = resolver.Resolve(pass.facts[i], pass.state);
                std::lock_guard lock(pass.mutex);
                pass.results[i] = std::move(resolved);
            }
        }
    }
    bool last = false;
    {
        std::lock_guard lock(pass.mutex);
        last = --pass.running == 0;
    }
    if (last) Finish(pass);
}

} // namespace

bool PictureRequest::Wait(std::chrono::milliseconds timeout) {
    if (!m_pass) return true;
    Ready ready;
    {
        std::unique_lock lock(m_pass->mutex);
        // Without a worker (the runner was full) there is nothing to wait for yet.
        if (m_pass->published || (m_pass->started > 0 &&
                                   m_pass->settled.wait_for(lock, timeout, [&] { return m_pass->published; })))
            return true;
        ready = TakeReady(*m_pass);
    }
    Publish(*m_pass, ready);
    return false;
}

bool PictureRequest::Done() const {
    if (!m_pass) return true;
    std::lock_guard lock(m_pass->mutex);
    return m_pass->published;
}

int PictureLoader::DefaultWorkers() {
    // Decoding a few pictures gains little beyond a few threads, and each holds a place of
    // the job runner while it works.
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 3u));
}

PictureLoader::PictureLoader(PictureSources sources, int workers)
    : m_sources(std::make_shared<const PictureSources>(std::move(sources))), m_workers(std::max(1, workers)) {}

std::shared_ptr<std::atomic<std::uint64_t>> PictureLoader::LatestOf(const std::shared_ptr<RowLink>& link) {
    std::erase_if(m_latest, [](const auto& entry) { return entry.first.expired(); });
    auto& latest = m_latest[link];
    if (!latest) latest = std::make_shared<std::atomic<std::uint64_t>>(0);
    return latest;
}

PictureRequest PictureLoader::Request(DockItems& row, const PictureState& state, const PictureDelivery& delivery) {
    auto pass = std::make_shared<PicturePass>();
    pass->sources = m_sources;
    pass->state = state;
    pass->delivery = delivery;
    pass->workers = m_workers;
    pass->link = row.Link();
    pass->latest = LatestOf(pass->link);
    pass->id = ++m_nextPass;
    // From here on an older request of the row hands nothing over.
    pass->latest->store(pass->id, std::memory_order_release);
    {
        std::lock_guard lock(row.ListMutex());
        if (!DockItems::HasItemRange(row.Size())) return {};
        pass->facts.reserve(row.RealCount());
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
            // Known from the name alone, so the live pictures can be drawn before the rest arrives.
            item.live = LiveOf(item.appname);
            FactsOf(item, pass->facts.emplace_back());
            pass->before.push_back(item.picture);
        });
    }
    return Start(std::move(pass));
}

PictureRequest PictureLoader::Override(DockItems& row, std::wstring_view fileName, const PictureDelivery& delivery) {
    if (!EndsWithIgnoreCase(fileName, L".png")) return {};
    auto pass = std::make_shared<PicturePass>();
    pass->kind = PicturePass::Kind::Override;
    pass->overrideKey = AsciiLower(fileName.substr(0, fileName.size() - 4));
    pass->sources = m_sources;
    pass->delivery = delivery;
    pass->link = row.Link();
    {
        std::lock_guard lock(row.ListMutex());
        row.ForEachReal([&](std::size_t, Dockico& item) {
            if (item.delimiter || AsciiLower(item.key) != pass->overrideKey) return;
            FactsOf(item, pass->facts.emplace_back());
            pass->before.push_back(item.picture);
        });
    }
    return Start(std::move(pass));
}

PictureRequest PictureLoader::Start(std::shared_ptr<PicturePass> pass) {
    pass->results.resize(pass->facts.size());
    pass->asked = std::chrono::steady_clock::now();
    if (pass->facts.empty()) {
        pass->published = true;
    } else if (!StartWorkers(pass)) {
        foundation::LogFailure("item pictures", L"no worker free; asked again in a moment");
        m_dropped.push_back(pass);
    }
    return PictureRequest(std::move(pass));
}

bool PictureLoader::StartWorkers(const std::shared_ptr<PicturePass>& pass) {
    if (!pass->delivery.jobs) return false;
    const int wanted = pass->kind == PicturePass::Kind::Override
                           ? 1
                           : std::clamp(pass->workers, 1, static_cast<int>(pass->facts.size()));
    {
        std::lock_guard lock(pass->mutex);
        pass->running = wanted;
        pass->started = wanted;
    }
    int started = 0;
    while (started < wanted && pass->delivery.jobs->Run([pass](const foundation::JobContext& job) { Work(*pass, job); })) ++started;
    bool last = false;
    {
        std::lock_guard lock(pass->mutex);
        pass->started = started;
        pass->running -= wanted - started;
        last = started > 0 && started < wanted && pass->running == 0;
    }
    // The workers that did start are done already: the results go to the row from here
    // (no file is read for it).
    if (last) Finish(*pass);
    return started > 0;
}

void PictureLoader::RetryDropped() {
    std::erase_if(m_dropped, [this](const std::shared_ptr<PicturePass>& pass) {
        {
            // Rows die on this thread, and a row's runner outlives it: a live row means a
            // live runner.
            std::lock_guard bars(BarsListMutex());
            if (!pass->link->Row()) return true;
        }
        return pass->Superseded() || StartWorkers(pass);
    });
}

} // namespace kestrana::dock
