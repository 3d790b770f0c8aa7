#pragma once
// Finding applications by what the user types into the Launchpad's search box. A name is
// seen as a row of words: Latin words (split at spaces, punctuation and lower-to-upper
// case changes) and one word per ideograph, spelt by its pinyin reading. The typed text
// (case and spaces ignored) matches
//   - the start of the whole name ("note" finds Notepad, "weixin" finds 微信),
//   - the start of any later word ("studio" finds Visual Studio),
//   - or the starts of words in a row, each word giving one or more of its first letters
//     ("wx" finds 微信, "qqyy" finds QQ音乐, "vsc" finds Visual Studio Code).
// Hits are ranked in that order, then shorter names first, then as the catalogue has them.

#include "launchers/launchpad_entry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::launchers {

enum class MatchKind : int { NameStart = 0, WordStart = 1, Initials = 2, LaterInitials = 3 };

// The words of a search key ("|V|i|s|u|a|l| |微|..." or with readings "|wei|xin|").
[[nodiscard]] std::vector<std::wstring> SearchWords(std::wstring_view searchKey);

// How `query` matches the words; nothing when it does not. An empty query matches nothing.
[[nodiscard]] std::optional<MatchKind> MatchWords(const std::vector<std::wstring>& words, std::wstring_view query);

struct SearchHit {
    EntryPlace place;
    MatchKind kind = MatchKind::NameStart;
};

// Every entry of the pages, inside groups too, that matches, best first.
[[nodiscard]] std::vector<SearchHit> SearchPages(const std::vector<LaunchpadPage>& pages, std::wstring_view query);

} // namespace kestrana::launchers
