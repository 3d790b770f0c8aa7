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

bool Read(HANDLE process, const void* at, void* into, SIZE_T size) {
    SIZE_T got = 0;
    return ::ReadProcessMemory(process, at, into, size, &got) && got == size;
}

void ReadToolbar(HWND toolbar, HANDLE process, const RemoteBuffer& buffer, std::vector<tray::TrayIcon>& icons) {
    DWORD_PTR count = 0;
    if (!::SendMessageTimeoutW(toolbar, kButtonCount, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &count)) return;
    for (DWORD_PTR i = 0; i < count && icons.size() < tray::kMaxTrayIcons; ++i) {
        DWORD_PTR ok = 0;
        if (!::SendMessageTimeoutW(toolbar, kGetButton, i, reinterpret_cast<LPARAM>(buffer.At()), SMTO_ABORTIFHUNG,
                                   kAnswerMs, &ok) || !ok)
            continue;
        std::array<std::uint8_t, tray::kToolbarButtonSize> button{};
        if (!Read(process, buffer.At(), button.data(), button.size())) continue;
        const auto decoded = tray::DecodeToolbarButton(button);
        if (!decoded || !decoded->data) continue;
        std::array<std::uint8_t, tray::kTrayDataSize> data{};
        if (!Read(process, reinterpret_cast<const void*>(static_cast<UINT_PTR>(decoded->data)), data.data(), data.size()))
            continue;
        auto icon = tray::DecodeTrayData(data);
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
    RemoteBuffer buffer(process.Get(), kBufferSize);
    if (!buffer.At()) {
        foundation::LogFailure("tray", L"no buffer could be placed in the taskbar's process");
        return std::nullopt;
    }
    const bool autoTray = tray::AutoTrayOn(AutoTrayValue());
    std::vector<tray::TrayIcon> shown, hidden;
    if (visible) ReadToolbar(visible, process.Get(), buffer, shown);
    if (overflow && autoTray) ReadToolbar(overflow, process.Get(), buffer, hidden);
    return tray::JoinTrayAreas(std::move(shown), std::move(hidden), autoTray);
}

} // namespace kestrana::menubar::win32
