#include "dock/running_pictures.h"

#include "dock/window_matching.h"
#include "foundation/diagnostic_log.h"
#include "gfx/png_codec.h"
#include "gfx/resample.h"

namespace kestrana::dock {

std::shared_ptr<const gfx::Bitmap> RunningPictures::Decode(const std::wstring& path) const {
    if (path.empty()) return nullptr;
    const auto bytes = m_settings.Files().Read(path);
    if (!bytes) return nullptr;
    // At its own size, brought down to the largest size the bars draw (as item pictures are).
    auto picture = m_decoder.Decode(*bytes);
    if (!picture || picture->Empty()) return nullptr;
    if (picture->Width() > kItemPictureSize || picture->Height() > kItemPictureSize)
        *picture = gfx::ScaleToFit(*picture, kItemPictureSize);
    return std::make_shared<const gfx::Bitmap>(std::move(*picture));
}

std::shared_ptr<const gfx::Bitmap> RunningPictures::Program(const PictureFacts& item) const {
    if (!m_program) return nullptr;
    // The program's own picture, not a theme's: the cache keeps it across theme changes.
    // A web application of the second browser is found by its key alone.
    PictureFacts own = item;
    if (own.appKind != AppKind::FirefoxWebApp) own.key.clear();
    return m_program(own);
}

std::shared_ptr<const gfx::Bitmap> RunningPictures::Picture(const PictureFacts& item) const {
    const RunningPictureFiles names = RunningPictureNames(item.key, m_settings);
    if (auto configured = Decode(names.configured)) return configured;
    if (item.key.empty()) return Program(item);
    if (auto cached = Decode(names.cache)) return cached;
    auto picture = Program(item);
    if (!picture) return nullptr;
    auto& files = m_settings.Files();
    const std::wstring folder = names.cache.substr(0, names.cache.rfind(L'\\'));
    const auto png = gfx::EncodePng(*picture);
    // A cache that cannot be written only costs the next start a look at the program.
    if (png.empty() || !files.CreateFolder(folder) || !files.Replace(names.cache, png))
        foundation::LogFailure("running pictures", L"could not keep " + names.cache);
    return picture;
}

} // namespace kestrana::dock
