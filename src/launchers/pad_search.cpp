#include "launchers/pad_search.h"

#include <algorithm>
#include <cwctype>

namespace kestrana::launchers {

namespace {

bool IsIdeograph(wchar_t c) {
    return (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF);
}

wchar_t Lower(wchar_t c) {
    if (c >= L'A' && c <= L'Z') return static_cast<wchar_t>(c - L'A' + L'a');
    if (c < 0x80) return c;
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

bool IsWordCharacter(wchar_t c) {
    if (c < 0x80) return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
    // Accented letters and other scripts; the CJK punctuation block separates.
    return !(c >= 0x3000 && c <= 0x303F) && !(c >= 0xFF00 && c <= 0xFF0F) && c != 0x00A0;
}

bool IsUpper(wchar_t c) { return c >= L'A' && c <= L'Z'; }
bool IsLowerLetter(wchar_t c) { return c >= L'a' && c <= L'z'; }

std::wstring Normalised(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text)
        if (c != L' ' && c != L'\t' && c != 0x3000) out.push_back(Lower(c));
    return out;
}

bool HasIdeograph(std::wstring_view text) {
    return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c >= 0x2E80; });
}

// Whether the query can be spelt by non-empty beginnings of words[from..] in a row.
class InitialsMatcher {
public:
    InitialsMatcher(const std::vector<std::wstring>& words, std::wstring_view query)
        : m_words(words), m_query(query), m_failed((words.size() + 1) * (query.size() + 1), false) {}

    bool From(std::size_t word, std::size_t at) {
        if (at == m_query.size()) return true;
        if (word == m_words.size()) return false;
        const std::size_t slot = word * (m_query.size() + 1) + at;
        if (m_failed[slot]) return false;
        const std::wstring& w = m_words[word];
        for (std::size_t take = std::min(w.size(), m_query.size() - at); take > 0; --take)
            if (m_query.compare(at, take, w, 0, take) == 0 && From(word + 1, at + take)) return true;
        m_failed[slot] = true;
        return false;
    }

private:
    const std::vector<std::wstring>& m_words;
    std::wstring_view m_query;
    std::vector<bool> m_failed;
};

} // namespace

std::vector<std::wstring> SearchWords(std::wstring_view searchKey) {
    std::vector<std::wstring> words;
    std::wstring current;
    wchar_t previous = 0;
    auto flush = [&] {
        if (!current.empty()) words.push_back(std::move(current));
        current.clear();
    };
    std::size_t at = 0;
    while (at < searchKey.size()) {
        if (searchKey[at] == L'|') {
            ++at;
            continue;
        }
        const std::size_t end = std::min(searchKey.find(L'|', at), searchKey.size());
        const std::wstring_view form = searchKey.substr(at, end - at);
        at = end;
        if (form.size() > 1 || IsIdeograph(form.front())) {
            // A reading (or an ideograph without one) is a word of its own.
            flush();
            words.push_back(Normalised(form));
            previous = 0;
            continue;
        }
        const wchar_t c = form.front();
        if (!IsWordCharacter(c)) {
            flush();
            previous = 0;
            continue;
        }
        if (IsUpper(c) && IsLowerLetter(previous)) flush(); // "VisualStudio" is two words
        current.push_back(Lower(c));
        previous = c;
    }
    flush();
    return words;
}

std::optional<MatchKind> MatchWords(const std::vector<std::wstring>& words, std::wstring_view rawQuery) {
    const std::wstring query = Normalised(rawQuery);
    if (query.empty() || words.empty()) return std::nullopt;
    std::wstring joined;
    std::vector<std::size_t> starts;
    for (const auto& word : words) {
        starts.push_back(joined.size());
        joined += word;
    }
    if (joined.compare(0, query.size(), query) == 0) return MatchKind::NameStart;
    for (std::size_t i = 1; i < starts.size(); ++i)
        if (joined.compare(starts[i], query.size(), query) == 0) return MatchKind::WordStart;
    InitialsMatcher matcher(words, query);
    if (matcher.From(0, 0)) return MatchKind::Initials;
    for (std::size_t i = 1; i < words.size(); ++i)
        if (matcher.From(i, 0)) return MatchKind::LaterInitials;
    return std::nullopt;
}

std::vector<SearchHit> SearchPages(const std::vector<LaunchpadPage>& pages, std::wstring_view query) {
    struct Ranked {
        SearchHit hit;
        std::size_t length = 0;
        std::size_t order = 0;
    };
    std::vector<Ranked> ranked;
    // Text typed through an input method arrives as ideographs: those match the name itself.
    const bool literal = HasIdeograph(query);
    const std::wstring literalQuery = literal ? Normalised(query) : std::wstring();
    std::size_t order = 0;
    auto consider = [&](const LaunchpadEntry& entry, EntryPlace place) {
        std::optional<MatchKind> kind;
        if (literal) {
            const std::wstring name = Normalised(entry.name);
            if (name.compare(0, literalQuery.size(), literalQuery) == 0) kind = MatchKind::NameStart;
            else if (!literalQuery.empty() && name.find(literalQuery) != std::wstring::npos) kind = MatchKind::WordStart;
        } else {
            kind = MatchWords(SearchWords(entry.SearchKey()), query);
        }
        if (kind) ranked.push_back({{place, *kind}, entry.name.size(), order});
        ++order;
    };
    for (std::size_t p = 0; p < pages.size(); ++p) {
        for (std::size_t i = 0; i < pages[p].size(); ++i) {
            if (const auto* entry = std::get_if<LaunchpadEntry>(&pages[p][i])) {
                consider(*entry, {p, i, std::nullopt});
            } else {
                const auto& group = std::get<LaunchpadGroup>(pages[p][i]);
                for (std::size_t m = 0; m < group.entries.size(); ++m) consider(group.entries[m], {p, i, m});
            }
        }
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
        if (a.hit.kind != b.hit.kind) return a.hit.kind < b.hit.kind;
        if (a.length != b.length) return a.length < b.length;
        return a.order < b.order;
    });
    std::vector<SearchHit> hits;
    hits.reserve(ranked.size());
    for (auto& r : ranked) hits.push_back(r.hit);
    return hits;
}

} // namespace kestrana::launchers
