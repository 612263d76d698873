# cmake -DSOURCE_DIR=... -DQT_CORE_INCLUDE=... -DCORE_SOURCES=... -P check_layering.cmake
#
# Fails when a file includes a header of a folder its own may not stand on.
# Each folder is a library; the program's rooms and the worker's:
#   imaging    what both sides share: formats, fitting, statuses
#   probe      the program's readers of untrusted bytes (header, output, EXIF)
#   protocol   the wire between program and worker
#   client     the program's side of a conversion: hand-over, workers, writing
#   engine     decoding and encoding (engine/codecs), resampling (engine/resample)
#   worker     tarvel-worker, its guard and sandbox
# Only engine/ and worker/ include a decoding library's headers; workflow, cli,
# and the rooms below them stand on Qt Core alone, window and cli never
# include each other. platform is one folder in two libraries: its core
# (CORE_SOURCES, as CMake lists them) and the GUI part above it.

cmake_minimum_required(VERSION 3.25)

string(REPLACE "|" ";" CORE_SOURCES "${CORE_SOURCES}")
set(problems "")

# What each folder may include, as path prefixes; "core" stands for the
# headers of the platform core.
set(may_platform_core "core")
set(may_platform "platform/")
set(may_imaging "imaging/;core")
set(may_probe "probe/;imaging/;core")
set(may_protocol "protocol/;imaging/;core")
set(may_client "client/;protocol/;probe/;imaging/;core")
set(may_engine/resample "engine/resample/")
set(may_engine/codecs "engine/codecs/;imaging/;core")
set(may_engine "engine/;probe/;imaging/;core")
set(may_worker "worker/;engine/;protocol/;probe/;imaging/;core")
set(may_workflow "workflow/;client/;probe/;imaging/;core")
set(may_cli "cli/;workflow/;imaging/;core")
set(may_window "window/;workflow/;probe/;imaging/;platform/;dialogs/;controls/")
set(may_controls "controls/;platform/")
set(may_dialogs "dialogs/;platform/")
# Folders whose code may include more of Qt than Qt Core.
set(gui_folders platform window controls dialogs)
# Folders whose code runs in the worker and may include a decoding library.
set(decoding_folders engine engine/codecs engine/resample worker)
# The headers of the libraries that decode pictures (or hold the sandbox).
set(decoding_headers "^(vips/|libheif/|libdeflate\\.h|png\\.h|jpeglib\\.h|tiffio\\.h|webp/|jxl/|gif_lib\\.h|libexif/|seccomp\\.h)")

set(core_headers "")
foreach(source IN LISTS CORE_SOURCES)
  if(source MATCHES "\\.h$")
    get_filename_component(name "${source}" NAME)
    list(APPEND core_headers "platform/${name}")
  endif()
endforeach()

function(check file folder)
  file(RELATIVE_PATH shown "${SOURCE_DIR}" "${file}")
  set(allowed "${may_${folder}}")
  list(TRANSFORM allowed REPLACE "^core$" "${core_headers}")
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line IN LISTS lines)
    if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+/[^\"]+)\"")
      set(name "${CMAKE_MATCH_1}")
      set(ok FALSE)
      foreach(prefix IN LISTS allowed)
        string(FIND "${name}" "${prefix}" at)
        if(at EQUAL 0)
          set(ok TRUE)
        endif()
      endforeach()
      if(NOT ok)
        list(APPEND problems "${shown} includes ${name}")
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]*<(Q[A-Za-z]*)>")
      if(NOT folder IN_LIST gui_folders AND NOT EXISTS "${QT_CORE_INCLUDE}/${CMAKE_MATCH_1}")
        list(APPEND problems "${shown} includes <${CMAKE_MATCH_1}>, which is not Qt Core")
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
      set(name "${CMAKE_MATCH_1}")
      if(name MATCHES "${decoding_headers}" AND NOT folder IN_LIST decoding_folders)
        list(APPEND problems "${shown} includes <${name}>: decoding belongs to the worker (engine/, worker/)")
      endif()
    endif()
  endforeach()
  set(problems "${problems}" PARENT_SCOPE)
endfunction()

# Every folder that holds code must have its rules: a new folder is a new room.
file(GLOB_RECURSE all_code RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(folders "")
foreach(path IN LISTS all_code)
  get_filename_component(folder "${path}" DIRECTORY)
  # Tests, tools and build trees are no library (a build tree holds generated code).
  if(NOT path MATCHES "^(tests|bench|packaging|build[^/]*|\\.[^/]*)/" AND NOT path MATCHES "(_autogen|CMakeFiles)/"
     AND NOT folder STREQUAL "")
    list(APPEND folders "${folder}")
  endif()
endforeach()
list(REMOVE_DUPLICATES folders)

foreach(folder IN LISTS folders)
  if(NOT DEFINED may_${folder})
    list(APPEND problems "${folder}/ has no rules in check_layering.cmake")
    continue()
  endif()
  file(GLOB files "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(file IN LISTS files)
    get_filename_component(name "${file}" NAME)
    get_filename_component(stem "${file}" NAME_WE)
    if(folder STREQUAL "platform" AND ("platform/${stem}.h" IN_LIST core_headers OR "${stem}.cpp" IN_LIST CORE_SOURCES))
      check("${file}" platform_core)
    else()
      check("${file}" "${folder}")
    endif()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "Layers crossed:\n  ${text}")
endif()
message(STATUS "Layers hold")
