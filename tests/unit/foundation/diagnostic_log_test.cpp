#include "foundation/diagnostic_log.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>

namespace kestrana::foundation {
namespace {

// Files in memory; a rotation can be told to fail.
struct MemoryLogFiles final : LogFiles {
    struct Shared {
        std::mutex mutex;
        std::map<std::wstring, std::string> files;
        bool failRotate = false;
        int appends = 0;
    };
    explicit MemoryLogFiles(std::shared_ptr<Shared> s) : shared(std::move(s)) {}
    std::optional<std::uint64_t> Size(const std::wstring& path) const override {
        std::lock_guard lock(shared->mutex);
        const auto it = shared->files.find(path);
        if (it == shared->files.end()) return std::nullopt;
        return it->second.size();
    }
    bool Append(const std::wstring& path, std::span<const std::uint8_t> bytes) override {
        std::lock_guard lock(shared->mutex);
        shared->files[path].append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        ++shared->appends;
        return true;
    }
    bool Rotate(const std::wstring& from, const std::wstring& to) override {
        std::lock_guard lock(shared->mutex);
        if (shared->failRotate || !shared->files.count(from)) return false;
        shared->files[to] = std::move(shared->files[from]);
        shared->files.erase(from);
        return true;
    }
    std::shared_ptr<Shared> shared;
};

struct LogFixture : ::testing::Test {
    std::shared_ptr<MemoryLogFiles::Shared> files = std::make_shared<MemoryLogFiles::Shared>();
    std::unique_ptr<DiagnosticLog> Make(std::uint64_t maxBytes = DiagnosticLog::kDefaultMaxBytes) {
        return std::make_unique<DiagnosticLog>(std::make_unique<MemoryLogFiles>(files), L"C:\\k\\Kestrana.log",
                                               [] { return LogTime{2026, 12, 5, 9, 5, 7, 42}; }, maxBytes);
    }
    std::string File(const std::wstring& name) {
        std::lock_guard lock(files->mutex);
        return files->files.count(name) ? files->files[name] : std::string();
    }
};

TEST_F(LogFixture, WritesFailuresWithTimeAndPlaceAndDetailOnlyWhenAsked) {
    auto log = Make();
    log->Write(LogLevel::Failure, "item save", L"rename failed");
    log->Write(LogLevel::Detail, "start-up", L"first frame 80 ms");
    log->Flush();
    EXPECT_EQ(File(L"C:\\k\\Kestrana.log"), "2026-12-05 09:05:07.042 FAIL item save: rename failed\r\n");

    log->SetDetail(true);
    log->Write(LogLevel::Detail, "start-up", L"first frame 80 ms");
    log->Flush();
    EXPECT_NE(File(L"C:\\k\\Kestrana.log").find("info start-up: first frame 80 ms\r\n"), std::string::npos);
}

TEST_F(LogFixture, ForeignTextCannotForgeLinesAndIsClipped) {
    const std::string line = DiagnosticLog::FormatLine({}, LogLevel::Failure, "msg\r\n", L"a\nFAIL b\r" + std::wstring(5000, L'\u4e2d'));
    EXPECT_EQ(line.find('\n'), line.size() - 1);
    EXPECT_LT(line.size(), DiagnosticLog::kMaxLineChars + 200);
    EXPECT_NE(line.find("a FAIL b"), std::string::npos);
}

TEST_F(LogFixture, RotatesAtTheCapAndNeverHoldsMoreThanTwoFiles) {
    auto log = Make(2000);
    for (int i = 0; i < 200; ++i) log->Write(LogLevel::Failure, "loop", L"line number " + std::to_wstring(i));
    log->Flush();
    const std::string current = File(L"C:\\k\\Kestrana.log");
    const std::string previous = File(L"C:\\k\\Kestrana.log.1");
    EXPECT_LE(current.size(), 2000u);
    EXPECT_LE(previous.size(), 2000u);
    EXPECT_GT(previous.size(), 1500u);
    EXPECT_NE(current.find("line number 199\r\n"), std::string::npos);
    EXPECT_EQ(files->files.size(), 2u);
}

TEST_F(LogFixture, AFailedRotationDropsLinesInsteadOfGrowing) {
    files->failRotate = true;
    auto log = Make(500);
    for (int i = 0; i < 100; ++i) log->Write(LogLevel::Failure, "loop", L"line number " + std::to_wstring(i));
    log->Flush();
    EXPECT_LE(File(L"C:\\k\\Kestrana.log").size(), 500u);
}

TEST_F(LogFixture, AFloodIsBoundedAndReportedAndEverythingIsWrittenAtTheEnd) {
    auto log = Make();
    for (int i = 0; i < 20000; ++i) log->Write(LogLevel::Failure, "flood", L"x");
    const std::uint64_t dropped = log->Dropped();
    log->Write(LogLevel::Failure, "after", L"y");
    log.reset(); // destruction writes what is queued
    const std::string text = File(L"C:\\k\\Kestrana.log");
    EXPECT_NE(text.find("after: y"), std::string::npos);
    if (dropped > 0) {
        EXPECT_NE(text.find("lines dropped"), std::string::npos);
    }
}

TEST(InstalledLog, FunctionsAreSafeWithoutALogAndReachAnInstalledOne) {
    InstallDiagnosticLog(nullptr);
    LogFailure("nowhere", L"ignored");
    EXPECT_FALSE(DetailLogging());
    auto shared = std::make_shared<MemoryLogFiles::Shared>();
    auto log = std::make_shared<DiagnosticLog>(std::make_unique<MemoryLogFiles>(shared), L"L", [] { return LogTime{}; });
    InstallDiagnosticLog(log);
    LogFailure("here", std::string_view("utf8 text"));
    log->Flush();
    InstallDiagnosticLog(nullptr);
    EXPECT_NE(shared->files[L"L"].find("here: utf8 text"), std::string::npos);
}

} // namespace
} // namespace kestrana::foundation
