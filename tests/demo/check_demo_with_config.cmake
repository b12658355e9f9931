# With a "corvane.cfg" that chooses the system driver 'NONE' (found through the "CORVANE"
# environment variable), the demonstration program cannot set a graphics mode and, since 'NONE'
# shows messages on standard output, prints the failure and the reason there; it ends with 1.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
file(WRITE ${WORK_DIR}/corvane.cfg "[system]\nsystem = NONE\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E env CORVANE=${WORK_DIR} ${DEMO}
                WORKING_DIRECTORY ${WORK_DIR}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
if(NOT rc EQUAL 1)
  message(FATAL_ERROR "demo exited with '${rc}', expected 1\n${out}${err}")
endif()
if(NOT out MATCHES "Unable to set any graphic mode\n[^\n]+\n")
  message(FATAL_ERROR "demo did not report the failed mode request on standard output:\n"
                      "stdout: ${out}\nstderr: ${err}")
endif()
if(err MATCHES "Unable to set any graphic mode")
  message(FATAL_ERROR "the message went to standard error, so 'NONE' was not chosen:\n${err}")
endif()
file(READ ${WORK_DIR}/corvane.cfg config)
if(NOT config STREQUAL "[system]\nsystem = NONE\n")
  message(FATAL_ERROR "the configuration file was changed:\n${config}")
endif()
