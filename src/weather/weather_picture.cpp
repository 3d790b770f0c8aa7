#include "weather/weather_picture.h"

#include "gfx/canvas.h"
#include "weather/civil_date.h"

#include <algorithm>
#include <cmath>

namespace kestrana::weather {

namespace {

using gfx::Color;
using gfx::RectF;

enum class Sky { Clear, PartlyCloudy, Cloudy, Fog, Drizzle, Rain, Snow, Thunder, Unknown };

// Our codes grouped by what the glyph shows; a code we do not know gets a plain cloud.
Sky SkyOf(const std::wstring& code) {
    static constexpr struct {
        const wchar_t* code;
        Sky sky;
    } kSkies[] = {{L"0", Sky::Clear}, {L"1", Sky::PartlyCloudy}, {L"2", Sky::Cloudy}, {L"3", Sky::Fog}, {L"4", Sky::Drizzle},
                  {L"5", Sky::Rain},  {L"6", Sky::Rain},         {L"7", Sky::Rain},   {L"8", Sky::Snow},  {L"9", Sky::Rain},
                  {L"10", Sky::Snow}, {L"11", Sky::Thunder},     {L"12", Sky::Thunder}};
    for (const auto& s : kSkies)
        if (code == s.code) return s.sky;
    return code.empty() ? Sky::Unknown : Sky::Cloudy;
}

void Disc(gfx::Canvas& canvas, float cx, float cy, float radius, Color color) {
    canvas.FillRoundedRect({cx - radius, cy - radius, 2 * radius, 2 * radius}, radius, color);
}

void Cloud(gfx::Canvas& canvas, const RectF& r, Color color) {
    Disc(canvas, r.x + r.width * 0.36f, r.y + r.height * 0.50f, r.width * 0.20f, color);
    Disc(canvas, r.x + r.width * 0.58f, r.y + r.height * 0.42f, r.width * 0.25f, color);
    canvas.FillRoundedRect({r.x + r.width * 0.14f, r.y + r.height * 0.50f, r.width * 0.72f, r.height * 0.26f}, r.height * 0.13f, color);
}

void Sun(gfx::Canvas& canvas, float cx, float cy, float radius, bool night, Color sky) {
    if (night) {
        Disc(canvas, cx, cy, radius, Color{236, 236, 210, 255});
        Disc(canvas, cx + radius * 0.45f, cy - radius * 0.3f, radius * 0.85f, sky);
        return;
    }
    const Color sun{255, 200, 40, 255};
    for (int i = 0; i < 8; ++i) {
        const float a = float(i) * 3.14159265f / 4;
        canvas.StrokeLine({cx + std::cos(a) * radius * 1.3f, cy + std::sin(a) * radius * 1.3f},
                          {cx + std::cos(a) * radius * 1.7f, cy + std::sin(a) * radius * 1.7f}, radius * 0.18f, sun);
    }
    Disc(canvas, cx, cy, radius, sun);
}

// The glyph in `r`; `sky` is the colour behind it (the moon's shadow is cut with it).
void DrawGlyph(gfx::Canvas& canvas, Sky kind, bool night, const RectF& r, Color sky) {
    const Color white{250, 250, 252, 255}, grey{200, 206, 214, 255}, rain{90, 170, 255, 255};
    const float w = r.width;
    switch (kind) {
    case Sky::Clear:
        Sun(canvas, r.x + w * 0.5f, r.y + r.height * 0.5f, w * 0.24f, night, sky);
        return;
    case Sky::PartlyCloudy:
        Sun(canvas, r.x + w * 0.62f, r.y + r.height * 0.36f, w * 0.18f, night, sky);
        Cloud(canvas, {r.x, r.y + r.height * 0.12f, w * 0.85f, r.height * 0.85f}, white);
        return;
    case Sky::Unknown:
    case Sky::Cloudy:
        Cloud(canvas, {r.x + w * 0.12f, r.y + r.height * 0.05f, w * 0.95f, r.height * 0.9f}, kind == Sky::Unknown ? grey : white);
        return;
    case Sky::Fog:
        for (int i = 0; i < 4; ++i) {
            const float y = r.y + r.height * (0.3f + 0.14f * float(i));
            canvas.StrokeLine({r.x + w * (0.18f + 0.05f * float(i % 2)), y}, {r.x + w * (0.82f - 0.05f * float(i % 2)), y}, w * 0.06f, grey);
        }
        return;
    default:
        break;
    }
    // Something falls from a cloud.
    Cloud(canvas, {r.x + w * 0.05f, r.y - r.height * 0.08f, w * 0.9f, r.height * 0.8f}, kind == Sky::Thunder ? grey : white);
    const float top = r.y + r.height * 0.66f;
    for (int i = 0; i < 3; ++i) {
        const float x = r.x + w * (0.32f + 0.18f * float(i));
        if (kind == Sky::Snow) {
            Disc(canvas, x, top + r.height * 0.1f, w * 0.045f, white);
            Disc(canvas, x - w * 0.06f, top + r.height * 0.24f, w * 0.045f, white);
        } else if (kind == Sky::Thunder) {
            if (i != 1) continue;
            const Color bolt{255, 214, 60, 255};
            canvas.StrokeLine({x + w * 0.04f, top}, {x - w * 0.05f, top + r.height * 0.14f}, w * 0.06f, bolt);
            canvas.StrokeLine({x - w * 0.05f, top + r.height * 0.14f}, {x + w * 0.03f, top + r.height * 0.14f}, w * 0.06f, bolt);
            canvas.StrokeLine({x + w * 0.03f, top + r.height * 0.14f}, {x - w * 0.06f, top + r.height * 0.3f}, w * 0.06f, bolt);
        } else {
            const float length = kind == Sky::Drizzle ? 0.12f : 0.24f;
            canvas.StrokeLine({x, top}, {x - w * 0.06f, top + r.height * length}, w * 0.045f, rain);
        }
    }
}

void Condition(gfx::Canvas& canvas, const std::wstring& code, bool night, const RectF& r, Color sky,
               const ConditionPictureSource& pictures) {
    if (pictures) {
        const gfx::Bitmap file = pictures(code, night);
        if (!file.Empty()) {
            canvas.DrawBitmap(file, r);
            return;
        }
    }
    DrawGlyph(canvas, SkyOf(code), night, r, sky);
}

void Text(gfx::Canvas& canvas, gfx::TextRenderer& text, const std::wstring& line, float size, int weight, Color color,
          float x, float y, int maxWidth, bool centred) {
    if (line.empty() || maxWidth <= 0) return;
    gfx::TextStyle style;
    style.size = size;
    style.weight = weight;
    style.color = color;
    const gfx::Bitmap drawn = text.Draw(line, style, maxWidth);
    if (drawn.Empty()) return;
    const float left = centred ? x - float(drawn.Width()) / 2 : x;
    canvas.DrawBitmap(drawn, {left, y, float(drawn.Width()), float(drawn.Height())});
}

Color SkyColour(bool night) { return night ? Color{28, 42, 84, 255} : Color{64, 150, 230, 255}; }

} // namespace

gfx::Bitmap DrawWeatherPicture(const WeatherData& data, bool night, gfx::TextRenderer& text,
                               const ConditionPictureSource& pictures, int size) {
    gfx::Bitmap picture(std::max(size, 0), std::max(size, 0));
    if (size <= 0) return picture;
    gfx::Canvas canvas(picture);
    const float s = float(size);
    const Color sky = SkyColour(night);
    canvas.FillRoundedRect({s * 0.06f, s * 0.06f, s * 0.88f, s * 0.88f}, s * 0.2f, sky);
    const std::wstring code = data.now ? data.now->code : std::wstring();
    const RectF glyph = data.now ? RectF{s * 0.2f, s * 0.1f, s * 0.6f, s * 0.52f} : RectF{s * 0.15f, s * 0.18f, s * 0.7f, s * 0.62f};
    Condition(canvas, code, night, glyph, sky, pictures);
    if (data.now)
        Text(canvas, text, data.now->temperature, s * 0.25f, 600, Color{255, 255, 255, 255}, s / 2, s * 0.6f, int(s * 0.8f), true);
    return picture;
}

gfx::Bitmap DrawWeatherPanel(const WeatherData& data, const WeatherPanelTexts& texts, int hour, const SunTimes& sun,
                             gfx::TextRenderer& text, const ConditionPictureSource& pictures, int width) {
    const float w = float(std::max(width, 120));
    const float unit = w / 20; // one column of the hours row is three units wide
    const float height = unit * (data.now ? (texts.attribution.empty() ? 20.0f : 21.6f) : 6.0f);
    gfx::Bitmap panel{int(w), int(height)};
    gfx::Canvas canvas(panel);
    const bool night = IsNightHour(hour, sun);
    const Color sky = SkyColour(night), white{255, 255, 255, 255}, soft{220, 230, 245, 255};
    canvas.FillRoundedRect({0, 0, w, height}, unit * 0.8f, sky);
    Text(canvas, text, texts.place, unit * 0.9f, 600, white, unit, unit * 0.6f, int(w - 2 * unit), false);
    if (!data.now) {
        Text(canvas, text, texts.noData, unit * 0.8f, 400, soft, unit, unit * 2.4f, int(w - 2 * unit), false);
        return panel;
    }
    // Now: the glyph, the temperature and the condition.
    Condition(canvas, data.now->code, night, {unit, unit * 2, unit * 4, unit * 4}, sky, pictures);
    Text(canvas, text, data.now->temperature, unit * 2.4f, 300, white, unit * 5.6f, unit * 2.0f, int(unit * 7), false);
    Text(canvas, text, texts.condition, unit * 0.8f, 400, soft, unit * 5.7f, unit * 4.9f, int(w - unit * 7), false);
    if (!data.now->sunrise.empty()) {
        Text(canvas, text, texts.sunrise + L" " + data.now->sunrise, unit * 0.7f, 400, soft, unit * 13, unit * 2.2f, int(unit * 6.5f), false);
        Text(canvas, text, texts.sunset + L" " + data.now->sunset, unit * 0.7f, 400, soft, unit * 13, unit * 3.3f, int(unit * 6.5f), false);
    }
    // The hours, left to right.
    const float hoursTop = unit * 6.6f;
    canvas.FillRect({unit, hoursTop - unit * 0.3f, w - 2 * unit, 1}, Color{255, 255, 255, 70});
    for (std::size_t i = 0; i < data.hours.size() && i < kForecastLength; ++i) {
        const WeatherHour& h = data.hours[i];
        const float cx = unit + unit * 1.5f + float(i) * unit * 3;
        Text(canvas, text, h.hour, unit * 0.7f, 400, soft, cx, hoursTop, int(unit * 2.8f), true);
        const int hourNumber = std::clamp(int(std::wcstol(h.hour.c_str(), nullptr, 10)), 0, 23);
        Condition(canvas, h.code, IsNightHour(hourNumber, sun), {cx - unit, hoursTop + unit * 1.1f, unit * 2, unit * 2}, sky, pictures);
        Text(canvas, text, h.temperature, unit * 0.75f, 600, white, cx, hoursTop + unit * 3.2f, int(unit * 2.8f), true);
    }
    // The days, top to bottom.
    const float daysTop = unit * 11.2f;
    canvas.FillRect({unit, daysTop - unit * 0.3f, w - 2 * unit, 1}, Color{255, 255, 255, 70});
    for (std::size_t i = 0; i < data.days.size() && i < kForecastLength; ++i) {
        const WeatherDay& d = data.days[i];
        const float y = daysTop + float(i) * unit * 1.35f;
        Text(canvas, text, texts.weekday ? texts.weekday(d.date) : std::wstring(), unit * 0.75f, 400, white, unit, y,
             int(unit * 4), false);
        Condition(canvas, d.dayCode, false, {unit * 6, y - unit * 0.1f, unit * 1.2f, unit * 1.2f}, sky, pictures);
        Text(canvas, text, d.minTemperature, unit * 0.75f, 400, soft, unit * 10, y, int(unit * 3.5f), false);
        Text(canvas, text, d.maxTemperature, unit * 0.75f, 600, white, unit * 15, y, int(unit * 3.5f), false);
    }
    Text(canvas, text, texts.attribution, unit * 0.55f, 400, soft, unit, height - unit * 1.0f, int(w - 2 * unit), false);
    return panel;
}

std::wstring WeatherSummary(const WeatherData& data, const std::wstring& conditionText) {
    if (!data.now) return {};
    if (conditionText.empty()) return data.now->temperature;
    return data.now->temperature + L", " + conditionText;
}

} // namespace kestrana::weather
