#include "gfx/system_look.h"

namespace kestrana::gfx {

float TextScaleFromPercent(long long percent) {
    if (percent < 100 || percent > 225) return 1.0f;
    return static_cast<float>(percent) / 100.0f;
}

} // namespace kestrana::gfx
