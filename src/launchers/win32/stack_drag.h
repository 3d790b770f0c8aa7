#pragma once
// Drag and drop on a folder stack: an item dragged out of the stack carries the file to
// other programs (the shell's own data object for it), and files dropped onto the stack
// are moved into the folder it shows. OLE must be initialised on the user-interface
// thread (StackHost does it).

#include <windows.h>
#include <ole2.h>

#include <functional>
#include <string>
#include <vector>

namespace kestrana::launchers::win32 {

// Runs the drag of one file or folder until it is dropped or cancelled (a modal loop on
// the calling thread, as the system's drags are). True when something took it.
bool DragOut(const std::wstring& path) noexcept;

// Registers `window` as a drop target; `dropped` gets the dropped files' paths on the
// user-interface thread, and the drag is told `effect` (a move into a stack's folder; a
// link where only shortcuts to the files are made). False when the system refuses (no OLE).
bool AcceptDrops(HWND window, std::function<void(std::vector<std::wstring>)> dropped,
                 DWORD effect = DROPEFFECT_MOVE) noexcept;
void StopAcceptingDrops(HWND window) noexcept;

// Moves files into `folder` (across drives too), never over an existing file. The number
// moved. Called on a worker.
int MoveIntoFolder(const std::vector<std::wstring>& files, const std::wstring& folder) noexcept;

} // namespace kestrana::launchers::win32
