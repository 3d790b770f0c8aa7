#include "foundation/process_state.h"

namespace kestrana::foundation {

ProcessState& Process() noexcept {
    static ProcessState state;
    return state;
}

} // namespace kestrana::foundation
