#pragma once
// The window tracker's pictures on Windows: the picture of a running program that is not
// pinned (through the item list's own picture code, with its own caches so the tracker's
// workers never share them with the user-interface thread), and a small snapshot of a
// window. Called on the tracker's workers; each call sets up COM for its thread.

#include "dock/item_pictures.h"
#include "dock/running_pictures.h"
#include "dock/window_tracker.h"
#include "gfx/image_decoder.h"

#include <mutex>

namespace kestrana::dock::win32 {

class Win32TrackerPictures final : public TrackerPictures {
public:
    // `sources` must outlive this object; its decoder is replaced by one that needs no COM
    // apartment of the user-interface thread.
    Win32TrackerPictures(const foundation::ConfigStore& settings, const PictureSources& sources);

    std::shared_ptr<const gfx::Bitmap> ProgramPicture(const PictureFacts& item) override;
    // The window drawn by itself into a bitmap, brought down to at most the item picture
    // size. Nothing when the system drew nothing (a minimised window often draws black).
    std::shared_ptr<const gfx::Bitmap> WindowSnapshot(WindowId window) override;

private:
    gfx::NativeImageDecoder m_decoder;
    std::mutex m_mutex; // the item pictures keep a cache of their own
    ItemPictures m_pictures;
    RunningPictures m_running;
};

} // namespace kestrana::dock::win32
