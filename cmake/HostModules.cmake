# Builds host extension modules for every host found.
#
#   add_host_module(NAME <name> [MEX <src>...] [OCT <src>...] [LINK <lib>...]
#                   [MATLAB_LINK <name>...] [SUBDIR <dir>])
#
# MEX: the sources of a MEX gateway (mexFunction); OCT: those of an Octave
# oct-file gateway (DEFUN_DLD).  CMakeLists.txt calls this for each module of
# cmake/sources.mk (<name>_MEX, <name>_OCT, <name>_LIBS).
#
# Octave: found through mkoctfile.  The module is a plain shared object in
# ${MEX_OUTPUT_DIR}, linked against nothing where Octave resolves its API from
# the running process (Linux): <name>.oct built from OCT where it is given,
# otherwise <name>.mex built from MEX.  A module with both also gets its MEX
# gateway built for Octave (target <name>_mexgate) into
# ${MEX_GATEWAY_OUTPUT_DIR}, so that it compiles and can be tested without
# MATLAB.
# MATLAB: where FindMatlab finds an installation, MEX is also built with
# matlab_add_mex into ${MATLAB_MEX_OUTPUT_DIR}.  MATLAB is never required.
# MATLAB_LINK names libraries of MATLAB's own (mwlapack) that the MATLAB
# build links, found in MATLAB's folders.
# SUBDIR puts the module into that folder below the output folders (the
# toolbox's compiled helpers go to private/).
#
# An oct-file's built-in help is its help/<name>.m: Octave shows the help an
# oct-file carries, not that of a .m file beside it.  The text is compiled in
# from a generated header <name>_help.h (kHelpText).
#
# On GNU-style linkers a version script keeps every symbol of a module but
# the host's entry points local, the template code the standard library
# would otherwise export included.

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
  # What an oct-file links where the platform wants its libraries named
  # (empty on Debian, where Octave resolves them at load time).
  execute_process(COMMAND ${MKOCTFILE_EXECUTABLE} -p OCT_LINK_DEPS
                  OUTPUT_VARIABLE _oct_link_deps
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  separate_arguments(OCTAVE_OCT_LINK_DEPS UNIX_COMMAND "${_oct_link_deps}")
endif()

option(WITH_MATLAB "Also build MATLAB MEX files where MATLAB is found" ON)
if(WITH_MATLAB)
  find_package(Matlab QUIET)
endif()

set(MEX_OUTPUT_DIR "${CMAKE_BINARY_DIR}/mex" CACHE PATH "Where the Octave modules go")
set(MEX_GATEWAY_OUTPUT_DIR "${CMAKE_BINARY_DIR}/mex-gateways" CACHE PATH
    "Where the Octave builds of the MEX gateways of modules with an oct-file gateway go")
set(MATLAB_MEX_OUTPUT_DIR "${CMAKE_BINARY_DIR}/matlab" CACHE PATH "Where the MATLAB modules go")

if(OCTAVE_INCLUDE_DIR)
  message(STATUS "Octave MEX headers: ${OCTAVE_INCLUDE_DIR}")
else()
  message(STATUS "Octave MEX headers not found: Octave modules are not built")
endif()
if(Matlab_FOUND)
  message(STATUS "MATLAB found at ${Matlab_ROOT_DIR}: MATLAB modules are built too")
endif()

set(_mex_exports "${CMAKE_BINARY_DIR}/exports/mex.map")
file(WRITE "${_mex_exports}" "{ global: mexFunction; mexVersion; local: *; };\n")

# Keeps all but the entry points of `target` local (`map`: a version script).
function(_limit_exports target map)
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    target_link_options(${target} PRIVATE "LINKER:--version-script=${map}")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${map}")
  endif()
endfunction()

# One Octave module: a shared object named <file_name><suffix> in <dir>.
function(_add_octave_module target file_name suffix dir)
  cmake_parse_arguments(O "" "" "SOURCES;LINK;INCLUDES;LINK_OPTIONS" ${ARGN})
  add_library(${target} MODULE ${O_SOURCES})
  target_include_directories(${target} PRIVATE "${GEOMEX_INCLUDE_DIR}" ${O_INCLUDES})
  target_link_libraries(${target} PRIVATE ${O_LINK})
  target_link_options(${target} PRIVATE ${O_LINK_OPTIONS})
  set_target_properties(${target} PROPERTIES
    PREFIX "" OUTPUT_NAME "${file_name}" SUFFIX "${suffix}"
    LIBRARY_OUTPUT_DIRECTORY "${dir}")
  if(suffix STREQUAL ".oct")
    # Octave finds an oct-file's function through its installer G<name>.
    set(map "${CMAKE_BINARY_DIR}/exports/${file_name}_oct.map")
    file(WRITE "${map}" "{ global: G${file_name}; local: *; };\n")
    _limit_exports(${target} "${map}")
  else()
    _limit_exports(${target} "${_mex_exports}")
  endif()
endfunction()

# The header <name>_help.h holding help/<name>.m (or an empty help when
# there is none) as kHelpText, in <out_dir>.
function(_add_help_header name out_dir)
  set(help "${PROJECT_SOURCE_DIR}/help/${name}.m")
  if(NOT EXISTS "${help}")
    set(help "")
  endif()
  add_custom_command(OUTPUT "${out_dir}/${name}_help.h"
    COMMAND ${CMAKE_COMMAND} -DIN=${help} -DOUT=${out_dir}/${name}_help.h
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedHelp.cmake
    DEPENDS ${help} ${PROJECT_SOURCE_DIR}/cmake/EmbedHelp.cmake
    VERBATIM)
endfunction()

function(add_host_module)
  cmake_parse_arguments(M "" "NAME;SUBDIR" "MEX;OCT;LINK;MATLAB_LINK" ${ARGN})
  set(out "${MEX_OUTPUT_DIR}")
  set(gateway_out "${MEX_GATEWAY_OUTPUT_DIR}")
  set(matlab_out "${MATLAB_MEX_OUTPUT_DIR}")
  if(M_SUBDIR)
    string(APPEND out "/${M_SUBDIR}")
    # A generator expression keeps a multi-configuration generator from
    # putting its configuration folder below the subfolder.
    get_property(multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
    if(multi_config)
      string(APPEND matlab_out "/$<CONFIG>")
    endif()
    string(APPEND matlab_out "/${M_SUBDIR}")
  endif()
  if(NOT M_MEX AND NOT M_OCT)
    message(FATAL_ERROR "module ${M_NAME}: neither ${M_NAME}_MEX nor ${M_NAME}_OCT in cmake/sources.mk")
  endif()
  if(OCTAVE_INCLUDE_DIR)
    if(M_OCT)
      if(NOT MSVC)
        set_source_files_properties(${M_OCT} PROPERTIES COMPILE_OPTIONS "${GEOMEX_GNU_OCT_FLAGS}")
      endif()
      # oct.h is included as <oct.h> or <octave/oct.h>.
      get_filename_component(_octave_parent "${OCTAVE_INCLUDE_DIR}" DIRECTORY)
      set(generated "${CMAKE_BINARY_DIR}/generated/${M_NAME}")
      _add_help_header(${M_NAME} "${generated}")
      _add_octave_module(${M_NAME} ${M_NAME} ".oct" "${out}"
        SOURCES ${M_OCT} "${generated}/${M_NAME}_help.h" LINK ${M_LINK}
        INCLUDES "${OCTAVE_INCLUDE_DIR}" "${_octave_parent}" "${generated}"
        LINK_OPTIONS ${OCTAVE_OCT_LINK_DEPS})
      if(M_MEX)
        _add_octave_module(${M_NAME}_mexgate ${M_NAME} ".mex" "${gateway_out}"
          SOURCES ${M_MEX} LINK ${M_LINK} INCLUDES "${OCTAVE_INCLUDE_DIR}")
      endif()
    else()
      _add_octave_module(${M_NAME} ${M_NAME} ".mex" "${out}"
        SOURCES ${M_MEX} LINK ${M_LINK} INCLUDES "${OCTAVE_INCLUDE_DIR}")
    endif()
  endif()
  if(Matlab_FOUND AND M_MEX)
    set(matlab_libs "")
    foreach(lib IN LISTS M_MATLAB_LINK)
      find_library(GEOMEX_MATLAB_${lib} NAMES ${lib} lib${lib}
                   PATHS "${Matlab_ROOT_DIR}/bin/glnxa64" "${Matlab_ROOT_DIR}/bin/maci64"
                         "${Matlab_ROOT_DIR}/bin/maca64"
                         "${Matlab_ROOT_DIR}/extern/lib/win64/microsoft"
                   NO_DEFAULT_PATH)
      if(NOT GEOMEX_MATLAB_${lib})
        message(FATAL_ERROR "${M_NAME}: MATLAB's ${lib} library not found under ${Matlab_ROOT_DIR}")
      endif()
      list(APPEND matlab_libs "${GEOMEX_MATLAB_${lib}}")
    endforeach()
    matlab_add_mex(NAME ${M_NAME}_matlab SRC ${M_MEX}
                   OUTPUT_NAME ${M_NAME} LINK_TO ${M_LINK} ${matlab_libs} ${GEOMEX_MATLAB_API})
    target_include_directories(${M_NAME}_matlab PRIVATE "${GEOMEX_INCLUDE_DIR}")
    # A MEX file is a LIBRARY artifact on Linux and macOS, a RUNTIME one
    # (a DLL) on Windows.
    set_target_properties(${M_NAME}_matlab PROPERTIES
      LIBRARY_OUTPUT_DIRECTORY "${matlab_out}"
      RUNTIME_OUTPUT_DIRECTORY "${matlab_out}")
    # MATLAB loads modules next to its own, often older, libstdc++; the
    # reader's number conversion needs a recent one, so carry it inside.
    if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
      target_link_options(${M_NAME}_matlab PRIVATE -static-libstdc++ -static-libgcc)
    endif()
  endif()
endfunction()
