#pragma once
// The UI Automation side of a surface: the same snapshot the Active Accessibility object
// reads, handed out as a fragment root per window and a fragment per element, with the
// invoke, value, toggle, expand/collapse and selection patterns where an element has them. The
// system's UI Automation library is loaded on first use; without it nothing is answered
// and readers fall back to the Active Accessibility object.

#include "foundation/win32/accessible_host.h"

#include <windows.h>

#include <memory>
#include <optional>

namespace kestrana::win32::uia {

// WM_GETOBJECT for the UI Automation root; nothing for any other object.
[[nodiscard]] std::optional<LRESULT> AnswerRoot(const std::shared_ptr<AccessibleHost::Shared>& shared, WPARAM wParam,
                                                LPARAM lParam) noexcept;

// Events, raised only while a UI Automation client listens to this surface.
void RaiseFocus(const std::shared_ptr<AccessibleHost::Shared>& shared, foundation::AccessibleId id) noexcept;
void RaiseValue(const std::shared_ptr<AccessibleHost::Shared>& shared, foundation::AccessibleId id) noexcept;
void RaiseStructure(const std::shared_ptr<AccessibleHost::Shared>& shared) noexcept;

// The surface goes: the system lets go of the providers it holds for its window.
void Release(const std::shared_ptr<AccessibleHost::Shared>& shared) noexcept;

} // namespace kestrana::win32::uia
