// The settings store on an in-memory disk: file names, typed reads and writes, failure
// answers, the stamp-checked cache and concurrent writers.
#include "foundation/config_store.h"

#include "fakes/settings_folder.h"
#include "foundation/text.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace kestrana::foundation {
namespace {

using fakes::FsOp;
using fakes::Utf16File;

const std::wstring kBase = L"C:\\Program Files\\Kestrana\\";

// A program folder whose name has a space in it.
class ConfigStoreTest : public ::testing::Test, protected fakes::SettingsFolder {
protected:
    ConfigStoreTest() : SettingsFolder(kBase) {}
};

TEST_F(ConfigStoreTest, ResolvesFileNamesAgainstTheProgramFolder) {
    files.AddFile(kBase + L"keyboard", "");
    struct Case {
        const wchar_t* file;
        ConfigStore::PathRule rule;
        std::wstring expected;
    };
    using Rule = ConfigStore::PathRule;
    const Case cases[] = {
        {L"", Rule::AppendIni, kBase + L"config.ini"},
        {L"ico.ini", Rule::AppendIni, kBase + L"ico.ini"},
        {L"lang\\English.ini", Rule::AppendIni, kBase + L"lang\\English.ini"},
        {L"themes\\dark\\theme", Rule::AppendIni, kBase + L"themes\\dark\\theme.ini"},
        {L"D:\\themes\\x.INI", Rule::AppendIni, L"D:\\themes\\x.INI"},
        {L"D:\\themes\\x", Rule::AppendIni, L"D:\\themes\\x.ini"},
        {L"backup.ini.bak", Rule::AppendIni, kBase + L"backup.ini.bak"},
        {L"keyboard", Rule::AppendIni, kBase + L"keyboard.ini"},
        {L"keyboard", Rule::AppendIniWhenMissing, kBase + L"keyboard"},
        {L"missing", Rule::AppendIniWhenMissing, kBase + L"missing.ini"},
        {L"keyboard", Rule::SectionRead, kBase + L"keyboard"},
        // The section read takes only ":\" as the sign of an absolute path.
        {L"D:\\x.ini", Rule::SectionRead, L"D:\\x.ini"},
        {L"D:x.ini", Rule::SectionRead, kBase + L"D:x.ini"},
        {L"D:x.ini", Rule::AppendIni, L"D:x.ini"},
    };
    for (const auto& c : cases) EXPECT_EQ(store.ResolvePath(c.file, c.rule), c.expected) << ToUtf8(c.file);

    ConfigStore noSlash(files, L"C:\\App");
    EXPECT_EQ(noSlash.BaseFolder(), L"C:\\App\\");
}

TEST_F(ConfigStoreTest, ReadsConvertValuesAsSettingsDo) {
    Config(u"[normal]\r\nint=42abc\r\nword=abc\r\nneg=-3\r\nbig=9000000000\r\nf=0.5\r\n"
           u"yes=yes\r\ntwo=2\r\nzero=0\r\nblankzero=\" 0\"\r\nempty=\r\nquoted=\"x y\"\r\n");
    EXPECT_EQ(store.ReadInt(L"normal", L"int"), 42);
    EXPECT_EQ(store.ReadInt(L"NORMAL", L"Neg"), -3);
    EXPECT_EQ(store.ReadInt(L"normal", L"big"), 0);
    EXPECT_EQ(store.ReadInt64(L"normal", L"big"), 9000000000LL);
    EXPECT_EQ(store.ReadInt(L"normal", L"missing"), 0);
    EXPECT_FLOAT_EQ(store.ReadFloat(L"normal", L"f"), 0.5f);

    EXPECT_TRUE(store.ReadBool(L"normal", L"yes"));
    EXPECT_TRUE(store.ReadBool(L"normal", L"two"));
    EXPECT_TRUE(store.ReadBool(L"normal", L"blankzero"));
    EXPECT_FALSE(store.ReadBool(L"normal", L"zero"));
    EXPECT_FALSE(store.ReadBool(L"normal", L"empty"));
    EXPECT_FALSE(store.ReadBool(L"normal", L"missing"));

    EXPECT_EQ(store.ReadString(L"normal", L"missing", L"dflt"), L"dflt");
    EXPECT_EQ(store.ReadString(L"normal", L"empty", L"dflt"), L"");
    EXPECT_EQ(store.ReadString(L"normal", L"quoted"), L"x y");
    EXPECT_EQ(store.ReadString(L"normal", L"missing"), L"");

    EXPECT_TRUE(store.HasKey(L"normal", L"word"));
    EXPECT_FALSE(store.HasKey(L"normal", L"empty"));
    EXPECT_FALSE(store.HasKey(L"normal", L"missing"));
}

TEST_F(ConfigStoreTest, ValueLimitsCountUtf16Units) {
    // 300 characters outside the BMP: 600 units, cut to 259 units (129 pairs and a lone half).
    std::u16string value;
    for (int i = 0; i < 300; ++i) value += u"\U0001F600";
    Config(u"[a]\r\nlong=" + value + u"\r\nkey200=" + std::u16string(250, u'k') + u"\r\n");
    EXPECT_EQ(ToUtf16(store.ReadString(L"a", L"long")).size(), 259u);
    EXPECT_EQ(ToUtf16(store.ReadString(L"a", L"long")).substr(0, 258), value.substr(0, 258));
    EXPECT_TRUE(store.HasKey(L"a", L"key200"));
}

TEST_F(ConfigStoreTest, ReadsNeverCreateFiles) {
    const auto before = files.AllFiles();
    EXPECT_EQ(store.ReadInt(L"normal", L"x"), 0);
    EXPECT_EQ(store.ReadString(L"normal", L"x", L"d", L"ico.ini"), L"d");
    EXPECT_FALSE(store.ReadBool(L"normal", L"x", L"D:\\nowhere\\x.ini"));
    std::vector<std::wstring> names{L"stale"};
    EXPECT_EQ(store.ReadSectionNames(L"", &names), 0);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(store.ReadSection(L"normal", L"", nullptr, nullptr), 0);
    EXPECT_EQ(store.LanguageText(L"tips", L"crashtip", L"Crashed"), L"Crashed");
    EXPECT_EQ(files.AllFiles(), before);
    EXPECT_EQ(files.Calls(FsOp::Replace), 0);
}

TEST_F(ConfigStoreTest, FirstWriteCreatesUtf16FileWithByteOrderMark) {
    EXPECT_TRUE(store.WriteString(L"normal", L"font", L"\u5FAE\u8F6F\u96C5\u9ED1"));
    EXPECT_EQ(ConfigText(), Utf16File(u"[normal]\r\nfont=\u5FAE\u8F6F\u96C5\u9ED1\r\n"));
    EXPECT_TRUE(store.WriteInt(L"normal", L"size", -64, L"ico.ini"));
    EXPECT_EQ(files.ContentText(kBase + L"ico.ini"), Utf16File(u"[normal]\r\nsize=-64\r\n"));
}

TEST_F(ConfigStoreTest, WritesStoreTheirTextForms) {
    EXPECT_TRUE(store.WriteInt(L"s", L"int", 2147483647));
    EXPECT_TRUE(store.WriteInt64(L"s", L"int64", -9000000000LL));
    EXPECT_TRUE(store.WriteFloat(L"s", L"third", 1.0f / 3.0f));
    EXPECT_TRUE(store.WriteBool(L"s", L"on", true));
    EXPECT_TRUE(store.WriteBool(L"s", L"off", false));
    EXPECT_EQ(ConfigText(), Utf16File(u"[s]\r\nint=2147483647\r\nint64=-9000000000\r\nthird=0.333333\r\non=1\r\noff=0\r\n"));
}

TEST_F(ConfigStoreTest, EmptyNamesAreRefusedAndEmptyTextDeletes) {
    Config(u"[normal]\r\nkeep=1\r\ngone=2\r\n");
    const auto before = ConfigText();
    EXPECT_FALSE(store.WriteString(L"", L"k", L"v"));
    EXPECT_FALSE(store.WriteString(L"normal", L"", L"v"));
    EXPECT_FALSE(store.WriteInt(L"", L"k", 1));
    EXPECT_FALSE(store.WriteString(L"", L"k", L"", L"new.ini"));
    EXPECT_EQ(ConfigText(), before);
    EXPECT_FALSE(files.IsFile(kBase + L"new.ini"));

    EXPECT_TRUE(store.WriteString(L"normal", L"gone", L""));
    EXPECT_EQ(ConfigText(), Utf16File(u"[normal]\r\nkeep=1\r\n"));
    EXPECT_TRUE(store.DeleteKey(L"normal", L"keep"));
    EXPECT_EQ(ConfigText(), Utf16File(u"[normal]\r\n"));
    // Deleting from a missing file creates nothing.
    EXPECT_TRUE(store.DeleteKey(L"normal", L"x", L"absent.ini"));
    EXPECT_FALSE(files.IsFile(kBase + L"absent.ini"));
}

TEST_F(ConfigStoreTest, SeveralKeysInOneReplace) {
    Config(u"[normal]\r\nold=1\r\nkeep=2\r\n");
    const int before = files.Calls(FsOp::Replace);
    EXPECT_TRUE(store.WriteStrings({{L"normal", L"a", L"1"}, {L"normal", L"old", L""}, {L"finder", L"b", L"2"}, {L"normal", L"a", L"3"}}));
    EXPECT_EQ(files.Calls(FsOp::Replace), before + 1);
    EXPECT_EQ(ConfigText(), Utf16File(u"[normal]\r\nkeep=2\r\na=3\r\n[finder]\r\nb=2\r\n"));
    // Nothing to change: no write.
    EXPECT_TRUE(store.WriteStrings({{L"normal", L"a", L"3"}}));
    EXPECT_EQ(files.Calls(FsOp::Replace), before + 1);
    // One bad name refuses the whole batch.
    EXPECT_FALSE(store.WriteStrings({{L"normal", L"c", L"1"}, {L"", L"d", L"1"}}));
    EXPECT_FALSE(store.HasKey(L"normal", L"c"));
    // A failed replace leaves every key as it was.
    files.FailNth(FsOp::Replace, 1);
    EXPECT_FALSE(store.WriteStrings({{L"normal", L"keep", L"9"}, {L"normal", L"e", L"5"}}));
    EXPECT_EQ(store.ReadInt(L"normal", L"keep"), 2);
    EXPECT_FALSE(store.HasKey(L"normal", L"e"));
    // A missing file is created as for single writes.
    EXPECT_TRUE(store.WriteStrings({{L"x", L"y", L"z"}}, L"new.ini"));
    EXPECT_EQ(files.ContentText(kBase + L"new.ini"), Utf16File(u"[x]\r\ny=z\r\n"));
}

TEST_F(ConfigStoreTest, FailedWritesReportFalseAndKeepTheFile) {
    Config(u"; my notes\r\n[normal]\r\nk=1\r\n");
    const auto original = ConfigText();
    struct Fault {
        const char* what;
        std::function<void()> arm;
    };
    const Fault faults[] = {
        {"replace fails", [&] { files.FailNth(FsOp::Replace, 1); }},
        {"disk full", [&] { files.SetCapacity(original.size()); }},
        {"read fails", [&] { files.FailNth(FsOp::Read, 1); }},
        {"stat fails", [&] { files.FailNth(FsOp::Stat, 1); }},
        {"read-only file", [&] { files.SetAttributes(kBase + L"config.ini", {true, false, false}); }},
    };
    for (const auto& fault : faults) {
        ConfigStore fresh(files, kBase); // no cached copy to fall back on
        fault.arm();
        EXPECT_FALSE(fresh.WriteInt(L"normal", L"k", 2)) << fault.what;
        EXPECT_EQ(ConfigText(), original) << fault.what;
        files.ClearFaults();
        files.SetAttributes(kBase + L"config.ini", {});
        EXPECT_EQ(fresh.ReadInt(L"normal", L"k"), 1) << fault.what;
    }
    // A read-only file refuses new keys and deletions too.
    files.SetAttributes(kBase + L"config.ini", {true, false, false});
    EXPECT_FALSE(store.WriteString(L"normal", L"new", L"x"));
    EXPECT_FALSE(store.DeleteKey(L"normal", L"k"));
    EXPECT_FALSE(store.WriteString(L"normal", L"k", L""));
    EXPECT_EQ(ConfigText(), original);
    files.SetAttributes(kBase + L"config.ini", {});
    EXPECT_TRUE(store.WriteInt(L"normal", L"k", 2));
    EXPECT_EQ(ConfigText(), Utf16File(u"; my notes\r\n[normal]\r\nk=2\r\n"));
    // A folder where the file should be.
    files.AddDirectory(kBase + L"folder.ini");
    EXPECT_FALSE(store.WriteInt(L"a", L"b", 1, L"folder.ini"));
}

TEST_F(ConfigStoreTest, UnreadableFilesReadAsEmpty) {
    Config(u"[normal]\r\nk=5\r\n");
    ConfigStore fresh(files, kBase);
    files.FailAlways(FsOp::Read);
    EXPECT_EQ(fresh.ReadInt(L"normal", L"k"), 0);
    EXPECT_EQ(fresh.ReadString(L"normal", L"k", L"d"), L"d");
    files.FailAlways(FsOp::Read, false);
    EXPECT_EQ(fresh.ReadInt(L"normal", L"k"), 5);
}

TEST_F(ConfigStoreTest, CacheIsCheckedAgainstTheStampOnEveryRead) {
    Config(u"[normal]\r\nk=1\r\n");
    EXPECT_EQ(store.ReadInt(L"normal", L"k"), 1);
    const int reads = files.Calls(FsOp::Read);
    const int stats = files.Calls(FsOp::Stat);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(store.ReadInt(L"normal", L"k"), 1);
    EXPECT_EQ(files.Calls(FsOp::Read), reads);
    EXPECT_EQ(files.Calls(FsOp::Stat), stats + 10);

    // Another process rewrites the file: the next read sees it.
    Config(u"[normal]\r\nk=2\r\n");
    EXPECT_EQ(store.ReadInt(L"normal", L"k"), 2);
    // ... or deletes it.
    ASSERT_TRUE(files.Remove(kBase + L"config.ini"));
    EXPECT_EQ(store.ReadInt(L"normal", L"k"), 0);
    // The store's own write needs no read afterwards.
    EXPECT_TRUE(store.WriteInt(L"normal", L"k", 3));
    const int afterWrite = files.Calls(FsOp::Read);
    EXPECT_EQ(store.ReadInt(L"normal", L"k"), 3);
    EXPECT_EQ(files.Calls(FsOp::Read), afterWrite);
}

TEST_F(ConfigStoreTest, CoarseStampsStillRevealSameSizeChanges) {
    files.SetCoarseStamps(true);
    Config(u"[normal]\r\nk=1\r\n");
    EXPECT_EQ(store.ReadInt(L"normal", L"k"), 1);
    Config(u"[normal]\r\nk=2\r\n"); // same size, same time, same id
    EXPECT_EQ(store.ReadInt(L"normal", L"k"), 2);
    EXPECT_TRUE(store.WriteInt(L"normal", L"k", 3));
    Config(u"[normal]\r\nk=4\r\n");
    EXPECT_EQ(store.ReadInt(L"normal", L"k"), 4);
}

TEST_F(ConfigStoreTest, SectionNamesAndSectionLines) {
    Config(u"[normal]\r\na=1\r\nb = two = 2\r\nbare\r\n;c=3\r\n[finder]\r\n[normal]\r\nz=9\r\n");
    std::vector<std::wstring> names;
    EXPECT_EQ(store.ReadSectionNames(L"", &names), 3);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"normal", L"finder", L"normal"}));

    std::vector<std::wstring> keys{L"stale"};
    std::vector<std::wstring> values;
    EXPECT_EQ(store.ReadSection(L"normal", L"", &keys, &values), 3);
    EXPECT_EQ(keys, (std::vector<std::wstring>{L"a", L"b", L"bare"}));
    EXPECT_EQ(values, (std::vector<std::wstring>{L"1", L"two = 2", L""}));
    EXPECT_EQ(store.ReadSection(L"finder", L"", &keys, &values), 0);
    EXPECT_TRUE(keys.empty());
}

TEST_F(ConfigStoreTest, LanguageTextsComeFromTheLanguageFile) {
    files.AddFile(kBase + L"lang\\English.ini", Utf16File(u"[tips]\r\ncrashtip=Kestrana stopped.\r\nempty=\r\n"));
    files.AddFile(kBase + L"lang\\Chinese.ini", Utf16File(u"[tips]\r\ncrashtip=\u5D29\u6E83\r\n"));
    EXPECT_EQ(store.LanguageText(L"tips", L"crashtip", L"dflt"), L"dflt"); // no language chosen yet
    store.SetCurrentLanguage(L"English");
    EXPECT_EQ(store.CurrentLanguage(), L"English");
    EXPECT_EQ(store.LanguageText(L"tips", L"crashtip", L"dflt"), L"Kestrana stopped.");
    EXPECT_EQ(store.LanguageText(L"tips", L"crashtip", L"dflt", L"Chinese"), L"\u5D29\u6E83");
    EXPECT_EQ(store.LanguageText(L"tips", L"empty", L"dflt"), L"dflt");
    EXPECT_EQ(store.LanguageText(L"tips", L"missing", L"dflt  "), L"dflt  ");
    EXPECT_EQ(store.LanguageText(L"tips", L"crashtip", L"dflt", L"Klingon"), L"dflt");
}

TEST_F(ConfigStoreTest, PinyinOnlyForTheUnifiedIdeographRange) {
    files.AddFile(kBase + L"pinyin.ini", Utf16File(u"[pinyin]\r\n\u4E00=yi\r\n\u4E2D=zhong\r\n\u9FA5=yu\r\n\u9FA6=no\r\n"));
    EXPECT_EQ(store.PinyinOf(L'\u4E2D'), L"zhong");
    EXPECT_EQ(store.PinyinOf(L'\u4E00'), L"yi");
    EXPECT_EQ(store.PinyinOf(L'\u9FA5'), L"yu");
    const int stats = files.Calls(FsOp::Stat);
    EXPECT_EQ(store.PinyinOf(L'\u9FA6'), L"");
    EXPECT_EQ(store.PinyinOf(L'\u4DFF'), L"");
    EXPECT_EQ(store.PinyinOf(L'a'), L"");
    EXPECT_EQ(files.Calls(FsOp::Stat), stats); // no file access outside the range
}

TEST_F(ConfigStoreTest, RegistryHelpersSplitTheRootAndCreateKeys) {
    const std::wstring run = L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    EXPECT_EQ(store.RegReadString(run, L"Kestrana"), L"");
    EXPECT_TRUE(registry.KeyExists(RegistryRoot::CurrentUser, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run"));
    EXPECT_TRUE(store.RegWriteString(run, L"Kestrana", L"C:\\K\\Kestrana.exe"));
    EXPECT_EQ(store.RegReadString(L"hkey_current_user\\SOFTWARE\\microsoft\\windows\\currentversion\\run", L"kestrana"),
              L"C:\\K\\Kestrana.exe");
    EXPECT_TRUE(store.RegDeleteValue(run, L"Kestrana"));
    EXPECT_FALSE(store.RegDeleteValue(run, L"Kestrana"));
    EXPECT_EQ(store.RegReadString(run, L"Kestrana"), L"");

    registry.SetDword(RegistryRoot::LocalMachine, L"SOFTWARE\\P", L"EnableLUA", 1);
    EXPECT_EQ(store.RegReadString(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\P", L"EnableLUA"), L""); // not a text
    EXPECT_TRUE(store.RegWriteString(L"HKEY_CLASSES_ROOT\\lnkfile", L"IsShortcut", L""));
    EXPECT_TRUE(registry.HasValue(RegistryRoot::ClassesRoot, L"lnkfile", L"IsShortcut"));

    EXPECT_EQ(store.RegReadString(L"HKCU\\Software", L"x"), L"");
    EXPECT_FALSE(store.RegWriteString(L"HKEY_NOWHERE\\Software", L"x", L"y"));
    registry.DenyRoot(RegistryRoot::LocalMachine);
    EXPECT_FALSE(store.RegWriteString(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\P", L"x", L"y"));

    ConfigStore noRegistry(files, kBase);
    EXPECT_EQ(noRegistry.RegReadString(run, L"x"), L"");
    EXPECT_FALSE(noRegistry.RegWriteString(run, L"x", L"y"));
    EXPECT_FALSE(noRegistry.RegDeleteValue(run, L"x"));
}

TEST(RegistryPath, SplitsAtTheFirstBackslash) {
    using Split = std::optional<std::pair<RegistryRoot, std::wstring>>;
    EXPECT_EQ(SplitRegistryPath(L"HKEY_USERS\\S-1-5\\Control Panel\\Desktop"), Split({RegistryRoot::Users, L"S-1-5\\Control Panel\\Desktop"}));
    EXPECT_EQ(SplitRegistryPath(L"HKEY_CURRENT_CONFIG"), Split({RegistryRoot::CurrentConfig, L""}));
    EXPECT_FALSE(SplitRegistryPath(L"HKEY_CURRENT_USERS\\x"));
    EXPECT_FALSE(SplitRegistryPath(L""));
}

// Two writers of one file lose nothing, and a reader racing them sees whole values.
TEST_F(ConfigStoreTest, ConcurrentWritersLoseNoWrite) {
    constexpr int kWrites = 150;
    ConfigStore second(files, kBase);
    std::atomic<bool> stop{false};
    std::atomic<int> badReads{0};
    std::thread reader([&] {
        while (!stop) {
            const auto a = store.ReadString(L"race", L"a");
            if (!a.empty() && (a.rfind(L"value-", 0) != 0 || ParseInt32(a.substr(6)) >= kWrites)) ++badReads;
        }
    });
    std::thread first([&] {
        for (int i = 0; i < kWrites; ++i) EXPECT_TRUE(store.WriteString(L"race", L"a", L"value-" + std::to_wstring(i)));
    });
    std::thread other([&] {
        for (int i = 0; i < kWrites; ++i) EXPECT_TRUE(second.WriteInt(L"race", L"b" + std::to_wstring(i), i));
    });
    first.join();
    other.join();
    stop = true;
    reader.join();
    EXPECT_EQ(badReads, 0);
    EXPECT_EQ(store.ReadString(L"race", L"a"), L"value-" + std::to_wstring(kWrites - 1));
    for (int i = 0; i < kWrites; ++i) EXPECT_EQ(store.ReadInt(L"race", L"b" + std::to_wstring(i)), i) << i;
    std::vector<std::wstring> keys;
    EXPECT_EQ(store.ReadSection(L"race", L"", &keys, nullptr), kWrites + 1);
}

} // namespace
} // namespace kestrana::foundation
