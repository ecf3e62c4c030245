# Turns an Octave help file (comment lines from "-*- texinfo -*-" on) into a
# C++ header holding the text as kHelpText, so an oct-file's built-in help
# and the help file are one text:
#   cmake -DIN=help/x.m -DOUT=x_help.h -P EmbedHelp.cmake
# An empty IN gives an empty help.
set(body "")
if(IN)
  file(STRINGS "${IN}" lines)
  set(started FALSE)
  foreach(line IN LISTS lines)
    if(line MATCHES "^[#%]+ -\\*- texinfo -\\*-")
      set(started TRUE)
    endif()
    if(NOT started)
      continue()
    endif()
    # The help block ends with its @end deftypefn: self-tests (%!) and
    # their comments may follow it in the same file.
    if(line MATCHES "^%!")
      break()
    endif()
    string(REGEX REPLACE "^[#%]+ ?" "" text "${line}")
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    string(APPEND body "    \"${text}\\n\"\n")
    if(line MATCHES "@end deftypefn")
      break()
    endif()
  endforeach()
endif()
if(body STREQUAL "")
  set(body "    \"\"\n")
endif()
file(WRITE "${OUT}.tmp" "// Generated from ${IN}; edit that file.\n#pragma once\nstatic const char kHelpText[] =\n${body};\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
