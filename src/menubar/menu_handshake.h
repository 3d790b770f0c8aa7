#pragma once
// The hand-over of an application's menu to the hook module inside that application.
// A menu handle means nothing outside its process on every system, so the bar writes a
// small request file, named by a number, into the folder "findermenu" of the program
// folder: the window, its menu handle, what to do and where the titles stand on screen.
// The module, woken inside the window's thread, reads it, opens the menu there (or
// writes the menu bar's titles into "<number>.titles"), and removes the request when it
// is done. The bar only watches the request's file: while it exists the menu is open.
//
// The format is plain ASCII "key=value" lines so the module needs nothing of the program
// to read it. Everything read from the files is checked: the module runs inside any
// application, and anybody may write into the folder's files the bar reads back.

#include "foundation/file_system.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::menubar {

inline constexpr std::wstring_view kHandshakeFolder = L"findermenu";
inline constexpr std::size_t kMaxTitles = 64;

enum class MenuAsk : std::uint8_t { Titles, Open };

struct TitleSpan {
    int left = 0;
    int right = 0; // exclusive
};

struct MenuRequest {
    MenuAsk ask = MenuAsk::Titles;
    std::uint64_t window = 0; // the application's window
    std::uint64_t menu = 0;   // its menu bar as the bar saw it; 0 when unknown
    std::uint64_t bar = 0;    // the bar window, told which title is open
    int index = 0;            // the title whose menu opens first
    int top = 0;              // the titles' strip on screen
    int bottom = 0;
    std::vector<TitleSpan> titles; // each title's place on screen, left to right
};

[[nodiscard]] std::string FormatMenuRequest(const MenuRequest& request);
// nullopt for anything malformed: unknown or repeated keys, numbers out of range, an
// index outside the titles, more than kMaxTitles titles.
[[nodiscard]] std::optional<MenuRequest> ParseMenuRequest(std::string_view text);

// The title under a point of the screen, or -1.
[[nodiscard]] int TitleAt(const MenuRequest& request, int x, int y);

// The titles' reply: one title a line, UTF-8. A reply that is not well-formed, or has
// more than kMaxTitles lines or lines over 256 characters, reads as nothing.
[[nodiscard]] std::string FormatTitleReply(std::span<const std::wstring> titles);
[[nodiscard]] std::optional<std::vector<std::wstring>> ParseTitleReply(std::string_view text);

// The request file of a number and its reply, below `baseFolder` (ends in "\").
[[nodiscard]] std::wstring RequestPath(std::wstring_view baseFolder, std::uint32_t number);
[[nodiscard]] std::wstring ReplyPath(std::wstring_view baseFolder, std::uint32_t number);

// The bar's side of the hand-over, one request after another.
class MenuHandshake {
public:
    MenuHandshake(foundation::FileSystem& files, std::wstring baseFolder, std::uint32_t firstNumber);

    // Writes the request; its number, or nullopt when the file could not be written.
    std::optional<std::uint32_t> Begin(const MenuRequest& request);
    // True while the module has not finished with the request.
    [[nodiscard]] bool Pending(std::uint32_t number) const;
    // The titles the module wrote for a finished request (the reply is removed).
    std::optional<std::vector<std::wstring>> TakeTitles(std::uint32_t number);
    // Gives a request up (the application did not answer in time): both files go.
    void Abandon(std::uint32_t number);

private:
    foundation::FileSystem& m_files;
    std::wstring m_baseFolder;
    std::uint32_t m_next;
};

} // namespace kestrana::menubar
