#pragma once
// The browsers' installed web applications, by name. The Windows layer reads them from
// the start-menu shortcuts the browsers write for the user; this part decides which
// shortcut is a web application of which browser and which window title names one.

#include "dock/window_facts_port.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::dock {

// The value of "--app-id=" in a shortcut's arguments (quotes removed); empty when absent.
[[nodiscard]] std::wstring WebAppIdOf(std::wstring_view arguments);

// The browser a shortcut's target starts: its own executable or its web-application proxy.
[[nodiscard]] std::optional<Browser> BrowserOfTarget(std::wstring_view target);

// A window titled `title` shows the application `name`: the title is the name, or the
// name joined to a page title with " - " on either side. Letters are compared without
// case (ASCII).
[[nodiscard]] bool TitleNamesApp(std::wstring_view title, std::wstring_view name);

class WebAppCatalog final : public WebAppDirectory {
public:
    // A shortcut named `name` (file name without ".lnk"); kept only when it starts a
    // browser with an application id.
    void AddShortcut(std::wstring name, std::wstring_view target, std::wstring_view arguments);
    [[nodiscard]] std::size_t Size() const { return m_apps.size(); }

    // An exact name wins over a name found inside a longer title.
    [[nodiscard]] std::wstring FindByTitle(Browser browser, std::wstring_view title) const override;

private:
    struct App {
        Browser browser;
        std::wstring name;
        std::wstring id;
    };
    std::vector<App> m_apps;
};

} // namespace kestrana::dock
