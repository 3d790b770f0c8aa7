#include "weather/weather_settings_page.h"

#include "foundation/config_store.h"

namespace kestrana::weather {

namespace {

using foundation::ControlDescriptor;
using foundation::ControlKind;
using foundation::SettingText;

ControlDescriptor Text(std::wstring key, foundation::TextRef label, foundation::TextRef tip) {
    ControlDescriptor control;
    control.id = key;
    control.key = std::move(key);
    control.kind = ControlKind::EditText;
    control.section = L"weather";
    control.label = std::move(label);
    control.tip = std::move(tip);
    return control;
}

} // namespace

foundation::PageDescriptor WeatherSettingsPage(std::shared_ptr<PlaceSearchState> search) {
    foundation::PageDescriptor page{L"weather", SettingText(L"pageweather", L"Weather"), {}};
    auto& c = page.controls;
    c.push_back(Text(L"cityname", SettingText(L"weathercityname", L"Place"), {}));
    c.push_back(Text(L"citycode", SettingText(L"weathercitycode", L"Coordinates"),
                     {L"settingtips", L"weathercitycodetip", L"Longitude and latitude in degrees, as 116.40717,39.90469."}));

    ControlDescriptor query;
    query.id = L"weatherquery";
    query.kind = ControlKind::EditText;
    query.label = SettingText(L"weatherquery", L"Find a place");
    query.custom = foundation::CustomValue{[search] { return search->query; },
                                           [search](const std::wstring& text) {
                                               search->query = text;
                                               return true;
                                           }};
    c.push_back(std::move(query));
    c.push_back(foundation::ActionButton(L"weathersearch", SettingText(L"weathersearch", L"Search"), kPlaceSearchAction));
    c.push_back(foundation::PickFromList(
        L"weatherresults", SettingText(L"weatherresults", L"Places found"),
        [search] {
            std::vector<std::wstring> names;
            for (const PlaceChoice& place : search->results) names.push_back(place.name + L" (" + place.coordinates + L")");
            return names;
        },
        search->chosen));
    c.push_back(foundation::ActionButton(L"weatheruse", SettingText(L"weatheruse", L"Use this place"), kPlaceUseAction));
    c.push_back(Text(L"service", SettingText(L"weatherservice", L"Weather service"),
                     {L"settingtips", L"weatherservicetip",
                      L"Empty: Open-Meteo.com. Otherwise the https address of a service that answers the same requests."}));
    return page;
}

std::size_t RunPlaceSearch(PlaceSearchState& search, HttpClient& http, const foundation::ConfigStore& store, bool chineseNames) {
    search.results = SearchPlaces(http, ReadProvider(store), search.query, chineseNames);
    search.chosen->clear();
    return search.results.size();
}

bool UseChosenPlace(foundation::ConfigStore& store, PlaceSearchState& search) {
    for (const PlaceChoice& place : search.results) {
        if (place.name + L" (" + place.coordinates + L")" != *search.chosen) continue;
        return store.WriteStrings({{L"weather", L"citycode", place.coordinates}, {L"weather", L"cityname", place.name}});
    }
    return false;
}

} // namespace kestrana::weather
