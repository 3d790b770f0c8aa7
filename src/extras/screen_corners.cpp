#include "extras/screen_corners.h"

#include "foundation/config_store.h"
#include "foundation/diagnostic_log.h"

namespace kestrana::extras {

void ScreenCornerReader::Report(const std::wstring& what) {
    if (m_reported.insert(what).second) foundation::LogFailure("screen corner settings", what);
}

ScreenCornerSettings ScreenCornerReader::Read(const foundation::ConfigStore& store, std::wstring_view deviceName) {
    const std::wstring section = MonitorSection(deviceName);
    ScreenCornerSettings s;
    s.on = store.ReadBool(section, L"screenround");
    const std::int64_t radius = store.ReadInt64(section, L"screenroundsize");
    s.radius = ClampCornerRadius(radius);
    if (radius != 0 && radius != s.radius)
        Report(L"[" + section + L"] screenroundsize=" + std::to_wstring(radius) + L" held to " + std::to_wstring(s.radius));
    const std::wstring colorText = store.ReadString(section, L"screenroundcolor");
    if (!colorText.empty()) {
        if (auto color = ParseCornerColor(colorText)) s.color = *color;
        else Report(L"[" + section + L"] screenroundcolor=" + colorText + L" is no colour; black is used");
    }
    return s;
}

} // namespace kestrana::extras
