#include "dock/item_backup.h"

#include "dock/item_labels.h"
#include "dock/item_list_file.h"
#include "foundation/text.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <optional>

namespace kestrana::dock {

using foundation::ConfigStore;
using foundation::FileSystem;

namespace {

ItemBackupResult Failure(const ConfigStore& store) {
    return ItemBackupResult{false, ItemLanguageText(store, L"settingtips", L"backupfolderror"), {}};
}

// The six numbers of a dated name, or nothing when the name is not one.
std::optional<std::array<int, 6>> DateOfName(std::wstring_view name) {
    if (!foundation::EndsWithIgnoreCase(name, kItemBackupSuffix)) return std::nullopt;
    name.remove_suffix(kItemBackupSuffix.size());
    static constexpr wchar_t kSeparators[] = {L'-', L'-', L' ', L'_', L'_'};
    std::array<int, 6> numbers{};
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        std::size_t digits = 0;
        int value = 0;
        while (digits < name.size() && digits < 6 && name[digits] >= L'0' && name[digits] <= L'9') {
            value = value * 10 + (name[digits] - L'0');
            ++digits;
        }
        if (digits == 0) return std::nullopt;
        numbers[i] = value;
        name.remove_prefix(digits);
        if (i + 1 < numbers.size()) {
            if (name.empty() || name.front() != kSeparators[i]) return std::nullopt;
            name.remove_prefix(1);
        }
    }
    if (!name.empty()) return std::nullopt;
    return numbers;
}

// A file of the program folder (appended rather than concatenated, which a compiler
// misreads as an overlapping copy).
std::wstring InBase(const ConfigStore& store, std::wstring_view name) {
    std::wstring path = store.BaseFolder();
    path += name;
    return path;
}

bool CopyWhole(FileSystem& files, const std::wstring& from, const std::wstring& to) {
    const auto content = files.Read(from);
    return content && files.Replace(to, *content);
}

} // namespace

std::wstring ItemBackupName(const LocalTime& time) {
    std::wstring name = std::to_wstring(time.year) + L"-" + std::to_wstring(time.month) + L"-" +
                        std::to_wstring(time.day) + L" " + std::to_wstring(time.hour) + L"_" +
                        std::to_wstring(time.minute) + L"_" + std::to_wstring(time.second);
    name += kItemBackupSuffix;
    return name;
}

ItemBackupResult BackupItemList(ConfigStore& store, const LocalClock& clock) {
    FileSystem& files = store.Files();
    const std::wstring folder = InBase(store, kItemBackupFolder);
    if (!files.IsDirectory(folder) && !files.CreateFolder(folder)) return Failure(store);

    const std::wstring name = ItemBackupName(clock.Now());
    std::wstring target = folder;
    target += L'\\';
    target += name;
    {
        std::lock_guard filesLock(ItemFilesMutex());
        const std::wstring list = InBase(store, kItemFile);
        if (!files.Copy(list, target)) return Failure(store);
        if (!CopyWhole(files, list, InBase(store, kItemManualBackup))) return Failure(store);
    }
    return ItemBackupResult{true, ItemLanguageText(store, L"settingtips", L"backuptips"), name};
}

std::vector<std::wstring> ListItemBackups(const ConfigStore& store) {
    struct Found {
        std::wstring name;
        std::optional<std::array<int, 6>> date;
    };
    std::vector<Found> found;
    for (const auto& entry : store.Files().List(InBase(store, kItemBackupFolder))) {
        if (entry.isDirectory || !foundation::EndsWithIgnoreCase(entry.name, kItemBackupSuffix)) continue;
        found.push_back(Found{entry.name, DateOfName(entry.name)});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        if (a.date.has_value() != b.date.has_value()) return a.date.has_value();
        if (a.date && *a.date != *b.date) return *a.date > *b.date;
        return a.name < b.name;
    });
    std::vector<std::wstring> names;
    names.reserve(found.size());
    for (auto& entry : found) names.push_back(std::move(entry.name));
    return names;
}

bool ChooseItemBackup(ConfigStore& store, std::wstring_view fileName) {
    if (fileName.empty() || fileName.find_first_of(L"\\/:") != std::wstring_view::npos || fileName == L"." ||
        fileName == L"..") {
        return false;
    }
    FileSystem& files = store.Files();
    std::wstring source = InBase(store, kItemBackupFolder);
    source += L'\\';
    source += fileName;
    if (!files.IsFile(source)) return false;
    std::lock_guard filesLock(ItemFilesMutex());
    return CopyWhole(files, source, InBase(store, kItemManualBackup));
}

bool RestoreItemList(ConfigStore& store) {
    FileSystem& files = store.Files();
    const std::wstring backup = InBase(store, kItemManualBackup);
    const std::wstring list = InBase(store, kItemFile);
    if (SectionCount(ReadItemFile(files, backup, foundation::Windows1252())) == 0) return false;
    std::lock_guard filesLock(ItemFilesMutex());
    // One replacing move: "ico.ini" is never missing while the old list is already gone.
    if (!files.Rename(backup, list, true)) {
        if (!CopyWhole(files, backup, list)) return false;
        files.Remove(backup);
    }
    files.Remove(InBase(store, kItemPreviousFile));
    return true;
}

} // namespace kestrana::dock
