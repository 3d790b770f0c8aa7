#include "foundation/win32/foreign_sender.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/unique_handle.h"

#include <memory>
#include <vector>

namespace kestrana::win32 {
namespace {

std::wstring LongPath(const std::wstring& path) {
    // A program started through a short (8.3) path reports that spelling; compare long names.
    const DWORD needed = ::GetLongPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0) return path;
    std::wstring result(needed, L'\0');
    const DWORD length = ::GetLongPathNameW(path.c_str(), result.data(), needed);
    if (length == 0 || length >= needed) return path;
    result.resize(length);
    return result;
}

std::vector<std::uint8_t> UserOfToken(HANDLE token) {
    DWORD size = 0;
    ::GetTokenInformation(token, ::TokenUser, nullptr, 0, &size);
    if (size == 0) return {};
    std::vector<std::uint8_t> buffer(size);
    if (!::GetTokenInformation(token, ::TokenUser, buffer.data(), size, &size)) return {};
    return buffer;
}

std::uint32_t IntegrityRid(HANDLE token) {
    DWORD size = 0;
    ::GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
    if (size == 0) return 0;
    std::vector<std::uint8_t> buffer(size);
    if (!::GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size)) return 0;
    const auto* label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data());
    if (!label->Label.Sid || !::IsValidSid(label->Label.Sid)) return 0;
    const UCHAR count = *::GetSidSubAuthorityCount(label->Label.Sid);
    return count ? *::GetSidSubAuthority(label->Label.Sid, count - 1) : 0;
}

bool SameSid(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    if (a.empty() || b.empty()) return false;
    const auto* ua = reinterpret_cast<const TOKEN_USER*>(a.data());
    const auto* ub = reinterpret_cast<const TOKEN_USER*>(b.data());
    return ::EqualSid(ua->User.Sid, ub->User.Sid) != FALSE;
}

const std::vector<std::uint8_t>& OwnUser() {
    static const std::vector<std::uint8_t> user = [] {
        HANDLE raw = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return std::vector<std::uint8_t>{};
        UniqueKernelHandle token(raw);
        return UserOfToken(token.Get());
    }();
    return user;
}

} // namespace

std::wstring ProgramFolder() noexcept {
    try {
        static const std::wstring folder = [] {
            std::wstring path(32768, L'\0');
            const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
            path.resize(length);
            path = LongPath(path);
            return path.substr(0, path.find_last_of(L'\\') + 1);
        }();
        return folder;
    } catch (...) {
        foundation::LogCaught("sender facts");
        return {};
    }
}

foundation::SenderFacts ProcessFacts(DWORD pid) noexcept {
    foundation::SenderFacts facts;
    facts.pid = pid;
    try {
        if (pid == 0) return facts;
        UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
        if (!process) return facts;
        std::wstring image(32768, L'\0');
        DWORD size = static_cast<DWORD>(image.size());
        if (!::QueryFullProcessImageNameW(process.Get(), 0, image.data(), &size)) return facts;
        image.resize(size);
        facts.image = LongPath(image);

        DWORD session = 0, ownSession = 0;
        facts.sameSession = ::ProcessIdToSessionId(pid, &session) &&
                            ::ProcessIdToSessionId(::GetCurrentProcessId(), &ownSession) && session == ownSession;
        HANDLE raw = nullptr;
        if (::OpenProcessToken(process.Get(), TOKEN_QUERY, &raw)) {
            UniqueKernelHandle token(raw);
            facts.sameUser = SameSid(UserOfToken(token.Get()), OwnUser());
            facts.integrityRid = IntegrityRid(token.Get());
        }
    } catch (...) {
        foundation::LogCaught("sender facts");
    }
    return facts;
}

foundation::SenderFacts WindowFacts(HWND window) noexcept {
    DWORD pid = 0;
    if (window && ::IsWindow(window)) ::GetWindowThreadProcessId(window, &pid);
    return ProcessFacts(pid);
}

bool AcceptSender(const foundation::SenderFacts& sender, const foundation::SenderRule& rule, const char* where,
                  std::wstring_view what) noexcept {
    const auto refusal = foundation::CheckSender(sender, rule);
    if (refusal == foundation::Refusal::None) return true;
    try {
        foundation::LogFailure(where, foundation::DescribeRefusal(what, sender, refusal));
    } catch (...) {
        foundation::LogCaught("sender check");
    }
    return false;
}

bool AcceptHookReport(HWND window, bool mustBeSent, const char* where, std::wstring_view what) noexcept {
    try {
        foundation::HookReportFacts facts;
        const DWORD how = ::InSendMessageEx(nullptr);
        facts.sent = (how & ISMEX_SEND) != 0 && (how & ISMEX_NOTIFY) == 0;
        facts.windowExists = window && ::IsWindow(window);
        if (facts.windowExists) {
            facts.topLevel =
                ::GetAncestor(window, GA_ROOT) == window && !(::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD);
            facts.owner = WindowFacts(window);
        }
        facts.ownPid = ::GetCurrentProcessId();
        // Integrity levels exist only on Windows; under Wine every token is the same.
        const auto refusal =
            foundation::CheckHookReport(facts, mustBeSent, RunningUnderWine() ? 0u : foundation::kIntegrityMedium);
        if (refusal == foundation::Refusal::None) return true;
        std::wstring text(what);
        text += L" about window " + std::to_wstring(reinterpret_cast<UINT_PTR>(window));
        foundation::LogFailure(where, foundation::DescribeRefusal(text, facts.owner, refusal));
    } catch (...) {
        foundation::LogCaught("hook report check");
    }
    return false;
}

bool RunningUnderWine() noexcept {
    static const bool wine = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

} // namespace kestrana::win32
