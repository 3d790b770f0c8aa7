#include "foundation/companion_update.h"

#include "foundation/diagnostic_log.h"
#include "foundation/md5.h"
#include "foundation/text.h"

namespace kestrana::foundation {
namespace {

std::string FileMd5(const FileSystem& files, const std::wstring& path) {
    const auto content = files.Read(path);
    if (!content) return {};
    return Md5Hex(*content);
}

bool IsDll(std::wstring_view name) { return EndsWithIgnoreCase(name, L".dll"); }

} // namespace

std::wstring UpdateFileName(std::wstring_view name) {
    std::wstring result(name);
    const std::wstring lower = AsciiLower(name);
    if (const auto at = lower.find(L".exe"); at != std::wstring::npos) return result.replace(at, 4, L"_update.exe");
    if (const auto at = lower.find(L".dll"); at != std::wstring::npos) return result.replace(at, 4, L"_update.dll");
    return result;
}

CompanionUpdateResult UpdateCompanionFiles(FileSystem& files, const std::wstring& baseFolder,
                                           const CompanionProcessPort& processes) {
    CompanionUpdateResult result;
    for (const std::wstring_view name : kCompanionFiles) {
        const std::wstring target = baseFolder + std::wstring(name);
        const std::wstring update = baseFolder + UpdateFileName(name);
        const std::wstring backup = target + L".bak";

        if (files.IsFile(update) && processes.mayInstall && !processes.mayInstall(update, name)) {
            LogFailure("companion update", L"refused " + update + L": its origin cannot be shown and it may run elevated");
            files.Remove(update);
            result.refused.emplace_back(name);
        } else if (files.IsFile(update)) {
            if (files.IsFile(target) && FileMd5(files, target) == FileMd5(files, update)) {
                files.Remove(update);
            } else {
                bool cleared = !files.IsFile(target) || files.Remove(target);
                if (!cleared) {
                    // Whoever holds the file must let go: the program itself for an
                    // executable, the tray companions (which load our DLLs) for a DLL.
                    if (IsDll(name)) {
                        if (processes.terminateImage) {
                            processes.terminateImage(baseFolder + L"Nestlet64.exe");
                            processes.terminateImage(baseFolder + L"Nestlet.exe");
                        }
                    } else if (processes.terminateImage) {
                        processes.terminateImage(target);
                    }
                    if (processes.sleep) processes.sleep(100);
                    cleared = files.Remove(target);
                }
                // A file that is still held can usually be renamed out of the way.
                if (!cleared) cleared = files.Rename(target, backup, /*replaceExisting=*/true);
                if (files.Rename(update, target, /*replaceExisting=*/false)) {
                    result.replaced.emplace_back(name);
                } else if (name == L"Ondel.exe") {
                    result.selfUpdatePending = true;
                }
            }
        }
        if (files.IsFile(backup)) files.Remove(backup);
    }
    return result;
}

PendingUpdate CheckDownloadedUpdate(FileSystem& files, const std::wstring& baseFolder, const std::wstring& exePath,
                                    const std::function<bool(const std::wstring&)>& mayHandOver) {
    const std::wstring download = baseFolder + L"temp_64.exe";
    if (!files.IsFile(download)) return PendingUpdate::None;
    files.Remove(baseFolder + L"oldversion.exe");

    const std::wstring sumFile = baseFolder + L"dock_64.md5";
    std::wstring expected;
    if (const auto bytes = files.Read(sumFile)) {
        std::string text(bytes->begin(), bytes->end());
        expected = AsciiLower(TrimBlanks(FromUtf8(text)));
    }
    const std::wstring running = FromUtf8(FileMd5(files, exePath));
    const std::wstring downloaded = FromUtf8(FileMd5(files, download));
    PendingUpdate outcome = PendingUpdate::Discarded;
    if (!expected.empty() && running != expected && downloaded == expected) {
        if (!mayHandOver || mayHandOver(download)) return PendingUpdate::HandOver;
        LogFailure("update check", L"refused " + download + L": its origin cannot be shown and it would run elevated");
        outcome = PendingUpdate::Refused;
    }
    files.Remove(download);
    files.Remove(sumFile);
    return outcome;
}

} // namespace kestrana::foundation
