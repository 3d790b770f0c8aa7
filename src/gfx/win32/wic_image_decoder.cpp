#include "gfx/win32/wic_image_decoder.h"

#include "foundation/diagnostic_log.h"
#include "gfx/ico_codec.h"
#include "gfx/image_limits.h"
#include "gfx/png_codec.h"

#include <algorithm>
#include <limits>

namespace kestrana::gfx {

using Microsoft::WRL::ComPtr;

namespace {
// Not named in every SDK's headers; Windows 10 and Wine both accept it.
constexpr auto kHighQualityCubic = static_cast<WICBitmapInterpolationMode>(4);

// Icons hold several frames: the smallest one at least as large as wanted, else the
// largest (the same rule as the native reader).
ComPtr<IWICBitmapFrameDecode> ChooseFrame(IWICBitmapDecoder* decoder, UINT wanted) {
    UINT frames = 0;
    if (FAILED(decoder->GetFrameCount(&frames))) return nullptr;
    ComPtr<IWICBitmapFrameDecode> best;
    UINT bestEdge = 0;
    for (UINT i = 0; i < std::min<UINT>(frames, 64); ++i) {
        ComPtr<IWICBitmapFrameDecode> frame;
        UINT w = 0, h = 0;
        if (FAILED(decoder->GetFrame(i, frame.GetAddressOf())) || FAILED(frame->GetSize(&w, &h))) continue;
        const UINT edge = std::max(w, h);
        const bool fits = wanted == 0 || edge >= wanted;
        const bool bestFits = best && (wanted == 0 || bestEdge >= wanted);
        bool better = !best;
        if (best) {
            if (wanted == 0) better = edge > bestEdge;
            else if (fits != bestFits) better = fits;
            else better = fits ? edge < bestEdge : edge > bestEdge;
        }
        if (better) {
            best = frame;
            bestEdge = edge;
        }
    }
    return best;
}

// The frame as premultiplied BGRA at the target size. Converted before scaling, so the
// scaler blends colours by their coverage.
ComPtr<IWICBitmapSource> PremultipliedAt(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, UINT width,
                                         UINT height, DecodeSize target) {
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.GetAddressOf())) ||
        FAILED(converter->Initialize(frame, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return nullptr;
    if (UINT(target.width) == width && UINT(target.height) == height) return converter;
    ComPtr<IWICBitmapScaler> scaler;
    if (FAILED(factory->CreateBitmapScaler(scaler.GetAddressOf()))) return nullptr;
    if (FAILED(scaler->Initialize(converter.Get(), UINT(target.width), UINT(target.height), kHighQualityCubic)) &&
        FAILED(scaler->Initialize(converter.Get(), UINT(target.width), UINT(target.height),
                                  WICBitmapInterpolationModeFant)))
        return nullptr;
    return scaler;
}

// A cubic scaler can overshoot; keep every channel within its alpha.
void ClampToAlpha(Bitmap& bitmap) {
    for (Pixel& p : bitmap.Pixels()) {
        const Pixel a = p >> 24;
        const Pixel r = std::min<Pixel>((p >> 16) & 0xFF, a), g = std::min<Pixel>((p >> 8) & 0xFF, a),
                    b = std::min<Pixel>(p & 0xFF, a);
        p = (a << 24) | (r << 16) | (g << 8) | b;
    }
}

} // namespace

std::unique_ptr<WicImageDecoder> WicImageDecoder::Create() {
    try {
        ComPtr<IWICImagingFactory> factory;
        if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(factory.GetAddressOf())))) {
            return nullptr;
        }
        return std::unique_ptr<WicImageDecoder>(new WicImageDecoder(std::move(factory)));
    } catch (...) {
        kestrana::foundation::LogCaught("image decoder Create");
        return nullptr;
    }
}

WicImageDecoder::WicImageDecoder(ComPtr<IWICImagingFactory> factory) : m_factory(std::move(factory)) {}

std::optional<Bitmap> WicImageDecoder::Decode(std::span<const std::uint8_t> bytes, DecodeSize size) const {
    try {
        if (std::optional<Bitmap> b = DecodeWithWic(bytes, size)) {
            return b;
        }
        return m_fallback.Decode(bytes, size);
    } catch (...) {
        kestrana::foundation::LogCaught("image decoder Decode");
        return std::nullopt;
    }
}

std::optional<Bitmap> WicImageDecoder::DecodeWithWic(std::span<const std::uint8_t> bytes, DecodeSize size) const {
    if (bytes.empty() || bytes.size() > std::numeric_limits<DWORD>::max()) return std::nullopt;
    ComPtr<IWICStream> stream;
    if (FAILED(m_factory->CreateStream(stream.GetAddressOf())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()), DWORD(bytes.size()))))
        return std::nullopt;
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(m_factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                  decoder.GetAddressOf())))
        return std::nullopt;
    const ComPtr<IWICBitmapFrameDecode> frame = ChooseFrame(decoder.Get(), UINT(std::max({0, size.width, size.height})));
    UINT width = 0, height = 0;
    if (!frame || FAILED(frame->GetSize(&width, &height)) || !ImageSizeAllowed(width, height)) return std::nullopt;
    const DecodeSize target = ResolveDecodeSize(int(width), int(height), size);
    if (!ImageSizeAllowed(target.width, target.height)) return std::nullopt;
    const ComPtr<IWICBitmapSource> source = PremultipliedAt(m_factory.Get(), frame.Get(), width, height, target);
    if (!source) return std::nullopt;
    Bitmap out(target.width, target.height);
    const UINT stride = UINT(target.width) * 4;
    if (FAILED(source->CopyPixels(nullptr, stride, stride * UINT(target.height),
                                  reinterpret_cast<BYTE*>(out.Pixels().data()))))
        return std::nullopt;
    ClampToAlpha(out);
    return out;
}

std::optional<Bitmap> AnyThreadImageDecoder::Decode(std::span<const std::uint8_t> bytes, DecodeSize size) const {
    try {
        if (LooksLikePng(bytes) || LooksLikeIco(bytes)) return m_native.Decode(bytes, size);
        const auto wic = WicImageDecoder::Create();
        return wic ? wic->Decode(bytes, size) : std::nullopt;
    } catch (...) {
        kestrana::foundation::LogCaught("image decoder AnyThread");
        return std::nullopt;
    }
}

} // namespace kestrana::gfx
