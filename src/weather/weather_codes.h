#pragma once
// Our condition codes: the names of the pictures in the "weather" folder and the keys of
// the language's "weather" section. The configured service sends them as they are; the
// free provider's WMO codes are mapped onto them.

#include <optional>
#include <string>
#include <string_view>

namespace kestrana::weather {

// Our code for a WMO weather code, nullopt for a code the table does not know.
[[nodiscard]] std::optional<std::wstring> ConditionFromWmo(int wmoCode);
// The built-in English text of a code, used when the language file has none; a code we
// do not know reads as empty.
[[nodiscard]] std::wstring ConditionDefaultText(std::wstring_view code);

// The picture file of a condition: "weather\<code>.png" by day, "weather\<code>n.png" at
// night when that file exists. `exists` is asked about the night file only.
template <class Exists>
[[nodiscard]] std::wstring ConditionPicture(const std::wstring& baseFolder, std::wstring_view code, bool night, Exists exists) {
    const std::wstring stem = baseFolder + L"weather\\" + std::wstring(code);
    if (night && exists(stem + L"n.png")) return stem + L"n.png";
    return stem + L".png";
}

} // namespace kestrana::weather
