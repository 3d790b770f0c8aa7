#pragma once
// Window classes, registered message names and fixed message numbers that the program
// shares with its companion processes and with other programs. They are part of the
// program's outside interface: never rename them.

#include <array>
#include <cstdint>
#include <string_view>

namespace kestrana::foundation {

inline constexpr std::wstring_view kInstanceEventName = L"Ondelwgc123456";

inline constexpr std::wstring_view kMainWindowClass = L"KESTRANA";
inline constexpr std::wstring_view kWorkshopMainWindowClass = L"KESTRANA1";
inline constexpr std::wstring_view kIconHostClass = L"OndelIconsCwnd";
inline constexpr std::wstring_view kUnownedIconHostClass = L"OndelHwnd";
inline constexpr std::wstring_view kStackClass = L"OndelStack";
inline constexpr std::wstring_view kStageManagerClass = L"KestranaStageManager";
inline constexpr std::wstring_view kNoticeClass = L"Messagetips";
inline constexpr std::wstring_view kHotCornerClass = L"KestranaHotCorner";
inline constexpr std::wstring_view kWorkshopClass = L"KestranaWorkshop";
inline constexpr std::wstring_view kAnimationWindowClass = L"DXWindows";
inline constexpr std::wstring_view kAnimationShadowClass = L"DXWindowsShadow";

// Registered with the system at start; all are let through the privilege filter.
inline constexpr std::wstring_view kMsgShare = L"KestranaShare";
inline constexpr std::wstring_view kMsgShareHwnd = L"KestranaShareHwnd";
inline constexpr std::wstring_view kMsgShareTemp = L"KestranaShareTemp";
inline constexpr std::wstring_view kMsgShareMemoryTask = L"KestranaShareMemoryTask";
inline constexpr std::wstring_view kMsgShareKey = L"KestranaShareKey";
inline constexpr std::wstring_view kMsgHwndMenu = L"KestranaHwndMenu";
inline constexpr std::wstring_view kMsgStageManager = L"KestranaStageManager";
inline constexpr std::wstring_view kMsgTabSwitch = L"TabSwitch";
inline constexpr std::wstring_view kMsgShellHook = L"SHELLHOOK";
inline constexpr std::wstring_view kMsgTaskbarCreated = L"TaskbarCreated";
inline constexpr std::wstring_view kMsgWindowReport = L"KestranaWindowReport"; // from the hook module

inline constexpr std::array<std::wstring_view, 11> kRegisteredMessageNames = {
    kMsgShare, kMsgShareHwnd, kMsgShareTemp, kMsgShareMemoryTask, kMsgShareKey,
    kMsgHwndMenu, kMsgStageManager, kMsgTabSwitch, kMsgShellHook, kMsgTaskbarCreated,
    kMsgWindowReport,
};

// Fixed message numbers other processes send us; let through the privilege filter too.
inline constexpr std::array<std::uint32_t, 21> kFilteredFixedMessages = {
    563, 74, 673, 675, 73, 32666, 32667, 50014, 65100, 65101, 56789,
    49195, 49192, 1088, 1089, 49346, 49277, 49295, 56123, 49999, 49998,
};

// Requests to the main window (message kMsgShellWindowRequest, the request in wParam).
inline constexpr std::uint32_t kMsgShellWindowRequest = 65100;
inline constexpr std::uintptr_t kCreateIconHost = 1;
inline constexpr std::uintptr_t kCreateUnownedIconHost = 2;
inline constexpr std::uintptr_t kCreateShellWindowBlock = 666;
inline constexpr std::uintptr_t kDestroyShellWindow = 999;

inline constexpr std::uint32_t kMsgSteamResult = 32666;
inline constexpr std::uint32_t kMsgEndLivePreview = 54321;
inline constexpr std::uint32_t kMsgLaunchpadRequest = 1037;
// lParam of kMsgLaunchpadRequest: the show effect, or this for the one the settings choose.
inline constexpr std::intptr_t kLaunchpadConfiguredEffect = -1;

inline constexpr std::uint32_t kTimerTaskbarRecreated = 9876;

} // namespace kestrana::foundation
