#include "launchers/catalogue_icons.h"

#include "foundation/diagnostic_log.h"
#include "foundation/text.h"
#include "gfx/canvas.h"
#include "gfx/ico_codec.h"
#include "gfx/png_codec.h"
#include "gfx/resample.h"
#include "launchers/catalogue_sources.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace kestrana::launchers {

using foundation::EndsWithIgnoreCase;
using foundation::StartsWithIgnoreCase;

namespace {

std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring FileNameOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The files of a folder, sorted by name so that "the first" is the same on every disk.
std::vector<std::wstring> SortedFiles(const foundation::FileSystem& files, const std::wstring& folder) {
    std::vector<std::wstring> names;
    for (auto& entry : files.List(folder)) {
        if (!entry.isDirectory) names.push_back(std::move(entry.name));
    }
    std::sort(names.begin(), names.end(),
              [](const std::wstring& a, const std::wstring& b) { return foundation::AsciiLower(a) < foundation::AsciiLower(b); });
    return names;
}

std::optional<gfx::Bitmap> DecodePicture(const foundation::FileSystem& files, const std::wstring& path) {
    const auto bytes = files.Read(path);
    if (!bytes) return std::nullopt;
    if (gfx::LooksLikePng(*bytes)) return gfx::DecodePng(*bytes);
    if (gfx::LooksLikeIco(*bytes)) return gfx::DecodeIco(*bytes, kIconSize);
    return std::nullopt;
}

gfx::Bitmap AtMostIconSize(gfx::Bitmap picture) { return FitIcon(std::move(picture), kIconSize); }

bool Usable(const std::optional<gfx::Bitmap>& picture) { return picture && !picture->Empty(); }

// Where the application's own icon is to be found, best first.
std::optional<gfx::Bitmap> ExtractIcon(const IconRequest& request, const IconWorld& world) {
    const foundation::FileSystem& files = *world.files;
    const ApplicationIcons& icons = *world.icons;
    const IconFacts facts = icons.Facts(request.path);
    if (!facts.packageLogo.empty()) {
        if (auto logo = PickPackageLogo(files, facts.packageLogo)) {
            if (auto picture = DecodePicture(files, *logo); Usable(picture)) return picture;
        }
    }
    if (auto file = WebAppPicture(files, request.path, facts)) {
        if (auto picture = DecodePicture(files, *file); Usable(picture)) return picture;
    }
    if (auto picture = icons.ItemImage(request.path); Usable(picture)) return picture;
    const bool isFile = files.IsFile(request.path);
    if (isFile && EndsWithIgnoreCase(request.path, L".exe")) {
        if (auto picture = icons.ResourceIcon(request.path, 0); Usable(picture)) return picture;
    }
    if (UsableIconLocation(facts)) {
        const bool pictureFile = EndsWithIgnoreCase(facts.iconFile, L".png") || EndsWithIgnoreCase(facts.iconFile, L".ico");
        auto picture = pictureFile ? DecodePicture(files, facts.iconFile) : icons.ResourceIcon(facts.iconFile, facts.iconIndex);
        if (Usable(picture)) return picture;
    }
    if (EndsWithIgnoreCase(facts.target, L".exe") && !IsUninstaller(facts.target)) {
        if (auto picture = icons.ResourceIcon(facts.target, 0); Usable(picture)) return picture;
    }
    if (request.source == EntrySource::Pinned && isFile) {
        if (auto picture = icons.FileIcon(request.path); Usable(picture)) return picture;
    }
    return std::nullopt;
}

bool Store(foundation::FileSystem& files, const std::wstring& path, const gfx::Bitmap& picture) {
    const auto bytes = gfx::EncodePng(picture);
    if (bytes.empty()) return false;
    if (files.Replace(path, bytes)) return true;
    // The folder may have gone since the catalogue was loaded (a change of source empties it).
    const std::wstring folder = FolderOf(path);
    files.CreateFolder(FolderOf(folder.substr(0, folder.size() - 1)));
    if (files.CreateFolder(folder) && files.Replace(path, bytes)) return true;
    foundation::LogFailure("launchpad icon cache", L"cannot write " + path);
    return false;
}

std::shared_ptr<const gfx::Bitmap> Shared(gfx::Bitmap picture) {
    return std::make_shared<const gfx::Bitmap>(std::move(picture));
}

} // namespace

bool UsableIconLocation(const IconFacts& facts) {
    if (facts.iconFile.empty() || IsUninstaller(facts.iconFile)) return false;
    if (facts.indexGiven) return true;
    for (const std::wstring_view extension : {L".exe", L".dll", L".png", L".ico"}) {
        if (EndsWithIgnoreCase(facts.iconFile, extension)) return true;
    }
    return false;
}

std::optional<std::wstring> PickPackageLogo(const foundation::FileSystem& files, const std::wstring& logo) {
    const std::wstring folder = FolderOf(logo);
    std::wstring stem = FileNameOf(logo);
    if (EndsWithIgnoreCase(stem, L".png")) stem.resize(stem.size() - 4);
    if (folder.empty() || stem.empty()) return std::nullopt;
    std::optional<std::wstring> first;
    for (const std::wstring& name : SortedFiles(files, folder)) {
        if (!StartsWithIgnoreCase(name, stem) || !EndsWithIgnoreCase(name, L".png")) continue;
        if (EndsWithIgnoreCase(name, L".targetsize-256.png")) return folder + name;
        if (!first) first = folder + name;
    }
    return first;
}

std::optional<std::wstring> WebAppPicture(const foundation::FileSystem& files, const std::wstring& path,
                                          const IconFacts& facts) {
    const bool webApp = foundation::ContainsIgnoreCase(path, L"_crx_") ||
                        foundation::ContainsIgnoreCase(facts.iconFile, L"\\Web Applications\\");
    const std::wstring folder = FolderOf(facts.iconFile);
    if (!webApp || folder.empty()) return std::nullopt;
    std::optional<std::wstring> first;
    for (const std::wstring& name : SortedFiles(files, folder)) {
        if (!EndsWithIgnoreCase(name, L".png")) continue;
        if (EndsWithIgnoreCase(name, L"-100.png")) return folder + name;
        if (!first) first = folder + name;
    }
    return first;
}

gfx::Bitmap ApplyIconMask(const gfx::Bitmap& icon) {
    const int edge = std::max(icon.Width(), icon.Height());
    if (edge <= 0) return {};
    const float size = float(edge);
    gfx::Bitmap shape(edge, edge);
    gfx::Canvas(shape).FillRoundedRect({0, 0, size, size}, size * 0.225f, gfx::Color{255, 255, 255, 255});

    gfx::Bitmap square(edge, edge);
    gfx::Canvas(square).DrawBitmap(icon, {(size - icon.Width()) / 2, (size - icon.Height()) / 2, float(icon.Width()),
                                          float(icon.Height())});
    // Does the icon cover the shape by itself (a tile-like icon)?
    std::size_t inside = 0, covered = 0;
    for (std::size_t i = 0; i < shape.Pixels().size(); ++i) {
        if (gfx::PixelA(shape.Pixels()[i]) < 255) continue;
        ++inside;
        covered += gfx::PixelA(square.Pixels()[i]) >= 250 ? 1 : 0;
    }
    gfx::Bitmap out;
    if (covered * 100 >= inside * 95) {
        out = std::move(square);
    } else {
        out = shape.Clone();
        const float inset = size * 0.11f;
        gfx::Canvas(out).DrawBitmap(square, {inset, inset, size - 2 * inset, size - 2 * inset});
    }
    for (std::size_t i = 0; i < out.Pixels().size(); ++i) {
        const std::uint32_t a = gfx::PixelA(shape.Pixels()[i]);
        const gfx::Pixel p = out.Pixels()[i];
        const auto scale = [a](std::uint8_t c) { return std::uint8_t((c * a + 127) / 255); };
        out.Pixels()[i] = gfx::MakePixel(scale(gfx::PixelR(p)), scale(gfx::PixelG(p)), scale(gfx::PixelB(p)), scale(gfx::PixelA(p)));
    }
    return out;
}

IconFiles IconFilesOf(const std::wstring& baseFolder, const std::wstring& key, const std::wstring& path) {
    const std::wstring name = IconFileName(key, path) + L".png";
    const std::wstring pad = baseFolder + L"launchpad\\";
    return {pad + L"png\\" + name, pad + L"png\\" + SafeFileName(key) + L".png", pad + L"cache\\" + name,
            pad + L"cache_shell\\" + name};
}

gfx::Bitmap FitIcon(gfx::Bitmap picture, int size) {
    if (size <= 0 || (picture.Width() <= size && picture.Height() <= size)) return picture;
    return gfx::ScaleToFit(picture, size);
}

IconResult ResolveIcon(const IconRequest& request, const IconWorld& world, bool mask, int drawSize) {
    IconResult result{request.key, request.path, nullptr, IconOrigin::None};
    try {
        foundation::FileSystem& files = *world.files;
        const IconFiles paths = IconFilesOf(world.baseFolder, request.key, request.path);
        const auto found = [&result, drawSize](std::optional<gfx::Bitmap> picture, IconOrigin origin) {
            if (!Usable(picture)) return false;
            result.picture = Shared(FitIcon(std::move(*picture), drawSize));
            result.origin = origin;
            return true;
        };
        if (found(DecodePicture(files, paths.user), IconOrigin::UserPicture) ||
            found(DecodePicture(files, paths.userByKey), IconOrigin::UserPicture)) {
            return result;
        }
        if (mask && found(DecodePicture(files, paths.masked), IconOrigin::Cache)) return result;
        if (auto cached = DecodePicture(files, paths.cache); Usable(cached)) {
            if (mask) {
                *cached = ApplyIconMask(*cached);
                Store(files, paths.masked, *cached);
            }
            found(std::move(cached), IconOrigin::Cache);
            return result;
        }
        if (auto extracted = ExtractIcon(request, world)) {
            gfx::Bitmap picture = AtMostIconSize(std::move(*extracted));
            Store(files, paths.cache, picture);
            if (mask) {
                picture = ApplyIconMask(picture);
                Store(files, paths.masked, picture);
            }
            found(std::move(picture), IconOrigin::Extracted);
            return result;
        }
        if (auto direct = world.icons->FileIcon(request.path); Usable(direct)) {
            found(mask ? ApplyIconMask(*direct) : std::move(*direct), IconOrigin::Direct);
        }
    } catch (...) {
        foundation::LogCaught("launchpad icon");
    }
    return result;
}

struct CatalogueIcons::State {
    explicit State(IconWorld w, std::function<void()> a) : world(std::move(w)), arrived(std::move(a)) {}

    const IconWorld world;
    const std::function<void()> arrived;
    std::mutex mutex;
    std::condition_variable settled;
    std::deque<IconRequest> queue;
    std::vector<IconResult> done;
    std::uint64_t generation = 0;
    int workers = 0;
    int busy = 0;
    bool stop = false;
    bool mask = false;
    int drawSize = 0; // 0: as resolved

    // Resolves requests until none waits; false when told to stop.
    void Drain(const std::function<bool()>& quitting) {
        for (;;) {
            IconRequest request;
            std::uint64_t asked = 0;
            bool masked = false;
            int size = 0;
            {
                std::lock_guard lock(mutex);
                if (stop || queue.empty() || (quitting && quitting())) return;
                request = std::move(queue.front());
                queue.pop_front();
                asked = generation;
                masked = mask;
                size = drawSize;
                ++busy;
            }
            IconResult result = ResolveIcon(request, world, masked, size);
            bool wake = false;
            {
                std::lock_guard lock(mutex);
                --busy;
                if (asked == generation && !stop) {
                    wake = done.empty();
                    done.push_back(std::move(result));
                }
                settled.notify_all();
            }
            if (wake && arrived) arrived();
        }
    }
};

CatalogueIcons::CatalogueIcons(IconWorld world, foundation::JobRunner& jobs, std::function<void()> arrived)
    : m_state(std::make_shared<State>(std::move(world), std::move(arrived))), m_jobs(jobs) {}

CatalogueIcons::~CatalogueIcons() {
    std::lock_guard lock(m_state->mutex);
    m_state->stop = true;
    m_state->queue.clear();
}

void CatalogueIcons::SetMask(bool on) {
    std::lock_guard lock(m_state->mutex);
    m_state->mask = on;
}

void CatalogueIcons::SetDrawSize(int pixels) {
    std::lock_guard lock(m_state->mutex);
    m_state->drawSize = std::max(0, pixels);
}

const IconWorld& CatalogueIcons::World() const { return m_state->world; }

void CatalogueIcons::Request(std::vector<IconRequest> requests) {
    {
        std::lock_guard lock(m_state->mutex);
        ++m_state->generation;
        m_state->done.clear();
        m_state->queue.assign(std::make_move_iterator(requests.begin()), std::make_move_iterator(requests.end()));
    }
    StartWorkers();
}

std::vector<IconResult> CatalogueIcons::Take() {
    std::vector<IconResult> results;
    {
        std::lock_guard lock(m_state->mutex);
        results.swap(m_state->done);
    }
    StartWorkers(); // workers the runner refused before may start now
    return results;
}

bool CatalogueIcons::WaitIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_state->mutex);
    return m_state->settled.wait_for(lock, timeout, [this] { return m_state->queue.empty() && m_state->busy == 0; });
}

void CatalogueIcons::RunHere() {
    {
        const auto scope = m_state->world.icons->EnterWorker();
        m_state->Drain({});
    }
    WaitIdle(std::chrono::minutes(1)); // the requests workers took before
}

void CatalogueIcons::StartWorkers() {
    std::lock_guard lock(m_state->mutex);
    const int wanted = std::min<int>(kWorkers, int(m_state->queue.size()));
    while (m_state->workers < wanted && !m_state->stop) {
        ++m_state->workers;
        const bool started = m_jobs.Run([state = m_state](const foundation::JobContext& context) {
            {
                const auto scope = state->world.icons->EnterWorker();
                state->Drain([&context] { return context.Quitting(); });
            }
            std::lock_guard lock(state->mutex);
            --state->workers;
            state->settled.notify_all();
        });
        if (!started) {
            // The runner is full or stopping; the requests wait for the next Take().
            --m_state->workers;
            break;
        }
    }
}

} // namespace kestrana::launchers
