#include "themes/win32/win32_sound_player.h"

#include <windows.h>
#include <mmsystem.h>

namespace kestrana::themes {

bool Win32SoundPlayer::PlayFile(const std::wstring& path) noexcept {
    // A missing file would make the system play its default beep instead, so the look-up
    // checks again here: the file may have gone since.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }
    return PlaySoundW(path.c_str(), nullptr, SND_FILENAME | SND_ASYNC) != FALSE;
}

} // namespace kestrana::themes
