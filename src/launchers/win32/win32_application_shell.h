#pragma once
// The Launchpad's sources and icons through the shell's item interfaces. COM must be
// initialised on the calling thread (the icon workers do it through EnterWorker()).

#include "launchers/catalogue_icons.h"
#include "launchers/catalogue_sources.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kestrana::launchers {

class Win32ApplicationShell final : public ApplicationShell {
public:
    // The applications folder through its item enumerator; the desktop and the file
    // folders through their shell folders (Wine has no item enumerator for them).
    std::optional<std::vector<ShellItemInfo>> NonFolderItems(ShellFolder folder, const std::wstring& path = {},
                                                             const KnownNames* known = nullptr) const override;
};

class Win32ApplicationIcons final : public ApplicationIcons {
public:
    IconFacts Facts(const std::wstring& path) const override;
    // IShellItemImageFactory at 256 px; nothing when the shell gives a small icon on a large
    // canvas (the application has no large one) or a stub picture (Wine gives 1 x 1).
    std::optional<gfx::Bitmap> ItemImage(const std::wstring& path) const override;
    std::optional<gfx::Bitmap> ResourceIcon(const std::wstring& file, int index) const override;
    std::optional<gfx::Bitmap> FileIcon(const std::wstring& path) const override;
    std::shared_ptr<void> EnterWorker() const override;

private:
    // The shell's image lists belong to the whole process; the workers take turns with them.
    mutable std::mutex m_imageLists;
};

// A shell item for a catalogue path: a file-system path as it is, anything else as an
// application id of the applications folder.
[[nodiscard]] std::wstring ShellParsingName(const std::wstring& path);

} // namespace kestrana::launchers
