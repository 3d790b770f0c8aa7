#include "foundation/crash_dump.h"
#include "foundation/md5.h"
#include "foundation/startup_verbs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrana::foundation {
namespace {

TEST(CommandLine, RecognisesEachVerbWhateverItsCase) {
    const struct {
        const wchar_t* text;
        StartVerb verb;
    } cases[] = {
        {L"", StartVerb::Normal},
        {L"AddUIAccess", StartVerb::AddUiAccess},
        {L"  deluiaccess ", StartVerb::DelUiAccess},
        {L"OPENSYSTEMUAC", StartVerb::OpenSystemUac},
        {L"steamoffline", StartVerb::SteamOffline},
        {L"--Settings", StartVerb::OpenSettings},
        {L"settings", StartVerb::Normal},
        {L"adduiaccess now", StartVerb::Normal}, // verbs are the whole text
        {L"/background", StartVerb::Normal},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseCommandLine(c.text).verb, c.verb) << c.text;
}

TEST(CommandLine, WaitVerbIsFoundAnywhereWithItsWindow) {
    auto parsed = ParseCommandLine(L"-x WaitGameOver-132456 extra");
    EXPECT_EQ(parsed.verb, StartVerb::WaitGameOver);
    EXPECT_EQ(parsed.waitWindow, 132456u);
    EXPECT_EQ(ParseCommandLine(L"waitgameover-").waitWindow, 0u);
    EXPECT_EQ(ParseCommandLine(L"waitgameover-abc").waitWindow, 0u);
    EXPECT_EQ(ParseCommandLine(L"waitgameover-99999999999999999999999").waitWindow, 0u);
}

TEST(CommandLine, RestartArgumentsRoundTripThroughTheParser) {
    EXPECT_EQ(RestartArguments(std::nullopt), L"");
    const auto text = RestartArguments(0x1A2B3C);
    EXPECT_EQ(text, L"waitgameover-1715004");
    EXPECT_EQ(ParseCommandLine(text).waitWindow, 0x1A2B3Cu);
}

struct WaitScript {
    std::vector<bool> fullScreen; // answer per poll, then false
    std::vector<bool> exists;     // answer per window test, then false
    std::size_t fullIndex = 0, existsIndex = 0;
    std::uint32_t slept = 0;
    WaitGameOverPorts Ports() {
        return {[this] { return fullIndex < fullScreen.size() && fullScreen[fullIndex++]; },
                [this](std::uint64_t) { return existsIndex < exists.size() && exists[existsIndex++]; },
                [this](std::uint32_t ms) { slept += ms; }};
    }
};

TEST(WaitGameOver, WithoutAWindowGoesOnAfterTwoChecks) {
    WaitScript script;
    EXPECT_EQ(WaitGameOver(0, script.Ports()), 2u);
    EXPECT_EQ(script.slept, 3000u);
}

TEST(WaitGameOver, WaitsWhileTheWindowLivesAndWhileAGameIsFullScreen) {
    WaitScript script;
    script.exists = {true, true, true, false, true, false};
    script.fullScreen = {true, true, false, false, false, false, false, false, false};
    // Two polls skipped for the game, then tests: alive x3, gone, alive, gone.
    EXPECT_EQ(WaitGameOver(77, script.Ports()), 6u);
    EXPECT_EQ(script.slept, 8u * 1500u);
}

TEST(CrashDump, NamesUsePlainNumbersWithoutLeadingZeros) {
    const LocalTime t{2026, 12, 4, 9, 5, 7};
    EXPECT_EQ(CrashDumpName(t, L"0.1.0"), L"2026_12_4_9_5_7_0.1.0_error.dmp");
    EXPECT_EQ(DumpDateStamp(t), L"2026_12_4");
    EXPECT_EQ(CrashDumpName({2027, 1, 31, 23, 59, 0}, L"2"), L"2027_1_31_23_59_0_2_error.dmp");
}

TEST(Md5, MatchesTheReferenceVectors) {
    const struct {
        std::string input;
        const char* digest;
    } vectors[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890", "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& v : vectors) {
        std::vector<std::uint8_t> bytes(v.input.begin(), v.input.end());
        EXPECT_EQ(Md5Hex(bytes), v.digest) << v.input;
    }
}

} // namespace
} // namespace kestrana::foundation
