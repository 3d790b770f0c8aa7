#include "gfx/win32/window_thumbnails.h"

#include "foundation/diagnostic_log.h"
#include "gfx/resample.h"

#include <algorithm>

namespace kestrana::gfx {
namespace {

std::int64_t NowMs() { return static_cast<std::int64_t>(::GetTickCount64()); }

// Only windows that are seen can be pictured; a minimised one keeps the picture it had.
template <class Entry> bool Capturable(const Entry& e) {
    return !e.live && e.slot.right > e.slot.left && e.slot.bottom > e.slot.top && !::IsIconic(e.window) &&
           ::IsWindowVisible(e.window);
}

} // namespace

namespace {

// The window manager's peek has no documented entry: it is exported by ordinal only.
using ActivateLivePreview = HRESULT(WINAPI*)(BOOL on, HWND peek, HWND keep, UINT kind, UINT_PTR reserved);
ActivateLivePreview PeekEntry() {
    static const ActivateLivePreview entry = [] {
        const HMODULE dwm = ::GetModuleHandleW(L"dwmapi.dll");
        return dwm ? reinterpret_cast<ActivateLivePreview>(
                         reinterpret_cast<void*>(::GetProcAddress(dwm, MAKEINTRESOURCEA(113))))
                   : nullptr;
    }();
    return entry;
}

bool g_peeking = false; // user-interface thread

} // namespace

bool PeekAtWindow(HWND window, HWND keep) noexcept {
    const auto entry = PeekEntry();
    BOOL composed = FALSE;
    if (!entry || FAILED(::DwmIsCompositionEnabled(&composed)) || !composed) {
        static bool reported = false;
        if (!reported) {
            reported = true;
            foundation::LogFailure("previews", L"the window manager offers no peek here: resting on a picture peeks at nothing");
        }
        return false;
    }
    g_peeking = SUCCEEDED(entry(TRUE, window, keep, 1, 0));
    return g_peeking;
}

void EndPeek() noexcept {
    // Only a peek that started is ended: where the entry is a stub, it is never called.
    if (!g_peeking) return;
    g_peeking = false;
    if (const auto entry = PeekEntry()) entry(FALSE, nullptr, nullptr, 1, 0);
}

RECT RestoredWindowRect(HWND window) {
    RECT r{};
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (::IsIconic(window) && ::GetWindowPlacement(window, &placement)) return placement.rcNormalPosition;
    ::GetWindowRect(window, &r);
    return r;
}

WindowThumbnails::WindowThumbnails(Services services) : m_services(std::move(services)) {}

WindowThumbnails::~WindowThumbnails() { Close(); }

bool WindowThumbnails::Show(HWND host, std::span<const HWND> windows) {
    if (host != m_host) Close();
    m_host = host;
    std::vector<Entry> entries;
    entries.reserve(windows.size());
    bool changed = windows.size() != m_entries.size();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const HWND window = windows[i];
        auto kept = std::find_if(m_entries.begin(), m_entries.end(), [window](const Entry& e) { return e.window == window; });
        if (kept != m_entries.end() && kept->window) {
            changed = changed || kept - m_entries.begin() != static_cast<std::ptrdiff_t>(i);
            entries.push_back(std::move(*kept));
            kept->window = nullptr;
            continue;
        }
        changed = true;
        Entry e;
        e.window = window;
        // The live thumbnail is asked for first; where the system has none, pictures are taken.
        HTHUMBNAIL thumbnail = nullptr;
        if (SUCCEEDED(::DwmRegisterThumbnail(host, window, &thumbnail))) e.live = LiveThumbnail(thumbnail);
        entries.push_back(std::move(e));
    }
    m_entries = std::move(entries); // the ones no longer shown unregister here
    if (m_entries.empty()) {
        Close();
        return false;
    }
    if (!AnyCaptured()) {
        m_schedule.Stop();
        ::KillTimer(m_host, m_services.captureTimer);
        return true;
    }
    if (!m_fallbackReported) {
        m_fallbackReported = true;
        foundation::LogFailure(m_services.area, L"the system gave no live thumbnail: pictures of the windows are taken instead");
    }
    if (changed || !m_schedule.Active()) {
        m_schedule.Restart();
        ::SetTimer(m_host, m_services.captureTimer, static_cast<UINT>(CaptureSchedule::kMinIntervalMs), nullptr);
    }
    return true;
}

void WindowThumbnails::Place(std::size_t index, const RECT& slot) {
    if (index >= m_entries.size()) return;
    Entry& e = m_entries[index];
    const bool moved = !::EqualRect(&e.slot, &slot);
    e.slot = slot;
    if (!e.live) {
        // A picture taken at another size is taken again at this one.
        if (moved && !e.captured.Empty()) m_schedule.Taken(index, true, NowMs());
        return;
    }
    DWM_THUMBNAIL_PROPERTIES props{};
    props.dwFlags = DWM_TNP_RECTDESTINATION | DWM_TNP_VISIBLE | DWM_TNP_OPACITY | DWM_TNP_SOURCECLIENTAREAONLY;
    props.rcDestination = slot;
    props.fVisible = slot.right > slot.left && slot.bottom > slot.top;
    props.opacity = 255;
    props.fSourceClientAreaOnly = FALSE;
    if (FAILED(::DwmUpdateThumbnailProperties(e.live.Get(), &props)))
        foundation::LogFailure(m_services.area, L"a thumbnail could not be placed");
}

void WindowThumbnails::Close() {
    m_entries.clear(); // registrations and pictures go with them
    m_entries.shrink_to_fit();
    m_schedule.Stop();
    {
        std::lock_guard lock(m_mailbox->mutex);
        m_mailbox->pictures.clear();
    }
    if (m_host) ::KillTimer(m_host, m_services.captureTimer);
}

SIZE WindowThumbnails::SourceSize(std::size_t index) const {
    const Entry& e = m_entries[index];
    SIZE size{};
    if (e.live && SUCCEEDED(::DwmQueryThumbnailSourceSize(e.live.Get(), &size)) && size.cx > 0 && size.cy > 0)
        return size;
    const RECT r = RestoredWindowRect(e.window);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

bool WindowThumbnails::AnyCaptured() const {
    return std::any_of(m_entries.begin(), m_entries.end(), [](const Entry& e) {
        return ChoosePictureSource(static_cast<bool>(e.live)) == PictureSource::Captured;
    });
}

void WindowThumbnails::OnTimer() { StartPass(); }

void WindowThumbnails::StartPass() {
    const std::int64_t now = NowMs();
    if (!m_schedule.StartIfDue(now)) return;
    struct Job {
        HWND window;
        RECT rect;
        int width, height;
        std::uint64_t fingerprint;
    };
    std::vector<bool> capturable;
    for (const Entry& e : m_entries) capturable.push_back(Capturable(e));
    std::vector<Job> jobs;
    for (std::size_t pick : m_schedule.Batch(capturable, now)) {
        const Entry& e = m_entries[pick];
        RECT r{};
        if (!::GetWindowRect(e.window, &r)) continue;
        jobs.push_back({e.window, r, e.slot.right - e.slot.left, e.slot.bottom - e.slot.top, e.fingerprint});
    }
    const std::uint64_t generation = m_schedule.Generation();
    if (jobs.empty()) {
        m_schedule.Finished(generation);
        return;
    }
    std::weak_ptr<Mailbox> mailbox = m_mailbox;
    const HWND host = m_host;
    const UINT message = m_services.capturedMessage;
    const char* area = m_services.area;
    auto pass = [jobs = std::move(jobs), mailbox, host, message, generation, area,
                 picture = m_services.picture](const foundation::JobContext&) {
        std::vector<Taken> taken;
        for (const Job& j : jobs) {
            try {
                Bitmap shot = picture ? picture(j.window, j.rect, j.width, j.height) : Bitmap();
                if (shot.Empty() || j.width <= 0 || j.height <= 0) continue;
                if (shot.Width() != j.width || shot.Height() != j.height) shot = ScaleBitmap(shot, j.width, j.height);
                const std::uint64_t fingerprint = PictureFingerprint(shot);
                // The same picture as shown: only the fact comes back, not the pixels.
                if (fingerprint == j.fingerprint) shot = Bitmap();
                taken.push_back({j.window, std::move(shot), fingerprint});
            } catch (...) {
                foundation::LogCaught(area);
            }
        }
        const auto box = mailbox.lock();
        if (!box) return;
        {
            std::lock_guard lock(box->mutex);
            box->generation = generation;
            box->pictures = std::move(taken);
        }
        ::PostMessageW(host, message, static_cast<WPARAM>(generation), 0);
    };
    if (!m_services.jobs.Run(std::move(pass))) {
        m_schedule.Finished(generation);
        foundation::LogFailure(m_services.area, "no job for the pictures");
    }
}

bool WindowThumbnails::OnCaptured(WPARAM generation) {
    std::vector<Taken> taken;
    {
        std::lock_guard lock(m_mailbox->mutex);
        if (m_mailbox->generation != generation) return false;
        taken = std::move(m_mailbox->pictures);
        m_mailbox->pictures.clear();
    }
    if (!m_schedule.Finished(generation)) return false; // closed or changed meanwhile
    const std::int64_t now = NowMs();
    bool changed = false;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        Entry& e = m_entries[i];
        for (Taken& t : taken) {
            if (t.window != e.window || e.live) continue;
            const bool fresh = t.fingerprint != e.fingerprint;
            m_schedule.Taken(i, fresh, now);
            if (fresh && !t.picture.Empty()) {
                e.captured = std::move(t.picture);
                e.fingerprint = t.fingerprint;
                changed = true;
            }
        }
    }
    return changed;
}

} // namespace kestrana::gfx
