#pragma once
// The file paths an OLE drop carries (the shell's file list), whole, whatever their length.

#include <objidl.h>

#include <string>
#include <vector>

namespace kestrana::win32 {

// Empty when `data` holds no file list.
[[nodiscard]] std::vector<std::wstring> DroppedFiles(IDataObject* data) noexcept;
// Whether `data` offers a file list at all (for the drag's feedback).
[[nodiscard]] bool OffersFiles(IDataObject* data) noexcept;

} // namespace kestrana::win32
