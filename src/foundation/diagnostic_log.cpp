#include "foundation/diagnostic_log.h"

#include "foundation/text.h"

#include <atomic>
#include <cstdio>
#include <exception>

namespace kestrana::foundation {

namespace {

std::string Clip(std::string text, std::size_t limit) {
    if (text.size() <= limit) return text;
    // Cut on a UTF-8 character boundary.
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    text += "...";
    return text;
}

// Line breaks inside a message would forge further lines.
void Flatten(std::string& text) {
    for (char& c : text)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
}

} // namespace

DiagnosticLog::DiagnosticLog(std::unique_ptr<LogFiles> files, std::wstring path, std::function<LogTime()> now,
                             std::uint64_t maxBytes)
    : m_files(std::move(files)), m_path(std::move(path)), m_now(std::move(now)), m_maxBytes(maxBytes) {
    m_worker = std::thread([this] { Run(); });
}

DiagnosticLog::~DiagnosticLog() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_worker.joinable()) m_worker.join();
}

std::string DiagnosticLog::FormatLine(const LogTime& t, LogLevel level, std::string_view where,
                                      std::wstring_view what) {
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d ", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, t.millisecond);
    std::string line = stamp;
    line += level == LogLevel::Failure ? "FAIL " : "info ";
    std::string place(where);
    std::string text = ToUtf8(what);
    Flatten(place);
    Flatten(text);
    line += Clip(std::move(place), 80);
    line += ": ";
    line += Clip(std::move(text), kMaxLineChars);
    line += "\r\n";
    return line;
}

void DiagnosticLog::Write(LogLevel level, std::string_view where, std::wstring_view what) noexcept {
    try {
        if (level == LogLevel::Detail && !Detail()) return;
        std::string line = FormatLine(m_now ? m_now() : LogTime{}, level, where, what);
        {
            std::lock_guard lock(m_mutex);
            if (m_stop) return;
            if (m_queue.size() >= kMaxQueued) {
                ++m_dropped;
                return;
            }
            if (m_dropped > m_droppedReported) {
                const std::uint64_t lost = m_dropped - m_droppedReported;
                m_droppedReported = m_dropped;
                m_queue.push_back(FormatLine(m_now ? m_now() : LogTime{}, LogLevel::Failure, "log",
                                             std::to_wstring(lost) + L" lines dropped: too many at once"));
                ++m_queuedTotal;
            }
            m_queue.push_back(std::move(line));
            ++m_queuedTotal;
        }
        m_wake.notify_one();
    } catch (...) {
        // Out of memory while logging: nothing more useful can be done.
    }
}

void DiagnosticLog::SetDetail(bool on) noexcept {
    std::lock_guard lock(m_mutex);
    m_detail = on;
}

bool DiagnosticLog::Detail() const noexcept {
    std::lock_guard lock(m_mutex);
    return m_detail;
}

std::uint64_t DiagnosticLog::Dropped() const noexcept {
    std::lock_guard lock(m_mutex);
    return m_dropped;
}

bool DiagnosticLog::Flush(std::chrono::milliseconds timeout) noexcept {
    std::unique_lock lock(m_mutex);
    const std::uint64_t target = m_queuedTotal;
    return m_drained.wait_for(lock, timeout, [&] { return m_writtenTotal >= target; });
}

void DiagnosticLog::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stop || !m_queue.empty(); });
        while (!m_queue.empty()) {
            std::string line = std::move(m_queue.front());
            m_queue.pop_front();
            lock.unlock();
            try {
                WriteOut(line);
            } catch (...) {
            }
            lock.lock();
            ++m_writtenTotal;
            m_drained.notify_all();
        }
        if (m_stop) return;
    }
}

void DiagnosticLog::WriteOut(const std::string& line) {
    if (!m_size) m_size = m_files->Size(m_path).value_or(0);
    if (*m_size > 0 && *m_size + line.size() > m_maxBytes) {
        // The full file becomes the previous one. When that cannot be done the line is
        // dropped: the cap holds even then.
        if (m_files->Rotate(m_path, m_path + L".1")) m_size = m_files->Size(m_path).value_or(0);
        if (*m_size + line.size() > m_maxBytes) return;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(line.data());
    if (m_files->Append(m_path, {bytes, line.size()})) *m_size += line.size();
}

namespace {

std::mutex g_installMutex;
std::shared_ptr<DiagnosticLog> g_log; // under g_installMutex
std::atomic<bool> g_installed{false};

} // namespace

void InstallDiagnosticLog(std::shared_ptr<DiagnosticLog> log) noexcept {
    std::lock_guard lock(g_installMutex);
    g_log = std::move(log);
    g_installed.store(g_log != nullptr);
}

std::shared_ptr<DiagnosticLog> InstalledDiagnosticLog() noexcept {
    if (!g_installed.load(std::memory_order_acquire)) return nullptr;
    std::lock_guard lock(g_installMutex);
    return g_log;
}

void LogFailure(std::string_view where, std::wstring_view what) noexcept {
    if (auto log = InstalledDiagnosticLog()) log->Write(LogLevel::Failure, where, what);
}

void LogFailure(std::string_view where, std::string_view what) noexcept {
    try {
        if (auto log = InstalledDiagnosticLog()) log->Write(LogLevel::Failure, where, FromUtf8(what));
    } catch (...) {
    }
}

void LogDetail(std::string_view where, std::wstring_view what) noexcept {
    if (auto log = InstalledDiagnosticLog()) log->Write(LogLevel::Detail, where, what);
}

void LogDetail(std::string_view where, std::string_view what) noexcept {
    try {
        if (auto log = InstalledDiagnosticLog(); log && log->Detail())
            log->Write(LogLevel::Detail, where, FromUtf8(what));
    } catch (...) {
    }
}

void FlushDiagnosticLog() noexcept {
    if (auto log = InstalledDiagnosticLog()) log->Flush(std::chrono::milliseconds(1000));
}

void LogCaught(std::string_view where) noexcept {
    try {
        if (!InstalledDiagnosticLog()) return;
        std::string what = "unexpected exception";
        try {
            if (const auto current = std::current_exception()) std::rethrow_exception(current);
        } catch (const std::exception& e) {
            what = std::string("exception: ") + e.what();
        } catch (...) {
        }
        LogFailure(where, std::string_view(what));
    } catch (...) {
    }
}

bool DetailLogging() noexcept {
    auto log = InstalledDiagnosticLog();
    return log && log->Detail();
}

} // namespace kestrana::foundation
