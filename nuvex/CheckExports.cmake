cmake_minimum_required(VERSION 3.25)
# Fails the build when the DLL's export names differ from the names of the .def file.
# -DOBJDUMP=<objdump> -DDLL=<Nuvex.dll> -DDEF=<Nuvex.def>
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]+\\[[ 0-9]+\\] [^\n]*\n)*)"
       table "${dump}")
string(REGEX REPLACE "[ \t]+\\[[ 0-9]+\\] ([^\n]*)\n" "\\1;" exported "${CMAKE_MATCH_1}")
list(FILTER exported EXCLUDE REGEX "^$")
list(SORT exported)

file(STRINGS ${DEF} lines REGEX "^[ \t]+[A-Za-z]")
list(TRANSFORM lines STRIP)
list(SORT lines)

if(NOT exported STREQUAL lines)
  message(FATAL_ERROR "Nuvex.dll exports [${exported}], expected [${lines}]")
endif()
list(LENGTH exported count)
if(NOT count EQUAL 23)
  message(FATAL_ERROR "Nuvex.dll exports ${count} names, expected 23")
endif()
