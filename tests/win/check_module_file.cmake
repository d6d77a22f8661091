# Checks a module file the way a bare Windows sees it: it may import only system DLLs, and it
# must export exactly the two module entries under their plain names.
# Usage: cmake -DOBJDUMP=<objdump> -DMODULE=<file> -P check_module_file.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${MODULE} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${MODULE} failed")
endif()

set(allowed KERNEL32.DLL USER32.DLL GDI32.DLL MSVCRT.DLL)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
if(NOT imports)
  message(FATAL_ERROR "no import table found in ${MODULE}")
endif()
foreach(line IN LISTS imports)
  string(REGEX REPLACE "DLL Name: *" "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOUPPER "${dll}" upper)
  if(NOT upper IN_LIST allowed)
    message(FATAL_ERROR "${MODULE} imports ${dll}, which a bare Windows does not have")
  endif()
  message(STATUS "imports ${dll}")
endforeach()

# Every exported name, from the name table, and the number of exported addresses (an entry
# exported by ordinal only would show there but not by name). Brackets mean something to CMake
# lists, so they are swapped out first.
string(REPLACE "[" "<" dump "${dump}")
string(REPLACE "]" ">" dump "${dump}")
string(REGEX MATCH "<Ordinal/Name Pointer> Table\n(([ \t]+<[ 0-9]+> [^\n]*\n)*)" table "${dump}")
string(REGEX MATCHALL "> [^\n]+" entries "${CMAKE_MATCH_1}")
set(names "")
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^> " "" name "${entry}")
  list(APPEND names "${name}")
endforeach()
list(SORT names)
set(expected VirtualdubFilterModuleDeinit VirtualdubFilterModuleInit2)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "${MODULE} exports [${names}]; expected exactly [${expected}]")
endif()
string(REGEX MATCH "Export Address Table -- Ordinal Base[^\n]*\n(([ \t]+<[^\n]*\n)*)"
       addresses "${dump}")
string(REGEX MATCHALL "\\+base" slots "${CMAKE_MATCH_1}")
list(LENGTH slots count)
if(NOT count EQUAL 2)
  message(FATAL_ERROR "${MODULE} has ${count} exported addresses; expected 2")
endif()
message(STATUS "exports ${names}")
