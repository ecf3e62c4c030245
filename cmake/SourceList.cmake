# Reads cmake/sources.mk, the one list of the libraries, the modules and the
# compiler flags, for CMakeLists.txt and for cmake/CheckSources.cmake.
#
#   geomex_read_sources(<file>)
#
# sets, in the caller's scope, one variable per `NAME := words` line of the
# file, named NAME and holding its words as a CMake list (brisol_MEX,
# GEOMEX_MODULES, GEOMEX_GNU_FLAGS, ...), and GEOMEX_SOURCES_MK_NAMES, the
# names in the order of the file.
#
#   geomex_library_closure(<out> <lib>...)
#
# sets <out> to the given libraries and every library they use (their
# <lib>_LIBS), each once, users before what they use.

function(geomex_read_sources file)
  file(READ "${file}" text)
  string(REGEX REPLACE "#[^\n]*" "" text "${text}")       # comments, as make drops them
  if(text MATCHES ";")
    message(FATAL_ERROR "${file}: CMake cannot read a ';' outside comments")
  endif()
  string(REGEX REPLACE "\\\\\n" " " text "${text}")  # a line that ends in \ goes on
  string(REGEX MATCHALL "[^\n]+" lines "${text}")
  set(names "")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "")
      continue()
    endif()
    if(NOT line MATCHES "^([A-Za-z_][A-Za-z0-9_]*)[ \t]*:=[ \t]*(.*)$")
      message(FATAL_ERROR "${file}: not a `NAME := words` line: ${line}")
    endif()
    set(name "${CMAKE_MATCH_1}")
    separate_arguments(words UNIX_COMMAND "${CMAKE_MATCH_2}")
    set(${name} "${words}" PARENT_SCOPE)
    list(APPEND names ${name})
  endforeach()
  set(GEOMEX_SOURCES_MK_NAMES "${names}" PARENT_SCOPE)
endfunction()

function(geomex_library_closure out)
  set(result "")
  set(pending ${ARGN})
  while(pending)
    list(POP_FRONT pending lib)
    if(NOT lib IN_LIST result)
      list(APPEND result ${lib})
      list(APPEND pending ${${lib}_LIBS})
    endif()
  endwhile()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()
