#pragma once
// What every file system under the settings store must do, whichever disk it stands on:
// whole replacements that leave no temporary file, read-only files that refuse changes
// until their attributes are reset, and Windows' rules for renames, copies and folders.
// The in-memory disk the other tests use is held to the same rules as the real ones.

#include "foundation/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::testing {

// `base` is an empty folder ending in a backslash; `makeReadOnly` sets a file's read-only
// attribute by the platform's own means. Leaves "config.ini", "b" and "c" in `base`.
inline void CheckFileSystemContract(foundation::FileSystem& fs, const std::wstring& base,
                                    const std::function<void(const std::wstring&)>& makeReadOnly) {
    const auto bytes = [](std::string_view text) { return std::vector<std::uint8_t>(text.begin(), text.end()); };
    const auto sortedEntries = [&] {
        auto entries = fs.List(base);
        std::sort(entries.begin(), entries.end(), [](const auto& x, const auto& y) { return x.name < y.name; });
        return entries;
    };

    const std::wstring file = base + L"config.ini";
    EXPECT_FALSE(fs.Stat(file));
    EXPECT_FALSE(fs.Read(file));
    EXPECT_TRUE(fs.Replace(file, bytes("first")));
    const auto first = fs.Stat(file);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->size, 5u);
    EXPECT_TRUE(fs.Replace(file, bytes("second!")));
    EXPECT_EQ(fs.Read(file), bytes("second!"));
    const auto second = fs.Stat(file);
    ASSERT_TRUE(second);
    EXPECT_NE(*second, *first);
    const auto afterReplace = sortedEntries();
    ASSERT_EQ(afterReplace.size(), 1u) << "a temporary file was left behind";
    EXPECT_EQ(afterReplace[0].name, L"config.ini");
    EXPECT_FALSE(fs.Replace(base + L"missing\\x.ini", bytes("x")));
    {
        const std::wstring huge = base + L"huge.bin";
        ASSERT_TRUE(fs.Replace(huge, std::vector<std::uint8_t>(foundation::FileSystem::kMaxReadBytes + 1, 'x')));
        EXPECT_FALSE(fs.Read(huge)) << "a file over the read cap is refused";
        EXPECT_TRUE(fs.Remove(huge));
    }
    EXPECT_FALSE(fs.Replace(base, bytes("x"))) << "a folder is not replaced by a file";
    EXPECT_TRUE(fs.IsFile(file));
    EXPECT_FALSE(fs.IsDirectory(file));
    EXPECT_TRUE(fs.IsDirectory(base));

    const std::wstring readOnly = base + L"ro.ini";
    ASSERT_TRUE(fs.Replace(readOnly, bytes("keep")));
    makeReadOnly(readOnly);
    EXPECT_FALSE(fs.Replace(readOnly, bytes("lost")));
    EXPECT_FALSE(fs.Remove(readOnly));
    EXPECT_EQ(fs.Read(readOnly), bytes("keep"));
    EXPECT_TRUE(fs.ResetAttributes(readOnly));
    EXPECT_TRUE(fs.Replace(readOnly, bytes("now")));
    EXPECT_TRUE(fs.Remove(readOnly));
    EXPECT_FALSE(fs.ResetAttributes(readOnly));

    ASSERT_TRUE(fs.Replace(base + L"a", bytes("a")));
    ASSERT_TRUE(fs.Replace(base + L"b", bytes("b")));
    EXPECT_FALSE(fs.Rename(base + L"a", base + L"b")) << "the target exists";
    EXPECT_TRUE(fs.Rename(base + L"a", base + L"b", true));
    EXPECT_EQ(fs.Read(base + L"b"), bytes("a"));
    EXPECT_FALSE(fs.IsFile(base + L"a"));
    EXPECT_FALSE(fs.Copy(base + L"b", base + L"b", true));
    EXPECT_TRUE(fs.Copy(base + L"b", base + L"c", true));
    EXPECT_FALSE(fs.Copy(base + L"b", base + L"c", true)) << "the target exists";
    EXPECT_EQ(fs.Read(base + L"c"), bytes("a"));
    EXPECT_TRUE(fs.CreateFolder(base + L"single icon"));
    EXPECT_TRUE(fs.CreateFolder(base + L"single icon")) << "a folder that is there already";
    EXPECT_FALSE(fs.CreateFolder(base + L"c")) << "a file of that name";
    const auto entries = sortedEntries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name, L"b");
    EXPECT_FALSE(entries[0].isDirectory);
    EXPECT_EQ(entries[3].name, L"single icon");
    EXPECT_TRUE(entries[3].isDirectory);
    EXPECT_TRUE(fs.RemoveFolder(base + L"single icon"));
    EXPECT_FALSE(fs.IsDirectory(base + L"single icon"));
}

} // namespace kestrana::testing
