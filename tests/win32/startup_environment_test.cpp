// The Windows facts start-up loading uses, on the real APIs (run under Wine).
#include "foundation/win32/startup_environment.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

namespace kestrana::win32 {
namespace {

TEST(StartupEnvironment, MonitorsHaveNamesOnePrimaryAndAScale) {
    const auto monitors = Win32MonitorList().Monitors();
    ASSERT_EQ(monitors.size(), static_cast<std::size_t>(::GetSystemMetrics(SM_CMONITORS)));
    ASSERT_FALSE(monitors.empty());
    EXPECT_EQ(std::count_if(monitors.begin(), monitors.end(), [](const auto& m) { return m.primary; }), 1);
    for (const auto& monitor : monitors) {
        EXPECT_EQ(monitor.deviceName.rfind(L"\\\\.\\", 0), 0u);
        EXPECT_GT(monitor.recordedScale, 0.0f);
        EXPECT_GE(monitor.dpiScale, 0.0f);
    }
    // The primary monitor's DPI agrees with the system DPI of a DPI-aware process or is unknown.
    const auto primary = std::find_if(monitors.begin(), monitors.end(), [](const auto& m) { return m.primary; });
    HDC screen = ::GetDC(nullptr);
    const float systemScale = static_cast<float>(::GetDeviceCaps(screen, LOGPIXELSX)) / 96.0f;
    ::ReleaseDC(nullptr, screen);
    if (primary->dpiScale > 0.0f) {
        EXPECT_FLOAT_EQ(primary->dpiScale, systemScale);
    }
}

TEST(StartupEnvironment, SystemFontHasAName) {
    const auto name = Win32SystemFont().UiFontName();
    EXPECT_FALSE(name.empty());
    EXPECT_LT(name.size(), static_cast<std::size_t>(LF_FACESIZE));
}

TEST(StartupEnvironment, SetsTheCurrentDirectory) {
    wchar_t before[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, before);
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    EXPECT_TRUE(SetProcessCurrentDirectory(temp));
    wchar_t now[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, now);
    EXPECT_EQ(std::wstring(now) + L"\\", std::wstring(temp));
    EXPECT_FALSE(SetProcessCurrentDirectory(L"Q:\\no\\such\\folder"));
    EXPECT_TRUE(SetProcessCurrentDirectory(before));
}

} // namespace
} // namespace kestrana::win32
