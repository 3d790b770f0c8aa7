#pragma once
// The picture of each dock item: a user-chosen or themed file first, then the special
// items' pictures (the live ones are only marked for the features that draw them), a
// folder's own icon, and last the kind-specific sources: an Android picture file, the
// uninstall entries of web applications and Steam games, or the shell icon of the
// program. Missing pictures are skipped silently; an item without one keeps its place.
// Runs on the user-interface thread after loading, after a theme change and after edits.

#include "dock/dockico.h"
#include "dock/item_list_ports.h"
#include "foundation/file_system.h"
#include "foundation/registry.h"
#include "gfx/bitmap.h"
#include "gfx/image_decoder.h"
#include "themes/theme_files.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::dock {

// Pictures are kept at most this large; the bars scale them down from here.
inline constexpr int kItemPictureSize = 256;

// Icons the shell draws for files. Each answer is a premultiplied picture, nothing when
// the file has no icon.
class IconSource {
public:
    virtual ~IconSource() = default;
    // The icon the shell shows for a file, folder or shortcut: 256 px when the file has a
    // sharp picture that large, else 48 px, else 32 px.
    [[nodiscard]] virtual std::optional<gfx::Bitmap> FileIcon(const std::wstring& path) const = 0;
    // The icon at `index` of an icon resource file (.exe, .dll, .icl; a negative index is
    // a resource id), at the largest of 256, 48 and 32 px that the file holds.
    [[nodiscard]] virtual std::optional<gfx::Bitmap> ResourceIcon(const std::wstring& file, int index) const = 0;
};

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

struct PictureSources {
    const foundation::FileSystem& files;
    const themes::ThemeFiles& theme;
    const gfx::ImageDecoder& decoder;
    const IconSource& icons;
    const RegistryReader& registry;
    const ItemShell& shell; // expands variables in icon locations
};

// What the pictures depend on besides the items.
struct PictureState {
    bool dark = false;      // the dark appearance is in effect
    bool trashFull = false; // the recycle bin holds something
};

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

class ItemPictures {
public:
    explicit ItemPictures(PictureSources sources) : m_sources(sources) {}

    // The picture of one item. Decoded files are shared between items of one pass.
    [[nodiscard]] ResolvedPicture Resolve(const PictureFacts& facts, const PictureState& state);

    // Every item of the row: separators are reset (new id, no names, no picture), the
    // others get their picture. The fields are copied and the pictures set under the
    // row's item-list lock; files are read without it.
    void ResolveAll(DockItems& row, const PictureState& state);

    // A picture named "<key>.png" appeared in "single icon\": every item with that
    // identity key takes the override picture of its key.
    void ApplyOverride(DockItems& row, std::wstring_view fileName);

    // Forgets the decoded files (the theme or a picture file changed).
    void ClearCache() { m_cache.clear(); }

private:
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

    PictureSources m_sources;
    std::map<std::wstring, std::shared_ptr<const gfx::Bitmap>> m_cache; // by lower-case path
};

} // namespace kestrana::dock
