#pragma once
// Following a menu that an application opened for a title of a menu bar it offers only
// through the accessibility interfaces. The menu runs in the application, out of reach
// of any menu loop of ours, so the bar samples the pointer and the application's pop-up
// on a timer and feeds them in: the title stays lit while the pop-up is up, the pointer
// moving onto another title opens that title's menu instead, and the pop-up going away
// (a command chosen, Escape, a click elsewhere) ends it.

#include <cstdint>
#include <string_view>

namespace kestrana::menubar {

inline constexpr std::wstring_view kOwlMenuBarClass = L"OWL.MenuBar";
inline constexpr std::wstring_view kOwlShowSubmenuMessage = L"com.adobe.owl.menubar.show.submenu";

// How a title of such a menu bar is opened: a menu bar window of class "OWL.MenuBar"
// takes a registered message (wParam: the title's index); any other title is invoked.
enum class AccessibleOpen : std::uint8_t { Invoke, PostShowSubmenu };
[[nodiscard]] AccessibleOpen AccessibleOpenFor(std::wstring_view menuBarClass);

// The windows applications drop their menus down in: classic pop-up menus and XAML pop-ups.
inline constexpr const wchar_t* kMenuPopupClasses[] = {L"#32768", L"Xaml_WindowedPopupClass"};
[[nodiscard]] bool IsMenuPopupClass(std::wstring_view className);

// How long an invoked title may take to put its menu on screen; a title whose element
// runs a command at once never does, and its light goes out after this.
inline constexpr double kAccessiblePickUpMs = 1500;

class AccessibleMenuTrack {
public:
    struct Step {
        int open = -1;           // open this title's menu now
        bool litChanged = false; // Lit() is another title, or none
    };

    // Title `title` was opened.
    void Begin(int title, double nowMs);
    // One sample: the title under the pointer (-1 for none) and the application's menu
    // pop-up on screen (0 for none).
    Step Tick(int pointerTitle, std::uint64_t popup, double nowMs);
    void End() { *this = {}; }
    [[nodiscard]] bool Active() const { return m_lit >= 0; }
    [[nodiscard]] int Lit() const { return m_lit; }

private:
    int m_lit = -1;
    std::uint64_t m_popup = 0;    // the lit title's pop-up, once seen
    std::uint64_t m_previous = 0; // the pop-up of the title before a switch, perhaps still closing
    double m_since = 0;           // when the lit title was opened
};

} // namespace kestrana::menubar
