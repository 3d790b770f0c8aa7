#include "foundation/win32/folder_security.h"

#include "foundation/diagnostic_log.h"
#include "foundation/text.h"
#include "foundation/win32/foreign_sender.h"
#include "foundation/win32/system_function.h"
#include "foundation/win32/unique_handle.h"

#include <windows.h>
#include <aclapi.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <utility>
#include <vector>

namespace kestrana::win32 {
namespace {

foundation::Trustee TrusteeOf(PSID sid) {
    if (!sid || !::IsValidSid(sid)) return foundation::Trustee::Other;
    if (::IsWellKnownSid(sid, WinBuiltinAdministratorsSid)) return foundation::Trustee::Administrators;
    if (::IsWellKnownSid(sid, WinLocalSystemSid)) return foundation::Trustee::System;
    if (::IsWellKnownSid(sid, WinCreatorOwnerSid)) return foundation::Trustee::CreatorOwner;
    // NT SERVICE\TrustedInstaller: S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464.
    static const DWORD kInstaller[] = {956008885u, 3418522649u, 1831038044u, 1853292631u, 2271478464u};
    const SID_IDENTIFIER_AUTHORITY* authority = ::GetSidIdentifierAuthority(sid);
    const SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    if (authority && std::equal(std::begin(nt.Value), std::end(nt.Value), authority->Value) &&
        *::GetSidSubAuthorityCount(sid) == 6 && *::GetSidSubAuthority(sid, 0) == 80) {
        bool same = true;
        for (DWORD i = 0; i < 5; ++i) same = same && *::GetSidSubAuthority(sid, i + 1) == kInstaller[i];
        if (same) return foundation::Trustee::TrustedInstaller;
    }
    return foundation::Trustee::Other;
}

std::wstring OwnExecutable() {
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

// The signer certificate of a file whose signature verifies; empty when none does.
std::vector<std::uint8_t> VerifiedSigner(const std::wstring& file) {
    // wintrust is bound at run time so the program still loads where it is missing.
    static HMODULE wintrust = ::LoadLibraryW(L"wintrust.dll");
    if (!wintrust) return {};
    using VerifyFn = LONG(WINAPI*)(HWND, GUID*, LPVOID);
    using ProvDataFn = CRYPT_PROVIDER_DATA*(WINAPI*)(HANDLE);
    using SignerFn = CRYPT_PROVIDER_SGNR*(WINAPI*)(CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD);
    using CertFn = CRYPT_PROVIDER_CERT*(WINAPI*)(CRYPT_PROVIDER_SGNR*, DWORD);
    auto verify = kestrana::win32::FunctionIn<VerifyFn>(wintrust, "WinVerifyTrust");
    auto provData = kestrana::win32::FunctionIn<ProvDataFn>(wintrust, "WTHelperProvDataFromStateData");
    auto signer = kestrana::win32::FunctionIn<SignerFn>(wintrust, "WTHelperGetProvSignerFromChain");
    auto cert = kestrana::win32::FunctionIn<CertFn>(wintrust, "WTHelperGetProvCertFromChain");
    if (!verify || !provData || !signer || !cert) return {};

    WINTRUST_FILE_INFO fileInfo{};
    fileInfo.cbStruct = sizeof(fileInfo);
    fileInfo.pcwszFilePath = file.c_str();
    WINTRUST_DATA data{};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    std::vector<std::uint8_t> result;
    if (verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data) == ERROR_SUCCESS) {
        if (CRYPT_PROVIDER_DATA* provider = provData(data.hWVTStateData))
            if (CRYPT_PROVIDER_SGNR* first = signer(provider, 0, FALSE, 0))
                if (CRYPT_PROVIDER_CERT* leaf = cert(first, 0); leaf && leaf->pCert)
                    result.assign(leaf->pCert->pbCertEncoded, leaf->pCert->pbCertEncoded + leaf->pCert->cbCertEncoded);
    }
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return result;
}

} // namespace

foundation::FolderSecurity ReadFolderSecurity(const std::wstring& folder) noexcept {
    foundation::FolderSecurity result;
    try {
        PSID owner = nullptr;
        PACL dacl = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (::GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                    &owner, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
            return result;
        result.readable = true;
        result.hasDacl = dacl != nullptr;
        result.owner = TrusteeOf(owner);
        for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
            void* raw = nullptr;
            if (!::GetAce(dacl, i, &raw)) continue;
            const auto* header = static_cast<const ACE_HEADER*>(raw);
            foundation::AccessEntry entry;
            entry.inheritOnly = (header->AceFlags & INHERIT_ONLY_ACE) != 0;
            if (header->AceType == ACCESS_ALLOWED_ACE_TYPE) {
                const auto* ace = static_cast<const ACCESS_ALLOWED_ACE*>(raw);
                entry.allow = true;
                entry.mask = ace->Mask;
                entry.who = TrusteeOf(const_cast<DWORD*>(&ace->SidStart));
            } else if (header->AceType == ACCESS_DENIED_ACE_TYPE) {
                const auto* ace = static_cast<const ACCESS_DENIED_ACE*>(raw);
                entry.allow = false;
                entry.mask = ace->Mask;
                entry.who = TrusteeOf(const_cast<DWORD*>(&ace->SidStart));
            } else {
                // Callback and object entries are not expected on a folder; count them as grants.
                entry.allow = true;
                entry.mask = foundation::kFolderWriteRights;
            }
            result.entries.push_back(entry);
        }
        ::LocalFree(descriptor);
    } catch (...) {
        foundation::LogCaught("folder security");
    }
    return result;
}

bool FolderIsAdminOnly(const std::wstring& folder, const char* where) noexcept {
    // Wine makes up every file's security (the user owns it, no list is enforced and
    // everything runs as root), so there is nothing real to check.
    if (RunningUnderWine()) {
        foundation::LogDetail(where, L"folder access check skipped under Wine for " + folder);
        return true;
    }
    try {
        std::wstring dir = folder;
        while (dir.size() > 3 && (dir.back() == L'\\' || dir.back() == L'/')) dir.pop_back();
        // The folder, the folder it sits in (where it can be deleted or renamed and another
        // put in its place) and every program file in it, each by its own list.
        std::vector<std::pair<std::wstring, foundation::Guarded>> objects{{dir, foundation::Guarded::Folder}};
        const auto slash = dir.find_last_of(L"\\/");
        if (slash != std::wstring::npos && slash > 0) {
            const std::wstring parent = dir.substr(0, slash == 2 ? 3 : slash); // "C:\" keeps its backslash
            objects.emplace_back(parent, foundation::Guarded::ParentFolder);
        }
        for (const wchar_t* pattern : {L"\\*.exe", L"\\*.dll"}) {
            WIN32_FIND_DATAW found{};
            HANDLE search = ::FindFirstFileExW((dir + pattern).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                               nullptr, 0);
            if (search == INVALID_HANDLE_VALUE) continue;
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    objects.emplace_back(dir + L"\\" + found.cFileName, foundation::Guarded::File);
            } while (::FindNextFileW(search, &found));
            ::FindClose(search);
        }
        for (const auto& [path, what] : objects) {
            const auto security = ReadFolderSecurity(path);
            if (foundation::OnlyAdministratorsCanChange(security, what)) continue;
            const std::wstring why = !security.readable  ? L"the access list of " + path + L" cannot be read"
                                     : !security.hasDacl ? path + L" has no access list"
                                                         : L"users other than administrators can change " + path;
            foundation::LogFailure(where, L"refused to run elevated from " + folder + L": " + why);
            return false;
        }
        return true;
    } catch (...) {
        foundation::LogCaught("folder security");
        return false;
    }
}

foundation::UpdateOrigin UpdateOriginOf(const std::wstring& update) noexcept {
    foundation::UpdateOrigin origin;
    try {
        const auto running = VerifiedSigner(OwnExecutable());
        const auto candidate = VerifiedSigner(update);
        origin.runningSigned = !running.empty();
        origin.updateSigned = !candidate.empty();
        origin.samePublisher = origin.runningSigned && running == candidate;
    } catch (...) {
        foundation::LogCaught("folder security");
    }
    return origin;
}

bool MakePrivateFolder(const std::wstring& path) noexcept {
    try {
        HANDLE raw = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
        UniqueKernelHandle token(raw);
        DWORD size = 0;
        ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
        std::vector<std::uint8_t> user(size);
        if (size == 0 || !::GetTokenInformation(token.Get(), TokenUser, user.data(), size, &size)) return false;
        PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;

        EXPLICIT_ACCESSW access{};
        access.grfAccessPermissions = GENERIC_ALL;
        access.grfAccessMode = SET_ACCESS;
        access.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
        access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
        access.Trustee.TrusteeType = TRUSTEE_IS_USER;
        access.Trustee.ptstrName = static_cast<LPWSTR>(sid);
        PACL acl = nullptr;
        if (::SetEntriesInAclW(1, &access, nullptr, &acl) != ERROR_SUCCESS) return false;
        struct FreeAcl {
            PACL acl;
            ~FreeAcl() { ::LocalFree(acl); }
        } freeAcl{acl};

        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        // A link where the folder should be is taken away, never followed.
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
            !((attributes & FILE_ATTRIBUTE_DIRECTORY) ? ::RemoveDirectoryW(path.c_str()) : ::DeleteFileW(path.c_str()))) {
            foundation::LogFailure("private folder", L"a link stands at " + path + L" and cannot be removed");
            return false;
        }
        if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            SECURITY_DESCRIPTOR descriptor{};
            ::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
            ::SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
            ::SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
            SECURITY_ATTRIBUTES attributesWithList{sizeof(SECURITY_ATTRIBUTES), &descriptor, FALSE};
            if (!::CreateDirectoryW(path.c_str(), &attributesWithList)) {
                foundation::LogFailure("private folder", L"cannot create " + path);
                return false;
            }
            return true;
        }
        std::wstring writable = path;
        if (::SetNamedSecurityInfoW(writable.data(), SE_FILE_OBJECT,
                                    DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                    acl, nullptr) != ERROR_SUCCESS) {
            foundation::LogFailure("private folder", L"cannot restrict " + path + L" to this user");
            return false;
        }
        return true;
    } catch (...) {
        foundation::LogCaught("private folder");
        return false;
    }
}

bool RunningElevated() noexcept {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    UniqueKernelHandle token(raw);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return ::GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof(elevation), &size) &&
           elevation.TokenIsElevated;
}

bool CompanionFileMayRunElevated(std::wstring_view name) noexcept {
    try {
        if (RunningElevated()) return true;
        auto keyExists = [](const wchar_t* path) {
            HKEY key = nullptr;
            if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
            ::RegCloseKey(key);
            return true;
        };
        if (foundation::EqualsIgnoreCase(name, L"Ondel.exe"))
            return keyExists(L"SYSTEM\\CurrentControlSet\\Services\\Ondel");
        if (foundation::StartsWithIgnoreCase(name, L"Hookel") || foundation::EqualsIgnoreCase(name, L"Thermel.exe")) {
            constexpr wchar_t kTasks[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Schedule\\TaskCache\\Tree\\";
            return keyExists((std::wstring(kTasks) + L"Ondelmod").c_str()) ||
                   keyExists((std::wstring(kTasks) + L"Ondelmod64").c_str());
        }
        return false;
    } catch (...) {
        return true;
    }
}

bool MayInstallUpdateFile(const std::wstring& update, bool runsElevated) noexcept {
    return foundation::MayInstallUpdate(UpdateOriginOf(update), runsElevated);
}

} // namespace kestrana::win32
