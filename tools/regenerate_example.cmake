# Regenerates examples/example.sol with the recipe of docs/example.md and
# fails when the committed file differs.
#   cmake -DGENSOL=... -DEXPECTED=... -DOUT=... -P regenerate_example.cmake
execute_process(COMMAND ${GENSOL} --stations 15 --seed 7 --out ${OUT}
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gensol failed (${rc})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT} ${EXPECTED}
                RESULT_VARIABLE same)
if(NOT same EQUAL 0)
  message(FATAL_ERROR "${EXPECTED} is not what gensol writes now; regenerate it:\n"
                      "  gensol --stations 15 --seed 7 --out examples/example.sol")
endif()
