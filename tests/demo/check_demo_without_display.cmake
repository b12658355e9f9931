# With no system driver that starts, the demonstration program ends with status 1 at start-up,
# printing nothing.
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${DEMO} WORKING_DIRECTORY ${WORK_DIR}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
if(NOT rc EQUAL 1)
  message(FATAL_ERROR "demo exited with '${rc}', expected 1\n${out}${err}")
endif()
if(NOT out STREQUAL "")
  message(FATAL_ERROR "demo printed '${out}', expected nothing")
endif()
