// Which outside requests are served: the sender's image must be a program of the program
// folder (Windows path rules, spellings that point elsewhere refused), sizes and counts
// are bounded, only the program's own key chords are typed, and a confirmation vouches
// for one request only, for a short while.
#include "foundation/foreign_requests.h"
#include "foundation/instance_request.h"

#include <gtest/gtest.h>

#include <set>

namespace kestrana::foundation {
namespace {

const std::wstring kFolder = L"C:\\Program Files\\Kestrana\\";

TEST(ImageInFolder, AcceptsFilesDirectlyInTheFolderWhateverTheAsciiCase) {
    EXPECT_TRUE(IsImageInFolder(L"C:\\Program Files\\Kestrana\\Kestrana.exe", kFolder));
    EXPECT_TRUE(IsImageInFolder(L"c:\\PROGRAM FILES\\kestrana\\HOOKEL64.EXE", kFolder));
    EXPECT_TRUE(IsImageInFolder(L"C:/Program Files/Kestrana/Ondel.exe", L"C:\\Program Files\\Kestrana"));
    EXPECT_TRUE(IsImageInFolder(L"\\\\server\\share\\Kestrana\\Kestrana.exe", L"\\\\SERVER\\share\\Kestrana\\"));
}

TEST(ImageInFolder, RefusesOtherFoldersAndSpellingsThatLeadElsewhere) {
    const wchar_t* refused[] = {
        L"C:\\kdriver.exe",
        L"C:\\Program Files\\Kestrana\\sub\\Kestrana.exe",         // below the folder
        L"C:\\Program Files\\Kestrana2\\Kestrana.exe",             // a sibling sharing the prefix
        L"D:\\Program Files\\Kestrana\\Kestrana.exe",
        L"C:\\Program Files\\Kestrana\\..\\Kestrana\\Kestrana.exe", // climbs out and back
        L"C:\\Program Files\\Kestrana\\.\\Kestrana.exe",
        L"C:\\Program Files\\Kestrana\\sub\\..\\Kestrana.exe",
        L"\\\\?\\C:\\Program Files\\Kestrana\\Kestrana.exe",
        L"\\\\.\\C:\\Program Files\\Kestrana\\Kestrana.exe",
        L"\\??\\C:\\Program Files\\Kestrana\\Kestrana.exe",
        L"C:\\PROGRA~1\\Kestrana\\Kestrana.exe",                   // short name of some folder
        L"C:\\Program Files\\Kestrana\\KESTRA~1.EXE",
        L"C:\\Program Files\\Kestrana\\Kestrana.exe.",             // trailing dot is dropped by Windows
        L"C:\\Program Files\\Kestrana\\Kestrana.exe ",
        L"C:\\Program Files\\Kestrana\\Kestrana.exe:stream",
        L"C:\\Program Files\\Kestrana\\\\Kestrana.exe",
        L"C:\\Program Files\\Kestrana\\",
        L"Kestrana.exe",
        L"",
    };
    for (const wchar_t* image : refused) EXPECT_FALSE(IsImageInFolder(image, kFolder)) << image;
    EXPECT_FALSE(IsImageInFolder(L"C:\\Kestrana\\Kestrana.exe", L"C:\\PROGRA~1\\Kestrana\\"));
    EXPECT_FALSE(IsImageInFolder(L"C:\\Kestrana\\Kestrana.exe", L""));
}

TEST(SenderRules, EachFactMustHold) {
    SenderFacts good{42, kFolder + L"Kestrana.exe", true, true, kIntegrityMedium};
    const SenderRule program{kFolder, L"Kestrana.exe", kIntegrityMedium};
    EXPECT_EQ(CheckSender(good, program), Refusal::None);
    EXPECT_EQ(CheckSender(good, {kFolder, {}, 0}), Refusal::None);

    auto with = [&](auto change) {
        SenderFacts f = good;
        change(f);
        return CheckSender(f, program);
    };
    EXPECT_EQ(with([](SenderFacts& f) { f.pid = 0; }), Refusal::NoProcess);
    EXPECT_EQ(with([](SenderFacts& f) { f.image.clear(); }), Refusal::NoProcess);
    EXPECT_EQ(with([](SenderFacts& f) { f.image = L"C:\\kdriver.exe"; }), Refusal::OutsideFolder);
    EXPECT_EQ(with([&](SenderFacts& f) { f.image = kFolder + L"Hookel64.exe"; }), Refusal::OutsideFolder);
    EXPECT_EQ(with([](SenderFacts& f) { f.sameUser = false; }), Refusal::OtherUser);
    EXPECT_EQ(with([](SenderFacts& f) { f.sameSession = false; }), Refusal::OtherSession);
    EXPECT_EQ(with([](SenderFacts& f) { f.integrityRid = 0x1000; }), Refusal::LowIntegrity);
    EXPECT_EQ(with([](SenderFacts& f) { f.integrityRid = 0; }), Refusal::LowIntegrity);

    const auto text = DescribeRefusal(L"key chord", SenderFacts{7, L"C:\\kdriver.exe"}, Refusal::OutsideFolder);
    EXPECT_NE(text.find(L"pid 7"), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"C:\\kdriver.exe"), std::wstring::npos) << text;
}

TEST(HookReports, TheNamedWindowsOwnProcessIsHeldToTheRules) {
    HookReportFacts good;
    good.windowExists = true;
    good.topLevel = true;
    good.sent = true;
    good.owner = {42, L"C:\\Windows\\notepad.exe", true, true, kIntegrityMedium};
    good.ownPid = 7;
    EXPECT_EQ(CheckHookReport(good, true, kIntegrityMedium), Refusal::None);

    auto with = [&](auto change, bool mustBeSent = true, std::uint32_t minIntegrity = kIntegrityMedium) {
        HookReportFacts f = good;
        change(f);
        return CheckHookReport(f, mustBeSent, minIntegrity);
    };
    EXPECT_EQ(with([](HookReportFacts& f) { f.sent = false; }), Refusal::Posted);
    EXPECT_EQ(with([](HookReportFacts& f) { f.sent = false; }, false), Refusal::None) << "reports are posted";
    EXPECT_EQ(with([](HookReportFacts& f) { f.windowExists = false; }), Refusal::NoWindow);
    EXPECT_EQ(with([](HookReportFacts& f) { f.topLevel = false; }), Refusal::NoWindow);
    EXPECT_EQ(with([](HookReportFacts& f) { f.owner.image.clear(); }), Refusal::NoProcess);
    EXPECT_EQ(with([](HookReportFacts& f) { f.owner.pid = 7; }), Refusal::OwnProcess);
    EXPECT_EQ(with([](HookReportFacts& f) { f.owner.sameUser = false; }), Refusal::OtherUser);
    EXPECT_EQ(with([](HookReportFacts& f) { f.owner.sameSession = false; }), Refusal::OtherSession);
    EXPECT_EQ(with([](HookReportFacts& f) { f.owner.integrityRid = 0x1000; }), Refusal::LowIntegrity);
    EXPECT_EQ(with([](HookReportFacts& f) { f.owner.integrityRid = 0; }, true, 0), Refusal::None)
        << "no labels to compare where there are none";
}

TEST(RequestedWindowRules, SizeAndCountAreBoundedPerRequester) {
    EXPECT_TRUE(RequestedSizeAcceptable(0, 0));
    EXPECT_TRUE(RequestedSizeAcceptable(kMaxRequestedWindowSide, kMaxRequestedWindowSide));
    EXPECT_FALSE(RequestedSizeAcceptable(kMaxRequestedWindowSide + 1, 10));
    EXPECT_FALSE(RequestedSizeAcceptable(10, 65535));
    EXPECT_FALSE(RequestedSizeAcceptable(-1, 10));

    std::set<RequestedWindows::Handle> alive;
    RequestedWindows windows([&](RequestedWindows::Handle w) { return alive.contains(w); });
    for (RequestedWindows::Handle w = 1; w <= kMaxWindowsPerRequester; ++w) {
        ASSERT_TRUE(windows.MayCreate(100));
        alive.insert(w);
        windows.Add(w, 100);
    }
    EXPECT_FALSE(windows.MayCreate(100));
    EXPECT_TRUE(windows.MayCreate(200)) << "another requester has its own allowance";
    EXPECT_EQ(windows.RequesterOf(3), 100u);
    EXPECT_FALSE(windows.RequesterOf(999)) << "never made on request";

    alive.erase(3); // a window that went away frees its place and is forgotten
    EXPECT_TRUE(windows.MayCreate(100));
    EXPECT_FALSE(windows.RequesterOf(3));
    windows.Forget(4);
    EXPECT_FALSE(windows.RequesterOf(4));
}

TEST(KeyChords, OnlyTheProgramsFixedChords) {
    for (auto [first, second] : {std::pair{175, 0}, {174, 0}, {173, 0}, {17, 27}, {91, 67}, {91, 68}, {91, 87}})
        EXPECT_TRUE(IsAllowedKeyChord(first, second)) << first << "+" << second;
    for (auto [first, second] : {std::pair{65, 0}, {0, 175}, {175, 13}, {91, 82}, {18, 115}, {0, 0}, {27, 17}})
        EXPECT_FALSE(IsAllowedKeyChord(first, second)) << first << "+" << second;
}

TEST(ConfirmationRecords, RoundTripAndRejectForeignBytes) {
    const Confirmation c{ConfirmKind::DetachDisk, PathDigest(L"D:\\Images\\a.vhdx"), 17};
    const auto bytes = EncodeConfirmation(c);
    ASSERT_EQ(bytes.size(), kConfirmationBytes);
    const auto back = DecodeConfirmation(bytes.data(), bytes.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->kind, c.kind);
    EXPECT_EQ(back->a, c.a);
    EXPECT_EQ(back->b, c.b);

    for (auto kind : {ConfirmKind::Keys, ConfirmKind::InstallSelfUpdate, ConfirmKind::StartTemperatureReader,
                      ConfirmKind::MenuRequest}) {
        const auto other = EncodeConfirmation({kind, 5, 0});
        const auto decoded = DecodeConfirmation(other.data(), other.size());
        ASSERT_TRUE(decoded) << static_cast<int>(kind);
        EXPECT_EQ(decoded->kind, kind);
    }

    EXPECT_FALSE(DecodeConfirmation(bytes.data(), bytes.size() - 1));
    auto bad = bytes;
    bad[0] ^= 1;
    EXPECT_FALSE(DecodeConfirmation(bad.data(), bad.size()));
    bad = bytes;
    bad[4] = 9; // unknown kind
    EXPECT_FALSE(DecodeConfirmation(bad.data(), bad.size()));

    EXPECT_EQ(PathDigest(L"D:\\IMAGES\\A.VHDX"), PathDigest(L"d:\\images\\a.vhdx"));
    EXPECT_NE(PathDigest(L"D:\\Images\\a.vhdx"), PathDigest(L"D:\\Images\\b.vhdx"));
}

TEST(InstanceRequests, OnlyTheKnownRecordIsTaken) {
    const auto bytes = EncodeInstanceRequest(InstanceRequest::OpenSettings);
    ASSERT_EQ(bytes.size(), kInstanceRequestBytes);
    EXPECT_EQ(DecodeInstanceRequest(bytes.data(), bytes.size()), InstanceRequest::OpenSettings);
    EXPECT_FALSE(DecodeInstanceRequest(nullptr, bytes.size()));
    EXPECT_FALSE(DecodeInstanceRequest(bytes.data(), bytes.size() - 1));
    auto longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(DecodeInstanceRequest(longer.data(), longer.size()));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto bad = bytes;
        bad[i] ^= 0x40; // a wrong magic or an unknown request
        EXPECT_FALSE(DecodeInstanceRequest(bad.data(), bad.size())) << i;
    }
}

TEST(ConfirmationStore, OneUseEachAndOnlyWhileFresh) {
    Confirmations store;
    const Confirmation keys{ConfirmKind::Keys, 175, 0};
    EXPECT_FALSE(store.Take(keys, 1000)) << "nothing confirmed yet";
    store.Add(keys, 1000);
    EXPECT_FALSE(store.Take({ConfirmKind::Keys, 174, 0}, 1100)) << "another chord";
    EXPECT_TRUE(store.Take(keys, 1100));
    EXPECT_FALSE(store.Take(keys, 1200)) << "used once";

    store.Add(keys, 1000);
    EXPECT_FALSE(store.Take(keys, 1000 + Confirmations::kLifetimeMs + 1)) << "expired";

    for (std::uint64_t i = 0; i < Confirmations::kMaxKept + 4; ++i) store.Add({ConfirmKind::Keys, i, 0}, 5000);
    EXPECT_FALSE(store.Take({ConfirmKind::Keys, 0, 0}, 5000)) << "the oldest make room";
    EXPECT_TRUE(store.Take({ConfirmKind::Keys, Confirmations::kMaxKept + 3, 0}, 5000));
}

} // namespace
} // namespace kestrana::foundation
