# Cross-build for 64-bit Windows with Debian's mingw-w64 (posix threads model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KESTRANA_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER   ${KESTRANA_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTRANA_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${KESTRANA_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KESTRANA_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The program folder must run on a clean Windows: no libstdc++/libgcc/winpthread DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests of the Windows build run under Wine.
find_program(KESTRANA_WINE NAMES wine wine64)
if(KESTRANA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KESTRANA_WINE})
endif()
