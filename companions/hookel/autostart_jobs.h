#pragma once
// The elevated jobs of the hook companion: the logon task and the service entry that
// start the program with the user's session, and their removal.

#include <string>

namespace kestrana::companion {

// Task "Kestrana": at logon of the current user, run the program with the highest
// rights available, no time limit, also on battery.
bool CreateStartTask(const std::wstring& programFolder);
// Service "Ondel": starts automatically and launches the program in each user session.
bool CreateStartService(const std::wstring& programFolder);
// Removes both; true when neither exists afterwards.
bool RemoveStartEntries();

// The task's XML (shared with tests of the escaping).
std::wstring StartTaskXml(const std::wstring& programFolder, const std::wstring& user);

} // namespace kestrana::companion
