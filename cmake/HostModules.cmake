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

function(add_host_module)
  cmake_parse_arguments(M "" "NAME" "SOURCES;LINK" ${ARGN})
  if(OCTAVE_INCLUDE_DIR)
    add_library(${M_NAME} MODULE ${M_SOURCES})
    target_include_directories(${M_NAME} PRIVATE "${OCTAVE_INCLUDE_DIR}")
    target_link_libraries(${M_NAME} PRIVATE ${M_LINK})
    set_target_properties(${M_NAME} PROPERTIES
      PREFIX "" SUFFIX ".mex"
      LIBRARY_OUTPUT_DIRECTORY "${MEX_OUTPUT_DIR}")
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
