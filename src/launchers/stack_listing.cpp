#include "launchers/stack_listing.h"

#include <algorithm>

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

// Names compared as the shell shows them: ASCII letters without case.
bool NameLess(const std::wstring& a, const std::wstring& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](wchar_t x, wchar_t y) { return LowerAscii(x) < LowerAscii(y); });
}

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

void SortStackItems(std::vector<StackItem>& items, int sortValue) {
    const SortOrder order = DecodeSortOrder(sortValue);
    const bool forward = !order.reverse;
    auto sort = [&](auto less) { std::stable_sort(items.begin(), items.end(), less); };
    switch (order.key) {
    case 1:
        if (!forward) sort([](const StackItem& a, const StackItem& b) { return NameLess(a.name, b.name); });
        return;
    case 2:
        sort([forward](const StackItem& a, const StackItem& b) {
            return forward ? b.extension < a.extension : a.extension < b.extension;
        });
        return;
    case 3:
    case 4:
        sort([forward](const StackItem& a, const StackItem& b) { return forward ? a.time > b.time : a.time < b.time; });
        return;
    case 5:
        sort([forward](const StackItem& a, const StackItem& b) {
            return forward ? a.kind < b.kind : b.kind < a.kind;
        });
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
