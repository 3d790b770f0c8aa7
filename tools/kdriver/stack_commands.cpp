// Folder stack commands of the test driver: dragging a file onto whatever window lies
// under the pointer, as a hand would drop it there.

#include "launchers/win32/stack_drag.h"

#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <string>

// -1 when the command is not one of these; otherwise its exit code.
int StackCommand(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"drop-file" && argc >= 3) {
        // No button is held, so the drag drops at once where the pointer stands.
        if (FAILED(::OleInitialize(nullptr))) return 2;
        const bool taken = kestrana::launchers::win32::DragOut(argv[2]);
        ::OleUninitialize();
        std::wprintf(L"%ls\n", taken ? L"dropped" : L"refused");
        return taken ? 0 : 1;
    }
    return -1;
}
