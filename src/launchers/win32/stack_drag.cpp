#include "launchers/win32/stack_drag.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/com_object.h"
#include "foundation/win32/dropped_files.h"

#include <shellapi.h>
#include <shlobj.h>
#include <wrl/client.h>

namespace kestrana::launchers::win32 {
namespace {

using Microsoft::WRL::ComPtr;

class DropSource final : public kestrana::win32::ComObject<IDropSource> {
public:
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

class DropTarget final : public kestrana::win32::ComObject<IDropTarget> {
public:
    DropTarget(std::function<void(std::vector<std::wstring>)> dropped, DWORD effect)
        : m_dropped(std::move(dropped)), m_effect(effect) {}
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        m_files = kestrana::win32::OffersFiles(data);
        *effect = m_files ? m_effect : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect = m_files ? m_effect : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_NONE;
        std::vector<std::wstring> files = kestrana::win32::DroppedFiles(data);
        if (files.empty()) return S_OK;
        *effect = m_effect;
        try {
            if (m_dropped) m_dropped(std::move(files));
        } catch (...) {
            foundation::LogCaught("folder stack drop");
        }
        return S_OK;
    }

private:
    bool m_files = false;
    std::function<void(std::vector<std::wstring>)> m_dropped;
    DWORD m_effect = DROPEFFECT_MOVE;
};

// The shell's data object for one file: what the file manager itself hands out, so every
// program that takes files from it takes them from us.
ComPtr<IDataObject> DataObjectFor(const std::wstring& path) {
    PIDLIST_ABSOLUTE absolute = nullptr;
    if (FAILED(::SHParseDisplayName(path.c_str(), nullptr, &absolute, 0, nullptr)) || !absolute) return nullptr;
    ComPtr<IDataObject> data;
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD child = nullptr;
    if (SUCCEEDED(::SHBindToParent(absolute, IID_PPV_ARGS(&parent), &child)))
        parent->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr, reinterpret_cast<void**>(data.GetAddressOf()));
    ::CoTaskMemFree(absolute);
    return data;
}

} // namespace

bool DragOut(const std::wstring& path) noexcept {
    try {
        const ComPtr<IDataObject> data = DataObjectFor(path);
        if (!data) {
            foundation::LogFailure("folder stack", L"no data object to drag " + path);
            return false;
        }
        auto* source = new DropSource();
        DWORD effect = DROPEFFECT_NONE;
        const HRESULT hr = ::DoDragDrop(data.Get(), source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
        source->Release();
        return hr == DRAGDROP_S_DROP && effect != DROPEFFECT_NONE;
    } catch (...) {
        foundation::LogCaught("folder stack drag");
        return false;
    }
}

bool AcceptDrops(HWND window, std::function<void(std::vector<std::wstring>)> dropped, DWORD effect) noexcept {
    try {
        auto* target = new DropTarget(std::move(dropped), effect);
        const HRESULT hr = ::RegisterDragDrop(window, target);
        target->Release(); // the registration holds it
        if (FAILED(hr)) foundation::LogFailure("folder stack", "drops are not taken (" + std::to_string(hr) + ")");
        return SUCCEEDED(hr);
    } catch (...) {
        foundation::LogCaught("folder stack drop target");
        return false;
    }
}

void StopAcceptingDrops(HWND window) noexcept { ::RevokeDragDrop(window); }

int MoveIntoFolder(const std::vector<std::wstring>& files, const std::wstring& folder) noexcept {
    int moved = 0;
    try {
        std::wstring prefix = folder;
        if (!prefix.empty() && prefix.back() != L'\\') prefix += L'\\';
        for (const std::wstring& file : files) {
            const auto slash = file.find_last_of(L'\\');
            const std::wstring target = prefix + (slash == std::wstring::npos ? file : file.substr(slash + 1));
            if (_wcsicmp(target.c_str(), file.c_str()) == 0) continue; // already there
            if (::MoveFileExW(file.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED)) ++moved;
            else
                foundation::LogFailure("folder stack", L"could not move " + file + L" (error " +
                                                            std::to_wstring(::GetLastError()) + L")");
        }
    } catch (...) {
        foundation::LogCaught("folder stack move");
    }
    return moved;
}

} // namespace kestrana::launchers::win32
