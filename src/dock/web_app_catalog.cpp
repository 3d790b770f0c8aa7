#include "dock/web_app_catalog.h"

#include "foundation/text.h"

namespace kestrana::dock {

using foundation::EndsWithIgnoreCase;
using foundation::EqualsIgnoreCase;
using foundation::StartsWithIgnoreCase;

std::wstring WebAppIdOf(std::wstring_view arguments) {
    constexpr std::wstring_view kSwitch = L"--app-id=";
    std::size_t at = 0;
    // The switch starts an argument: at the start or after a blank.
    while ((at = arguments.find(kSwitch, at)) != std::wstring_view::npos) {
        if (at == 0 || arguments[at - 1] == L' ' || arguments[at - 1] == L'\t' || arguments[at - 1] == L'"') break;
        at += kSwitch.size();
    }
    if (at == std::wstring_view::npos) return {};
    std::wstring_view rest = arguments.substr(at + kSwitch.size());
    if (!rest.empty() && rest.front() == L'"') {
        rest.remove_prefix(1);
        return std::wstring(rest.substr(0, rest.find(L'"')));
    }
    return std::wstring(rest.substr(0, rest.find_first_of(L" \t\"")));
}

std::optional<Browser> BrowserOfTarget(std::wstring_view target) {
    const std::wstring_view file = target.substr(target.find_last_of(L"\\/") + 1);
    if (EqualsIgnoreCase(file, L"chrome_proxy.exe") || EqualsIgnoreCase(file, L"chrome.exe")) return Browser::Chrome;
    if (EqualsIgnoreCase(file, L"msedge_proxy.exe") || EqualsIgnoreCase(file, L"msedge.exe")) return Browser::Edge;
    return std::nullopt;
}

bool TitleNamesApp(std::wstring_view title, std::wstring_view name) {
    if (name.empty()) return false;
    if (EqualsIgnoreCase(title, name)) return true;
    const std::wstring prefix = std::wstring(name) + L" - ";
    const std::wstring suffix = L" - " + std::wstring(name);
    return (title.size() > prefix.size() && StartsWithIgnoreCase(title, prefix)) ||
           (title.size() > suffix.size() && EndsWithIgnoreCase(title, suffix));
}

void WebAppCatalog::AddShortcut(std::wstring name, std::wstring_view target, std::wstring_view arguments) {
    const auto browser = BrowserOfTarget(target);
    std::wstring id = WebAppIdOf(arguments);
    if (!browser || id.empty() || name.empty()) return;
    m_apps.push_back({*browser, std::move(name), std::move(id)});
}

std::wstring WebAppCatalog::FindByTitle(Browser browser, std::wstring_view title) const {
    if (title.empty()) return {};
    const App* partial = nullptr;
    for (const App& app : m_apps) {
        if (app.browser != browser) continue;
        if (EqualsIgnoreCase(title, app.name)) return app.id;
        if (!partial && TitleNamesApp(title, app.name)) partial = &app;
    }
    return partial ? partial->id : std::wstring();
}

} // namespace kestrana::dock
