# cmake -DLUPDATE=... -DSOURCE_DIR=... -DTS_FILE=... -DWORK_DIR=... -P check_translations.cmake
#
# Fails when a text of the interface has no finished English translation:
# lupdate, run over every folder with texts into a copy of the translation
# file, must find nothing new, and every message of the file must be
# finished. (That no Chinese is left in them, the window's language test
# checks.)
cmake_minimum_required(VERSION 3.25)

file(MAKE_DIRECTORY "${WORK_DIR}")
set(copy "${WORK_DIR}/tarvel_en.ts")
configure_file("${TS_FILE}" "${copy}" COPYONLY)
execute_process(
  COMMAND "${LUPDATE}" -no-obsolete -locations none -source-language zh_CN -target-language en -I "${SOURCE_DIR}"
          workflow window cli imaging probe client platform controls dialogs -ts "${copy}"
  WORKING_DIRECTORY "${SOURCE_DIR}"
  OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "lupdate failed:\n${output}")
endif()
if(NOT output MATCHES "\\(0 new and [0-9]+ already existing\\)")
  message(FATAL_ERROR "texts without a translation (run the update_translations target, then translate):\n${output}")
endif()

file(READ "${copy}" ts)
if(ts MATCHES "type=\"unfinished\"" OR ts MATCHES "type=\"vanished\"" OR ts MATCHES "type=\"obsolete\"")
  message(FATAL_ERROR "translations/tarvel_en.ts has messages that are not finished")
endif()
message(STATUS "Every text is translated")
