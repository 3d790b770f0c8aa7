#pragma once
// Unread messages of the chat programs, for the marks on their dock items. A chat program
// tells of unread messages in two ways we can see: it flashes its tray icon (it swaps the
// icon's picture over and over until the messages are read), and, for the programs known
// here, it keeps an unread-messages pop-up window of a class of its own. Only programs the
// user listed for message counts are marked.

#include "menubar/tray/tray_list.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::menubar::tray {

// A top-level window of a chat program, as the platform found it.
struct UnreadWindow {
    std::wstring program; // its program's path
    std::wstring className;
    std::wstring title;
    bool visible = false;
    bool topmost = false;
};

// By program file name, lower-case ("dingtalk.exe"): the number of unread messages, or 0
// when the program has some without saying how many.
using UnreadMarks = std::map<std::wstring, int>;

// Two picture changes this close make a flashing icon; it counts as flashing until its
// picture has rested this long.
inline constexpr std::int64_t kFlashGapMs = 3000;
inline constexpr int kMaxUnreadCount = 999;

// The lower-case file name of a program path: the key of its message-count setting.
[[nodiscard]] std::wstring ProgramFileName(std::wstring_view path);

// A count a chat program puts in a title or tooltip: a number in brackets ("Chats (3)",
// "[12]"), or a title that is only a number. Nothing when there is none; capped.
[[nodiscard]] std::optional<int> UnreadCountIn(std::wstring_view text);

class UnreadWatch {
public:
    // The picture of an icon changed.
    void PictureChanged(const TrayIcon& icon, std::int64_t nowMs);

    // The marks now, from the icons that flash and the chat programs' pop-ups among
    // `windows`; `listed` tells whether a program file name is set for message counts.
    [[nodiscard]] UnreadMarks Marks(std::span<const TrayIcon> icons, std::span<const UnreadWindow> windows,
                                    const std::function<bool(std::wstring_view program)>& listed, std::int64_t nowMs);

private:
    struct Flash {
        std::uint64_t owner = 0;
        std::uint32_t id = 0;
        std::int64_t previous = 0, last = 0;
        int changes = 0;
    };
    std::vector<Flash> m_flashes;
};

} // namespace kestrana::menubar::tray
