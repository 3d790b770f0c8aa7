#include "menubar/win32/tray_scrape.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/unique_handle.h"
#include "menubar/tray/tray_source.h"
#include "menubar/win32/tray_host.h"

#include <array>

namespace kestrana::menubar::win32 {
namespace {

constexpr UINT kButtonCount = 0x418, kGetButton = 0x417, kGetButtonText = 0x44B;
constexpr UINT kAnswerMs = 200;
constexpr SIZE_T kBufferSize = 256; // a button record, its tray data or 100 bytes of text

// A buffer inside the taskbar's process, released with it.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, SIZE_T size)
        : m_process(process), m_at(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
    ~RemoteBuffer() {
        if (m_at) ::VirtualFreeEx(m_process, m_at, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    [[nodiscard]] void* At() const { return m_at; }

private:
    HANDLE m_process;
    void* m_at;
};

// The bitness of another process: 32 under the 64-bit system's 32-bit layer, or on a
// 32-bit system.
tray::TaskbarBits BitsOf(HANDLE process) {
    BOOL selfWow = FALSE, wow = FALSE;
    ::IsWow64Process(::GetCurrentProcess(), &selfWow);
    const bool system64 = sizeof(void*) == 8 || selfWow;
    ::IsWow64Process(process, &wow);
    return system64 && !wow ? tray::TaskbarBits::Bits64 : tray::TaskbarBits::Bits32;
}

bool Read(HANDLE process, const void* at, void* into, SIZE_T size) {
    SIZE_T got = 0;
    return ::ReadProcessMemory(process, at, into, size, &got) && got == size;
}

void ReadToolbar(HWND toolbar, HANDLE process, tray::TaskbarBits bits, const RemoteBuffer& buffer,
                 std::vector<tray::TrayIcon>& icons) {
    DWORD_PTR count = 0;
    if (!::SendMessageTimeoutW(toolbar, kButtonCount, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &count)) return;
    for (DWORD_PTR i = 0; i < count && icons.size() < tray::kMaxTrayIcons; ++i) {
        DWORD_PTR ok = 0;
        if (!::SendMessageTimeoutW(toolbar, kGetButton, i, reinterpret_cast<LPARAM>(buffer.At()), SMTO_ABORTIFHUNG,
                                   kAnswerMs, &ok) || !ok)
            continue;
        std::array<std::uint8_t, tray::kToolbarButtonSize> button{};
        const std::size_t buttonSize = tray::ToolbarButtonSize(bits);
        if (!Read(process, buffer.At(), button.data(), buttonSize)) continue;
        const auto decoded = tray::DecodeToolbarButton(std::span(button).first(buttonSize), bits);
        if (!decoded || !decoded->data) continue;
        std::array<std::uint8_t, tray::kTrayDataSize> data{};
        const std::size_t dataSize = tray::TrayDataSize(bits);
        if (!Read(process, reinterpret_cast<const void*>(static_cast<UINT_PTR>(decoded->data)), data.data(), dataSize))
            continue;
        auto icon = tray::DecodeTrayData(std::span(data).first(dataSize), bits);
        if (!icon || !::IsWindow(reinterpret_cast<HWND>(static_cast<UINT_PTR>(icon->owner)))) continue;
        icon->hidden = decoded->hidden;
        // The button's text is the icon's tooltip.
        DWORD_PTR length = 0;
        std::array<wchar_t, 50> text{};
        if (::SendMessageTimeoutW(toolbar, kGetButtonText, i, reinterpret_cast<LPARAM>(buffer.At()), SMTO_ABORTIFHUNG,
                                  kAnswerMs, &length) &&
            length > 0 && length < text.size() && Read(process, buffer.At(), text.data(), length * sizeof(wchar_t)))
            icon->tip.assign(text.data(), length);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<UINT_PTR>(icon->owner)), &pid);
        icon->process = pid;
        icons.push_back(std::move(*icon));
    }
}

// "EnableAutoTray" as the user set it, absent when the value is not there.
std::optional<std::uint32_t> AutoTrayValue() {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", L"EnableAutoTray",
                       RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

} // namespace

bool ToolbarReadableFromHere(HWND toolbar) {
    DWORD pid = 0;
    if (!toolbar || !::GetWindowThreadProcessId(toolbar, &pid)) return false;
    kestrana::win32::UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    // Unknown bitness: the reading itself finds out and keeps the list as it was.
    return !process || tray::ToolbarReadable(sizeof(void*) == 8, BitsOf(process.Get()));
}

std::optional<std::vector<tray::TrayIcon>> ReadTaskbarTray() {
    HWND taskbar = FindOtherTaskbar();
    HWND visible = FindNotifyToolbar(taskbar);
    HWND overflowWindow = ::FindWindowW(L"NotifyIconOverflowWindow", nullptr);
    HWND overflow = overflowWindow ? ::FindWindowExW(overflowWindow, nullptr, L"ToolbarWindow32", nullptr) : nullptr;
    if (!visible && !overflow) return std::nullopt;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(visible ? visible : overflow, &pid);
    kestrana::win32::UniqueKernelHandle process(::OpenProcess(0x38, FALSE, pid));
    if (!process) process.Reset(::OpenProcess(0x43A, FALSE, pid));
    if (!process) {
        foundation::LogFailure("tray", L"the taskbar's process cannot be read");
        return std::nullopt;
    }
    const tray::TaskbarBits bits = BitsOf(process.Get());
    if (!tray::ToolbarReadable(sizeof(void*) == 8, bits)) {
        foundation::LogFailure("tray", L"the taskbar's memory cannot be read from this process");
        return std::nullopt;
    }
    RemoteBuffer buffer(process.Get(), kBufferSize);
    // A 32-bit toolbar is handed the buffer's address in 32 bits.
    if (!buffer.At() || (bits == tray::TaskbarBits::Bits32 && reinterpret_cast<UINT_PTR>(buffer.At()) > 0xFFFFFFFFu)) {
        foundation::LogFailure("tray", L"no buffer could be placed in the taskbar's process");
        return std::nullopt;
    }
    const bool autoTray = tray::AutoTrayOn(AutoTrayValue());
    std::vector<tray::TrayIcon> shown, hidden;
    if (visible) ReadToolbar(visible, process.Get(), bits, buffer, shown);
    if (overflow && autoTray) ReadToolbar(overflow, process.Get(), bits, buffer, hidden);
    return tray::JoinTrayAreas(std::move(shown), std::move(hidden), autoTray);
}

} // namespace kestrana::menubar::win32
