#pragma once
// The window tracker's pictures on Windows: the picture of a running program that is not
// pinned (through the item list's own picture code, with its own caches so the tracker's
// workers never share them with the user-interface thread), and a small snapshot of a
// window. Called on the tracker's workers; each call sets up COM for its thread.

#include "dock/item_pictures.h"
#include "dock/running_pictures.h"
#include "dock/window_tracker.h"
#include "gfx/image_decoder.h"

#include <functional>
#include <memory>
#include <mutex>

namespace kestrana::dock::win32 {

class Win32TrackerPictures final : public TrackerPictures {
public:
    // `sources` must outlive this object; its decoder is replaced by one that needs no COM
    // apartment of the user-interface thread.
    Win32TrackerPictures(const foundation::ConfigStore& settings, const PictureSources& sources);

    std::shared_ptr<const gfx::Bitmap> ProgramPicture(const PictureFacts& item) override;
    // The window drawn by itself into a bitmap, brought down to at most the item picture
    // size. A minimised window draws little or nothing, so for one the image taken just
    // before it went down (by `SetKeptImages`) comes first. Nothing when neither is there.
    std::shared_ptr<const gfx::Bitmap> WindowSnapshot(WindowId window) override;

    // Images of windows taken as they were minimised; called on the tracker's workers.
    using KeptImages = std::function<std::shared_ptr<const gfx::Bitmap>(WindowId)>;
    void SetKeptImages(KeptImages kept);

private:
    gfx::NativeImageDecoder m_decoder;
    std::mutex m_mutex; // the item pictures keep a cache of their own
    ItemPictures m_pictures;
    RunningPictures m_running;
    std::mutex m_keptMutex;
    KeptImages m_kept;
};

} // namespace kestrana::dock::win32
