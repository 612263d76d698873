# cmake -DSOURCE_DIR=... -DQT_CORE_INCLUDE=... -DCORE_SOURCES=... -DENGINE_SOURCES=... -P check_layering.cmake
#
# Fails when a library includes a header from a layer above it. The arrows:
#   platform core  <-  imaging  <-  imaging engine (libvips, the worker)
#   platform core  <-  platform (GUI)  <-  controls, dialogs  <-  window
#   platform core, imaging  <-  workflow  <-  window, cli
# cli and workflow stand on Qt Core alone, window and cli never include each
# other, and libvips stays inside the engine, the bench and the engine's tests.
# CORE_SOURCES and ENGINE_SOURCES are the source lists of the platform core
# and of the imaging engine, as CMake knows them.

cmake_minimum_required(VERSION 3.25)

# The source lists come with "|" between their entries.
string(REPLACE "|" ";" CORE_SOURCES "${CORE_SOURCES}")
string(REPLACE "|" ";" ENGINE_SOURCES "${ENGINE_SOURCES}")
set(problems "")

# The project headers and Qt headers a file includes, one "kind:name" each.
function(includes_of file out)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  set(found "")
  foreach(line IN LISTS lines)
    if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
      list(APPEND found "project:${CMAKE_MATCH_1}")
    elseif(line MATCHES "#[ \t]*include[ \t]*<(Q[A-Za-z]*)>")
      list(APPEND found "qt:${CMAKE_MATCH_1}")
    elseif(line MATCHES "#[ \t]*include[ \t]*<(vips/[^>]+)>")
      list(APPEND found "vips:${CMAKE_MATCH_1}")
    endif()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

# `file` may include project headers only from `allowed` (folder or file
# prefixes), Qt headers only of Qt Core when `core_only`, libvips only when
# `vips_allowed`.
function(check file allowed core_only vips_allowed)
  includes_of("${file}" found)
  file(RELATIVE_PATH shown "${SOURCE_DIR}" "${file}")
  foreach(item IN LISTS found)
    string(REGEX REPLACE "^([a-z]+):(.*)$" "\\1" kind "${item}")
    string(REGEX REPLACE "^([a-z]+):(.*)$" "\\2" name "${item}")
    if(kind STREQUAL "project" AND name MATCHES "/")
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
    elseif(kind STREQUAL "qt" AND core_only AND NOT EXISTS "${QT_CORE_INCLUDE}/${name}")
      list(APPEND problems "${shown} includes <${name}>, which is not Qt Core")
    elseif(kind STREQUAL "vips" AND NOT vips_allowed)
      list(APPEND problems "${shown} includes <${name}>: libvips belongs to the imaging engine")
    endif()
  endforeach()
  set(problems "${problems}" PARENT_SCOPE)
endfunction()

function(headers_of sources out)
  set(headers "")
  foreach(source IN LISTS sources)
    if(source MATCHES "\\.h$")
      get_filename_component(name "${source}" NAME)
      list(APPEND headers "${name}")
    endif()
  endforeach()
  set(${out} "${headers}" PARENT_SCOPE)
endfunction()

headers_of("${CORE_SOURCES}" core_headers)
list(TRANSFORM core_headers PREPEND "platform/" OUTPUT_VARIABLE core_allowed)
headers_of("${ENGINE_SOURCES}" engine_headers)
# The program's side of imaging: every imaging header that is not the engine's.
set(imaging_allowed "")
file(GLOB own RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/imaging/*.h")
foreach(header IN LISTS own)
  get_filename_component(header_name "${header}" NAME)
  if(NOT header_name IN_LIST engine_headers)
    list(APPEND imaging_allowed "${header}")
  endif()
endforeach()


file(GLOB platform_files "${SOURCE_DIR}/platform/*.h" "${SOURCE_DIR}/platform/*.cpp")
foreach(file IN LISTS platform_files)
  get_filename_component(name "${file}" NAME)
  get_filename_component(stem "${file}" NAME_WE)
  if("${stem}.h" IN_LIST core_headers OR "${stem}.cpp" IN_LIST CORE_SOURCES)
    check("${file}" "${core_allowed}" TRUE FALSE)
  else()
    check("${file}" "platform/" FALSE FALSE)
  endif()
endforeach()

file(GLOB imaging_files "${SOURCE_DIR}/imaging/*.h" "${SOURCE_DIR}/imaging/*.cpp")
foreach(file IN LISTS imaging_files)
  get_filename_component(name "${file}" NAME)
  # The worker's two programs are the engine's side too: tarvel-worker and its guard.
  if(name IN_LIST ENGINE_SOURCES OR name STREQUAL "worker_main.cpp" OR name STREQUAL "worker_guard_main.cpp")
    check("${file}" "imaging/;${core_allowed}" TRUE TRUE)
  else()
    # The program's side of imaging: no engine header, no decoder.
    check("${file}" "${imaging_allowed};${core_allowed}" TRUE FALSE)
  endif()
endforeach()

foreach(folder controls dialogs)
  file(GLOB files "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(file IN LISTS files)
    check("${file}" "${folder}/;platform/" FALSE FALSE)
  endforeach()
endforeach()

# The three rooms of the programs: workflow below window and cli, which never
# include each other. workflow and cli stand on Qt Core alone, so tarvel-batch
# needs no GUI; the engine runs in the worker, never in the window or tarvel-batch.
set(room_workflow "workflow/;${imaging_allowed};${core_allowed}")
set(room_cli "cli/;workflow/;${imaging_allowed};${core_allowed}")
set(room_window "window/;workflow/;${imaging_allowed};platform/;dialogs/;controls/")
foreach(room workflow cli window)
  set(core_only TRUE)
  if(room STREQUAL "window")
    set(core_only FALSE)
  endif()
  file(GLOB files "${SOURCE_DIR}/${room}/*.h" "${SOURCE_DIR}/${room}/*.cpp")
  foreach(file IN LISTS files)
    check("${file}" "${room_${room}}" ${core_only} FALSE)
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "Layers crossed:\n  ${text}")
endif()
message(STATUS "Layers hold")
