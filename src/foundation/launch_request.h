#pragma once
// What starting a program, document, folder, URL or packaged application needs, shared by
// the docks and the Launchpad; the platform layer carries it out.

#include <string>

namespace kestrana::foundation {

struct LaunchRequest {
    std::wstring realpath;       // what is started: a program, document, folder or URL
    std::wstring runline;        // its arguments
    std::wstring appUserModelId; // packaged applications
    bool packaged = false;       // started through its application id, not a path
    bool admin = false;          // "adminmode": the "runas" verb
};

// A shortcut's target and arguments, as the shell link stores them.
struct ShortcutFacts {
    std::wstring target;
    std::wstring arguments;
};

// The folder a started program begins in: the one holding it. URLs and bare names have
// none, so they start in the default folder.
[[nodiscard]] std::wstring StartFolderOf(const std::wstring& path);

} // namespace kestrana::foundation
