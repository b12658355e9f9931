# With no graphics driver that starts, the demonstration program reports that no mode could be set,
# with the reason, and ends with status 1.
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${DEMO} WORKING_DIRECTORY ${WORK_DIR}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
if(NOT rc EQUAL 1)
  message(FATAL_ERROR "demo exited with '${rc}', expected 1\n${out}${err}")
endif()
string(FIND "${out}${err}" "Unable to set any graphic mode\nUnable to find a suitable graphics driver\n" at)
if(at LESS 0)
  message(FATAL_ERROR "demo did not report the failed mode request:\n${out}${err}")
endif()
