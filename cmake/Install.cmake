# Help texts beside the built modules, and the installed layout.
#
# A host reads the help of a MEX module from the same-named .m file in the
# module's own folder, while calls go to the module: help/<name>.m (Texinfo,
# for Octave) is copied next to each Octave module, help/matlab/<name>.m
# (plain text, for MATLAB) next to each MATLAB module.  The Octave copies are
# made at configure time and again whenever a help file changes; the MATLAB
# copies whenever a module is built.
#
# cmake --install <build> --prefix <P> puts each host's modules and help
# files in one folder, ready for addpath:
#   <P>/lib/geodesy-mex/octave/   brisol.mex  brisol.m  tosqumg.mex  tosqumg.m
#                                 (<name>.oct for a module with an oct-file gateway),
#                                 the toolbox's functions, and private/ with
#                                 its private functions and compiled helpers
#   <P>/lib/geodesy-mex/matlab/   brisol.mexa64 ... (where MATLAB was found)
#   <P>/share/doc/geodesy-mex/    README.md, COPYING and the notes in docs/

set(GEOMEX_INSTALL_DIR "lib/geodesy-mex" CACHE STRING
    "Folder under the install prefix for the modules (octave/ and matlab/ below it)")
set(GEOMEX_INSTALL_DOCDIR "share/doc/geodesy-mex" CACHE STRING
    "Folder under the install prefix for the documentation")

# The modules of cmake/sources.mk.
foreach(_name IN LISTS GEOMEX_MODULES)
  set(_help "${PROJECT_SOURCE_DIR}/help/${_name}.m")
  if(TARGET ${_name})
    configure_file("${_help}" "${MEX_OUTPUT_DIR}/${_name}.m" COPYONLY)
    install(TARGETS ${_name}
            LIBRARY DESTINATION "${GEOMEX_INSTALL_DIR}/octave"
            COMPONENT octave)
    install(FILES "${_help}"
            DESTINATION "${GEOMEX_INSTALL_DIR}/octave"
            COMPONENT octave)
  endif()

  # MATLAB modules may land in a per-configuration folder (multi-config
  # generators), so the help file follows the module wherever it is built.
  set(_matlab_help "${PROJECT_SOURCE_DIR}/help/matlab/${_name}.m")
  if(TARGET ${_name}_matlab)
    add_custom_command(TARGET ${_name}_matlab POST_BUILD
      COMMAND "${CMAKE_COMMAND}" -E copy_if_different "${_matlab_help}"
              "$<TARGET_FILE_DIR:${_name}_matlab>/${_name}.m"
      VERBATIM)
    install(TARGETS ${_name}_matlab
            LIBRARY DESTINATION "${GEOMEX_INSTALL_DIR}/matlab"
            RUNTIME DESTINATION "${GEOMEX_INSTALL_DIR}/matlab"
            COMPONENT matlab)
    install(FILES "${_matlab_help}"
            DESTINATION "${GEOMEX_INSTALL_DIR}/matlab"
            COMPONENT matlab)
  endif()
endforeach()

# The toolbox: its functions beside the modules, its private functions and
# compiled helpers in private/ below them (refreshed at every build).
list(TRANSFORM GEOMEX_TOOLBOX PREPEND "${PROJECT_SOURCE_DIR}/" OUTPUT_VARIABLE _toolbox)
list(TRANSFORM GEOMEX_TOOLBOX_PRIVATE PREPEND "${PROJECT_SOURCE_DIR}/"
     OUTPUT_VARIABLE _toolbox_private)
add_custom_target(toolbox_m ALL
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${MEX_OUTPUT_DIR}/private"
  COMMAND "${CMAKE_COMMAND}" -E copy_if_different ${_toolbox} "${MEX_OUTPUT_DIR}"
  COMMAND "${CMAKE_COMMAND}" -E copy_if_different ${_toolbox_private} "${MEX_OUTPUT_DIR}/private"
  DEPENDS ${_toolbox} ${_toolbox_private}
  COMMENT "Copying the toolbox functions to ${MEX_OUTPUT_DIR}"
  VERBATIM)
foreach(_host octave matlab)
  install(FILES ${_toolbox} DESTINATION "${GEOMEX_INSTALL_DIR}/${_host}" COMPONENT ${_host})
  install(FILES ${_toolbox_private}
          DESTINATION "${GEOMEX_INSTALL_DIR}/${_host}/private" COMPONENT ${_host})
endforeach()
foreach(_name IN LISTS GEOMEX_PRIVATE_MODULES)
  if(TARGET ${_name})
    install(TARGETS ${_name} LIBRARY DESTINATION "${GEOMEX_INSTALL_DIR}/octave/private"
            COMPONENT octave)
  endif()
  if(TARGET ${_name}_matlab)
    # The toolbox's functions beside MATLAB's modules, wherever those land.
    add_custom_command(TARGET ${_name}_matlab POST_BUILD
      COMMAND "${CMAKE_COMMAND}" -E copy_if_different ${_toolbox}
              "$<TARGET_FILE_DIR:${_name}_matlab>/.."
      COMMAND "${CMAKE_COMMAND}" -E copy_if_different ${_toolbox_private}
              "$<TARGET_FILE_DIR:${_name}_matlab>"
      VERBATIM)
    install(TARGETS ${_name}_matlab
            LIBRARY DESTINATION "${GEOMEX_INSTALL_DIR}/matlab/private"
            RUNTIME DESTINATION "${GEOMEX_INSTALL_DIR}/matlab/private"
            COMPONENT matlab)
  endif()
endforeach()

install(FILES "${PROJECT_SOURCE_DIR}/README.md" "${PROJECT_SOURCE_DIR}/packaging/COPYING"
        DESTINATION "${GEOMEX_INSTALL_DOCDIR}"
        COMPONENT doc)
# docs/ keeps its name, so the README's links hold in the installed copy.
install(DIRECTORY "${PROJECT_SOURCE_DIR}/docs"
        DESTINATION "${GEOMEX_INSTALL_DOCDIR}"
        COMPONENT doc
        FILES_MATCHING PATTERN "*.md" PATTERN "*.png")
