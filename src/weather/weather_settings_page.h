#pragma once
// The settings window's Weather page: the service's address, the place as coordinates
// and name, and a search for a place by name, since the location service is often off.

#include "foundation/settings_pages.h"
#include "weather/weather_service.h"

#include <memory>
#include <string>
#include <vector>

namespace kestrana::weather {

inline constexpr wchar_t kPlaceSearchAction[] = L"weathersearch";
inline constexpr wchar_t kPlaceUseAction[] = L"weatheruse";

// What the page's search controls hold between the typed name and the chosen result;
// shared with the actions that act on it.
struct PlaceSearchState {
    std::wstring query;
    std::vector<PlaceChoice> results;
    std::shared_ptr<std::wstring> chosen = std::make_shared<std::wstring>();
};

[[nodiscard]] foundation::PageDescriptor WeatherSettingsPage(std::shared_ptr<PlaceSearchState> search);

// The search action: the results of the provider in use replace the last ones. Returns
// their number.
std::size_t RunPlaceSearch(PlaceSearchState& search, HttpClient& http, const foundation::ConfigStore& store, bool chineseNames);
// The use action: the chosen result becomes "weather"/"citycode" and "weather"/"cityname";
// false when nothing is chosen.
bool UseChosenPlace(foundation::ConfigStore& store, PlaceSearchState& search);

} // namespace kestrana::weather
