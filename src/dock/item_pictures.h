#pragma once
// The picture of each dock item: a user-chosen or themed file first, then the special
// items' pictures (the live ones are only marked for the features that draw them), a
// folder's own icon, and last the kind-specific sources: an Android picture file, the
// uninstall entries of web applications and Steam games, or the shell icon of the
// program. Missing pictures are skipped silently; an item without one keeps its place.
//
// Every file and registry look-up of a picture runs on the job runner, never on the
// user-interface thread: a chosen picture, a desktop.ini's icon, an uninstall entry's
// "DisplayIcon" or a shortcut's target may lie on a network share that takes seconds to
// answer, or never does. The user-interface thread only asks (PictureLoader) and draws
// what has arrived; ItemPictures, which reads the files, is reached only from workers.

#include "dock/dockico.h"
#include "dock/item_list_ports.h"
#include "foundation/job_runner.h"
#include "foundation/file_system.h"
#include "foundation/registry.h"
#include "gfx/bitmap.h"
#include "gfx/icon_source.h"
#include "gfx/image_decoder.h"
#include "themes/theme_files.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrana::dock {

// Pictures are kept at most this large; the bars scale them down from here.
inline constexpr int kItemPictureSize = 256;

using gfx::IconSource;

// Look-ups in other programs' registry entries. Unlike the settings store's registry
// port, which creates a key it opens, these never create anything: probing for an
// uninstall entry must not leave an empty one behind.
class RegistryReader {
public:
    virtual ~RegistryReader() = default;
    // The names of the sub-keys; nothing when the key cannot be opened.
    [[nodiscard]] virtual std::vector<std::wstring> SubKeyNames(foundation::RegistryRoot root,
                                                                std::wstring_view subKey) const = 0;
    // A REG_SZ (or REG_EXPAND_SZ, unexpanded) value; nothing when it is missing.
    [[nodiscard]] virtual std::optional<std::wstring> ReadString(foundation::RegistryRoot root, std::wstring_view subKey,
                                                                 std::wstring_view valueName) const = 0;
};

// Everything here is used from several workers at once.
struct PictureSources {
    const foundation::FileSystem& files;
    const themes::ThemeFiles& theme;
    const gfx::ImageDecoder& decoder;
    const IconSource& icons;
    const RegistryReader& registry;
    const ItemShell& shell; // expands variables in icon locations
    // What a thread needs before it first asks `icons` (on Windows, an apartment), held
    // until its pass is done; nothing when it needs nothing.
    std::function<std::shared_ptr<void>()> prepareIcons = {};
};

// What the pictures depend on besides the items.
struct PictureState {
    bool dark = false;      // the dark appearance is in effect
    bool trashFull = false; // the recycle bin holds something
    // The largest the row draws a picture (device pixels, magnified): pictures are held
    // no larger, so a dock that never grows past 128 px keeps a quarter of the pixels.
    int pictureSize = kItemPictureSize;
};

// The picture size a dock needs: its largest magnified size, or its resting size when
// that is larger, never above kItemPictureSize.
[[nodiscard]] int PictureSizeFor(int restingSize, int maximumSize);

// The fields of an item the resolution reads, copied under the item-list lock.
struct PictureFacts {
    std::int32_t id = kNoItemId;
    bool delimiter = false;
    AppKind appKind = AppKind::Program;
    std::wstring key, appname, icopath, filepath, realpath, runline;
};

struct ResolvedPicture {
    std::shared_ptr<const gfx::Bitmap> picture;
    LivePicture live = LivePicture::None;
    std::wstring key; // the identity key afterwards (a folder item's becomes "folder-<name>")
};

// "path,index" as uninstall entries and desktop.ini files write icon locations: quotes
// removed, variables expanded, the index 0 when none is given.
struct IconLocation {
    std::wstring path;
    int index = 0;
};
[[nodiscard]] IconLocation ParseIconLocation(std::wstring_view text, const ItemShell& shell);

// Resolves pictures by reading files and the registry: one per worker and pass, never on
// the user-interface thread.
class ItemPictures {
public:
    explicit ItemPictures(PictureSources sources) : m_sources(std::move(sources)) {}

    // The picture of one item. Decoded files are shared between items of one pass.
    [[nodiscard]] ResolvedPicture Resolve(const PictureFacts& facts, const PictureState& state);
    // The run-time override of an identity key ("single icon\<key>.png" or the icon
    // set's), read afresh; nothing when there is none.
    [[nodiscard]] std::shared_ptr<const gfx::Bitmap> OverridePicture(std::wstring_view key);

private:
    [[nodiscard]] ResolvedPicture Find(const PictureFacts& facts, const PictureState& state);
    // The picture brought down to `size`; one copy per picture and size in a pass.
    [[nodiscard]] std::shared_ptr<const gfx::Bitmap> Fitted(std::shared_ptr<const gfx::Bitmap> picture, int size);
    [[nodiscard]] std::shared_ptr<const gfx::Bitmap> PictureFile(const std::wstring& path);
    [[nodiscard]] std::shared_ptr<const gfx::Bitmap> IconAt(const IconLocation& location);
    [[nodiscard]] std::shared_ptr<const gfx::Bitmap> FolderIcon(const std::wstring& folder);
    [[nodiscard]] std::shared_ptr<const gfx::Bitmap> UninstallIcon(foundation::RegistryRoot root,
                                                                   const std::wstring& subKey);
    [[nodiscard]] std::shared_ptr<const gfx::Bitmap> WebAppIcon(const std::wstring& appId);
    [[nodiscard]] std::shared_ptr<const gfx::Bitmap> ThemePicture(std::wstring_view name, bool dark = false);
    // The special items' and folders' pictures; false when the item is neither.
    bool SpecialPicture(const PictureFacts& facts, bool folder, ResolvedPicture& result);
    // By the kind of application: Android pictures, web applications, then the shell's icon.
    [[nodiscard]] std::shared_ptr<const gfx::Bitmap> KindPicture(const PictureFacts& facts);
    [[nodiscard]] std::shared_ptr<const gfx::Bitmap> ShellIcon(const std::wstring& path);
    [[nodiscard]] const IconSource& Icons();

    PictureSources m_sources;
    std::shared_ptr<void> m_iconsPrepared;
    std::map<std::wstring, std::shared_ptr<const gfx::Bitmap>> m_cache; // by lower-case path
    struct FittedPicture {
        std::shared_ptr<const gfx::Bitmap> source; // keeps the key's address from being reused
        std::shared_ptr<const gfx::Bitmap> fitted;
    };
    std::map<std::pair<const gfx::Bitmap*, int>, FittedPicture> m_fitted;
};

// Where the pictures of a request go: the job runner of the row's dock (which must outlive
// the row), and what to do once pictures reached the row (called on a worker: ask the
// user-interface thread for a redraw).
struct PictureDelivery {
    foundation::JobRunner* jobs = nullptr;
    std::function<void()> arrived;
};

struct PicturePass;

// A request in flight, as the user-interface thread sees it.
class PictureRequest {
public:
    PictureRequest() = default;
    explicit PictureRequest(std::shared_ptr<PicturePass> pass) : m_pass(std::move(pass)) {}

    // Waits at most `timeout` for every picture of the request to reach the row. On time-out
    // the pictures resolved so far are handed to the row at once and the rest follow when
    // they are ready; false then, or when no worker could be started yet.
    bool Wait(std::chrono::milliseconds timeout);
    // Every picture reached the row (or the request was given up).
    [[nodiscard]] bool Done() const;

private:
    std::shared_ptr<PicturePass> m_pass;
};

// Asks for pictures on the user-interface thread and hands them to the rows from workers.
// Nothing here touches a file on the calling thread: the sources are reached only from
// the jobs it starts.
class PictureLoader {
public:
    // `workers`: how many jobs share one request's items (decoding runs in parallel).
    explicit PictureLoader(PictureSources sources, int workers = DefaultWorkers());
    PictureLoader(const PictureLoader&) = delete;
    PictureLoader& operator=(const PictureLoader&) = delete;

    [[nodiscard]] static int DefaultWorkers();

    // Every item of the row: separators are reset at once (new id, no names, no picture)
    // and the live pictures marked; the other pictures are resolved on workers and handed
    // to the row under its item-list lock when all are done (or, at a time-out of Wait,
    // those done so far). A newer request for the same row supersedes an older one still
    // running. User-interface thread.
    PictureRequest Request(DockItems& row, const PictureState& state, const PictureDelivery& delivery);

    // A picture named "<key>.png" appeared in "single icon\": every item with that
    // identity key takes the override picture of its key. User-interface thread.
    PictureRequest Override(DockItems& row, std::wstring_view fileName, const PictureDelivery& delivery);

    // Starts again the requests that found their runner full, while their rows live.
    // User-interface thread; call now and then (every second).
    void RetryDropped();

private:
    PictureRequest Start(std::shared_ptr<PicturePass> pass);
    bool StartWorkers(const std::shared_ptr<PicturePass>& pass);
    std::shared_ptr<std::atomic<std::uint64_t>> LatestOf(const std::shared_ptr<RowLink>& link);

    std::shared_ptr<const PictureSources> m_sources;
    int m_workers;
    // The newest request of each row, so that an older one never overwrites it.
    std::map<std::weak_ptr<RowLink>, std::shared_ptr<std::atomic<std::uint64_t>>, std::owner_less<>> m_latest;
    std::uint64_t m_nextPass = 0;
    std::vector<std::shared_ptr<PicturePass>> m_dropped;
};

} // namespace kestrana::dock
