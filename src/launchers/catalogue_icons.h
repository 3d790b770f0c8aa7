#pragma once
// The Launchpad's icons. Each entry's icon is looked up, in order, as the user's own
// picture (in launchpad\png), the cached one (in launchpad\cache, or in
// launchpad\cache_shell while "normal"/"iconmask" is on), an icon extracted from the
// application (written to the cache as PNG, at 256 px where the application has it) and
// last the shell's icon of the path, which is not cached so that a later start tries the
// extraction again.
//
// All of it runs on workers of the job runner: Request() queues the entries, the view
// keeps drawing PlaceholderIcon() and takes the icons as they arrive (Take()).

#include "foundation/job_runner.h"
#include "foundation/file_system.h"
#include "gfx/bitmap.h"
#include "launchers/launchpad_entry.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrana::launchers {

inline constexpr int kIconSize = 256;

// What the shell says about an item's icon.
struct IconFacts {
    std::wstring iconFile{}; // the icon location the item reports, if any
    int iconIndex = 0;
    bool indexGiven = false;
    std::wstring target{};      // a shortcut's target
    std::wstring packageLogo{}; // a packaged application's logo as its manifest names it
};

// The shell's icons of applications. Every answer is a premultiplied picture; nothing
// when there is none. Called on workers only.
class ApplicationIcons {
public:
    virtual ~ApplicationIcons() = default;
    [[nodiscard]] virtual IconFacts Facts(const std::wstring& path) const = 0;
    // The shell's own picture of the item at 256 px, when it has one that large and sharp.
    [[nodiscard]] virtual std::optional<gfx::Bitmap> ItemImage(const std::wstring& path) const = 0;
    // The icon at `index` of an icon resource file, at the largest size it holds up to 256 px.
    [[nodiscard]] virtual std::optional<gfx::Bitmap> ResourceIcon(const std::wstring& file, int index) const = 0;
    // The icon the shell shows for the path.
    [[nodiscard]] virtual std::optional<gfx::Bitmap> FileIcon(const std::wstring& path) const = 0;
    // Kept by a worker while it extracts icons (the platform's per-thread set-up).
    [[nodiscard]] virtual std::shared_ptr<void> EnterWorker() const { return nullptr; }
};

// Everything a worker touches, shared with it so it may outlive the catalogue.
struct IconWorld {
    std::shared_ptr<foundation::FileSystem> files;
    std::shared_ptr<const ApplicationIcons> icons;
    std::wstring baseFolder; // the program folder, ending in a backslash
};

struct IconRequest {
    std::wstring key;
    std::wstring path;
    EntrySource source = EntrySource::Applications;
};

enum class IconOrigin { None, UserPicture, Cache, Extracted, Direct };

struct IconResult {
    std::wstring key;
    std::wstring path;
    std::shared_ptr<const gfx::Bitmap> picture; // null when no source had one
    IconOrigin origin = IconOrigin::None;
};

// True when a reported icon location can be used: an .exe, .dll, .png or .ico file, or
// any file with an index, but never an uninstaller's icon.
[[nodiscard]] bool UsableIconLocation(const IconFacts& facts);

// The picture file of a packaged application's logo: among the files named after the
// logo in its folder, the one ending in ".targetsize-256.png", else the first by name.
[[nodiscard]] std::optional<std::wstring> PickPackageLogo(const foundation::FileSystem& files,
                                                          const std::wstring& logo);

// A browser web application's PNG picture beside its icon ("-100.png" first); nothing
// for other items.
[[nodiscard]] std::optional<std::wstring> WebAppPicture(const foundation::FileSystem& files, const std::wstring& path,
                                                        const IconFacts& facts);

// The common shape "iconmask" puts on icons: a rounded square. An icon that fills the
// square is cut to it; any other is set on a white plate of that shape.
[[nodiscard]] gfx::Bitmap ApplyIconMask(const gfx::Bitmap& icon);

// The icon file paths of an entry in the three icon folders.
struct IconFiles {
    std::wstring user, userByKey, cache, masked;
};
[[nodiscard]] IconFiles IconFilesOf(const std::wstring& baseFolder, const std::wstring& key, const std::wstring& path);

// The picture brought down to fit `size` pixels; a smaller one is never blown up.
[[nodiscard]] gfx::Bitmap FitIcon(gfx::Bitmap picture, int size);

// One icon through the whole look-up, on the calling thread; the answer fits `drawSize`
// (0: as found), while the cache keeps what was extracted.
[[nodiscard]] IconResult ResolveIcon(const IconRequest& request, const IconWorld& world, bool mask, int drawSize = 0);

class CatalogueIcons {
public:
    static constexpr int kWorkers = 2;

    // `arrived` is called on a worker when results wait where there were none (the
    // program posts a message to the Launchpad's window there).
    CatalogueIcons(IconWorld world, foundation::JobRunner& jobs, std::function<void()> arrived = {});
    // Tells running workers to stop; they end on their own.
    ~CatalogueIcons();
    CatalogueIcons(const CatalogueIcons&) = delete;
    CatalogueIcons& operator=(const CatalogueIcons&) = delete;

    void SetMask(bool on);
    // Results are brought down to this size (the cache keeps them larger): what the
    // Launchpad holds in memory is then what it draws. 0 keeps them as resolved.
    void SetDrawSize(int pixels);
    [[nodiscard]] const IconWorld& World() const;

    // Replaces the requests still waiting; results of earlier requests are dropped.
    void Request(std::vector<IconRequest> requests);
    // The results that arrived since the last call.
    [[nodiscard]] std::vector<IconResult> Take();
    // Waits until every request has its result, at most `timeout`.
    bool WaitIdle(std::chrono::milliseconds timeout);
    // Resolves the waiting requests on the calling thread; returns once the workers are
    // done with theirs too.
    void RunHere();

private:
    struct State;
    void StartWorkers();
    std::shared_ptr<State> m_state;
    foundation::JobRunner& m_jobs;
};

} // namespace kestrana::launchers
