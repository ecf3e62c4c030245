# Builds host extension modules (MEX files) for every host found.
#
#   add_host_module(NAME <name> SOURCES <src>... [LINK <lib>...])
#
# Octave: found through mkoctfile; the module is a plain shared object named
# <name>.mex in ${MEX_OUTPUT_DIR}, linked against nothing (Octave resolves the
# MEX API from the running process).
# MATLAB: where FindMatlab finds an installation, the same sources are also
# built with matlab_add_mex into ${MATLAB_MEX_OUTPUT_DIR}.  MATLAB is never
# required.

find_program(MKOCTFILE_EXECUTABLE NAMES mkoctfile)
find_program(OCTAVE_CLI_EXECUTABLE NAMES octave-cli)
if(MKOCTFILE_EXECUTABLE)
  execute_process(COMMAND ${MKOCTFILE_EXECUTABLE} -p OCTINCLUDEDIR
                  OUTPUT_VARIABLE OCTAVE_INCLUDE_DIR
                  OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE _mkoct_rc)
  if(NOT _mkoct_rc EQUAL 0 OR NOT EXISTS "${OCTAVE_INCLUDE_DIR}/mex.h")
    message(WARNING "mkoctfile found, but Octave's mex.h is missing (install liboctave-dev)")
    set(OCTAVE_INCLUDE_DIR "")
  endif()
endif()

option(WITH_MATLAB "Also build MATLAB MEX files where MATLAB is found" ON)
if(WITH_MATLAB)
  find_package(Matlab QUIET)
endif()

set(MEX_OUTPUT_DIR "${CMAKE_BINARY_DIR}/mex" CACHE PATH "Where the Octave modules go")
set(MATLAB_MEX_OUTPUT_DIR "${CMAKE_BINARY_DIR}/matlab" CACHE PATH "Where the MATLAB modules go")

if(OCTAVE_INCLUDE_DIR)
  message(STATUS "Octave MEX headers: ${OCTAVE_INCLUDE_DIR}")
else()
  message(STATUS "Octave MEX headers not found: Octave modules are not built")
endif()
if(Matlab_FOUND)
  message(STATUS "MATLAB found at ${Matlab_ROOT_DIR}: MATLAB modules are built too")
endif()

if(MKOCTFILE_EXECUTABLE)
  execute_process(COMMAND ${MKOCTFILE_EXECUTABLE} -p OCTLIBDIR
                  OUTPUT_VARIABLE OCTAVE_LIB_DIR OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()

# add_host_module(NAME <name> SOURCES <src>... [LINK <lib>...]
#                 [OCTAVE_OUTPUT_DIR <dir>])
# OCTAVE_OUTPUT_DIR puts the Octave MEX file elsewhere than ${MEX_OUTPUT_DIR}
# (for a command whose Octave module is an oct-file; the MEX gateway is then
# built for MATLAB and, in that folder, for checking it in Octave).
# On GNU-style linkers a version script keeps every symbol but the host's
# entry points local, including the template code the standard library
# would otherwise export.
set(HOST_EXPORTS_MAP "${CMAKE_BINARY_DIR}/host_exports.map")
file(WRITE "${HOST_EXPORTS_MAP}" "{ global: mexFunction; mexVersion; local: *; };\n")
function(limit_exports target map)
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    target_link_options(${target} PRIVATE "LINKER:--version-script=${map}")
  endif()
endfunction()

function(add_host_module)
  cmake_parse_arguments(M "" "NAME;OCTAVE_OUTPUT_DIR" "SOURCES;LINK" ${ARGN})
  if(NOT M_OCTAVE_OUTPUT_DIR)
    set(M_OCTAVE_OUTPUT_DIR "${MEX_OUTPUT_DIR}")
    set(target ${M_NAME})
  else()
    set(target ${M_NAME}_mexgateway)
  endif()
  if(OCTAVE_INCLUDE_DIR)
    add_library(${target} MODULE ${M_SOURCES})
    target_include_directories(${target} PRIVATE "${OCTAVE_INCLUDE_DIR}")
    target_link_libraries(${target} PRIVATE ${M_LINK})
    set_target_properties(${target} PROPERTIES
      PREFIX "" SUFFIX ".mex" OUTPUT_NAME ${M_NAME}
      LIBRARY_OUTPUT_DIRECTORY "${M_OCTAVE_OUTPUT_DIR}")
    limit_exports(${target} "${HOST_EXPORTS_MAP}")
  endif()
  if(Matlab_FOUND)
    # The separate-complex API (R2017b) keeps mxGetPr returning the real parts.
    matlab_add_mex(NAME ${M_NAME}_matlab SRC ${M_SOURCES}
                   OUTPUT_NAME ${M_NAME} LINK_TO ${M_LINK} R2017b)
    # A MEX file is a LIBRARY artifact on Linux and macOS, a RUNTIME one
    # (a DLL) on Windows.
    set_target_properties(${M_NAME}_matlab PROPERTIES
      LIBRARY_OUTPUT_DIRECTORY "${MATLAB_MEX_OUTPUT_DIR}"
      RUNTIME_OUTPUT_DIRECTORY "${MATLAB_MEX_OUTPUT_DIR}")
    # MATLAB loads modules next to its own, often older, libstdc++; the
    # reader's number conversion needs a recent one, so carry it inside.
    if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
      target_link_options(${M_NAME}_matlab PRIVATE -static-libstdc++ -static-libgcc)
    endif()
  endif()
endfunction()

# add_octave_function(NAME <name> SOURCES <src>... [LINK <lib>...])
# An Octave-native module (oct-file, DEFUN_DLD) named <name>.oct in
# ${MEX_OUTPUT_DIR}, beside the MEX files, linked against Octave's libraries
# as mkoctfile links one.
function(add_octave_function)
  cmake_parse_arguments(M "" "NAME" "SOURCES;LINK" ${ARGN})
  if(NOT OCTAVE_INCLUDE_DIR)
    return()
  endif()
  add_library(${M_NAME}_oct MODULE ${M_SOURCES})
  get_filename_component(octave_parent "${OCTAVE_INCLUDE_DIR}" DIRECTORY)
  target_include_directories(${M_NAME}_oct PRIVATE "${octave_parent}" "${OCTAVE_INCLUDE_DIR}")
  target_link_directories(${M_NAME}_oct PRIVATE "${OCTAVE_LIB_DIR}")
  target_link_libraries(${M_NAME}_oct PRIVATE ${M_LINK} octinterp octave)
  set_target_properties(${M_NAME}_oct PROPERTIES
    PREFIX "" SUFFIX ".oct" OUTPUT_NAME ${M_NAME}
    LIBRARY_OUTPUT_DIRECTORY "${MEX_OUTPUT_DIR}")
  # Octave finds an oct-file's function through its installer G<name>.
  set(map "${CMAKE_BINARY_DIR}/${M_NAME}_oct_exports.map")
  file(WRITE "${map}" "{ global: G${M_NAME}; local: *; };\n")
  limit_exports(${M_NAME}_oct "${map}")
endfunction()
