# Shared compile settings and the helper that turns a subsystem folder into libraries.

add_library(kestrana_options INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(kestrana_options INTERFACE -Wall -Wextra -Wno-unused-parameter)
endif()
if(WIN32)
  target_compile_definitions(kestrana_options INTERFACE
    UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)
  if(MINGW)
    # Sections on page boundaries in the file let a loader map the image straight from
    # disk (shared and paged in as used) instead of copying all of it into private
    # memory; the debugging sections would be loaded with it and are left out.
    target_link_options(kestrana_options INTERFACE -Wl,--file-alignment,4096 -Wl,--strip-debug)
  endif()
endif()
if(KESTRANA_SANITIZE)
  target_compile_options(kestrana_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(kestrana_options INTERFACE -fsanitize=address,undefined)
endif()
option(KESTRANA_TSAN "Build with ThreadSanitizer (not together with KESTRANA_SANITIZE)" OFF)
if(KESTRANA_TSAN)
  # Threads are what this build looks at; it cannot be combined with the address sanitizer.
  target_compile_options(kestrana_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(kestrana_options INTERFACE -fsanitize=thread)
endif()
if(KESTRANA_FUZZ)
  target_compile_options(kestrana_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(kestrana_options INTERFACE -fsanitize=address,undefined)
endif()

# kestrana_module(<name> [DEPS <targets>] [WIN32_DEPS <targets>] [WIN32_LIBS <system libs>])
#
# The portable sources of a subsystem (<folder>/*.cpp) become kestrana_<name>, built in
# every configuration. Its Windows layer (<folder>/win32/*.cpp) becomes
# kestrana_<name>_win32, built only for Windows. Headers are included from src/, as in
# "foundation/config_store.h".
function(kestrana_module name)
  cmake_parse_arguments(M "" "" "DEPS;WIN32_DEPS;WIN32_LIBS" ${ARGN})
  file(GLOB portable CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(portable)
    add_library(kestrana_${name} STATIC ${portable})
    set(vis PUBLIC)
  else()
    add_library(kestrana_${name} INTERFACE)
    set(vis INTERFACE)
  endif()
  target_include_directories(kestrana_${name} ${vis} ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(kestrana_${name} ${vis} kestrana_options ${M_DEPS})
  if(WIN32)
    file(GLOB win CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/win32/*.cpp)
    if(win)
      add_library(kestrana_${name}_win32 STATIC ${win})
      target_link_libraries(kestrana_${name}_win32 PUBLIC kestrana_${name} ${M_WIN32_DEPS} ${M_WIN32_LIBS})
    else()
      add_library(kestrana_${name}_win32 INTERFACE)
      target_link_libraries(kestrana_${name}_win32 INTERFACE kestrana_${name} ${M_WIN32_DEPS} ${M_WIN32_LIBS})
    endif()
  endif()
endfunction()
