// The Windows side of the sender checks: facts about a process, the confirmation pipe
// between the program and its companion, and reading a folder's access list.
#include "foundation/win32/companion_channel.h"
#include "foundation/win32/folder_security.h"
#include "foundation/win32/foreign_sender.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace kestrana::win32 {
namespace {

using foundation::Refusal;

TEST(SenderFacts, ThisProcessIsAProgramOfItsOwnFolder) {
    const auto facts = ProcessFacts(::GetCurrentProcessId());
    EXPECT_TRUE(facts.sameUser);
    EXPECT_TRUE(facts.sameSession);
    EXPECT_EQ(foundation::CheckSender(facts, {ProgramFolder(), {}, 0}), Refusal::None) << facts.image;
    EXPECT_EQ(foundation::CheckSender(facts, {ProgramFolder(), L"Kestrana.exe", 0}), Refusal::OutsideFolder);

    // A window of this process names it; no window names nobody.
    EXPECT_EQ(WindowFacts(nullptr).pid, 0u);
    EXPECT_EQ(foundation::CheckSender(WindowFacts(nullptr), {ProgramFolder(), {}, 0}), Refusal::NoProcess);
}

TEST(ConfirmationPipe, DeliversOnlyWhatTheServerAccepts) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KestranaPipeTestCompanion";
    ::RegisterClassExW(&wc);
    HWND companion = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                       wc.hInstance, nullptr);
    ASSERT_TRUE(companion);

    std::atomic<bool> acceptWriter{true};
    std::atomic<unsigned long> writer{0};
    std::mutex mutex;
    std::vector<foundation::Confirmation> received;
    std::thread([&] {
        ServeConfirmations(
            [&](unsigned long pid) {
                writer = pid;
                return acceptWriter.load();
            },
            [&](const foundation::Confirmation& c) {
                std::lock_guard lock(mutex);
                received.push_back(c);
            });
    }).detach();
    ::Sleep(200); // the server creates its pipe

    EXPECT_TRUE(ConfirmToCompanion(companion, {foundation::ConfirmKind::Keys, 175, 0}));
    EXPECT_EQ(writer.load(), ::GetCurrentProcessId());
    acceptWriter = false;
    EXPECT_FALSE(ConfirmToCompanion(companion, {foundation::ConfirmKind::Keys, 174, 0}));
    {
        std::lock_guard lock(mutex);
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(received[0].a, 175u);
    }
    // A window of a process that serves no pipe gets nothing delivered.
    EXPECT_FALSE(ConfirmToCompanion(::GetDesktopWindow(), {foundation::ConfirmKind::Keys, 175, 0}));
    ::DestroyWindow(companion);
}

TEST(FolderSecurityReading, AUserFolderIsNotAdminOnly) {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const auto security = ReadFolderSecurity(temp);
    EXPECT_TRUE(security.readable);
    EXPECT_TRUE(security.hasDacl);
    EXPECT_FALSE(security.entries.empty());
    EXPECT_FALSE(foundation::OnlyAdministratorsCanWrite(security));
    EXPECT_FALSE(ReadFolderSecurity(std::wstring(temp) + L"no-such-folder-here").readable);
}

} // namespace
} // namespace kestrana::win32
