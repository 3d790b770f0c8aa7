#include "dock/win32/dock_menus.h"

#include "dock/app_identity.h"
#include "dock/item_drops.h"
#include "foundation/recent_files.h"
#include "dock/win32/dock_clicks.h"
#include "foundation/command_line.h"
#include "foundation/config_store.h"
#include "foundation/diagnostic_log.h"
#include "foundation/shell_messages.h"
#include "foundation/win32/network_drive.h"
#include "foundation/win32/process_start.h"
#include "foundation/win32/shell_window.h"
#include "foundation/win32/system_function.h"
#include "foundation/win32/taskbar_window.h"
#include "foundation/win32/unique_handle.h"
#include "gfx/win32/popup_menu.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <algorithm>
#include <mutex>

namespace kestrana::dock::win32 {
namespace {

using Microsoft::WRL::ComPtr;
using kestrana::win32::StartWithShell;
namespace cmd = dock_command;

constexpr wchar_t kMenuClass[] = L"OndelMenu";
constexpr wchar_t kMenuProperty[] = L"OndelMenuWNDPROC";
constexpr wchar_t kMenuParentProperty[] = L"OndelMenuparentHwnd";

HWND AsWindow(WindowId id) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(id)); }

std::wstring WindowTitle(HWND window) {
    wchar_t title[256] = {};
    // Reads the stored title; never waits on the window's thread.
    ::InternalGetWindowText(window, title, 256);
    return title;
}

bool TaskbarShown() {
    const HWND taskbar = kestrana::win32::FindTaskbarWindow();
    return taskbar && ::IsWindowVisible(taskbar);
}

void RunJob(foundation::JobRunner& jobs, const char* what, std::function<void()> action) {
    if (!jobs.Run([what, action = std::move(action)](const foundation::JobContext&) {
            try {
                action();
            } catch (...) {
                foundation::LogCaught(what);
            }
        }))
        foundation::LogFailure(what, "no job could be started");
}

bool ShowInFolder(const std::wstring& path) noexcept {
    kestrana::win32::ComApartment com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    PIDLIST_ABSOLUTE item = ::ILCreateFromPathW(path.c_str());
    if (!item) return false;
    const HRESULT hr = ::SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
    ::ILFree(item);
    if (FAILED(hr)) foundation::LogFailure("show in folder", L"the folder of " + path + L" was not opened");
    return SUCCEEDED(hr);
}

// The program or shortcut the user picks in the system's open dialog; empty when cancelled.
std::wstring ChooseProgram(HWND owner) {
    ComPtr<IFileOpenDialog> dialog;
    if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog))))
        return {};
    const COMDLG_FILTERSPEC filter[] = {{L"Programs", L"*.exe;*.lnk;*.url"}, {L"*.*", L"*.*"}};
    dialog->SetFileTypes(2, filter);
    DWORD options = 0;
    if (SUCCEEDED(dialog->GetOptions(&options))) dialog->SetOptions(options | FOS_NODEREFERENCELINKS | FOS_FORCEFILESYSTEM);
    if (FAILED(dialog->Show(owner))) return {};
    ComPtr<IShellItem> result;
    PWSTR path = nullptr;
    if (FAILED(dialog->GetResult(&result)) || FAILED(result->GetDisplayName(SIGDN_FILESYSPATH, &path))) return {};
    std::wstring chosen = path;
    ::CoTaskMemFree(path);
    return chosen;
}

} // namespace

bool DockMenus::Open(ScreenPoint pointer, std::size_t index, float scale, bool dark) {
    DockItems& row = m_bar.Items();
    ItemMenuFacts facts;
    bool onItem = false, onSeparator = false;
    std::int32_t itemId = kNoItemId;
    std::vector<WindowId> windows;
    {
        std::lock_guard lock(row.ListMutex());
        if (index && index < row.Size() && !DockItems::IsPlaceholderIndex(index, row.Size())) {
            const Dockico& item = row[index];
            onSeparator = item.IsSeparator();
            if (!onSeparator && item.id != kDragGapItemId) {
                onItem = true;
                itemId = item.id;
                facts.appname = item.appname;
                facts.kept = item.kept;
                facts.running = item.running;
                facts.hasFilepath = !item.filepath.empty();
                if (m_services.folderRows) facts.folderRows = m_services.folderRows(item, m_services.owner);
                std::lock_guard windowList(row.WindowListMutex());
                windows = item.windows;
            }
        }
    }
    DockMenu menu;
    if (onItem) {
        for (const WindowId window : windows) facts.windows.push_back({window, WindowTitle(AsWindow(window))});
        if (facts.folderRows.empty() && !IsSpecialKey(facts.appname))
            facts.recent = foundation::RecentFilesFor(m_recent.Entries(), facts.appname);
        if (foundation::DetailLogging())
            foundation::LogDetail("dock menu", std::to_wstring(facts.recent.size()) + L" recent items for " + facts.appname);
        menu = BuildItemMenu(m_services.store, facts);
    } else {
        menu = BuildBackgroundMenu(m_services.store, onSeparator, TaskbarShown());
    }

    // The menu opens beside the dock, clear of its grown icons, on the side away from
    // the screen edge.
    const ScreenRect dock = m_bar.Model().WindowRect();
    const int gap = static_cast<int>(6 * scale);
    POINT anchor{pointer.x, pointer.y};
    int flipY = pointer.y;
    switch (m_bar.Model().GetEdge()) {
    case Edge::Bottom:
        // Placed below the screen, so it always turns up above `flipY`.
        anchor.y = m_bar.Model().Frame().Monitor().bottom;
        flipY = dock.top - gap;
        break;
    case Edge::Top: anchor.y = dock.bottom + gap; break;
    case Edge::Left: anchor.x = dock.right + gap; break;
    case Edge::Right: anchor.x = dock.left - gap; break;
    }

    gfx::PopupMenuOptions options;
    options.className = kMenuClass;
    options.ownerProperty = kMenuProperty;
    options.ownerValue = this;
    options.parentProperty = kMenuParentProperty;
    options.scale = scale;
    options.dark = dark;
    DockOpenFacts open = m_bar.OpenFacts();
    open.menuOpen = true;
    m_bar.SetOpenFacts(open);
    m_open = true;
    const int chosen = gfx::RunPopupMenu(m_services.owner, menu.rows, anchor, flipY, m_services.text, options);
    m_open = false;
    m_recent.Refresh();
    open = m_bar.OpenFacts();
    open.menuOpen = false;
    m_bar.SetOpenFacts(open);
    if (!chosen) return false;
    Run(menu, chosen, itemId, index);
    return true;
}

void DockMenus::RowChanged() {
    m_bar.ItemsChanged();
    m_services.items.Changed(m_bar.Items());
}

void DockMenus::InsertItems(std::vector<std::unique_ptr<Dockico>> items, std::size_t index, float firstFactor) {
    DockItems& row = m_bar.Items();
    bool added = false;
    {
        std::lock_guard lock(row.ListMutex());
        for (auto& item : items) {
            if (!item) continue;
            item->sizeFactor = added ? 0 : std::min(firstFactor, item->FullFactor()); // grows in
            index = row.Insert(index, std::move(item)) + 1;
            added = true;
        }
    }
    if (!added) return;
    m_services.items.LanguageChanged(row);
    RowChanged();
    if (m_services.itemsAdded) m_services.itemsAdded();
}

DockMenus::ReadFiles DockMenus::ReadDropped(const std::vector<std::wstring>& paths) {
    ReadFiles files;
    files.reserve(paths.size());
    for (const std::wstring& path : paths) files.emplace_back(path, ReadShortcut(path));
    return files;
}

void DockMenus::AddRead(const ReadFiles& files, std::size_t index, float firstFactor) {
    std::vector<std::unique_ptr<Dockico>> items;
    for (const auto& [path, shortcut] : files) items.push_back(m_services.items.NewItem(RecordForPath(path, shortcut)));
    InsertItems(std::move(items), index, firstFactor);
}

void DockMenus::AddPaths(const std::vector<std::wstring>& paths, std::size_t index, float firstFactor) {
    const bool remote = std::any_of(paths.begin(), paths.end(),
                                    [](const std::wstring& path) { return kestrana::win32::MayWaitOnNetwork(path); });
    if (!remote) {
        AddRead(ReadDropped(paths), index, firstFactor);
        return;
    }
    foundation::LogDetail("dock drop", L"read on a worker: " + std::to_wstring(paths.size()) + L" files");
    const HWND owner = m_services.owner;
    const std::weak_ptr<DropInbox> inbox = m_dropInbox;
    const bool started = m_services.jobs.Run([owner, inbox, paths, index, firstFactor](const foundation::JobContext&) {
        kestrana::win32::ComApartment com;
        ReadDrop drop{ReadDropped(paths), index, firstFactor};
        const auto box = inbox.lock();
        if (!box) return; // the dock went meanwhile
        {
            std::lock_guard lock(box->lock);
            box->ready.push_back(std::move(drop));
        }
        ::PostMessageW(owner, kMsgDroppedRead, 0, 0);
    });
    if (!started) foundation::LogFailure("dock drop", "no worker free to read the files dropped from a share");
}

void DockMenus::DroppedRead() {
    std::vector<ReadDrop> ready;
    {
        std::lock_guard lock(m_dropInbox->lock);
        ready.swap(m_dropInbox->ready);
    }
    for (const ReadDrop& drop : ready) AddRead(drop.files, drop.index, drop.firstFactor);
}

// After the item clicked, or at the end when the click was beside the row.
static std::size_t AfterClicked(const DockItems& row, std::size_t index) {
    std::lock_guard lock(row.ListMutex());
    return index && !DockItems::IsPlaceholderIndex(index, row.Size()) ? index + 1 : row.EndReal();
}

void DockMenus::AddProgram(std::size_t index) {
    const std::wstring path = ChooseProgram(m_services.owner);
    if (path.empty()) return;
    AddPaths({path}, AfterClicked(m_bar.Items(), index));
}

void DockMenus::Run(const DockMenu& menu, int command, std::int32_t itemId, std::size_t index) {
    auto& store = m_services.store;
    const int specials = static_cast<int>(AddableSpecialItems().size());
    if (command >= cmd::kAddSpecialFirst && command < cmd::kAddSpecialFirst + specials) {
        ItemRecord record;
        record.appname = std::wstring(AddableSpecialItems()[static_cast<std::size_t>(command - cmd::kAddSpecialFirst)]);
        std::vector<std::unique_ptr<Dockico>> items;
        items.push_back(m_services.items.NewItem(record));
        InsertItems(std::move(items), AfterClicked(m_bar.Items(), index));
        return;
    }
    if (const auto window = WindowOfCommand(menu, command)) {
        RunJob(m_services.jobs, "switch window", [target = AsWindow(*window)] { SwitchToWindow(target); });
        return;
    }
    if (const auto file = RecentOfCommand(menu, command)) {
        OpenRecent(*file, itemId);
        return;
    }
    if (const SystemTool* tool = SystemToolOfCommand(command)) {
        RunJob(m_services.jobs, "system tool", [file = std::wstring(tool->file), arguments = std::wstring(tool->arguments)] {
            StartWithShell({.file = file.c_str(), .arguments = arguments.c_str()}, "system tool");
        });
        return;
    }
    switch (command) {
    case cmd::kAddProgram: AddProgram(index); return;
    case cmd::kAddSeparator:
    case cmd::kRemoveSeparator: {
        bool changed = false;
        {
            std::lock_guard lock(m_bar.Items().ListMutex());
            changed = ApplyRowCommand(m_bar.Items(), index, command);
        }
        if (changed) RowChanged();
        return;
    }
    case cmd::kShowTaskbar:
    case cmd::kHideTaskbar: {
        const SpecialServices services = m_services.special ? m_services.special() : SpecialServices{};
        RunJob(m_services.jobs, "taskbar", [services] { RunSpecialAction({.kind = SpecialKind::ToggleTaskbar}, services); });
        return;
    }
    case cmd::kLock: store.WriteBool(L"normal", L"lockicon", !store.ReadBool(L"normal", L"lockicon")); return;
    case cmd::kRestartDock:
        if (m_services.restart) m_services.restart();
        return;
    case cmd::kEndDock:
        if (m_services.quit) m_services.quit();
        return;
    case cmd::kPreference:
        if (m_services.openSettings) m_services.openSettings();
        return;
    case cmd::kGoToFolder: GoToFolder(); return;
    case cmd::kConnectToServer: ConnectToServer(); return;
    case cmd::kShowDesktop: {
        const SpecialServices services = m_services.special ? m_services.special() : SpecialServices{};
        RunJob(m_services.jobs, "show desktop", [services] { PressKeys(services, VK_LWIN, 'D'); });
        return;
    }
    default: break;
    }
    if (command >= cmd::kFolderFirst && command <= cmd::kFolderLast) {
        bool applied = false;
        {
            std::lock_guard lock(m_bar.Items().ListMutex());
            const std::size_t at = m_bar.Items().IndexOfId(itemId);
            if (at && m_services.folderCommand) {
                m_services.folderCommand(m_bar.Items()[at], command);
                applied = true;
            }
        }
        if (applied && m_services.folderChanged) m_services.folderChanged();
        return;
    }
    RunItemCommand(command, itemId);
}

bool DockMenus::RunItemCommand(int command, std::int32_t itemId) {
    DockItems& row = m_bar.Items();
    if (command == cmd::kKeep || command == cmd::kRemove) {
        bool changed = false;
        {
            std::lock_guard lock(row.ListMutex());
            // The row may have changed while the menu was open: the item is found again by its id.
            if (const std::size_t index = row.IndexOfId(itemId)) changed = ApplyRowCommand(row, index, command);
        }
        if (changed) RowChanged();
        return changed;
    }
    LaunchRequest request;
    std::vector<WindowId> windows;
    std::wstring appname, filepath;
    {
        std::lock_guard lock(row.ListMutex());
        const std::size_t index = row.IndexOfId(itemId);
        if (!index) return false;
        const Dockico& item = row[index];
        request = LaunchRequestFor(item);
        appname = item.appname;
        filepath = item.filepath;
        std::lock_guard windowList(row.WindowListMutex());
        windows = item.windows;
    }
    if (ToggleProgramOption(m_services.store, command, appname)) {
        if (command == cmd::kNeverShow && m_services.runningRulesChanged) m_services.runningRulesChanged();
        return true;
    }

    auto& jobs = m_services.jobs;
    switch (command) {
    case cmd::kQuit:
        for (const WindowId window : windows) AskToClose(AsWindow(window));
        return true;
    case cmd::kOpen:
        if (appname == L"trash|") {
            RunJob(jobs, "open trash", [] { OpenRecycleBin(); });
        } else if (appname == L"launchpad|") {
            // The Launchpad lives beside the docks; the main window hands the toggle on.
            ::PostMessageW(kestrana::win32::ShellWindowHost(), foundation::kMsgLaunchpadRequest, 1,
                           foundation::kLaunchpadConfiguredEffect);
        } else if (const auto special = SpecialActionFor(appname)) {
            const SpecialServices services = m_services.special ? m_services.special() : SpecialServices{};
            RunJob(jobs, "special item", [action = *special, services] { RunSpecialAction(action, services); });
        } else {
            RunJob(jobs, "launch item", [request] { Launch(request); });
        }
        return true;
    case cmd::kAdmin: request.admin = true; [[fallthrough]];
    case cmd::kRunAgain: RunJob(jobs, "launch item", [request] { Launch(request); }); return true;
    case cmd::kPrivateWindow:
        request.runline = std::wstring(PrivateWindowSwitch(appname)) + (request.runline.empty() ? L"" : L" ") + request.runline;
        RunJob(jobs, "private window", [request] { Launch(request); });
        return true;
    case cmd::kLocation: RunJob(jobs, "show in folder", [filepath] { ShowInFolder(filepath); }); return true;
    case cmd::kEmptyTrash: m_clicks.AskToEmptyTrash(); return true;
    case cmd::kShowAllWindows:
        // The first row's window ends in front, as the menu lists them.
        RunJob(jobs, "show all windows", [windows] {
            for (auto it = windows.rbegin(); it != windows.rend(); ++it) SwitchToWindow(AsWindow(*it));
        });
        return true;
    case cmd::kNewFileManagerWindow:
        RunJob(jobs, "open file manager", [] { RunSpecialAction({.kind = SpecialKind::OpenFileManager}, {}); });
        return true;
    default: return false;
    }
}

void DockMenus::OpenRecent(const std::wstring& file, std::int32_t itemId) {
    LaunchRequest request;
    {
        std::lock_guard lock(m_bar.Items().ListMutex());
        const std::size_t index = m_bar.Items().IndexOfId(itemId);
        if (!index) return;
        const Dockico& item = m_bar.Items()[index];
        // The file manager shows a folder or a file's own program opens it; a program
        // item opens the file itself.
        if (item.appname == L"explorer.exe") {
            request.realpath = file;
        } else {
            request = LaunchRequestFor(item);
            foundation::AppendArgument(request.runline, file);
        }
    }
    RunJob(m_services.jobs, "open recent item", [request] { Launch(request); });
}

void DockMenus::GoToFolder() {
    ComPtr<IFileOpenDialog> dialog;
    if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)))) return;
    DWORD options = 0;
    if (SUCCEEDED(dialog->GetOptions(&options))) dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM);
    ComPtr<IShellItem> result;
    PWSTR path = nullptr;
    if (FAILED(dialog->Show(m_services.owner)) || FAILED(dialog->GetResult(&result)) ||
        FAILED(result->GetDisplayName(SIGDN_FILESYSPATH, &path)))
        return;
    LaunchRequest request;
    request.realpath = path;
    ::CoTaskMemFree(path);
    RunJob(m_services.jobs, "go to folder", [request] { Launch(request); });
}

void DockMenus::ConnectToServer() {
    // The network drive dialog lives in a library the dock loads only for it.
    using ConnectionDialog = DWORD(WINAPI*)(HWND, DWORD);
    const HMODULE library = ::LoadLibraryW(L"mpr.dll");
    const auto dialog = library ? kestrana::win32::FunctionIn<ConnectionDialog>(library, "WNetConnectionDialog")
                                : nullptr;
    const DWORD result = dialog ? dialog(m_services.owner, 1 /* disk */) : ERROR_NOT_SUPPORTED;
    if (result != NO_ERROR && result != static_cast<DWORD>(-1))
        foundation::LogFailure("connect to server", "the network drive dialog failed: " + std::to_string(result));
    if (library) ::FreeLibrary(library);
}

} // namespace kestrana::dock::win32
