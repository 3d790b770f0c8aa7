#pragma once
// Pictures of other programs' windows inside one window of ours: a live thumbnail from the
// window manager where it gives one, otherwise a picture taken on a worker (the capture
// itself checks for hung windows and the picture-size cap), taken again at most four times
// a second while shown and dropped when closed. The dock's previews and the stage
// manager's column both show their windows through it. User-interface thread only.

#include "foundation/job_runner.h"
#include "gfx/bitmap.h"
#include "gfx/window_pictures.h"

#include <windows.h>

#include <dwmapi.h>

#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace kestrana::gfx {

// A live thumbnail registration, given back when it goes.
class LiveThumbnail {
public:
    LiveThumbnail() = default;
    explicit LiveThumbnail(HTHUMBNAIL handle) : m_handle(handle) {}
    ~LiveThumbnail() { Reset(); }
    LiveThumbnail(LiveThumbnail&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    LiveThumbnail& operator=(LiveThumbnail&& other) noexcept {
        if (this != &other) {
            Reset();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    LiveThumbnail(const LiveThumbnail&) = delete;
    LiveThumbnail& operator=(const LiveThumbnail&) = delete;
    void Reset() noexcept {
        if (m_handle) ::DwmUnregisterThumbnail(m_handle);
        m_handle = nullptr;
    }
    [[nodiscard]] HTHUMBNAIL Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    HTHUMBNAIL m_handle = nullptr;
};

class WindowThumbnails {
public:
    // A picture of `window`, whose visible rectangle on the screen is `rect`, about
    // `width` x `height` (worker thread); empty when none. Another size is scaled.
    using WindowPicture = std::function<Bitmap(HWND window, const RECT& rect, int width, int height)>;

    struct Services {
        foundation::JobRunner& jobs;
        WindowPicture picture;
        UINT capturedMessage;  // posted to the host when a pass brought pictures
        UINT_PTR captureTimer; // the host's timer id for the passes
        const char* area;      // for the diagnostic log
    };

    explicit WindowThumbnails(Services services);
    ~WindowThumbnails();
    WindowThumbnails(const WindowThumbnails&) = delete;
    WindowThumbnails& operator=(const WindowThumbnails&) = delete;

    // Shows `windows` inside `host`, in this order. Windows shown before keep their
    // registration and picture; the others' go. False when the list is empty.
    bool Show(HWND host, std::span<const HWND> windows);
    // Where picture `index` stands in the host's client area; a live one follows at once.
    void Place(std::size_t index, const RECT& slot);
    // Everything goes: registrations, pictures, the pending pass.
    void Close();

    [[nodiscard]] std::size_t Count() const { return m_entries.size(); }
    [[nodiscard]] HWND Window(std::size_t index) const { return m_entries[index].window; }
    [[nodiscard]] bool Live(std::size_t index) const { return static_cast<bool>(m_entries[index].live); }
    // The captured picture, empty until one came (or for a live one).
    [[nodiscard]] const Bitmap& Captured(std::size_t index) const { return m_entries[index].captured; }
    // The window's size as the thumbnail source sees it (restored size for a minimised window).
    [[nodiscard]] SIZE SourceSize(std::size_t index) const;
    [[nodiscard]] bool AnyCaptured() const;

    // The host's capture timer fired.
    void OnTimer();
    // The host got `capturedMessage`; true when a picture changed and the host redraws.
    bool OnCaptured(WPARAM generation);

private:
    struct Entry {
        HWND window = nullptr;
        LiveThumbnail live;
        RECT slot{};
        Bitmap captured;
        std::uint64_t fingerprint = 0;
    };
    struct Taken {
        HWND window = nullptr;
        Bitmap picture;
        std::uint64_t fingerprint = 0;
    };
    // Filled by a pass on a worker, taken on the user-interface thread.
    struct Mailbox {
        std::mutex mutex;
        std::uint64_t generation = 0;
        std::vector<Taken> pictures;
    };

    void StartPass();

    Services m_services;
    HWND m_host = nullptr;
    std::vector<Entry> m_entries;
    CaptureSchedule m_schedule;
    std::shared_ptr<Mailbox> m_mailbox = std::make_shared<Mailbox>();
    bool m_fallbackReported = false; // once per run, not per opening
};

// Shows `window` alone on the desktop, the other windows faded, with `keep` (the surface
// that asked) left above, until EndPeek. False where the window manager offers no peek
// (without composition, or under a system that does not have it); then nothing changes.
bool PeekAtWindow(HWND window, HWND keep) noexcept;
void EndPeek() noexcept;

// The size a minimised window shows at when restored; its own rectangle is tiny.
[[nodiscard]] RECT RestoredWindowRect(HWND window);

} // namespace kestrana::gfx
