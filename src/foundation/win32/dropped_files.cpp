#include "foundation/win32/dropped_files.h"

#include <shellapi.h>

namespace kestrana::win32 {
namespace {

FORMATETC FileListFormat() { return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

} // namespace

std::vector<std::wstring> DroppedFiles(IDataObject* data) noexcept {
    std::vector<std::wstring> paths;
    if (!data) return paths;
    FORMATETC format = FileListFormat();
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&format, &medium))) return paths;
    try {
        if (auto* drop = static_cast<HDROP>(::GlobalLock(medium.hGlobal))) {
            const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
            for (UINT i = 0; i < count; ++i) {
                std::wstring path(::DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
                path.resize(::DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
                if (!path.empty()) paths.push_back(std::move(path));
            }
            ::GlobalUnlock(medium.hGlobal);
        }
    } catch (...) {
        paths.clear(); // out of memory: no partial list
    }
    ::ReleaseStgMedium(&medium);
    return paths;
}

bool OffersFiles(IDataObject* data) noexcept {
    FORMATETC format = FileListFormat();
    return data && data->QueryGetData(&format) == S_OK;
}

} // namespace kestrana::win32
