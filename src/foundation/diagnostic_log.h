#pragma once
// The diagnostic log: one small file in the program folder ("Kestrana.log", the one
// before it kept as "Kestrana.log.1") that records the failures the program survives,
// with time and place, and nothing on the normal path. With detail on (setting
// "normal"/"detaillog" = 1) it also records timings and other facts worth a look.
//
// Callers never wait for the disk: lines are queued and written by the log's own
// worker thread. The queue is bounded, so a failure that repeats in a loop cannot eat
// memory; what does not fit is counted and reported by the next line that does.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>

namespace kestrana::foundation {

// The few file operations the log needs; appending is not something the settings files do.
class LogFiles {
public:
    virtual ~LogFiles() = default;
    [[nodiscard]] virtual std::optional<std::uint64_t> Size(const std::wstring& path) const = 0;
    virtual bool Append(const std::wstring& path, std::span<const std::uint8_t> bytes) = 0;
    // Moves `from` onto `to`, replacing it.
    virtual bool Rotate(const std::wstring& from, const std::wstring& to) = 0;
};

// Local wall-clock time as printed at the start of a line.
struct LogTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

enum class LogLevel { Failure, Detail };

class DiagnosticLog {
public:
    static constexpr std::uint64_t kDefaultMaxBytes = 1024 * 1024; // per file; two files at most
    static constexpr std::size_t kMaxQueued = 512;
    static constexpr std::size_t kMaxLineChars = 1000;

    // `path` is the log file; the previous one is kept as `path` + ".1".
    DiagnosticLog(std::unique_ptr<LogFiles> files, std::wstring path, std::function<LogTime()> now,
                  std::uint64_t maxBytes = kDefaultMaxBytes);
    // Writes what is queued, then stops the worker.
    ~DiagnosticLog();
    DiagnosticLog(const DiagnosticLog&) = delete;
    DiagnosticLog& operator=(const DiagnosticLog&) = delete;

    // Queues one line. Detail lines are dropped unless detail is on. Never blocks on I/O.
    void Write(LogLevel level, std::string_view where, std::wstring_view what) noexcept;
    void SetDetail(bool on) noexcept;
    [[nodiscard]] bool Detail() const noexcept;
    // Waits until every line queued so far is on disk, at most `timeout` (tests, shutdown,
    // restart); true when it is.
    bool Flush(std::chrono::milliseconds timeout = std::chrono::milliseconds(2000)) noexcept;
    // Lines dropped because the queue was full, since the start.
    [[nodiscard]] std::uint64_t Dropped() const noexcept;

    // One line as written: time, level, place and text, UTF-8, ending in CR LF.
    [[nodiscard]] static std::string FormatLine(const LogTime& time, LogLevel level, std::string_view where,
                                                std::wstring_view what);

private:
    void Run();
    void WriteOut(const std::string& line);

    std::unique_ptr<LogFiles> m_files;
    std::wstring m_path;
    std::function<LogTime()> m_now;
    std::uint64_t m_maxBytes;
    std::optional<std::uint64_t> m_size; // of the current file, learnt on the first write

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_drained;
    std::deque<std::string> m_queue;
    std::uint64_t m_queuedTotal = 0;  // lines taken in, under m_mutex
    std::uint64_t m_writtenTotal = 0; // lines handled by the worker, under m_mutex
    std::uint64_t m_dropped = 0;
    std::uint64_t m_droppedReported = 0;
    bool m_stop = false;
    bool m_detail = false;
    std::thread m_worker;
};

// The program's log, installed at start-up; until then (and in tests that install none)
// the functions below do nothing.
void InstallDiagnosticLog(std::shared_ptr<DiagnosticLog> log) noexcept;
[[nodiscard]] std::shared_ptr<DiagnosticLog> InstalledDiagnosticLog() noexcept;

// A failure the program survives: `where` names the operation ("item save", "main window 65100").
void LogFailure(std::string_view where, std::wstring_view what) noexcept;
void LogFailure(std::string_view where, std::string_view what) noexcept;
// A fact worth a line only when detail is on (timings, decisions).
void LogDetail(std::string_view where, std::wstring_view what) noexcept;
void LogDetail(std::string_view where, std::string_view what) noexcept;
[[nodiscard]] bool DetailLogging() noexcept;
// Before the process ends on purpose (quit, restart): what is queued reaches the file.
void FlushDiagnosticLog() noexcept;
// Inside a catch block: the exception being handled, with its message where it has one.
void LogCaught(std::string_view where) noexcept;

} // namespace kestrana::foundation
