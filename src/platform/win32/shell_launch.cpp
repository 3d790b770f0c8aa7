#include "platform/win32/shell_launch.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/process_start.h"
#include "foundation/win32/unique_handle.h"

#include <windows.h>

#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

namespace kestrana::platform {
namespace {

using Microsoft::WRL::ComPtr;
using kestrana::win32::ComApartment;
using kestrana::win32::StartWithShell;

// The shell's verbs may hand work to COM objects: the calling job thread joins a
// single-threaded apartment for the call, as the shell asks.
struct ShellApartment {
    ComApartment apartment{COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE};
};

} // namespace

bool Launch(const foundation::LaunchRequest& request) noexcept {
    try {
        const ShellApartment com;
        if (request.packaged && !request.appUserModelId.empty()) {
            ComPtr<IApplicationActivationManager> activation;
            DWORD pid = 0;
            if (SUCCEEDED(::CoCreateInstance(CLSID_ApplicationActivationManager, nullptr, CLSCTX_LOCAL_SERVER,
                                             IID_PPV_ARGS(&activation))) &&
                SUCCEEDED(activation->ActivateApplication(request.appUserModelId.c_str(),
                                                          request.runline.empty() ? nullptr : request.runline.c_str(),
                                                          AO_NONE, &pid)))
                return true;
            // Not registered for activation: the shell can still start it by its folder path.
            const std::wstring apps = L"shell:AppsFolder\\" + request.appUserModelId;
            return StartWithShell({.file = apps.c_str()}, "start packaged application");
        }
        if (request.realpath.empty()) return false;
        const std::wstring folder = foundation::StartFolderOf(request.realpath);
        return StartWithShell({.file = request.realpath.c_str(),
                               .arguments = request.runline.c_str(),
                               .folder = folder.c_str(),
                               .verb = request.admin ? L"runas" : L"open"},
                              "launch item");
    } catch (...) {
        foundation::LogCaught("launch item");
        return false;
    }
}

std::optional<foundation::ShortcutFacts> ReadShortcut(const std::wstring& path) noexcept {
    try {
        const auto dot = path.rfind(L'.');
        if (dot == std::wstring::npos || _wcsicmp(path.c_str() + dot, L".lnk") != 0) return std::nullopt;
        ComPtr<IShellLinkW> link;
        ComPtr<IPersistFile> file;
        if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) ||
            FAILED(link.As(&file)) || FAILED(file->Load(path.c_str(), STGM_READ)))
            return std::nullopt;
        foundation::ShortcutFacts facts;
        wchar_t text[MAX_PATH * 4] = {};
        if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) facts.target = text;
        text[0] = 0;
        if (SUCCEEDED(link->GetArguments(text, static_cast<int>(std::size(text))))) facts.arguments = text;
        return facts;
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace kestrana::platform
