#pragma once
// Replacing the companion programs with the update files an installer left beside them,
// and noticing a downloaded update of the program itself. Decisions only: files go
// through the FileSystem port and processes through the small port below.

#include "foundation/file_system.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::foundation {

// In the order they are updated; the last one is the tray companion's loader, whose
// failure leaves a self-update for the hook companion to finish.
inline constexpr std::array<std::wstring_view, 8> kCompanionFiles = {
    L"Hookel.exe", L"Hookel64.exe", L"Hookel64arm.exe", L"Hookel32.dll",
    L"Hookel64.dll", L"Hookel64arm.dll", L"Thermel.exe", L"Ondel.exe",
};

struct CompanionProcessPort {
    // Ends every process whose image is that full path; true when one was ended.
    std::function<bool(const std::wstring& imagePath)> terminateImage;
    std::function<void(std::uint32_t ms)> sleep;
    // Whether the update file may replace the companion file `name` (its origin can be
    // shown, or it will not run elevated); empty: always. A refused update is deleted.
    std::function<bool(const std::wstring& updatePath, std::wstring_view name)> mayInstall;
};

struct CompanionUpdateResult {
    std::vector<std::wstring> replaced; // names whose update was installed
    std::vector<std::wstring> refused;  // names whose update could not be trusted
    bool selfUpdatePending = false;     // "Ondel.exe" could not be replaced
};

// "Hookel64.exe" -> "Hookel64_update.exe", "Hookel32.dll" -> "Hookel32_update.dll".
[[nodiscard]] std::wstring UpdateFileName(std::wstring_view name);

CompanionUpdateResult UpdateCompanionFiles(FileSystem& files, const std::wstring& baseFolder,
                                           const CompanionProcessPort& processes);

enum class PendingUpdate {
    None,           // no downloaded update
    HandOver,       // the running program is outdated and the download matches: run the installer
    Discarded,      // the download is stale or broken; it was deleted
    Refused,        // it matches, but its origin cannot be trusted; it was deleted
};

// The check made at start when "temp_64.exe" exists: compares the checksum stored in
// "dock_64.md5" with the running program's and the download's. The checksum only shows
// the download is complete; `mayHandOver` (given the download's path) says whether its
// origin is trusted enough to run it.
PendingUpdate CheckDownloadedUpdate(FileSystem& files, const std::wstring& baseFolder, const std::wstring& exePath,
                                    const std::function<bool(const std::wstring&)>& mayHandOver = {});

} // namespace kestrana::foundation
