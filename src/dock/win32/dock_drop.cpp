#include "dock/win32/dock_drop.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/com_object.h"
#include "foundation/win32/dropped_files.h"

#include <ole2.h>
#include <shellapi.h>

namespace kestrana::dock::win32 {

// The drop target itself: only translates OLE's calls into the handlers; never throws.
class DockDropTarget final : public kestrana::win32::ComObject<IDropTarget> {
public:
    explicit DockDropTarget(DockDrop::Handlers handlers) : m_handlers(std::move(handlers)) {}

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) noexcept override {
        try {
            m_paths.clear();
            if (kestrana::win32::OffersFiles(data)) m_paths = Paths(data);
        } catch (...) {
            foundation::LogCaught("dock drag enter");
        }
        return DragOver(keys, at, effect);
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) noexcept override {
        if (!effect) return E_INVALIDARG;
        *effect = DROPEFFECT_NONE;
        try {
            if (!m_paths.empty() && m_handlers.over) *effect = m_handlers.over({at.x, at.y}, keys, m_paths);
        } catch (...) {
            foundation::LogCaught("dock drag over");
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() noexcept override {
        try {
            m_paths.clear();
            if (m_handlers.leave) m_handlers.leave();
        } catch (...) {
            foundation::LogCaught("dock drag leave");
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) noexcept override {
        if (effect) *effect = DROPEFFECT_NONE;
        try {
            std::vector<std::wstring> paths = Paths(data);
            m_paths.clear();
            if (paths.empty()) {
                DragLeave();
                return S_OK;
            }
            if (effect && m_handlers.over) *effect = m_handlers.over({at.x, at.y}, keys, paths);
            if (m_handlers.drop) m_handlers.drop(std::move(paths), {at.x, at.y}, keys);
        } catch (...) {
            foundation::LogCaught("dock drop");
        }
        return S_OK;
    }

private:
    static std::vector<std::wstring> Paths(IDataObject* data) {
        // Paths longer than the usual limit are no file the dock could keep.
        std::vector<std::wstring> paths = kestrana::win32::DroppedFiles(data);
        std::erase_if(paths, [](const std::wstring& path) { return path.size() >= MAX_PATH; });
        return paths;
    }

    DockDrop::Handlers m_handlers;
    std::vector<std::wstring> m_paths; // of the drag under way
};

DockDrop::DockDrop(HWND window, Handlers handlers) : m_window(window) {
    // Drop targets need OLE on this thread, not only COM; the counts pair up per thread.
    m_oleReady = SUCCEEDED(::OleInitialize(nullptr));
    m_target = new DockDropTarget(std::move(handlers));
    const HRESULT hr = ::RegisterDragDrop(window, m_target);
    m_registered = SUCCEEDED(hr);
    if (!m_registered)
        foundation::LogFailure("dock drop", L"the dock takes no drops: error " + std::to_wstring(static_cast<long>(hr)));
}

DockDrop::~DockDrop() {
    if (m_registered) ::RevokeDragDrop(m_window);
    if (m_target) m_target->Release();
    if (m_oleReady) ::OleUninitialize();
}

} // namespace kestrana::dock::win32
