#include "launchers/stack_listing.h"

#include <algorithm>
#include <functional>

namespace kestrana::launchers {
namespace {

wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

std::wstring Lower(std::wstring_view text) {
    std::wstring out(text);
    for (auto& c : out) c = LowerAscii(c);
    return out;
}

// Sets of words are stored with a bar around each member.
bool InSet(std::wstring_view set, std::wstring_view word) {
    if (word.empty()) return false;
    std::wstring probe = L"|";
    probe += word;
    probe += L'|';
    return set.find(probe) != std::wstring_view::npos;
}

constexpr std::wstring_view kPictures = L"|png|jpg|ico|tiff|gif|bmp|heic|";
constexpr std::wstring_view kVideos = L"|mp4|avi|mov|wmv|mkv|m4v|mts|flv|ts|rmvb|3gp|";

} // namespace

StackItemKind KindOf(std::wstring_view extension, bool directory) {
    if (directory) return StackItemKind::Folder;
    if (extension == L"lnk") return StackItemKind::Shortcut;
    if (extension == L"exe") return StackItemKind::Program;
    if (extension == L"url") return StackItemKind::InternetShortcut;
    return StackItemKind::File;
}

std::vector<StackItem> MakeStackItems(std::wstring_view folder, const std::vector<ListedFile>& listed, int sortKey) {
    std::wstring prefix(folder);
    if (!prefix.empty() && prefix.back() != L'\\') prefix += L'\\';
    const bool byCreation = sortKey == 4;
    std::vector<StackItem> items;
    items.reserve(listed.size());
    for (const ListedFile& file : listed) {
        if (file.name.empty() || file.name == L"." || file.name == L"..") continue;
        StackItem item;
        item.path = prefix + file.name;
        item.name = file.name;
        if (!file.directory) {
            const auto dot = file.name.rfind(L'.');
            if (dot != std::wstring::npos && dot > 0) item.extension = Lower(std::wstring_view(file.name).substr(dot + 1));
        }
        item.kind = KindOf(item.extension, file.directory);
        if (item.kind == StackItemKind::Shortcut || item.kind == StackItemKind::InternetShortcut)
            item.name.resize(item.name.size() - item.extension.size() - 1);
        item.time = byCreation ? file.createTime : file.writeTime;
        item.bytes = file.bytes;
        items.push_back(std::move(item));
    }
    return items;
}

namespace {

// Sorts by keys computed once per item, moving each item once: comparing prepared keys
// is what keeps ten thousand entries well inside a frame.
template <typename Key, typename Less>
void SortByKey(std::vector<StackItem>& items, const std::vector<Key>& keys, Less less) {
    std::vector<std::uint32_t> order(items.size());
    for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return less(keys[a], keys[b]); });
    std::vector<StackItem> sorted;
    sorted.reserve(items.size());
    for (const std::uint32_t i : order) sorted.push_back(std::move(items[i]));
    items.swap(sorted);
}

template <typename Key, typename Fn>
std::vector<Key> Keys(const std::vector<StackItem>& items, Fn fn) {
    std::vector<Key> keys;
    keys.reserve(items.size());
    for (const auto& item : items) keys.push_back(fn(item));
    return keys;
}

} // namespace

void SortStackItems(std::vector<StackItem>& items, int sortValue) {
    const SortOrder order = DecodeSortOrder(sortValue);
    const bool forward = !order.reverse;
    switch (order.key) {
    case 1:
        if (!forward)
            SortByKey(items, Keys<std::wstring>(items, [](const StackItem& i) { return Lower(i.name); }),
                      std::less<std::wstring>());
        return;
    case 2:
        SortByKey(items, Keys<const std::wstring*>(items, [](const StackItem& i) { return &i.extension; }),
                  [forward](const std::wstring* a, const std::wstring* b) { return forward ? *b < *a : *a < *b; });
        return;
    case 3:
    case 4:
        SortByKey(items, Keys<std::int64_t>(items, [](const StackItem& i) { return i.time; }),
                  [forward](std::int64_t a, std::int64_t b) { return forward ? a > b : a < b; });
        return;
    case 5:
        SortByKey(items, Keys<int>(items, [](const StackItem& i) { return static_cast<int>(i.kind); }),
                  [forward](int a, int b) { return forward ? a < b : b < a; });
        return;
    default: return;
    }
}

IconPlan PlanIcon(const StackItem& item) {
    if (item.kind != StackItemKind::File) return IconPlan::Shell;
    if (InSet(kPictures, item.extension))
        return item.bytes / 1024 < kDecodeNowLimitKb ? IconPlan::DecodeNow : IconPlan::ThumbnailLater;
    if (InSet(kVideos, item.extension)) return IconPlan::ThumbnailLater;
    return IconPlan::Shell;
}

std::wstring ExtensionPicturePath(std::wstring_view baseFolder, std::wstring_view extension) {
    std::wstring path(baseFolder);
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    path += L"folderpng\\.";
    path += extension;
    path += L".png";
    return path;
}

} // namespace kestrana::launchers
