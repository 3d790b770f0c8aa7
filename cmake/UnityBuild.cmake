# Unity builds (KESTRANA_UNITY, on in the test command's builds): a target's sources are
# compiled a batch at a time as one unit, so the standard library, GoogleTest and the
# system headers are parsed once per batch instead of once per file. On a fresh machine
# with two cores this takes the sanitizer build from about 14 minutes to 3.
#
# The sources below keep a unit of their own: they define file-local helpers under the
# same names as sources beside them, which one unit cannot hold twice.

function(kestrana_own_unit target)
  if(NOT TARGET ${target})
    return()
  endif()
  foreach(file ${ARGN})
    set_source_files_properties(${PROJECT_SOURCE_DIR}/${file} TARGET_DIRECTORY ${target}
      PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
  endforeach()
endfunction()

kestrana_own_unit(kestrana_gfx src/gfx/resample.cpp)
kestrana_own_unit(kestrana_themes src/themes/theme_choices.cpp)
# window_tracker.cpp: a type of its own in a member of a class from its header, which
# the compiler warns of once the file is included in another.
kestrana_own_unit(kestrana_dock src/dock/item_list.cpp src/dock/item_list_save.cpp src/dock/window_tracker.cpp)
kestrana_own_unit(kestrana_menubar src/menubar/bar_menus.cpp src/menubar/tray/tray_record.cpp
  src/menubar/tray/tray_source.cpp)

kestrana_own_unit(unit_foundation tests/unit/foundation/profile_document_test.cpp
  tests/unit/foundation/posix_durability_test.cpp tests/unit/foundation/config_store_test.cpp
  tests/unit/foundation/config_bad_input_test.cpp tests/unit/foundation/startup_settings_test.cpp)
kestrana_own_unit(unit_gfx tests/unit/gfx/menu_test.cpp)
kestrana_own_unit(unit_themes tests/unit/themes/skin_golden_test.cpp)
kestrana_own_unit(unit_dock tests/unit/dock/ondel_bar_test.cpp tests/unit/dock/preview_rules_test.cpp
  tests/unit/dock/live_pictures_test.cpp tests/unit/dock/hide_decision_test.cpp
  tests/unit/dock/dock_concurrency_test.cpp)
kestrana_own_unit(unit_launchers tests/unit/launchers/pad_search_test.cpp)
kestrana_own_unit(unit_extras tests/unit/extras/stage_manager_test.cpp)
kestrana_own_unit(unit_weather tests/unit/weather/weather_service_test.cpp tests/unit/weather/weather_feed_test.cpp)

# The Windows layers: helpers named alike, system headers whose macros rename what
# follows them in the same unit (SetCurrentDirectory, for one), types of a file's own in
# its class's members (which the compiler warns of once the file is included in
# another), and bluetooth_port.cpp, which defines the system's interface identifiers for
# every file after it.
kestrana_own_unit(kestrana_platform_win32 src/platform/win32/win32_file_system.cpp)
kestrana_own_unit(kestrana_dock_win32 src/dock/win32/win32_web_apps.cpp src/dock/win32/item_system.cpp
  src/dock/win32/win32_window_facts.cpp src/dock/win32/preview_window.cpp
  src/dock/win32/window_event_sources.cpp src/dock/win32/dock_menus.cpp)
kestrana_own_unit(kestrana_menubar_win32 src/menubar/win32/hotspot_control.cpp src/menubar/win32/tray_item.cpp
  src/menubar/win32/media_sessions.cpp src/menubar/win32/core_audio.cpp src/menubar/win32/monitor_sampler.cpp
  src/menubar/win32/bluetooth_port.cpp)
kestrana_own_unit(kestrana_extras_win32 src/extras/win32/window_entrances.cpp src/extras/win32/minimise_watcher.cpp)
kestrana_own_unit(Kestrana src/app/settings_host.cpp)
if(WIN32)
  kestrana_own_unit(unit_dock tests/unit/dock/app_identity_test.cpp tests/unit/dock/folder_drop_win32_test.cpp
    tests/unit/dock/preview_window_win32_test.cpp tests/unit/dock/window_tracker_test.cpp)
  kestrana_own_unit(unit_win32 tests/win32/explorer_view_test.cpp tests/win32/win32_ports_test.cpp)
endif()
