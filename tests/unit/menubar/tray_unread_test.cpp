// Unread messages of the chat programs: which program is marked, by which window or
// flashing icon, and with what count.
#include "menubar/tray/tray_unread.h"

#include <gtest/gtest.h>

namespace kestrana::menubar::tray {
namespace {

TrayIcon Icon(std::uint64_t owner, const wchar_t* path, const wchar_t* tip = L"") {
    TrayIcon i;
    i.owner = owner;
    i.id = 1;
    i.path = path;
    i.tip = tip;
    return i;
}

UnreadWindow Window(const wchar_t* program, const wchar_t* cls, const wchar_t* title = L"", bool topmost = true) {
    return {program, cls, title, true, topmost};
}

bool Listed(std::wstring_view program) { return program != L"wechat.exe"; } // the user switched it off

TEST(TrayUnread, CountsFoundInTitlesAndTips) {
    EXPECT_EQ(UnreadCountIn(L"Chats (3)"), 3);
    EXPECT_EQ(UnreadCountIn(L"[12] new"), 12);
    EXPECT_EQ(UnreadCountIn(L" 7 "), 7);
    EXPECT_EQ(UnreadCountIn(L"Messages (99+)"), 99);
    EXPECT_EQ(UnreadCountIn(L"(123456)"), kMaxUnreadCount);
    // An account number or a version is no count; nor is an empty or zero bracket.
    for (const wchar_t* none : {L"", L"Chat: 12345 online", L"v2 (beta)", L"(0)", L"()", L"(3", L"Chat 3"})
        EXPECT_FALSE(UnreadCountIn(none)) << none;
    EXPECT_EQ(ProgramFileName(L"C:\\Program Files\\DingTalk\\DingTalk.exe"), L"dingtalk.exe");
    EXPECT_EQ(ProgramFileName(L"qq.exe"), L"qq.exe");
}

TEST(TrayUnread, PopUpsOfListedProgramsMarkThem) {
    UnreadWatch watch;
    const std::vector<TrayIcon> icons{Icon(1, L"c:\\d\\dingtalk.exe", L"DingTalk (4)"), Icon(2, L"c:\\q\\qq.exe", L"QQ")};
    const std::vector<UnreadWindow> windows{
        Window(L"C:\\d\\DingTalk.exe", L"DingtalkMsgComming"),              // count from its tray tip
        Window(L"C:\\q\\QQ.exe", L"TXGuiFoundation", L"QQ", false),        // its main window: not topmost
        Window(L"C:\\t\\tim.exe", L"TXGuiFoundation", L"(2)"),              // the pop-up floats on top
        Window(L"C:\\w\\WeChat.exe", L"TrayNotifyWnd", L"(5)"),             // not listed
        Window(L"C:\\o\\other.exe", L"DingtalkMsgComming"),                 // not that program's class
    };
    EXPECT_EQ(watch.Marks(icons, windows, Listed, 0), (UnreadMarks{{L"dingtalk.exe", 4}, {L"tim.exe", 2}}));

    auto hidden = windows;
    for (auto& w : hidden) w.visible = false;
    EXPECT_TRUE(watch.Marks(icons, hidden, Listed, 0).empty());
    // With everything listed, WeChat's own class counts for it.
    EXPECT_EQ(watch.Marks(icons, windows, [](std::wstring_view) { return true; }, 0).at(L"wechat.exe"), 5);
}

TEST(TrayUnread, AFlashingIconMarksItsProgramUntilItRests) {
    UnreadWatch watch;
    std::vector<TrayIcon> icons{Icon(1, L"c:\\q\\qq.exe", L"QQ [3]"), Icon(2, L"c:\\o\\other.exe")};
    watch.PictureChanged(icons[0], 1000);
    EXPECT_TRUE(watch.Marks(icons, {}, Listed, 1100).empty()); // one new picture is no flash
    watch.PictureChanged(icons[0], 1500);
    watch.PictureChanged(icons[1], 1500);
    watch.PictureChanged(icons[1], 1600);
    EXPECT_EQ(watch.Marks(icons, {}, Listed, 2000), (UnreadMarks{{L"qq.exe", 3}, {L"other.exe", 0}}));
    icons[0].tip = L"QQ";
    EXPECT_EQ(watch.Marks(icons, {}, [](std::wstring_view p) { return p == L"qq.exe"; }, 2000),
              (UnreadMarks{{L"qq.exe", 0}}));
    // Rested: the mark goes; a single change later starts counting anew.
    EXPECT_TRUE(watch.Marks(icons, {}, Listed, 1600 + kFlashGapMs + 1).empty());
    watch.PictureChanged(icons[0], 9000);
    EXPECT_TRUE(watch.Marks(icons, {}, Listed, 9001).empty());
    // An icon that went is forgotten with its flashing.
    watch.PictureChanged(icons[0], 9500);
    EXPECT_TRUE(watch.Marks(std::span(icons).subspan(1), {}, Listed, 9600).empty());
    watch.PictureChanged(icons[0], 9700);
    EXPECT_TRUE(watch.Marks(icons, {}, Listed, 9800).empty());
}

} // namespace
} // namespace kestrana::menubar::tray
