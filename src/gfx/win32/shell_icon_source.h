#pragma once
// Icons of files and icon resources, as premultiplied pictures: a program's own icon
// group, or for other files the shell's image list, at 256 px when the file has a sharp
// picture that large, else 48 px, else 32 px. COM must be initialised on the calling
// thread.

#include "gfx/icon_source.h"

#include <windows.h>

#include <optional>

namespace kestrana::gfx {

class ShellIconSource final : public IconSource {
public:
    std::optional<gfx::Bitmap> FileIcon(const std::wstring& path) const override;
    std::optional<gfx::Bitmap> ResourceIcon(const std::wstring& file, int index) const override;
};

// The picture of an icon handle, premultiplied; an icon without an alpha channel takes
// its mask as alpha. Nothing for an invalid handle.
[[nodiscard]] std::optional<gfx::Bitmap> BitmapFromIcon(HICON icon);

// True when a visible pixel lies outside the top-left `size` by `size` square: the shell
// puts a small icon into the corner of its 256 px image when the file has nothing larger.
[[nodiscard]] bool HasContentBeyond(const gfx::Bitmap& picture, int size);

// The edge of the largest picture in the icon group at `index` of an .exe, .dll or .icl
// (a negative index is a group's resource id; 256 for entries stored as 0); 0 when the
// file cannot be read as a module.
[[nodiscard]] int LargestIconInGroup(const std::wstring& file, int index);

} // namespace kestrana::gfx
