// The Windows test executables' main. It ends the process as soon as the results are
// written: the C runtime's exit-time clean-up of thread-specific keys sometimes waits
// forever under Wine on a lock that a finished worker thread has already given back,
// which held every suite run behind it until its time-out.
#include <gtest/gtest.h>

#include <cstdio>
#include <windows.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::fflush(stdout);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}
