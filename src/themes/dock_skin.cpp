#include "themes/dock_skin.h"

#include "foundation/diagnostic_log.h"
#include "foundation/text.h"
#include "gfx/image_limits.h"
#include "gfx/resample.h"
#include "themes/builtin_dock_skin.h"
#include "themes/theme_choices.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kestrana::themes {

namespace {

using foundation::ConfigStore;

// Spaces beyond this are not a skin's intent but a broken number; they would push the
// icons off any screen.
constexpr float kMaxSpace = 1000.0f;
constexpr int kMaxRunOffset = 1000;

float BoundedSpace(float v) { return std::isfinite(v) ? std::clamp(v, 0.0f, kMaxSpace) : 0.0f; }

float SaneScale(float scale) { return std::isfinite(scale) && scale >= 0.25f && scale <= 8.0f ? scale : 1.0f; }

gfx::Insets Scaled(const gfx::Insets& i, float sx, float sy) {
    return {i.left * sx, i.top * sy, i.right * sx, i.bottom * sy};
}

} // namespace

std::wstring ChosenDockSkin(const ConfigStore& store) {
    std::wstring name = store.ReadString(L"themes", L"dockskin");
    if (!IsThemeName(name) || foundation::EqualsIgnoreCase(name, kDefaultTheme)) {
        return {};
    }
    return name;
}

std::optional<DockSkinFile> ReadDockSkinFile(const ConfigStore& store, std::wstring_view skinName, bool dark) {
    if (!IsThemeName(skinName)) {
        return std::nullopt;
    }
    const foundation::FileSystem& files = store.Files();
    DockSkinFile file;
    file.folder = ThemeFolder(store.BaseFolder(), skinName) + L"dockskin\\";
    const std::wstring ini = file.folder + L"config.ini";
    if (!files.IsFile(ini)) {
        return std::nullopt;
    }
    constexpr std::wstring_view section = L"config";
    const auto pathOf = [&](const std::wstring& key) {
        const std::wstring name = store.ReadString(section, key, {}, ini);
        if (name.empty()) return std::wstring();
        // A picture of the skin lies in the skin's folder: a path that leads elsewhere (up,
        // to another drive or to a network share) is refused, never opened.
        if (!IsThemeName(name)) {
            foundation::LogFailure("dock skin", L"picture name is not a plain file name: " + name);
            return std::wstring();
        }
        return file.folder + name;
    };
    for (std::size_t i = 0; i < kSkinImageCount; ++i) {
        const std::wstring light(kSkinImageKeys[i]);
        std::wstring path;
        if (dark) {
            path = pathOf(light + L"_dark");
            if (!path.empty() && !files.IsFile(path)) {
                path.clear();
            }
        }
        if (path.empty()) {
            path = pathOf(light);
        }
        file.imagePaths[i] = std::move(path);
    }
    file.clip = {store.ReadFloat(section, L"clip_left", ini), store.ReadFloat(section, L"clip_top", ini),
                 store.ReadFloat(section, L"clip_right", ini), store.ReadFloat(section, L"clip_bottom", ini)};
    file.limClipTop = store.ReadFloat(section, L"limclip_top", ini);
    file.limClipBottom = store.ReadFloat(section, L"limclip_bottom", ini);
    file.proClipLeft = store.ReadFloat(section, L"proclip_left", ini);
    file.proClipRight = store.ReadFloat(section, L"proclip_right", ini);
    file.spacing.spaceLeft = BoundedSpace(store.ReadFloat(section, L"space_left", ini));
    file.spacing.spaceTop = BoundedSpace(store.ReadFloat(section, L"space_top", ini));
    file.spacing.spaceRight = BoundedSpace(store.ReadFloat(section, L"space_right", ini));
    file.spacing.spaceBottom = BoundedSpace(store.ReadFloat(section, L"space_bottom", ini));
    file.spacing.runOffset = std::clamp(store.ReadInt(section, L"runoffset", ini), -kMaxRunOffset, kMaxRunOffset);
    return file;
}

std::optional<SkinPicture> DecodeSkinPicture(const foundation::FileSystem& files, const gfx::ImageDecoder& decoder,
                                             const std::wstring& path, float scale) {
    if (path.empty() || !files.IsFile(path)) {
        return std::nullopt;
    }
    const auto bytes = files.Read(path);
    if (!bytes) {
        return std::nullopt;
    }
    std::optional<gfx::Bitmap> natural = decoder.Decode(*bytes);
    if (!natural || natural->Empty()) {
        return std::nullopt;
    }
    SkinPicture out;
    out.naturalWidth = natural->Width();
    out.naturalHeight = natural->Height();
    scale = SaneScale(scale);
    const std::int64_t w = std::max<std::int64_t>(1, std::int64_t(double(out.naturalWidth) * scale));
    const std::int64_t h = std::max<std::int64_t>(1, std::int64_t(double(out.naturalHeight) * scale));
    if (w == out.naturalWidth && h == out.naturalHeight) {
        out.bitmap = std::move(*natural);
        return out;
    }
    if (!gfx::ImageSizeAllowed(w, h)) {
        return std::nullopt;
    }
    // The decoder scales from the file itself (on Windows with the imaging component's
    // own filter); our resampler is the fallback.
    std::optional<gfx::Bitmap> scaled = decoder.Decode(*bytes, {int(w), int(h)});
    if (scaled && scaled->Width() == w && scaled->Height() == h) {
        out.bitmap = std::move(*scaled);
    } else {
        out.bitmap = gfx::ScaleBitmap(*natural, int(w), int(h));
    }
    return out;
}

DockSkin::DockSkin() : DockSkin(BuiltIn({})) {}

DockSkin DockSkin::BuiltIn(const DockSkinOptions& options) {
    DockSkin skin{NoPictures{}};
    skin.m_edge = SkinEdgeFromScreenPosition(options.screenPosition);
    skin.m_scale = SaneScale(options.scale);
    const float s = skin.m_scale;
    BuiltInSkinImages images = MakeBuiltInSkinImages(s, options.dark);
    const gfx::Insets clip{kBuiltInClip * s, kBuiltInClip * s, kBuiltInClip * s, kBuiltInClip * s};
    const gfx::Insets lim{0, kBuiltInLimClip * s, 0, kBuiltInLimClip * s};
    const gfx::Insets pro{kBuiltInProClip * s, 0, kBuiltInProClip * s, 0};
    skin.Set(SkinImage::Background, std::move(images.background), clip, true);
    skin.Set(SkinImage::BlurMask, std::move(images.blurMask), clip, true);
    skin.Set(SkinImage::Run, std::move(images.run), std::nullopt, true);
    skin.Set(SkinImage::Delimiter, std::move(images.delimiter), lim, true);
    skin.Set(SkinImage::ProgressFrame, std::move(images.progressFrame), pro, false);
    skin.Set(SkinImage::ProgressFill, std::move(images.progressFill), pro, false);
    skin.m_runOffsetPixels = int(float(kBuiltInRunOffset) * s);
    return skin;
}

DockSkin DockSkin::Load(const ConfigStore& store, const gfx::ImageDecoder& decoder, const DockSkinOptions& options) {
    const std::wstring name = ChosenDockSkin(store);
    if (name.empty()) {
        return BuiltIn(options);
    }
    // A skin whose folder or file has gone (deleted by hand, a Workshop item withdrawn)
    // leaves the dock with its own look rather than no bar at all.
    const std::optional<DockSkinFile> file = ReadDockSkinFile(store, name, options.dark);
    if (!file) {
        return BuiltIn(options);
    }
    return FromFile(*file, store.Files(), decoder, options);
}

DockSkin DockSkin::FromFile(const DockSkinFile& file, const foundation::FileSystem& files,
                            const gfx::ImageDecoder& decoder, const DockSkinOptions& options) {
    DockSkin skin{NoPictures{}};
    skin.m_hasSkin = true;
    skin.m_edge = SkinEdgeFromScreenPosition(options.screenPosition);
    skin.m_scale = SaneScale(options.scale);
    skin.m_spacing = file.spacing;
    skin.m_runOffsetPixels = int(float(file.spacing.runOffset) * skin.m_scale);
    for (std::size_t i = 0; i < kSkinImageCount; ++i) {
        const auto which = SkinImage(i);
        std::optional<SkinPicture> picture = DecodeSkinPicture(files, decoder, file.imagePaths[i], skin.m_scale);
        if (!picture) {
            continue;
        }
        std::optional<gfx::Insets> insets;
        switch (which) {
        case SkinImage::Background:
        case SkinImage::BlurMask: insets = file.clip; break;
        case SkinImage::Delimiter: insets = gfx::Insets{0, file.limClipTop, 0, file.limClipBottom}; break;
        case SkinImage::ProgressFrame:
        case SkinImage::ProgressFill: insets = gfx::Insets{file.proClipLeft, 0, file.proClipRight, 0}; break;
        case SkinImage::Run: break;
        }
        if (insets) {
            insets = UsableInsets(*insets, picture->naturalWidth, picture->naturalHeight);
            if (!insets) {
                continue;
            }
            insets = Scaled(*insets, float(picture->bitmap.Width()) / float(picture->naturalWidth),
                            float(picture->bitmap.Height()) / float(picture->naturalHeight));
        }
        const bool turn = which != SkinImage::ProgressFrame && which != SkinImage::ProgressFill;
        skin.Set(which, std::move(picture->bitmap), insets, turn);
    }
    return skin;
}

void DockSkin::Set(SkinImage which, gfx::Bitmap picture, std::optional<gfx::Insets> bottomInsets, bool turn) {
    if (picture.Empty()) {
        return;
    }
    if (turn && m_edge != SkinEdge::Bottom) {
        picture = TurnForEdge(picture, m_edge);
        if (bottomInsets) {
            bottomInsets = InsetsForEdge(*bottomInsets, m_edge);
        }
    }
    Surface& s = At(which);
    s.nineGrid = bottomInsets.has_value();
    s.insets = bottomInsets.value_or(gfx::Insets{});
    // The bar and the separator come back at one size frame after frame; the running dot
    // sits at several sub-pixel offsets.
    s.image = s.nineGrid ? gfx::CachedImage(std::move(picture), s.insets) : gfx::CachedImage(std::move(picture), 3);
}

const gfx::Bitmap& DockSkin::Picture(SkinImage image) const { return At(image).image.Source(); }

gfx::Insets DockSkin::PictureInsets(SkinImage image) const { return At(image).insets; }

void DockSkin::DrawBackground(gfx::Canvas& canvas, const gfx::RectF& bar, float opacity) {
    if (HasPicture(SkinImage::Background)) {
        canvas.DrawImage(At(SkinImage::Background).image, bar, opacity);
    }
}

void DockSkin::DrawBlurMask(gfx::Canvas& mask, const gfx::RectF& bar) {
    if (HasPicture(SkinImage::BlurMask)) {
        mask.DrawImage(At(SkinImage::BlurMask).image, bar);
    }
}

gfx::RectF DockSkin::SeparatorRect(const gfx::RectF& bar, float axisCentre) const {
    const gfx::Bitmap& picture = Picture(SkinImage::Delimiter);
    if (IsVerticalEdge(m_edge)) {
        const float t = float(picture.Height());
        return {bar.x, axisCentre - t / 2, bar.width, t};
    }
    const float t = float(picture.Width());
    return {axisCentre - t / 2, bar.y, t, bar.height};
}

void DockSkin::DrawSeparator(gfx::Canvas& canvas, const gfx::RectF& bar, float axisCentre, float opacity) {
    if (HasPicture(SkinImage::Delimiter)) {
        canvas.DrawImage(At(SkinImage::Delimiter).image, SeparatorRect(bar, axisCentre), opacity);
    }
}

gfx::RectF DockSkin::RunIndicatorRect(const gfx::RectF& bar, const gfx::RectF& icon) const {
    const gfx::Bitmap& picture = Picture(SkinImage::Run);
    const float w = float(picture.Width()), h = float(picture.Height());
    const float off = float(m_runOffsetPixels);
    const float cx = icon.x + icon.width / 2 - w / 2;
    const float cy = icon.y + icon.height / 2 - h / 2;
    switch (m_edge) {
    case SkinEdge::Left: return {bar.x + off, cy, w, h};
    case SkinEdge::Right: return {bar.Right() - off - w, cy, w, h};
    case SkinEdge::Top: return {cx, bar.y + off, w, h};
    case SkinEdge::Bottom: break;
    }
    return {cx, bar.Bottom() - off - h, w, h};
}

void DockSkin::DrawRunIndicator(gfx::Canvas& canvas, const gfx::RectF& bar, const gfx::RectF& icon, float opacity) {
    if (HasPicture(SkinImage::Run)) {
        canvas.DrawImage(At(SkinImage::Run).image, RunIndicatorRect(bar, icon), opacity);
    }
}

void DockSkin::DrawProgress(gfx::Canvas& canvas, const gfx::RectF& rect, float fraction, float opacity) {
    if (HasPicture(SkinImage::ProgressFrame)) {
        canvas.DrawImage(At(SkinImage::ProgressFrame).image, rect, opacity);
    }
    const float f = std::isfinite(fraction) ? std::clamp(fraction, 0.0f, 1.0f) : 0.0f;
    if (f > 0 && HasPicture(SkinImage::ProgressFill)) {
        canvas.DrawImage(At(SkinImage::ProgressFill).image, {rect.x, rect.y, rect.width * f, rect.height}, opacity);
    }
}

} // namespace kestrana::themes
