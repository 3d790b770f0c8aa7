#include "themes/dock_skin_preview.h"

#include "foundation/text.h"
#include "gfx/canvas.h"
#include "themes/builtin_dock_skin.h"
#include "themes/skin_geometry.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace kestrana::themes {

namespace {

// Half an icon for the separator, as on the dock.
constexpr float kRowSlots = float(kPreviewIcons.size()) + 0.5f;
constexpr float kSmallestIcon = 4.0f;

struct PreviewParts {
    gfx::Bitmap bar;
    std::optional<gfx::Insets> barInsets;
    gfx::Bitmap delimiter;
    std::optional<gfx::Insets> delimiterInsets;
    gfx::Bitmap run;
    DockSkinSpacing spacing;
};

std::optional<PreviewParts> BuiltInParts(bool dark) {
    BuiltInSkinImages images = MakeBuiltInSkinImages(1.0f, dark);
    PreviewParts parts;
    parts.bar = std::move(images.background);
    parts.barInsets = gfx::Insets{kBuiltInClip, kBuiltInClip, kBuiltInClip, kBuiltInClip};
    parts.delimiter = std::move(images.delimiter);
    parts.delimiterInsets = gfx::Insets{0, kBuiltInLimClip, 0, kBuiltInLimClip};
    parts.run = std::move(images.run);
    parts.spacing = {kBuiltInSpaceEnds, kBuiltInSpaceAcross, kBuiltInSpaceEnds, kBuiltInSpaceAcross,
                     kBuiltInRunOffset};
    return parts;
}

std::optional<PreviewParts> SkinParts(const foundation::ConfigStore& store, const gfx::ImageDecoder& decoder,
                                      std::wstring_view skinName, bool dark) {
    const std::optional<DockSkinFile> file = ReadDockSkinFile(store, skinName, dark);
    if (!file) {
        return std::nullopt;
    }
    const foundation::FileSystem& files = store.Files();
    const auto picture = [&](SkinImage which) {
        return DecodeSkinPicture(files, decoder, file->imagePaths[std::size_t(which)], 1.0f);
    };
    std::optional<SkinPicture> bar = picture(SkinImage::Background);
    if (!bar) {
        return std::nullopt;
    }
    PreviewParts parts;
    parts.barInsets = UsableInsets(file->clip, bar->naturalWidth, bar->naturalHeight);
    parts.bar = std::move(bar->bitmap);
    if (std::optional<SkinPicture> delimiter = picture(SkinImage::Delimiter)) {
        parts.delimiterInsets =
            UsableInsets({0, file->limClipTop, 0, file->limClipBottom}, delimiter->naturalWidth, delimiter->naturalHeight);
        parts.delimiter = std::move(delimiter->bitmap);
    }
    if (std::optional<SkinPicture> run = picture(SkinImage::Run)) {
        parts.run = std::move(run->bitmap);
    }
    parts.spacing = file->spacing;
    return parts;
}

} // namespace

PreviewLayout LayoutPreview(int width, int height, const DockSkinSpacing& spacing) {
    PreviewLayout layout;
    if (width <= 0 || height <= 0) {
        return layout;
    }
    const float w = float(width), h = float(height);
    layout.bar = width == height ? gfx::RectF{0, h / 4, w, h / 2} : gfx::RectF{0, 0, w, h};
    const gfx::RectF& bar = layout.bar;
    const float along = bar.width - spacing.spaceLeft - spacing.spaceRight;
    const float across = bar.height - spacing.spaceTop - spacing.spaceBottom;
    const float size = std::min(across, along / kRowSlots);
    if (!(size >= kSmallestIcon)) {
        return layout;
    }
    float x = bar.x + spacing.spaceLeft + (along - size * kRowSlots) / 2;
    const float y = bar.y + spacing.spaceTop + (across - size) / 2;
    for (std::size_t i = 0; i < kPreviewIcons.size(); ++i) {
        if (i == kPreviewSeparatorBefore) {
            layout.separatorCentre = x + size / 4;
            x += size / 2;
        }
        layout.icons[i] = {x, y, size, size};
        x += size;
    }
    return layout;
}

bool DrawDockSkinPreview(gfx::Bitmap& target, const foundation::ConfigStore& store, const ThemeFiles& icons,
                         const gfx::ImageDecoder& decoder, std::wstring_view skinName, bool dark) {
    if (target.Empty()) {
        return false;
    }
    const std::optional<PreviewParts> parts = foundation::EqualsIgnoreCase(skinName, kDefaultTheme)
                                                  ? BuiltInParts(dark)
                                                  : SkinParts(store, decoder, skinName, dark);
    if (!parts) {
        return false;
    }
    const PreviewLayout layout = LayoutPreview(target.Width(), target.Height(), parts->spacing);
    gfx::Canvas canvas(target);
    if (parts->barInsets) {
        canvas.DrawNineGrid(parts->bar, *parts->barInsets, layout.bar);
    }
    if (layout.icons.front().Empty()) {
        return true;
    }
    if (!parts->delimiter.Empty() && parts->delimiterInsets) {
        const float t = float(parts->delimiter.Width());
        canvas.DrawNineGrid(parts->delimiter, *parts->delimiterInsets,
                            {layout.separatorCentre - t / 2, layout.bar.y, t, layout.bar.height});
    }
    const foundation::FileSystem& files = icons.Files();
    const int iconSide = std::max(1, int(layout.icons.front().width));
    for (std::size_t i = 0; i < kPreviewIcons.size(); ++i) {
        const std::wstring path = icons.ThemeIconPath(kPreviewIcons[i].name, dark && kPreviewIcons[i].darkVariant);
        const auto bytes = files.IsFile(path) ? files.Read(path) : std::nullopt;
        if (!bytes) {
            continue;
        }
        if (const std::optional<gfx::Bitmap> icon = decoder.Decode(*bytes, {iconSide, iconSide})) {
            canvas.DrawBitmap(*icon, layout.icons[i]);
        }
    }
    if (!parts->run.Empty()) {
        const float rw = float(parts->run.Width()), rh = float(parts->run.Height());
        for (const std::size_t i : {std::size_t(0), std::size_t(2)}) {
            const gfx::RectF& icon = layout.icons[i];
            canvas.DrawBitmap(parts->run, {icon.x + icon.width / 2 - rw / 2,
                                           layout.bar.Bottom() - float(parts->spacing.runOffset) - rh, rw, rh});
        }
    }
    return true;
}

} // namespace kestrana::themes
