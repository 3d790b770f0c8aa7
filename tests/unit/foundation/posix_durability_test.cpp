// The POSIX file system under the settings store, and what a crash or a concurrent
// process does to a settings file: killed writers leave the old or the new file, and a
// reader in another process sees every change.
#if !defined(_WIN32)

#include "fakes/file_system_contract.h"
#include "foundation/config_store.h"
#include "foundation/text.h"
#include "platform/posix/posix_file_system.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace kestrana::foundation {
namespace {

using platform::PosixFileSystem;

// A scratch folder on the real disk, named as a Windows path on drive Z:, which
// PosixFileSystem maps to the root.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrana-config-XXXXXX").string();
        m_native = ::mkdtemp(pattern.data());
    }
    ~ScratchFolder() { std::filesystem::remove_all(m_native); }
    [[nodiscard]] std::wstring Windows() const {
        std::wstring path = L"Z:" + FromUtf8(m_native) + L"\\";
        std::replace(path.begin(), path.end(), L'/', L'\\');
        return path;
    }

private:
    std::string m_native;
};

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(PosixFileSystem, MapsWindowsPaths) {
    PosixFileSystem fs;
    EXPECT_EQ(fs.NativePath(L"Z:\\tmp\\a b\\config.ini"), "/tmp/a b/config.ini");
    EXPECT_EQ(fs.NativePath(L"z:/tmp/x"), "/tmp/x");
    fs.MapDrive(L'c', "/srv/drive_c/");
    EXPECT_EQ(fs.NativePath(L"C:\\Program Files\\K\\"), "/srv/drive_c/Program Files/K/");
    EXPECT_EQ(fs.NativePath(L"relative\\name.ini"), "relative/name.ini");
    EXPECT_EQ(fs.NativePath(L"Z:\\\u4E2D.ini"), "/\xE4\xB8\xAD.ini");
    EXPECT_FALSE(fs.IsFile(L"Q:\\unmapped\\file"));
}

TEST(PosixFileSystem, KeepsTheFileSystemContract) {
    ScratchFolder scratch;
    PosixFileSystem fs;
    testing::CheckFileSystemContract(fs, scratch.Windows(),
                                     [&](const std::wstring& path) { ::chmod(fs.NativePath(path).c_str(), 0444); });
    // A replacement is a new file taking the name, and the change is recent.
    const auto file = scratch.Windows() + L"config.ini";
    const auto before = fs.Stat(file);
    ASSERT_TRUE(before);
    EXPECT_TRUE(before->recent);
    ASSERT_TRUE(fs.Replace(file, Bytes("third")));
    EXPECT_NE(fs.Stat(file)->fileId, before->fileId);
}

// A child process writes the setting in a loop and reports each finished write through a
// pipe; it is killed at a random moment. The file must then parse and hold the last
// reported value or the one being written, with every other setting intact.
TEST(ConfigStoreCrash, KillingAWriterLeavesTheOldOrTheNewFile) {
    ScratchFolder scratch;
    PosixFileSystem fs;
    {
        // One batch: every write to a real disk waits for the sync.
        std::vector<ConfigStore::Setting> filler{{L"kill", L"counter", L"0-"}};
        for (int s = 0; s < 40; ++s) {
            for (int k = 0; k < 10; ++k) filler.push_back({L"filler" + std::to_wstring(s), L"key" + std::to_wstring(k), std::to_wstring(s * 100 + k)});
        }
        ASSERT_TRUE(ConfigStore(fs, scratch.Windows()).WriteStrings(filler));
    }
    std::mt19937 random(20240611);
    int next = 1;
    int killedMidWrite = 0;
    for (int round = 0; round < 30; ++round) {
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            ConfigStore store(fs, scratch.Windows());
            for (int i = next;; ++i) {
                // The length changes with the value so that torn files would show.
                const std::wstring value = std::to_wstring(i) + L"-" + std::wstring(static_cast<std::size_t>(i % 97), L'x');
                if (!store.WriteString(L"kill", L"counter", value)) ::_exit(3);
                if (::write(pipeFds[1], &i, sizeof i) != static_cast<ssize_t>(sizeof i)) ::_exit(4);
            }
        }
        ::close(pipeFds[1]);
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(500, 150000)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << status;
        int confirmed = next - 1;
        int got = 0;
        while (::read(pipeFds[0], &got, sizeof got) == static_cast<ssize_t>(sizeof got)) confirmed = got;
        ::close(pipeFds[0]);

        ConfigStore check(fs, scratch.Windows());
        const auto value = check.ReadString(L"kill", L"counter");
        const int found = ParseInt32(value);
        ASSERT_TRUE(found == confirmed || found == confirmed + 1) << "round " << round << ": " << ToUtf8(value)
                                                                  << " after " << confirmed;
        EXPECT_EQ(value, std::to_wstring(found) + L"-" + std::wstring(static_cast<std::size_t>(found % 97), L'x'));
        if (found == confirmed + 1) ++killedMidWrite;
        std::vector<std::wstring> names;
        EXPECT_EQ(check.ReadSectionNames(L"", &names), 41);
        for (int s = 0; s < 40; s += 7) EXPECT_EQ(check.ReadInt(L"filler" + std::to_wstring(s), L"key9"), s * 100 + 9);
        next = found + 1;
    }
    RecordProperty("killed_mid_write", killedMidWrite);
}

// One process writes while this one reads through a single store: every read parses, the
// values never go back, and once the writer stops the reader sees its last value.
TEST(ConfigStoreCrash, ReaderInAnotherProcessSeesEveryChange) {
    ScratchFolder scratch;
    PosixFileSystem fs;
    ConfigStore reader(fs, scratch.Windows());
    ASSERT_TRUE(reader.WriteInt(L"race", L"counter", 0));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ConfigStore writer(fs, scratch.Windows());
        for (int i = 1; i <= 300; ++i) {
            if (!writer.WriteInt(L"race", L"counter", i)) ::_exit(3);
        }
        ::_exit(0);
    }
    int last = 0;
    int reads = 0;
    for (;;) {
        int status = 0;
        const bool done = ::waitpid(child, &status, WNOHANG) == child;
        const int value = reader.ReadInt(L"race", L"counter");
        ASSERT_GE(value, last);
        last = value;
        ++reads;
        if (done) {
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            break;
        }
    }
    EXPECT_EQ(reader.ReadInt(L"race", L"counter"), 300);
    EXPECT_GT(reads, 1);
}

} // namespace
} // namespace kestrana::foundation

#endif
