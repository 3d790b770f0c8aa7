#include "settings/settings_backup.h"

#include "foundation/diagnostic_log.h"
#include "foundation/text.h"
#include "foundation/zip_archive.h"
#include "launchers/catalogue_sources.h"

#include <algorithm>
#include <array>
#include <optional>
#include <set>
#include <string_view>

namespace kestrana::settings {

using foundation::FileSystem;

namespace {

// The theme files a backup holds, below "themes\<name>\".
constexpr std::array<std::wstring_view, 4> kThemeFiles = {L"theme.ini", L"dockskin\\config.ini", L"icons\\config.ini",
                                                          L"clock\\config.ini"};

std::vector<std::wstring> RootFiles() {
    std::vector<std::wstring> names = {L"config.ini", L"ico.ini"};
    for (int choice = 0; choice <= 3; ++choice) names.push_back(launchers::CatalogueFileName(choice));
    names.emplace_back(launchers::kPadSettingsFile);
    return names;
}

std::wstring DateText(const dock::LocalTime& time) {
    return std::to_wstring(time.year) + L"-" + std::to_wstring(time.month) + L"-" + std::to_wstring(time.day) + L" " +
           std::to_wstring(time.hour) + L"_" + std::to_wstring(time.minute) + L"_" + std::to_wstring(time.second);
}

std::string ArchiveName(std::wstring relative) {
    std::replace(relative.begin(), relative.end(), L'\\', L'/');
    return foundation::ToUtf8(relative);
}

// A folder name Windows keeps as given: no reserved characters, no trailing dot or blank
// (which Windows drops, making two names one), no device name.
bool PlainFolderName(std::wstring_view name) {
    if (name.empty() || name.size() > 120 || name == L"." || name == L"..") return false;
    if (name.back() == L'.' || name.back() == L' ') return false;
    if (std::any_of(name.begin(), name.end(), [](wchar_t c) {
            return c < 0x20 || c == 0x7f || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos;
        })) {
        return false;
    }
    std::wstring stem = foundation::AsciiLower(name.substr(0, name.find(L'.')));
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    static constexpr std::wstring_view kDevices[] = {L"con", L"prn", L"aux", L"nul", L"conin$", L"conout$"};
    if (std::find(std::begin(kDevices), std::end(kDevices), stem) != std::end(kDevices)) return false;
    if (stem.size() == 4 && (stem.starts_with(L"com") || stem.starts_with(L"lpt")) && stem[3] >= L'0' && stem[3] <= L'9') {
        return false;
    }
    return true;
}

// Nothing outside the program folder can be named: no absolute path, drive, UNC name,
// stream, "." or ".." segment, backslash or control character.
bool SafeName(std::string_view name) {
    if (name.empty() || name.front() == '/') return false;
    if (std::any_of(name.begin(), name.end(), [](char c) {
            const auto u = static_cast<unsigned char>(c);
            return u < 0x20 || u == 0x7f || c == '\\' || c == ':';
        })) {
        return false;
    }
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = std::min(name.find('/', start), name.size());
        const std::string_view segment = name.substr(start, end - start);
        if (segment == "." || segment == "..") return false;
        if (segment.empty() && end != name.size()) return false; // "a//b"
        start = end + 1;
    }
    return true;
}

// The relative path an archive name stands for; nothing for names no backup holds.
std::optional<std::wstring> KnownPath(std::string_view name) {
    std::wstring relative = foundation::FromUtf8(name);
    std::replace(relative.begin(), relative.end(), L'/', L'\\');
    for (const std::wstring& root : RootFiles()) {
        if (foundation::EqualsIgnoreCase(relative, root)) return root;
    }
    static constexpr std::wstring_view kThemes = L"themes\\";
    if (!foundation::StartsWithIgnoreCase(relative, kThemes)) return std::nullopt;
    const std::wstring_view rest = std::wstring_view(relative).substr(kThemes.size());
    const std::size_t slash = rest.find(L'\\');
    if (slash == std::wstring_view::npos || !PlainFolderName(rest.substr(0, slash))) return std::nullopt;
    const std::wstring_view file = rest.substr(slash + 1);
    for (const std::wstring_view known : kThemeFiles) {
        if (foundation::EqualsIgnoreCase(file, known)) {
            return std::wstring(kThemes) + std::wstring(rest.substr(0, slash + 1)) + std::wstring(known);
        }
    }
    return std::nullopt;
}

std::wstring ParentOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring{} : path.substr(0, slash);
}

// Creates each folder of `relative` below `root`.
bool CreateFoldersOf(FileSystem& files, const std::wstring& root, const std::wstring& relative) {
    if (!files.CreateFolder(root)) return false;
    std::size_t slash = 0;
    while ((slash = relative.find(L'\\', slash)) != std::wstring::npos) {
        if (!files.CreateFolder(root + L"\\" + relative.substr(0, slash))) return false;
        ++slash;
    }
    return true;
}

} // namespace

std::wstring SettingsBackupName(const dock::LocalTime& time) {
    return DateText(time) + std::wstring(kSettingsBackupSuffix);
}

std::vector<std::wstring> BackedUpFiles(const FileSystem& files, const std::wstring& baseFolder) {
    std::vector<std::wstring> names;
    for (const std::wstring& root : RootFiles()) {
        if (files.IsFile(baseFolder + root)) names.push_back(root);
    }
    std::vector<std::wstring> themes;
    for (const auto& entry : files.List(baseFolder + L"themes")) {
        if (entry.isDirectory && PlainFolderName(entry.name)) themes.push_back(entry.name);
    }
    std::sort(themes.begin(), themes.end());
    for (const std::wstring& theme : themes) {
        for (const std::wstring_view file : kThemeFiles) {
            std::wstring relative = L"themes\\" + theme + L"\\" + std::wstring(file);
            if (files.IsFile(baseFolder + relative)) names.push_back(std::move(relative));
        }
    }
    return names;
}

BackupReport WriteSettingsBackup(FileSystem& files, const std::wstring& baseFolder, const dock::LocalTime& time) {
    BackupReport report;
    std::vector<foundation::ZipMember> members;
    for (const std::wstring& relative : BackedUpFiles(files, baseFolder)) {
        auto content = files.Read(baseFolder + relative);
        if (!content) {
            foundation::LogFailure("settings backup", L"cannot read " + baseFolder + relative);
            report.unreadable.push_back(relative);
            continue;
        }
        members.push_back({ArchiveName(relative), std::move(*content)});
        report.stored.push_back(relative);
    }
    const std::wstring folder = baseFolder + kBackupFolder;
    report.path = folder + L"\\" + SettingsBackupName(time);
    const auto archive = foundation::WriteZip(members, FileSystem::kMaxReadBytes);
    if (!archive || !files.CreateFolder(folder) || !files.Replace(report.path, *archive)) {
        foundation::LogFailure("settings backup", L"cannot write " + report.path);
        return report;
    }
    report.written = true;
    return report;
}

BackupCheck CheckSettingsBackup(std::span<const std::uint8_t> archive) {
    BackupCheck check;
    const auto refuse = [&](BackupRefusal refusal, std::string name = {}) {
        check.refusal = refusal;
        check.offendingName = std::move(name);
        check.entries.clear();
        return check;
    };
    foundation::ZipReader zip(archive);
    if (!zip.Opened()) return refuse(BackupRefusal::NotAnArchive);
    std::set<std::wstring> seen;
    std::size_t total = 0;
    std::size_t count = 0;
    bool more = zip.First();
    for (; more; more = zip.Next()) {
        if (++count > kMaxBackupEntries) return refuse(BackupRefusal::TooManyEntries);
        const auto info = zip.Current();
        if (!info) return refuse(BackupRefusal::Corrupt);
        if (info->nameTooLong || !SafeName(info->name)) return refuse(BackupRefusal::UnsafeName, info->name);
        if (info->name.back() == '/') continue; // a folder entry creates nothing
        const auto relative = KnownPath(info->name);
        if (!relative) return refuse(BackupRefusal::UnknownName, info->name);
        if (!seen.insert(foundation::AsciiLower(*relative)).second) return refuse(BackupRefusal::Duplicate, info->name);
        if (info->size > kMaxBackupFileBytes) return refuse(BackupRefusal::TooLarge, info->name);
        const auto expandsTooFar = [](std::uint64_t size, std::uint64_t packed) {
            return size > kRatioCheckedBytes && size / kMaxBackupRatio > packed;
        };
        if (expandsTooFar(info->size, info->packedSize)) return refuse(BackupRefusal::Bomb, info->name);
        auto content = zip.ReadCurrent(kMaxBackupFileBytes);
        if (!content) return refuse(BackupRefusal::Corrupt, info->name);
        // The directory may understate what an entry holds.
        if (expandsTooFar(content->size(), info->packedSize)) return refuse(BackupRefusal::Bomb, info->name);
        total += content->size();
        if (total > kMaxBackupTotalBytes) return refuse(BackupRefusal::TooLarge, info->name);
        check.entries.push_back({*relative, std::move(*content)});
    }
    if (zip.Broken()) return refuse(BackupRefusal::Corrupt);
    if (check.entries.empty()) return refuse(BackupRefusal::Empty);
    return check;
}

RestoreResult RestoreSettingsBackup(FileSystem& files, const std::wstring& baseFolder, const std::wstring& zipPath,
                                    const dock::LocalTime& time) {
    RestoreResult result;
    const auto archive = files.Read(zipPath);
    if (!archive) {
        foundation::LogFailure("settings restore", L"cannot read " + zipPath);
        return result;
    }
    BackupCheck check = CheckSettingsBackup(*archive);
    if (check.refusal != BackupRefusal::None) {
        result.outcome = RestoreOutcome::Refused;
        result.refusal = check.refusal;
        result.offendingName = check.offendingName;
        foundation::LogFailure("settings restore", "refused " + foundation::ToUtf8(zipPath) + " at " + check.offendingName);
        return result;
    }

    // What is there now, kept on disk and in memory: the copy on disk is the user's,
    // the one in memory puts the files back if a write fails.
    struct Step {
        CheckedEntry* entry;
        std::optional<std::vector<std::uint8_t>> old;
    };
    std::vector<Step> steps;
    for (CheckedEntry& entry : check.entries) {
        const std::wstring target = baseFolder + entry.relativePath;
        if (entry.relativePath.starts_with(L"themes\\") && !files.IsDirectory(ParentOf(target))) {
            result.skipped.push_back(entry.relativePath);
            continue;
        }
        Step step{&entry, std::nullopt};
        if (files.IsFile(target)) {
            step.old = files.Read(target);
            if (!step.old) {
                foundation::LogFailure("settings restore", L"cannot keep " + target);
                result.outcome = RestoreOutcome::NotKept;
                return result;
            }
        }
        steps.push_back(std::move(step));
    }
    result.keptFolder = baseFolder + kBackupFolder + L"\\" + DateText(time) + L".before-restore";
    for (const Step& step : steps) {
        if (!step.old) continue;
        const std::wstring kept = result.keptFolder + L"\\" + step.entry->relativePath;
        if (!files.CreateFolder(baseFolder + kBackupFolder) ||
            !CreateFoldersOf(files, result.keptFolder, step.entry->relativePath) || !files.Replace(kept, *step.old)) {
            foundation::LogFailure("settings restore", L"cannot keep a copy in " + kept);
            result.outcome = RestoreOutcome::NotKept;
            return result;
        }
    }

    for (std::size_t i = 0; i < steps.size(); ++i) {
        const std::wstring target = baseFolder + steps[i].entry->relativePath;
        files.ResetAttributes(target);
        if (files.Replace(target, steps[i].entry->content)) {
            result.written.push_back(steps[i].entry->relativePath);
            continue;
        }
        foundation::LogFailure("settings restore", L"cannot write " + target + L"; putting the old files back");
        for (std::size_t j = 0; j < i; ++j) {
            const std::wstring done = baseFolder + steps[j].entry->relativePath;
            const bool back = steps[j].old ? files.Replace(done, *steps[j].old) : files.Remove(done);
            if (!back) foundation::LogFailure("settings restore", L"cannot put back " + done + L"; a copy is in the kept folder");
        }
        result.written.clear();
        result.outcome = RestoreOutcome::RolledBack;
        return result;
    }
    result.outcome = RestoreOutcome::Restored;
    return result;
}

} // namespace kestrana::settings
