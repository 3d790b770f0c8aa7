# pinyin.ini: the plain pinyin of every CJK unified ideograph U+4E00..U+9FA5, generated
# from the Unicode database's Mandarin readings (Debian package unicode-data).
set(KESTRANA_UNIHAN_READINGS /usr/share/unicode/Unihan_Readings.txt.bz2
    CACHE FILEPATH "Unihan_Readings.txt.bz2 of the Unicode database")
if(NOT EXISTS ${KESTRANA_UNIHAN_READINGS})
  message(FATAL_ERROR "${KESTRANA_UNIHAN_READINGS} is missing (install unicode-data)")
endif()
add_custom_command(
  OUTPUT ${KESTRANA_ASSETS_OUT}/pinyin.ini
  COMMAND sh ${PROJECT_SOURCE_DIR}/scripts/gen-pinyin.sh ${KESTRANA_UNIHAN_READINGS} ${KESTRANA_ASSETS_OUT}/pinyin.ini
  DEPENDS ${PROJECT_SOURCE_DIR}/scripts/gen-pinyin.sh ${KESTRANA_UNIHAN_READINGS}
  COMMENT "Generating pinyin.ini"
  VERBATIM)
add_custom_target(pinyin_ini DEPENDS ${KESTRANA_ASSETS_OUT}/pinyin.ini)
add_dependencies(assets pinyin_ini)
