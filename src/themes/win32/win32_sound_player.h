#pragma once
// Theme sounds through the system's wave player, without waiting for them to end.

#include "themes/theme_files.h"

namespace kestrana::themes {

class Win32SoundPlayer final : public SoundPlayer {
public:
    bool PlayFile(const std::wstring& path) noexcept override;
};

} // namespace kestrana::themes
