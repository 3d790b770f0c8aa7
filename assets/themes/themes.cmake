# The shipped default theme. Its pictures are SVG sources rasterised with rsvg-convert
# (librsvg2-bin), its sounds are synthesised with sox; both run on the build machine, so
# the same rules serve the native and the Windows build trees. The result has the program
# folder's layout under ${KESTRANA_ASSETS_OUT}/themes/default/.

find_program(KESTRANA_RSVG_CONVERT rsvg-convert)
find_program(KESTRANA_SOX sox)
find_program(KESTRANA_BASH bash)
if(NOT KESTRANA_RSVG_CONVERT OR NOT KESTRANA_SOX OR NOT KESTRANA_BASH)
  message(WARNING "The default theme needs rsvg-convert (package librsvg2-bin), sox and bash; "
                  "it is left out of this build")
  return()
endif()

set(_theme_src ${CMAKE_CURRENT_LIST_DIR}/default)
set(_theme_out ${KESTRANA_ASSETS_OUT}/themes/default)
set(_theme_outputs)

# Every SVG becomes a PNG of the same name at the size written in the SVG itself.
file(GLOB_RECURSE _theme_svgs CONFIGURE_DEPENDS RELATIVE ${_theme_src} ${_theme_src}/*.svg)
foreach(_rel IN LISTS _theme_svgs)
  string(REGEX REPLACE "\\.svg$" ".png" _png ${_rel})
  get_filename_component(_dir ${_theme_out}/${_png} DIRECTORY)
  get_filename_component(_srcdir ${_theme_src}/${_rel} DIRECTORY)

  # Pictures composed from other SVGs (the previews) must follow their parts.
  set(_parts)
  file(STRINGS ${_theme_src}/${_rel} _refs REGEX "href=\"[^\"#]+\\.svg\"")
  foreach(_line IN LISTS _refs)
    string(REGEX MATCHALL "href=\"[^\"#]+\\.svg\"" _hrefs "${_line}")
    foreach(_href IN LISTS _hrefs)
      string(REGEX REPLACE "^href=\"(.*)\"$" "\\1" _part "${_href}")
      list(APPEND _parts ${_srcdir}/${_part})
    endforeach()
  endforeach()

  add_custom_command(
    OUTPUT ${_theme_out}/${_png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_dir}
    COMMAND ${KESTRANA_RSVG_CONVERT} --format png --output ${_theme_out}/${_png} ${_theme_src}/${_rel}
    DEPENDS ${_theme_src}/${_rel} ${_parts}
    COMMENT "Rasterising theme picture ${_png}"
    VERBATIM)
  list(APPEND _theme_outputs ${_theme_out}/${_png})
endforeach()

# The skin and theme files are UTF-16LE text and are shipped as they are.
file(GLOB_RECURSE _theme_inis CONFIGURE_DEPENDS RELATIVE ${_theme_src} ${_theme_src}/*.ini)
foreach(_ini IN LISTS _theme_inis)
  get_filename_component(_dir ${_theme_out}/${_ini} DIRECTORY)
  add_custom_command(
    OUTPUT ${_theme_out}/${_ini}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${_theme_src}/${_ini} ${_theme_out}/${_ini}
    DEPENDS ${_theme_src}/${_ini}
    COMMENT "Copying theme file ${_ini}"
    VERBATIM)
  list(APPEND _theme_outputs ${_theme_out}/${_ini})
endforeach()

set(_sound_script ${PROJECT_SOURCE_DIR}/scripts/gen-theme-sound.sh)
foreach(_sound cleartrash deletefile Volume)
  add_custom_command(
    OUTPUT ${_theme_out}/sound/${_sound}.wav
    COMMAND ${CMAKE_COMMAND} -E env SOX=${KESTRANA_SOX}
            ${KESTRANA_BASH} ${_sound_script} ${_sound} ${_theme_out}/sound/${_sound}.wav
    DEPENDS ${_sound_script}
    COMMENT "Synthesising theme sound ${_sound}.wav"
    VERBATIM)
  list(APPEND _theme_outputs ${_theme_out}/sound/${_sound}.wav)
endforeach()

# The program looks these names up; a renamed or missing source must fail here rather
# than leave an empty spot on the dock.
set(_theme_required theme.ini Preview.png sound/cleartrash.wav sound/deletefile.wav sound/Volume.wav)
foreach(_icon explorer pad ControlPlanel folder Calendar startmenu Systemtray Network
              Trash_Empty Trash_Full)
  list(APPEND _theme_required icons/${_icon}.png icons/${_icon}_dark.png)
endforeach()
foreach(_icon Usbdevice MyDocuments virtualdesktop Weather)
  list(APPEND _theme_required icons/${_icon}.png)
endforeach()
# Every image that a skin file names must be built beside it.
foreach(_skin dockskin clock)
  list(APPEND _theme_required ${_skin}/config.ini)
  file(STRINGS ${_theme_src}/${_skin}/config.ini _lines ENCODING UTF-16LE REGEX "\\.png")
  foreach(_line IN LISTS _lines)
    string(REGEX REPLACE "^[^=]*=[ \t]*([^\r]*\\.png).*$" "\\1" _image "${_line}")
    list(APPEND _theme_required ${_skin}/${_image})
  endforeach()
endforeach()
foreach(_file IN LISTS _theme_required)
  if(NOT ${_theme_out}/${_file} IN_LIST _theme_outputs)
    message(FATAL_ERROR "The default theme has no source for ${_file}")
  endif()
endforeach()

add_custom_target(theme_default DEPENDS ${_theme_outputs})
add_dependencies(assets theme_default)
