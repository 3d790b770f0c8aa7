#pragma once
// A diagnostic log whose lines stay in memory, installed for the life of the object, for
// tests that check what the program notes and how often.

#include "foundation/diagnostic_log.h"

#include <memory>
#include <string>

namespace kestrana::fakes {

class MemoryLog {
public:
    MemoryLog() {
        auto files = std::make_unique<Files>();
        m_text = files->text;
        m_log = std::make_shared<foundation::DiagnosticLog>(std::move(files), L"L", [] { return foundation::LogTime{}; });
        foundation::InstallDiagnosticLog(m_log);
    }
    ~MemoryLog() { foundation::InstallDiagnosticLog(nullptr); }
    MemoryLog(const MemoryLog&) = delete;
    MemoryLog& operator=(const MemoryLog&) = delete;

    // Everything written so far, once the queue has reached the "file".
    [[nodiscard]] std::string Text() {
        m_log->Flush();
        return *m_text;
    }
    [[nodiscard]] std::size_t Count(const std::string& what) {
        const std::string text = Text();
        std::size_t n = 0;
        for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    }

private:
    struct Files final : foundation::LogFiles {
        std::shared_ptr<std::string> text = std::make_shared<std::string>();
        std::optional<std::uint64_t> Size(const std::wstring&) const override { return text->size(); }
        bool Append(const std::wstring&, std::span<const std::uint8_t> bytes) override {
            text->append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            return true;
        }
        bool Rotate(const std::wstring&, const std::wstring&) override { return false; }
    };
    std::shared_ptr<std::string> m_text;
    std::shared_ptr<foundation::DiagnosticLog> m_log;
};

} // namespace kestrana::fakes
