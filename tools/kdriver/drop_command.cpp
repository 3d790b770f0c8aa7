// kdriver drop <x> <y> <file>...: drags the files from this program and drops them at
// (x, y) with OLE, as a file manager would; exit code 0 when the target took them.
#include "foundation/win32/com_object.h"

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

class FileList final : public kestrana::win32::ComObject<IDataObject> {
public:
    explicit FileList(std::vector<std::wstring> paths) : m_paths(std::move(paths)) {}

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
        // DROPFILES, then the paths, each ending in a zero, and one more zero.
        std::size_t chars = 1;
        for (const auto& p : m_paths) chars += p.size() + 1;
        HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
        if (!memory) return E_OUTOFMEMORY;
        auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
        drop->pFiles = sizeof(DROPFILES);
        drop->fWide = TRUE;
        auto* text = reinterpret_cast<wchar_t*>(drop + 1);
        for (const auto& p : m_paths) {
            std::wmemcpy(text, p.c_str(), p.size());
            text += p.size() + 1;
        }
        ::GlobalUnlock(memory);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return format && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (direction != DATADIR_GET) return E_NOTIMPL;
        FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        return ::SHCreateStdEnumFmtEtc(1, &format, out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    std::vector<std::wstring> m_paths;
};

// Holds the "button" for a few rounds over the target, then lets go.
class Hand final : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IDropSource) {
            *out = static_cast<IDropSource*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override {
        return ::GetTickCount64() - m_start < 800 ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    ULONGLONG m_start = ::GetTickCount64();
};

} // namespace

int DropFiles(int argc, wchar_t** argv) {
    if (argc < 5) return 2;
    if (FAILED(::OleInitialize(nullptr))) return 1;
    std::vector<std::wstring> paths(argv + 4, argv + argc);
    ::SetCursorPos(_wtoi(argv[2]), _wtoi(argv[3]));
    auto* data = new FileList(std::move(paths));
    Hand hand;
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT hr = ::DoDragDrop(data, &hand, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
    data->Release();
    std::wprintf(L"%ld %lu\n", static_cast<long>(hr), effect);
    ::OleUninitialize();
    return hr == DRAGDROP_S_DROP && effect != DROPEFFECT_NONE ? 0 : 1;
}
