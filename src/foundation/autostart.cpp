#include "foundation/autostart.h"

#include "foundation/hook_protocol.h"
#include "foundation/text.h"

namespace kestrana::foundation {
namespace {

// Task actions may be quoted.
std::wstring Unquoted(std::wstring_view text) {
    text = TrimBlanks(text);
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') text = text.substr(1, text.size() - 2);
    return std::wstring(text);
}

} // namespace

AutostartMode ReadAutostartMode(const AutostartFacts& facts, const std::wstring& exePath,
                                const std::wstring& baseFolder) {
    if (facts.runValueExists) return AutostartMode::RunValue;
    if (facts.taskCommand) {
        const std::wstring command = Unquoted(*facts.taskCommand);
        if (EqualsIgnoreCase(command, exePath) || EqualsIgnoreCase(command, baseFolder + L"Ondel.exe"))
            return AutostartMode::Task;
    }
    if (facts.serviceImagePath &&
        AsciiLower(*facts.serviceImagePath).find(AsciiLower(baseFolder + L"ondel.exe")) != std::wstring::npos)
        return AutostartMode::Service;
    return AutostartMode::None;
}

std::wstring AutostartCompanionVerb(AutostartMode mode) {
    switch (mode) {
    case AutostartMode::Task: return std::wstring(kVerbCreateStartTask);
    case AutostartMode::Service: return std::wstring(kVerbCreateStartService);
    case AutostartMode::None: return std::wstring(kVerbRemoveStart);
    case AutostartMode::RunValue: return {};
    }
    return {};
}

} // namespace kestrana::foundation
