#pragma once
// The settings window's Animations page: the minimise effect and its speed, the open and
// close animations, and the programs left out of them ("blacklistwindows").

#include "foundation/settings_pages.h"

#include <memory>
#include <string>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::extras {

inline constexpr wchar_t kAnimationIncludeAction[] = L"animinclude";

// The programs whose windows are never animated, as "blacklistwindows" lists them.
[[nodiscard]] std::vector<std::wstring> ExcludedPrograms(const foundation::ConfigStore& store);
// Animates a program's windows again.
bool IncludeProgram(foundation::ConfigStore& store, const std::wstring& program);

// The speed choice a stored "Animationspeed" shows as: the nearest of the labelled
// factors ("0.5" for 0.47), the normal speed for nothing or a non-number.
[[nodiscard]] std::wstring SpeedChoiceOf(float factor);

// `excludedChoice` is the exclusion list's chosen program, shared with the action that
// takes it off the list.
[[nodiscard]] foundation::PageDescriptor AnimationSettingsPage(foundation::ConfigStore& store,
                                                               std::shared_ptr<std::wstring> excludedChoice);

} // namespace kestrana::extras
