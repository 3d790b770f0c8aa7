#pragma once
// The port to the icons the system shows for files: the docks' items, the Launchpad's
// entries and the stacks' files all ask it for their pictures.

#include "gfx/bitmap.h"

#include <optional>
#include <string>

namespace kestrana::gfx {

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

} // namespace kestrana::gfx
