#include "menubar/status_items.h"

#include "foundation/config_store.h"

#include <algorithm>
#include <string>

namespace kestrana::menubar {

StatusKey KeyOf(StatusKind kind) {
    constexpr std::wstring_view finder = L"finder";
    constexpr std::wstring_view monitor = L"findermonitor";
    switch (kind) {
    case StatusKind::Time: return {finder, L"systemtime"};
    case StatusKind::SystemControl: return {finder, L"systemcontrol"};
    case StatusKind::Search: return {finder, L"search"};
    case StatusKind::UserAccount: return {finder, L"useraccount"};
    case StatusKind::InputMethod: return {finder, L"systemIME"};
    case StatusKind::InputMethodZh: return {finder, L"systemIMEzh"};
    case StatusKind::Tray: return {finder, L"systemtray"};
    case StatusKind::Audio: return {finder, L"audio"};
    case StatusKind::MediaControl: return {finder, L"mediacontrol"};
    case StatusKind::Microphone: return {finder, L"microphone"};
    case StatusKind::Battery: return {finder, L"battery"};
    case StatusKind::Display: return {finder, L"display"};
    case StatusKind::Wifi: return {finder, L"wifi"};
    case StatusKind::Bluetooth: return {finder, L"bluetooth"};
    case StatusKind::Cpu: return {monitor, L"CPUON"};
    case StatusKind::Temperature: return {monitor, L"TEMPON"};
    case StatusKind::Memory: return {monitor, L"MENON"};
    case StatusKind::Disk: return {monitor, L"DISKON"};
    case StatusKind::Network: return {monitor, L"NETON"};
    case StatusKind::StageManager: return {finder, L"stagemanager"};
    }
    return {};
}

std::optional<StatusKind> KindOfKey(std::wstring_view key) {
    for (StatusKind kind : kCreationOrder)
        if (KeyOf(kind).key == key) return kind;
    return std::nullopt;
}

bool OnByDefault(StatusKind kind) {
    switch (kind) {
    case StatusKind::Time:
    case StatusKind::SystemControl:
    case StatusKind::Search:
    case StatusKind::InputMethod:
    case StatusKind::Tray: return true;
    default: return false;
    }
}

void WriteDefaultOnKeys(foundation::ConfigStore& store) {
    for (StatusKind kind : {StatusKind::Audio, StatusKind::Battery, StatusKind::Display, StatusKind::Wifi,
                            StatusKind::Bluetooth}) {
        const StatusKey key = KeyOf(kind);
        if (store.ReadString(key.section, key.key).empty()) store.WriteInt(key.section, key.key, 1);
    }
}

StatusPlan PlanStatusItems(const foundation::ConfigStore& store) {
    StatusPlan plan;
    plan.positionsMissing = store.ReadString(L"finder", L"systemtime").empty();
    int counter = 0;
    for (StatusKind kind : kCreationOrder) {
        const StatusKey key = KeyOf(kind);
        const bool present = !store.ReadString(key.section, key.key).empty();
        const int value = present ? store.ReadInt(key.section, key.key) : 0;
        // A key set to 0 (or less) switches its item off; an absent one leaves the default.
        if (present ? value <= 0 : !OnByDefault(kind)) continue;
        const int position = plan.positionsMissing || !present ? counter + 1 : value;
        counter = position;
        plan.entries.push_back({kind, position});
    }
    std::stable_sort(plan.entries.begin(), plan.entries.end(),
                     [](const StatusEntry& a, const StatusEntry& b) { return a.position < b.position; });
    return plan;
}

bool SavePositions(foundation::ConfigStore& store, const std::vector<StatusKind>& order) {
    std::vector<foundation::ConfigStore::Setting> settings;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const StatusKey key = KeyOf(order[i]);
        settings.push_back({std::wstring(key.section), std::wstring(key.key), std::to_wstring(i + 1)});
    }
    // One replace of config.ini: a crash never leaves half an order behind.
    return settings.empty() || store.WriteStrings(settings);
}

} // namespace kestrana::menubar
