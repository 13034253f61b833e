execute_process(COMMAND ${MAKE_SAMPLE} ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "make_sample failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SAMPLE} ${OUT}
  RESULT_VARIABLE different)
if(different)
  message(FATAL_ERROR "samples/Blue.prc is not what make_sample writes; rebuild the 'sample' target")
endif()
