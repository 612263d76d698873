# cmake -DPROGRAMS="a;b" -P check_no_gui.cmake
#
# Fails when one of the programs loads Qt's GUI or widget library, directly or
# through another library: tarvel-batch and the worker must run on a machine
# without a display and never carry the GUI's code.
cmake_minimum_required(VERSION 3.25)
set(problems "")
foreach(program IN LISTS PROGRAMS)
  execute_process(COMMAND ldd "${program}" OUTPUT_VARIABLE libraries RESULT_VARIABLE failed)
  if(failed)
    list(APPEND problems "ldd could not read ${program}")
  elseif(libraries MATCHES "libQt6(Gui|Widgets|OpenGL|Xcb)[^ ]*")
    list(APPEND problems "${program} loads ${CMAKE_MATCH_0}")
  endif()
endforeach()
if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "GUI libraries where none belong:\n  ${text}")
endif()
message(STATUS "No GUI library in ${PROGRAMS}")
