#pragma once
// What a folder stack asks of the system: the folder's entries, its items' pictures
// (shell icons, pictures decoded by us, the shell's thumbnails) and opening an item. The
// listing and the pictures run on workers only: the folder may be on a share that takes
// seconds to answer.

#include "gfx/bitmap.h"
#include "gfx/image_decoder.h"
#include "launchers/stack_listing.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kestrana::launchers::win32 {

// The folder's entries in listing order, hidden and system files left out; nothing when
// the folder cannot be read.
[[nodiscard]] std::optional<std::vector<ListedFile>> ListFolder(const std::wstring& folder);

// Opens an item (or a folder in the file manager) as a double click in the file manager
// would. Called on a worker.
bool OpenWithShell(const std::wstring& path) noexcept;

// Pictures already made, by path, size and last write, so a stack opened again shows them
// in its first frame. Shared by every stack of the program; any thread.
class StackPictureCache {
public:
    [[nodiscard]] std::shared_ptr<const gfx::Bitmap> Find(const StackItem& item, int size) const;
    void Keep(const StackItem& item, int size, std::shared_ptr<const gfx::Bitmap> picture);

private:
    static constexpr std::size_t kMaxPictures = 4000;
    std::wstring Key(const StackItem& item, int size) const;
    mutable std::mutex m_mutex;
    std::map<std::wstring, std::shared_ptr<const gfx::Bitmap>> m_pictures;
};

// Makes one item's picture, fitted into `size` pixels, by its plan: the shell's icon
// (else the extension's picture of the program folder), the picture file decoded, or the
// shell's thumbnail (else, for a picture, the file decoded; for a video, its icon). COM
// must be initialised on the calling thread. Never null: an item without any picture
// gets an empty one.
[[nodiscard]] std::shared_ptr<const gfx::Bitmap> MakeStackPicture(const StackItem& item, int size,
                                                                  const gfx::ImageDecoder& decoder,
                                                                  const std::wstring& baseFolder);

} // namespace kestrana::launchers::win32
