#include "foundation/win32/companion_channel.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/foreign_sender.h"
#include "foundation/win32/unique_handle.h"

#include <windows.h>
#include <sddl.h>

#include <atomic>
#include <vector>

namespace kestrana::win32 {
namespace {

std::wstring CurrentUserSid() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    UniqueKernelHandle token(raw);
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    if (size == 0) return {};
    std::vector<std::uint8_t> buffer(size);
    if (!::GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) return {};
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return {};
    std::wstring result(text);
    ::LocalFree(text);
    return result;
}

} // namespace

std::wstring CompanionPipeName(unsigned long pid) {
    return L"\\\\.\\pipe\\Kestrana-companion-" + std::to_wstring(pid);
}

bool ConfirmToCompanion(HWND companionWindow, const foundation::Confirmation& confirmation) noexcept {
    try {
        DWORD companion = 0;
        if (!companionWindow || !::GetWindowThreadProcessId(companionWindow, &companion) || !companion) return false;
        const std::wstring name = CompanionPipeName(companion);
        UniqueFile pipe;
        for (int attempt = 0; attempt < 3 && !pipe; ++attempt) {
            pipe.Reset(::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
            if (!pipe && ::GetLastError() == ERROR_PIPE_BUSY) ::WaitNamedPipeW(name.c_str(), 500);
            else if (!pipe) break;
        }
        if (!pipe) {
            foundation::LogFailure("companion confirm", L"cannot open " + name);
            return false;
        }
        // Anyone could have created the pipe first; only tell the companion itself. Its
        // token cannot be read from here when it runs elevated, so the image must do.
        ULONG server = 0;
        if (!::GetNamedPipeServerProcessId(pipe.Get(), &server) || server != companion) {
            foundation::LogFailure("companion confirm", L"refused pipe " + name + L": served by pid " +
                                                            std::to_wstring(server) + L", not the companion");
            return false;
        }
        // Its image is looked at once per companion: while its window is there, the process
        // behind that id is still the one that was looked at.
        static std::atomic<DWORD> verified{0};
        DWORD stillThere = 0;
        const bool known = server == verified.load() && ::GetWindowThreadProcessId(companionWindow, &stillThere) &&
                           stillThere == companion;
        if (!known) {
            const auto facts = ProcessFacts(server);
            if (!foundation::IsImageInFolder(facts.image, ProgramFolder())) {
                foundation::LogFailure("companion confirm", foundation::DescribeRefusal(L"pipe server", facts,
                                                                                        foundation::Refusal::OutsideFolder));
                return false;
            }
            verified = server;
        }
        const auto bytes = foundation::EncodeConfirmation(confirmation);
        DWORD written = 0;
        if (!::WriteFile(pipe.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size())
            return false;
        std::uint8_t receipt = 0;
        DWORD read = 0;
        return ::ReadFile(pipe.Get(), &receipt, 1, &read, nullptr) && read == 1 && receipt == 1;
    } catch (...) {
        foundation::LogCaught("companion channel");
        return false;
    }
}

bool PostKeysToCompanion(HWND companionWindow, UINT shareKeyMessage, WORD first, WORD second) noexcept {
    if (!ConfirmToCompanion(companionWindow, {foundation::ConfirmKind::Keys, first, second})) return false;
    return ::PostMessageW(companionWindow, shareKeyMessage, first, second) != FALSE;
}

LRESULT DetachDiskThroughCompanion(HWND companionWindow, HWND mainWindow, const std::wstring& imagePath) noexcept {
    if (!ConfirmToCompanion(companionWindow,
                            {foundation::ConfirmKind::DetachDisk, foundation::PathDigest(imagePath), imagePath.size()}))
        return 0;
    COPYDATASTRUCT data{};
    data.dwData = 1;
    data.cbData = static_cast<DWORD>(imagePath.size() * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(imagePath.data());
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(companionWindow, WM_COPYDATA, reinterpret_cast<WPARAM>(mainWindow),
                               reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 30000, &answer))
        return 0;
    return static_cast<LRESULT>(answer);
}

void ServeConfirmations(std::function<bool(unsigned long pid)> check,
                        std::function<void(const foundation::Confirmation&)> accepted) noexcept {
    try {
        const std::wstring name = CompanionPipeName(::GetCurrentProcessId());
        // The program may run below an elevated companion: let this user write at medium
        // integrity and above, nobody else, and nothing at low integrity.
        std::wstring sddl = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)";
        if (const auto user = CurrentUserSid(); !user.empty()) sddl += L"(A;;GRGW;;;" + user + L")";
        sddl += L"S:(ML;;NW;;;ME)";
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr);
        SECURITY_ATTRIBUTES security{sizeof(security), descriptor, FALSE};
        // The first instance is created with FIRST_PIPE_INSTANCE, so a squatter that made
        // the name before us is noticed instead of sharing it.
        auto create = [&](bool first) {
            const DWORD openMode = PIPE_ACCESS_DUPLEX | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
            UniqueFile made(::CreateNamedPipeW(name.c_str(), openMode,
                                               PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                                               4, 64, 64, 1000, descriptor ? &security : nullptr));
            if (!made)
                foundation::LogFailure("companion pipe", L"cannot create " + name + L", error " +
                                                             std::to_wstring(::GetLastError()));
            return made;
        };
        UniqueFile pipe = create(true);
        if (!pipe) return;
        for (;;) {
            if (!pipe) {
                ::Sleep(1000);
                pipe = create(false);
                continue;
            }
            if (!::ConnectNamedPipe(pipe.Get(), nullptr) && ::GetLastError() != ERROR_PIPE_CONNECTED) {
                pipe = create(false);
                continue;
            }
            // The next instance listens while this one is served: a confirmation that follows
            // closely on another must not find the name gone and fail.
            UniqueFile next = create(false);
            ULONG client = 0;
            std::uint8_t bytes[foundation::kConfirmationBytes] = {};
            DWORD read = 0;
            std::uint8_t receipt = 0;
            if (::GetNamedPipeClientProcessId(pipe.Get(), &client) && check(client) &&
                ::ReadFile(pipe.Get(), bytes, sizeof(bytes), &read, nullptr)) {
                if (const auto confirmation = foundation::DecodeConfirmation(bytes, read)) {
                    accepted(*confirmation);
                    receipt = 1;
                }
            }
            DWORD written = 0;
            ::WriteFile(pipe.Get(), &receipt, 1, &written, nullptr);
            ::FlushFileBuffers(pipe.Get());
            ::DisconnectNamedPipe(pipe.Get());
            pipe = std::move(next);
        }
    } catch (...) {
        foundation::LogCaught("companion pipe thread");
    }
}

} // namespace kestrana::win32
