// The settings window with its real controls on a settings folder in memory: typed values
// are clamped or refused in the field, a failed write is reported, a DPI change rescales
// the page, the window comes back where it was closed, and the Hotkeys page captures a key,
// lines up each binding's two controls and notes a refused combination below them.
#include "settings/win32/settings_window.h"

#include "fakes/settings_folder.h"
#include "foundation/hotkeys.h"
#include "foundation/process_state.h"
#include "foundation/text.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace kestrana::settings::win32 {
namespace {

std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

std::vector<std::wstring> ChildTexts(HWND parent) {
    std::vector<std::wstring> texts;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        texts.push_back(TextOf(child));
    return texts;
}

bool Shows(HWND parent, const std::wstring& text) {
    const auto texts = ChildTexts(parent);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

RECT ClientRectOf(HWND control) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class SettingsWindowTest : public ::testing::Test, protected fakes::SettingsFolder {
protected:
    SettingsWindowTest() {
        foundation::Process().uiThreadId = ::GetCurrentThreadId();
        Config(u"[normal]\r\ndefaultsize=64\r\n");
        PagePorts ports;
        ports.monitors = [] { return std::vector<foundation::Choice>{{L"\\\\.\\DISPLAY1", {L"", L"", L"DISPLAY1"}}}; };
        window = std::make_unique<SettingsWindow>(
            WindowServices{store, ports, [this](foundation::SettingEffect effect) { effects.push_back(effect); }, {}, {}});
    }

    // Types into the icon size's number field and leaves it.
    void Type(const wchar_t* text) {
        HWND field = ::FindWindowExW(window->Handle(), nullptr, L"Edit", nullptr);
        ASSERT_TRUE(field);
        ::SetWindowTextW(field, text);
        ::SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(field), EN_KILLFOCUS),
                       reinterpret_cast<LPARAM>(field));
    }
    std::wstring Field() { return TextOf(::FindWindowExW(window->Handle(), nullptr, L"Edit", nullptr)); }

    std::vector<foundation::SettingEffect> effects;
    std::unique_ptr<SettingsWindow> window;
};

TEST_F(SettingsWindowTest, TypedSizesAreClampedOrRefusedInTheField) {
    ASSERT_TRUE(window->Show(L"dock"));
    EXPECT_EQ(TextOf(window->Handle()), L"Kestrana Settings");
    EXPECT_EQ(Field(), L"64");

    Type(L"300");
    EXPECT_EQ(Field(), L"196");
    EXPECT_EQ(store.ReadInt(L"DISPLAY1", L"defaultsize"), 196);
    EXPECT_EQ(effects, std::vector<foundation::SettingEffect>{foundation::SettingEffect::Dock});
    HWND slider = ::FindWindowExW(window->Handle(), nullptr, L"msctls_trackbar32", nullptr);
    EXPECT_EQ(::SendMessageW(slider, TBM_GETPOS, 0, 0), 196);

    Type(L"abc");
    EXPECT_EQ(Field(), L"196");
    EXPECT_TRUE(Shows(window->Handle(), L"Type a whole number."));
    EXPECT_EQ(effects.size(), 1u);

    files.FailAlways(fakes::FsOp::Replace);
    Type(L"80");
    EXPECT_EQ(Field(), L"196") << "the field shows what is stored";
    EXPECT_TRUE(Shows(window->Handle(), L"The setting could not be saved."));
    files.ClearFaults();

    // A value written elsewhere shows when the window looks again.
    store.WriteInt(L"DISPLAY1", L"defaultsize", 90);
    window->Refresh();
    EXPECT_EQ(Field(), L"90");
}

TEST_F(SettingsWindowTest, ADpiChangeRescalesThePageAndTheWindowReturnsWhereItWasClosed) {
    ASSERT_TRUE(window->Show(L"dock"));
    HWND main = window->Handle();
    HWND slider = ::FindWindowExW(main, nullptr, L"msctls_trackbar32", nullptr);
    const RECT before = ClientRectOf(slider);
    RECT outer{};
    ::GetWindowRect(main, &outer);
    RECT suggested{outer.left, outer.top, outer.left + (outer.right - outer.left) * 3 / 2,
                   outer.top + (outer.bottom - outer.top) * 3 / 2};
    ::SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    const RECT after = ClientRectOf(slider);
    EXPECT_NEAR(after.top, before.top * 3 / 2, 2);
    EXPECT_NEAR(after.bottom - after.top, (before.bottom - before.top) * 3 / 2, 2);

    ::SetWindowPos(main, nullptr, 40, 50, 600, 500, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT placed{};
    ::GetWindowRect(main, &placed);
    ::SendMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_FALSE(window->Handle());
    EXPECT_FALSE(store.ReadString(L"normal", L"settingwindow").empty());
    ASSERT_TRUE(window->Show());
    RECT again{};
    ::GetWindowRect(window->Handle(), &again);
    EXPECT_EQ(again.left, placed.left);
    EXPECT_EQ(again.top, placed.top);
    EXPECT_EQ(again.right - again.left, placed.right - placed.left);
    EXPECT_EQ(again.bottom - again.top, placed.bottom - placed.top);
}

TEST(SettingsWindowActions, TheBackupPagesButtonsReachTheProgramAndTheListFollows) {
    foundation::Process().uiThreadId = ::GetCurrentThreadId();
    fakes::SettingsFolder folder;
    std::vector<std::wstring> actions;
    WindowServices services{folder.store, {}, {}, {}, {}};
    services.act = [&](std::wstring_view action, HWND owner) -> std::optional<foundation::TextRef> {
        actions.emplace_back(action);
        EXPECT_TRUE(owner);
        folder.files.AddFile(folder.base + L"backup\\2026-12-6 9_5_0.dockico.ini", "[ico1]\r\nappname=a.exe\r\n");
        return foundation::TextRef{L"", L"", L"Done: " + std::wstring(action)};
    };
    SettingsWindow window(std::move(services));
    ASSERT_TRUE(window.Show(L"backup"));
    HWND list = ::FindWindowExW(window.Handle(), nullptr, WC_COMBOBOXW, nullptr);
    ASSERT_TRUE(list);
    EXPECT_EQ(::SendMessageW(list, CB_GETCOUNT, 0, 0), 0);
    for (const wchar_t* label : {L"Back up now", L"Back up dock items"}) {
        HWND button = ::FindWindowExW(window.Handle(), nullptr, L"Button", label);
        ASSERT_TRUE(button) << foundation::ToUtf8(label);
        ::SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                       reinterpret_cast<LPARAM>(button));
    }
    EXPECT_EQ(actions, (std::vector<std::wstring>{L"backup", L"itembackup"}));
    EXPECT_TRUE(Shows(window.Handle(), L"Done: itembackup"));
    EXPECT_EQ(::SendMessageW(list, CB_GETCOUNT, 0, 0), 1) << "the new item backup is listed";
}

// Dispatches this thread's messages (the key field's timer) until `done` or 3 s.
template <typename Done>
bool PumpUntil(Done done) {
    const ULONGLONG end = ::GetTickCount64() + 3000;
    MSG message{};
    while (!done() && ::GetTickCount64() < end) {
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        ::Sleep(10);
    }
    return done();
}

std::vector<HWND> ChildrenOf(HWND parent, const wchar_t* cls) {
    std::vector<HWND> found;
    for (HWND child = ::FindWindowExW(parent, nullptr, cls, nullptr); child; child = ::FindWindowExW(parent, child, cls, nullptr))
        found.push_back(child);
    return found;
}

TEST(SettingsWindowHotkeys, KeyFieldWritesTheKeyAndARefusalIsNotedUnderItsLine) {
    foundation::Process().uiThreadId = ::GetCurrentThreadId();
    fakes::SettingsFolder folder;
    std::vector<foundation::SettingEffect> effects;
    bool refused = false;
    PagePorts ports;
    ports.hotkeyStatus = [&](foundation::HotkeyId id) {
        return refused && id == foundation::HotkeyId::Launchpad ? foundation::HotkeyStatus::Refused
                                                                : foundation::HotkeyStatus::Registered;
    };
    SettingsWindow window(WindowServices{folder.store, ports, [&](foundation::SettingEffect effect) {
                                             effects.push_back(effect);
                                             // The program registers again; the Launchpad's is taken.
                                             refused = folder.store.ReadInt(L"hotkey", L"pad2") != 0;
                                         },
                                         {}, {}});
    ASSERT_TRUE(window.Show(L"hotkeys"));
    HWND main = window.Handle();
    const auto lists = ChildrenOf(main, WC_COMBOBOXW);
    const auto fields = ChildrenOf(main, HOTKEY_CLASSW);
    ASSERT_EQ(lists.size(), foundation::AllHotkeys().size());
    ASSERT_EQ(fields.size(), foundation::AllHotkeys().size());
    for (std::size_t i = 0; i < lists.size(); ++i) {
        const RECT list = ClientRectOf(lists[i]);
        const RECT field = ClientRectOf(fields[i]);
        EXPECT_EQ(list.top, field.top) << i << ": the binding's two controls share a line";
        EXPECT_LT(list.right, field.left) << i;
    }
    HWND padList = lists[1];
    HWND padField = fields[1];
    EXPECT_FALSE(::IsWindowEnabled(padField)) << "no modifier: no key";

    ::SendMessageW(padList, CB_SETCURSEL, 1, 0); // "Ctrl "
    ::SendMessageW(main, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(padList), CBN_SELCHANGE), reinterpret_cast<LPARAM>(padList));
    EXPECT_EQ(folder.store.ReadInt(L"hotkey", L"pad1"), 2);
    EXPECT_TRUE(::IsWindowEnabled(padField));
    const RECT nextBefore = ClientRectOf(lists[2]);
    EXPECT_FALSE(Shows(main, L"Another program holds this combination; it is not active."));

    // A key pressed in the field is written once the press settles.
    ::SendMessageW(padField, HKM_SETHOTKEY, MAKEWORD('L', 0), 0);
    ::SendMessageW(main, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(padField), EN_CHANGE), reinterpret_cast<LPARAM>(padField));
    ASSERT_TRUE(PumpUntil([&] { return folder.store.ReadInt(L"hotkey", L"pad2") == 'L'; }));
    EXPECT_EQ(effects, (std::vector<foundation::SettingEffect>{foundation::SettingEffect::Hotkeys,
                                                                foundation::SettingEffect::Hotkeys}));
    EXPECT_TRUE(Shows(main, L"Another program holds this combination; it is not active."));
    EXPECT_GT(ClientRectOf(lists[2]).top, nextBefore.top) << "the note takes a line of its own";

    // No modifier takes the key away and empties the field.
    ::SendMessageW(padList, CB_SETCURSEL, 0, 0);
    ::SendMessageW(main, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(padList), CBN_SELCHANGE), reinterpret_cast<LPARAM>(padList));
    EXPECT_FALSE(folder.store.HasKey(L"hotkey", L"pad2"));
    EXPECT_FALSE(::IsWindowEnabled(padField));
    EXPECT_EQ(LOBYTE(LOWORD(::SendMessageW(padField, HKM_GETHOTKEY, 0, 0))), 0);
    EXPECT_FALSE(Shows(main, L"Another program holds this combination; it is not active."));
    EXPECT_EQ(ClientRectOf(lists[2]).top, nextBefore.top);
}

} // namespace
} // namespace kestrana::settings::win32
