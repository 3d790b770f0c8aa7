#pragma once
// The pictures of running programs that are not pinned. The user may name one per key
// ("unsaveicon"); otherwise the program's own picture is taken once and kept as
// "runpng\<key>.png" in the program folder, so a later start shows it without asking
// the shell again. Safe to call from the tracker's workers.

#include "dock/item_pictures.h"
#include "foundation/config_store.h"
#include "gfx/image_decoder.h"

#include <functional>
#include <memory>

namespace kestrana::dock {

class RunningPictures {
public:
    // The program's own picture, as the item list would resolve it.
    using ProgramPicture = std::function<std::shared_ptr<const gfx::Bitmap>(const PictureFacts&)>;

    RunningPictures(const foundation::ConfigStore& settings, const gfx::ImageDecoder& decoder, ProgramPicture program)
        : m_settings(settings), m_decoder(decoder), m_program(std::move(program)) {}

    // The configured picture, else the cached one, else the program's own (then cached).
    // Nothing when none of them exists.
    [[nodiscard]] std::shared_ptr<const gfx::Bitmap> Picture(const PictureFacts& item) const;

private:
    [[nodiscard]] std::shared_ptr<const gfx::Bitmap> Decode(const std::wstring& path) const;
    [[nodiscard]] std::shared_ptr<const gfx::Bitmap> Program(const PictureFacts& item) const;

    const foundation::ConfigStore& m_settings;
    const gfx::ImageDecoder& m_decoder;
    ProgramPicture m_program;
};

} // namespace kestrana::dock
