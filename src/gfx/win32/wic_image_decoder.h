#pragma once
// Image decoding through the Windows Imaging Component: any format Windows can read,
// converted to premultiplied BGRA and scaled to the asked size with its high-quality
// scaler. Falls back to the native PNG/ICO reader when WIC cannot read the data.

#include "gfx/image_decoder.h"

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <memory>

namespace kestrana::gfx {

class WicImageDecoder final : public ImageDecoder {
public:
    // Nothing when the imaging factory cannot be made (COM must be initialised on the
    // calling thread).
    [[nodiscard]] static std::unique_ptr<WicImageDecoder> Create();

    [[nodiscard]] std::optional<Bitmap> Decode(std::span<const std::uint8_t> bytes, DecodeSize size = {}) const override;

private:
    explicit WicImageDecoder(Microsoft::WRL::ComPtr<IWICImagingFactory> factory);
    std::optional<Bitmap> DecodeWithWic(std::span<const std::uint8_t> bytes, DecodeSize size) const;

    Microsoft::WRL::ComPtr<IWICImagingFactory> m_factory;
    NativeImageDecoder m_fallback;
};

// For any thread, several at once: PNG and ICO files by the native reader, which needs no
// COM and under Wine skips the imaging component's look-up of a decoder for every file;
// other formats (JPEG, BMP, TIFF, GIF and the rest) through an imaging factory made for
// the call, on a thread that has joined an apartment.
class AnyThreadImageDecoder final : public ImageDecoder {
public:
    [[nodiscard]] std::optional<Bitmap> Decode(std::span<const std::uint8_t> bytes, DecodeSize size = {}) const override;

private:
    NativeImageDecoder m_native;
};

} // namespace kestrana::gfx
