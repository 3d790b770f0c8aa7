// The menu hand-over files on arbitrary bytes: the request is read inside any application
// and the reply is read back by the bar, and anybody may write into their folder. Reading
// must not crash, and what reads as valid writes back to text that reads the same.

#include "menubar/menu_handshake.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

using namespace kestrana::menubar;

bool Same(const MenuRequest& a, const MenuRequest& b) {
    if (a.ask != b.ask || a.window != b.window || a.menu != b.menu || a.bar != b.bar || a.index != b.index ||
        a.top != b.top || a.bottom != b.bottom || a.titles.size() != b.titles.size())
        return false;
    for (std::size_t i = 0; i < a.titles.size(); ++i)
        if (a.titles[i].left != b.titles[i].left || a.titles[i].right != b.titles[i].right) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto request = ParseMenuRequest(text)) {
        (void)TitleAt(*request, request->top, request->titles.empty() ? 0 : request->titles.front().left);
        const auto again = ParseMenuRequest(FormatMenuRequest(*request));
        if (!again || !Same(*request, *again)) std::abort();
    }
    if (const auto titles = ParseTitleReply(text)) {
        const auto again = ParseTitleReply(FormatTitleReply(*titles));
        if (!again || *again != *titles) std::abort();
    }
    return 0;
}
