// The companion start and handshake, step by step against a scripted system.
#include "foundation/autostart.h"
#include "foundation/companion_link.h"
#include "foundation/hook_protocol.h"
#include "foundation/text.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace kestrana::foundation {
namespace {

struct ScriptedSystem {
    std::uint32_t clock = 0;                   // ms of simulated time
    std::map<std::wstring, std::uint32_t> windowAppearsAt; // class -> time it exists from
    std::map<std::wstring, WindowHandle> handles{{L"hookel32", 32}, {L"hookel64", 64}, {L"hookel64arm", 65}};
    bool taskExists = false;
    bool elevated = false;
    bool companionStartsWindow = true; // a direct start brings "hookel32" up 500 ms later
    std::uint32_t taskbarAt = 0;
    std::optional<std::intptr_t> handshakeAnswer = 1;
    std::vector<std::wstring> log;

    CompanionLinkPort Port() {
        CompanionLinkPort p;
        p.findWindow = [this](std::wstring_view cls) -> WindowHandle {
            const auto it = windowAppearsAt.find(std::wstring(cls));
            return it != windowAppearsAt.end() && clock >= it->second ? handles[std::wstring(cls)] : 0;
        };
        p.companionTaskExists = [this](std::wstring_view) { return taskExists; };
        p.runTask = [this](std::wstring_view task) {
            log.push_back(L"run " + std::wstring(task));
            if (!windowAppearsAt.contains(L"hookel32")) windowAppearsAt[L"hookel32"] = clock + 1000;
        };
        p.startCompanion = [this] {
            log.push_back(L"start");
            if (companionStartsWindow && !windowAppearsAt.contains(L"hookel32")) windowAppearsAt[L"hookel32"] = clock + 500;
            return true;
        };
        p.elevated = [this] { return elevated; };
        p.taskbarWindow = [this]() -> WindowHandle { return clock >= taskbarAt ? 7 : 0; };
        p.post = [this](WindowHandle w, ShareMessage m, std::uintptr_t wp, std::intptr_t lp) {
            log.push_back(L"post " + std::to_wstring(w) + L" " + std::to_wstring(static_cast<int>(m)) + L" " +
                          std::to_wstring(wp) + L" " + std::to_wstring(lp));
        };
        p.sendShare = [this](WindowHandle w, std::uintptr_t wp, std::intptr_t lp) {
            log.push_back(L"send " + std::to_wstring(w) + L" " + std::to_wstring(wp) + L" " + std::to_wstring(lp));
            return handshakeAnswer;
        };
        p.broadcastTaskbarCreated = [this](WindowHandle w) { log.push_back(L"broadcast " + std::to_wstring(w)); };
        p.sleep = [this](std::uint32_t ms) { clock += ms; };
        return p;
    }
};

TEST(CompanionLink, StartsTheCompanionWhenNoneAppearsWithinFourSeconds) {
    ScriptedSystem sys;
    sys.windowAppearsAt[L"hookel64"] = 0;
    CompanionLinkOptions options;
    options.mainWindow = 1234;
    const auto result = StartCompanion(sys.Port(), options);
    ASSERT_GE(sys.log.size(), 3u);
    EXPECT_EQ(sys.log[0], L"start");
    EXPECT_EQ(result.companion, 32u);
    EXPECT_TRUE(result.confirmed);
    // Waited 4 s for a companion already starting, then 1 s until the started one showed.
    EXPECT_EQ(sys.clock, 5000u);
    EXPECT_EQ(sys.log[1], L"post 64 0 4 7"); // the taskbar goes to the 64-bit companion
    EXPECT_EQ(sys.log[2], L"send 32 999 1234");
}

TEST(CompanionLink, UsesTheTaskFirstAndDoesNotStartASecondCopy) {
    ScriptedSystem sys;
    sys.taskExists = true;
    const auto result = StartCompanion(sys.Port(), {});
    EXPECT_EQ(sys.log.front(), L"run Ondelmod");
    for (const auto& line : sys.log) EXPECT_NE(line, L"start");
    EXPECT_TRUE(result.confirmed);
    EXPECT_EQ(sys.clock, 2000u);
}

TEST(CompanionLink, ElevatedProcessStartsTheCompanionAtOnce) {
    ScriptedSystem sys;
    sys.elevated = true;
    StartCompanion(sys.Port(), {});
    EXPECT_EQ(sys.log.front(), L"start");
    EXPECT_EQ(sys.clock, 1000u); // only the handshake's one-second look
}

TEST(CompanionLink, HandshakeRerunsTheTasksAtTheThirdTryAndGivesUpAfterTen) {
    ScriptedSystem sys;
    sys.taskExists = true;
    sys.companionStartsWindow = false;
    sys.handles.clear();
    // The task never brings the window up in this script.
    auto port = sys.Port();
    port.runTask = [&sys](std::wstring_view task) { sys.log.push_back(L"run " + std::wstring(task)); };
    CompanionLinkOptions options;
    options.windows64 = true;
    const auto result = Handshake(port, options);
    EXPECT_EQ(result.companion, 0u);
    EXPECT_EQ(result.tries, 10);
    EXPECT_EQ(sys.clock, 9000u);
    ASSERT_EQ(sys.log.size(), 2u);
    EXPECT_EQ(sys.log[0], L"run Ondelmod");
    EXPECT_EQ(sys.log[1], L"run Ondelmod64");
}

TEST(CompanionLink, UnansweredHandshakeAnnouncesTheTaskbarAgain) {
    ScriptedSystem sys;
    sys.windowAppearsAt[L"hookel32"] = 0;
    sys.handshakeAnswer = std::nullopt;
    CompanionLinkOptions options;
    options.mainWindow = 99;
    options.windows64 = false;
    const auto result = Handshake(sys.Port(), options);
    EXPECT_FALSE(result.confirmed);
    EXPECT_EQ(sys.log.back(), L"broadcast 99");
    // On 32-bit Windows the taskbar goes to the 32-bit companion itself.
    EXPECT_EQ(sys.log.front(), L"post 32 0 4 7");
}

TEST(CompanionLink, WaitsForTheTaskbarThenWatchesTrackedWindowsAndInstallsTheSelfUpdate) {
    ScriptedSystem sys;
    sys.windowAppearsAt[L"hookel32"] = 0;
    sys.windowAppearsAt[L"hookel64arm"] = 0;
    sys.taskbarAt = 3000;
    CompanionLinkOptions options;
    options.windowsArm64 = true;
    options.minimiseAnimations = true;
    options.trackedWindows = {501, 502, 503};
    options.watchIntervalMs = 50;
    options.selfUpdatePending = true;
    Handshake(sys.Port(), options);
    const std::vector<std::wstring> expected = {
        L"post 65 0 4 7", L"post 65 0 5 7", L"send 32 999 0",       L"post 32 0 1 501",
        L"post 32 0 1 502", L"post 32 0 1 503", L"post 32 1 4 0",
    };
    EXPECT_EQ(sys.log, expected);
    EXPECT_EQ(sys.clock, 3000u + 2 * 50u);
}

TEST(CompanionLink, LaterHandshakesDoNotRepeatTheWatchList) {
    ScriptedSystem sys;
    sys.windowAppearsAt[L"hookel32"] = 0;
    CompanionLinkOptions options;
    options.firstHandshake = false;
    options.minimiseAnimations = true;
    options.trackedWindows = {501};
    Handshake(sys.Port(), options);
    for (const auto& line : sys.log) EXPECT_EQ(line.find(L" 1 501"), std::wstring::npos) << line;
}

TEST(Autostart, ModesAreReadInTheirOrderOfPrecedenceForThisCopyOnly) {
    const std::optional<std::wstring> none;
    const std::wstring service = L"\"c:\\apps\\KESTRANA\\Ondel.exe\" -service";
    struct Case {
        AutostartFacts facts;
        AutostartMode expected;
    };
    const Case cases[] = {
        {{false, none, none}, AutostartMode::None},
        {{false, none, service}, AutostartMode::Service},
        {{false, L"\"C:\\APPS\\Kestrana\\kestrana.exe\"", service}, AutostartMode::Task},
        {{false, L"C:\\Apps\\Kestrana\\Ondel.exe", none}, AutostartMode::Task},
        {{true, L"C:\\Apps\\Kestrana\\Ondel.exe", service}, AutostartMode::RunValue},
        {{false, L"D:\\Old\\Kestrana.exe", L"D:\\Old\\Ondel.exe"}, AutostartMode::None}, // another copy's entries
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadAutostartMode(c.facts, L"C:\\Apps\\Kestrana\\Kestrana.exe", L"C:\\Apps\\Kestrana\\"), c.expected)
            << ToUtf8(c.facts.taskCommand.value_or(L"")) << " " << ToUtf8(c.facts.serviceImagePath.value_or(L""));
    }
}

} // namespace
} // namespace kestrana::foundation
