#include "weather/win32/winhttp_client.h"

#include "foundation/text.h"
#include "weather/weather_service.h"

#include <windows.h>
#include <winhttp.h>

#include <memory>

namespace kestrana::weather::win32 {

namespace {

struct InternetCloser {
    void operator()(HINTERNET h) const noexcept {
        if (h) ::WinHttpCloseHandle(h);
    }
};
using Internet = std::unique_ptr<void, InternetCloser>;

std::string Failed(const char* step) {
    return std::string(step) + " failed (" + std::to_string(::GetLastError()) + ")";
}

// The session and its proxy: the automatic proxy of Windows 8.1 and later, else the
// proxy configured for WinHTTP, else the user's browser proxy.
Internet OpenSession() {
    constexpr wchar_t kAgent[] = L"Kestrana/1.0";
    constexpr DWORD kAutomaticProxy = 4; // WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, absent from older headers
    Internet session(::WinHttpOpen(kAgent, kAutomaticProxy, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (session) return session;
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG user{};
    if (::WinHttpGetIEProxyConfigForCurrentUser(&user) && user.lpszProxy) {
        session.reset(::WinHttpOpen(kAgent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, user.lpszProxy,
                                    user.lpszProxyBypass ? user.lpszProxyBypass : WINHTTP_NO_PROXY_BYPASS, 0));
    }
    for (wchar_t* text : {user.lpszAutoConfigUrl, user.lpszProxy, user.lpszProxyBypass})
        if (text) ::GlobalFree(text);
    if (!session) session.reset(::WinHttpOpen(kAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    return session;
}

} // namespace

HttpAnswer WinHttpClient::Get(const std::string& url, std::size_t maxBytes) {
    HttpAnswer answer;
    try {
        const std::wstring wideUrl = foundation::FromUtf8(url);
        URL_COMPONENTS parts{};
        parts.dwStructSize = sizeof parts;
        parts.dwHostNameLength = DWORD(-1);
        parts.dwUrlPathLength = DWORD(-1);
        parts.dwExtraInfoLength = DWORD(-1);
        if (!::WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts)) {
            answer.failure = Failed("reading the address");
            return answer;
        }
        const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
        const std::string base = url.substr(0, url.find('/', url.find("//") + 2));
        if (!secure && !BaseAddressAllowed(base)) {
            answer.failure = "plain HTTP is allowed to the loopback address only";
            return answer;
        }
        const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
        const std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                                  std::wstring(parts.lpszExtraInfo ? parts.lpszExtraInfo : L"", parts.dwExtraInfoLength);

        Internet session = OpenSession();
        if (!session) {
            answer.failure = Failed("opening the HTTP session");
            return answer;
        }
        ::WinHttpSetTimeouts(session.get(), kTimeoutMs, kTimeoutMs, kTimeoutMs, kTimeoutMs);
        Internet connection(::WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
        if (!connection) {
            answer.failure = Failed("connecting");
            return answer;
        }
        Internet request(::WinHttpOpenRequest(connection.get(), L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                              WINHTTP_DEFAULT_ACCEPT_TYPES, secure ? WINHTTP_FLAG_SECURE : 0));
        if (!request) {
            answer.failure = Failed("opening the request");
            return answer;
        }
        if (!::WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
            !::WinHttpReceiveResponse(request.get(), nullptr)) {
            answer.failure = ::GetLastError() == ERROR_WINHTTP_TIMEOUT ? std::string("timed out") : Failed("sending the request");
            return answer;
        }
        DWORD status = 0, size = sizeof status;
        if (!::WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                                   &status, &size, WINHTTP_NO_HEADER_INDEX)) {
            answer.failure = Failed("reading the status");
            return answer;
        }
        answer.status = int(status);
        char buffer[16384];
        for (;;) {
            DWORD read = 0;
            if (!::WinHttpReadData(request.get(), buffer, sizeof buffer, &read)) {
                answer.failure = ::GetLastError() == ERROR_WINHTTP_TIMEOUT ? std::string("timed out reading") : Failed("reading the answer");
                return answer;
            }
            if (read == 0) break;
            // Stop at the limit: a huge answer is refused, not stored.
            if (answer.body.size() + read > maxBytes) {
                answer.truncated = true;
                break;
            }
            answer.body.append(buffer, read);
        }
    } catch (...) {
        answer.failure = "out of memory";
    }
    return answer;
}

} // namespace kestrana::weather::win32
