# pugixml, cJSON, minizip and zlib as imported targets dep::<name>, found the same way
# in both builds: from Debian's -dev packages natively, and for Windows from Debian's
# mingw zlib plus the libraries scripts/deps-mingw.sh builds into the build tree.

if(WIN32)
  set(KESTRANA_DEPS_DIR ${CMAKE_BINARY_DIR}/deps)
  execute_process(
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/deps-mingw.sh ${KESTRANA_TRIPLET} ${KESTRANA_DEPS_DIR}
    RESULT_VARIABLE deps_result)
  if(NOT deps_result EQUAL 0)
    message(FATAL_ERROR "Building the mingw dependencies failed (scripts/deps-mingw.sh)")
  endif()
  set(dep_hints HINTS ${KESTRANA_DEPS_DIR} /usr/${KESTRANA_TRIPLET} NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
  set(dep_suffix include)
else()
  set(dep_hints)
endif()

function(kestrana_dependency name header library)
  find_path(${name}_INCLUDE_DIR ${header} ${dep_hints} PATH_SUFFIXES include)
  # Static archives first on Windows so the program folder needs no extra DLLs.
  if(WIN32)
    find_library(${name}_LIBRARY NAMES lib${library}.a ${library} ${dep_hints} PATH_SUFFIXES lib)
  else()
    find_library(${name}_LIBRARY NAMES ${library})
  endif()
  if(NOT ${name}_INCLUDE_DIR OR NOT ${name}_LIBRARY)
    message(FATAL_ERROR "Dependency ${name} not found (${header}, ${library})")
  endif()
  add_library(dep::${name} UNKNOWN IMPORTED GLOBAL)
  set_target_properties(dep::${name} PROPERTIES
    IMPORTED_LOCATION ${${name}_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${${name}_INCLUDE_DIR})
endfunction()

kestrana_dependency(zlib zlib.h z)
kestrana_dependency(pugixml pugixml.hpp pugixml)
kestrana_dependency(cjson cjson/cJSON.h cjson)
kestrana_dependency(minizip minizip/zip.h minizip)
set_property(TARGET dep::minizip APPEND PROPERTY INTERFACE_LINK_LIBRARIES dep::zlib)
