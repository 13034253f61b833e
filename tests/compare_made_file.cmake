# Fails unless the tracked file TRACKED is what the program MAKER writes
# (into OUT); TARGET names the build target that rewrites it.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${MAKER} ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${MAKER} failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${TRACKED} ${OUT}
  RESULT_VARIABLE different)
if(different)
  message(FATAL_ERROR "${TRACKED} is not what ${MAKER} writes; rebuild the '${TARGET}' target")
endif()
