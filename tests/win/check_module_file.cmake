# Checks a module file the way a bare Windows and a host see it:
# - it imports only system DLLs and exports exactly the module entries, undecorated: the two every
#   host calls and the one the FilterMod hosts call instead of the first;
# - it carries no exception machinery: no unwinding personality, no unwinder, no terminate handler,
#   no exception runtime, no run-time type information;
# - none of its own code runs when it is loaded: the only initialisers are the toolchain's startup
#   ones and DllMain is the runtime's own;
# - it is shipped stripped: no symbol table, no debug sections.
# A stripped file names no code, so what went into it is read from the map its link wrote. The map
# must describe this very file: every section at the same address with the same size.
# Every fault found is listed before the check fails.
# Usage: cmake -DOBJDUMP=<objdump> -DMODULE=<file> -DMAP=<link map> -P check_module_file.cmake
cmake_minimum_required(VERSION 3.25)

set(faults "")
macro(fault text)
  string(APPEND faults "\n  ${text}")
endmacro()

# Brackets and semicolons mean something to CMake lists; the texts below are split into lists of
# lines, so both are swapped out first.
function(read_as_lines text out)
  string(REPLACE "[" "<" text "${text}")
  string(REPLACE "]" ">" text "${text}")
  string(REPLACE ";" "," text "${text}")
  string(REPLACE "\n" ";" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(run_objdump option out)
  execute_process(COMMAND ${OBJDUMP} ${option} ${MODULE} OUTPUT_VARIABLE dump
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} ${option} ${MODULE} failed")
  endif()
  set(${out} "${dump}" PARENT_SCOPE)
endfunction()

run_objdump(-p dump)
run_objdump(-h headers)
run_objdump(-t symbols)

# --- Imports and exports ---------------------------------------------------------------------

set(allowed KERNEL32.DLL USER32.DLL GDI32.DLL MSVCRT.DLL COMDLG32.DLL COMCTL32.DLL)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
if(NOT imports)
  fault("it has no import table")
endif()
foreach(line IN LISTS imports)
  string(REGEX REPLACE "DLL Name: *" "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOUPPER "${dll}" upper)
  if(NOT upper IN_LIST allowed)
    fault("it imports ${dll}, which a bare Windows does not have")
  endif()
endforeach()

# Every exported name, from the name table, and the number of exported addresses (an entry
# exported by ordinal only would show there but not by name).
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
set(expected FilterModModuleInit VirtualdubFilterModuleDeinit VirtualdubFilterModuleInit2)
list(LENGTH expected expected_count)
if(NOT names STREQUAL expected)
  string(REPLACE ";" ", " shown "${names}")
  string(REPLACE ";" ", " expected "${expected}")
  fault("it exports (${shown}); expected exactly (${expected})")
endif()
string(REGEX MATCH "Export Address Table -- Ordinal Base[^\n]*\n(([ \t]+<[^\n]*\n)*)"
       addresses "${dump}")
string(REGEX MATCHALL "\\+base" slots "${CMAKE_MATCH_1}")
list(LENGTH slots count)
if(NOT count EQUAL expected_count)
  fault("it has ${count} exported addresses; expected ${expected_count}")
endif()

# --- Stripped ----------------------------------------------------------------------------------

# Section lines: index, name, size, address, load address, file offset.
set(hex "[0-9a-fA-F]+")
string(REGEX MATCHALL "\n *[0-9]+ [^ \n]+ +${hex} +${hex}" file_sections "${headers}")
set(debug_sections "")
foreach(line IN LISTS file_sections)
  string(REGEX MATCH "[0-9]+ ([^ ]+)" unused "${line}")
  set(name "${CMAKE_MATCH_1}")
  if(name MATCHES "^\\.(z?debug|stab)")
    list(APPEND debug_sections ${name})
  endif()
endforeach()
if(debug_sections)
  string(REPLACE ";" " " shown "${debug_sections}")
  fault("it carries debug sections: ${shown}")
endif()
if(NOT symbols MATCHES "no symbols")
  fault("it carries a symbol table")
endif()

# --- What the link put in, from its map ------------------------------------------------------

# The toolchain's own startup: the DLL entry and the runtime's empty DllMain, the frame
# registration of crtbegin/crtend, the CRT's init and TLS tables, and libgcc's processor-feature
# probe (it only runs cpuid; it comes with the frame mapping's __builtin_cpu_supports). Anything
# else that runs at load was brought in by the module's own code.
string(CONCAT startup_files
  "(^|/)(crtbegin|crtend|dllcrt2)\\.o$"
  "|/libmingw32\\.a\\("
  "|/libmingwex\\.a\\([^)]*dllmain\\.o\\)$"
  "|/libgcc\\.a\\(cpuinfo\\.o\\)$")
# What exception handling and run-time types leave in a linked file, mangled or demangled.
set(machinery_kinds personality unwinder terminate exceptions types)
set(personality_what "an unwinding personality")
set(personality_pattern "__g(xx|cc)_personality_")
set(unwinder_what "the unwinder")
set(unwinder_pattern "^_*(Unwind_|register_frame_info|deregister_frame_info)")
set(terminate_what "a terminate handler")
string(CONCAT terminate_pattern
  "std::(set_)?terminate|__verbose_terminate_handler|__cxxabiv1::__terminate|__terminate_handler"
  "|_ZSt9terminatev|_ZSt13set_terminate")
set(exceptions_what "the exception runtime")
set(exceptions_pattern "^_*cxa_")
set(types_what "run-time type information")
set(types_pattern "^typeinfo (name )?for |^_*ZT[IS]")
foreach(kind IN LISTS machinery_kinds)
  set(${kind}_found "")
endforeach()

set(map_sections "")  # name|address|size of every output section
set(initialisers "")
if(NOT EXISTS "${MAP}")
  fault("its link map ${MAP} is missing")
else()
  file(READ "${MAP}" map)
  string(FIND "${map}" "\nLinker script and memory map\n" start)
  if(start LESS 0)
    fault("${MAP} is not a link map")
  else()
    string(SUBSTRING "${map}" ${start} -1 map)
  endif()
  read_as_lines("${map}" lines)
  set(pending "")  # an input section whose name stood alone on its line
  set(pending_output "")  # the same for an output section
  set(from "")     # the file of the input section the symbol lines below belong to
  foreach(line IN LISTS lines)
    set(section "")
    if(NOT line MATCHES "^ +0x${hex} +0x${hex}$")
      set(pending_output "")
    endif()
    if(line MATCHES "^(\\.[^ ]+) +0x(${hex}) +0x(${hex})$")
      list(APPEND map_sections "${CMAKE_MATCH_1}|${CMAKE_MATCH_2}|${CMAKE_MATCH_3}")
      set(pending "")
      continue()
    elseif(line MATCHES "^(\\.[^ ]+)$")
      set(pending_output "${CMAKE_MATCH_1}")
      set(pending "")
      continue()
    elseif(pending_output AND line MATCHES "^ +0x(${hex}) +0x(${hex})$")
      list(APPEND map_sections "${pending_output}|${CMAKE_MATCH_1}|${CMAKE_MATCH_2}")
      set(pending_output "")
      continue()
    elseif(line MATCHES "^ (\\.[^ ]+)$")
      set(pending "${CMAKE_MATCH_1}")
      continue()
    elseif(line MATCHES "^ (\\.[^ ]+) +0x${hex} +0x(${hex}) (.+)$")
      set(section "${CMAKE_MATCH_1}")
      set(size "${CMAKE_MATCH_2}")
      set(from "${CMAKE_MATCH_3}")
    elseif(pending AND line MATCHES "^ +0x${hex} +0x(${hex}) (.+)$")
      set(section "${pending}")
      set(size "${CMAKE_MATCH_1}")
      set(from "${CMAKE_MATCH_2}")
    elseif(NOT line MATCHES " = |PROVIDE" AND line MATCHES "^ +0x${hex} +([^ ].*)$")
      set(symbol "${CMAKE_MATCH_1}")
      foreach(kind IN LISTS machinery_kinds)
        if(symbol MATCHES "${${kind}_pattern}")
          list(APPEND ${kind}_found "${symbol}")
        endif()
      endforeach()
      if(symbol MATCHES "^_*DllMain(@12)?$" AND NOT from MATCHES "${startup_files}")
        fault("it has a DllMain of its own, from ${from}, which runs at load")
      endif()
    endif()
    set(pending "")
    # .ctors holds the static initialisers; .CRT$XC/XI the CRT's own, $XL the TLS callbacks.
    if(section MATCHES "^\\.ctors|^\\.CRT\\$X[CIL]" AND NOT size MATCHES "^0+$"
       AND NOT from MATCHES "${startup_files}")
      list(APPEND initialisers "${section} from ${from}")
    endif()
  endforeach()
endif()

foreach(kind IN LISTS machinery_kinds)
  if(${kind}_found)
    list(REMOVE_DUPLICATES ${kind}_found)
    list(LENGTH ${kind}_found count)
    list(SUBLIST ${kind}_found 0 4 shown)
    string(REPLACE ";" ", " shown "${shown}")
    if(count GREATER 4)
      string(APPEND shown " and ${count} more")
    endif()
    fault("it carries ${${kind}_what}: ${shown}")
  endif()
endforeach()
foreach(initialiser IN LISTS initialisers)
  fault("it runs a static initialiser at load that is not the toolchain's startup: ${initialiser}")
endforeach()

# The map must be this file's: a map left over from another link would vouch for code the file
# no longer holds. The map gives each section's size rounded up to the file alignment, and the
# stripped file keeps only eight characters of a long section name.
if(map_sections)
  set(undescribed "")
  foreach(line IN LISTS file_sections)
    string(REGEX MATCH "[0-9]+ ([^ ]+) +(${hex}) +(${hex})" unused "${line}")
    set(name "${CMAKE_MATCH_1}")
    math(EXPR size "0x${CMAKE_MATCH_2}")
    math(EXPR address "0x${CMAKE_MATCH_3}")
    set(described FALSE)
    foreach(entry IN LISTS map_sections)
      string(REPLACE "|" ";" entry "${entry}")
      list(GET entry 0 map_name)
      list(GET entry 1 map_address)
      list(GET entry 2 map_size)
      math(EXPR map_address "0x${map_address}")
      math(EXPR slack "0x${map_size} - ${size}")
      string(FIND "${map_name}" "${name}" at)
      if(map_address EQUAL address AND at EQUAL 0 AND slack GREATER_EQUAL 0 AND slack LESS 512)
        set(described TRUE)
        break()
      endif()
    endforeach()
    if(NOT described)
      list(APPEND undescribed ${name})
    endif()
  endforeach()
  if(undescribed)
    string(REPLACE ";" " " shown "${undescribed}")
    fault("${MAP} is not the map of this file: it has no ${shown} at the file's address and size")
  endif()
endif()

if(faults)
  message(FATAL_ERROR "${MODULE} is not fit to ship:${faults}")
endif()
string(REPLACE ";" ", " shown "${names}")
message(STATUS "${MODULE}: imports only system DLLs, exports ${shown}, carries no exception "
               "machinery, runs nothing of its own at load, stripped")
