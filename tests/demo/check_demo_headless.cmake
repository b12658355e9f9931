# Without a display the demonstration program renders on the headless driver: with a key on
# standard input it ends with 0, and with "CORVANE_SCREENSHOT" set it leaves the picture, which
# must hold exactly the greeting in black on white (checked by CHECKER).
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
file(WRITE ${WORK_DIR}/enter.txt "\n")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=SDL_VIDEODRIVER
          CORVANE_SCREENSHOT=${WORK_DIR}/hello.png ${DEMO}
  WORKING_DIRECTORY ${WORK_DIR}
  INPUT_FILE ${WORK_DIR}/enter.txt
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "demo exited with '${rc}', expected 0\n${out}${err}")
endif()
if(NOT EXISTS ${WORK_DIR}/hello.png)
  message(FATAL_ERROR "demo left no screenshot\n${out}${err}")
endif()
execute_process(COMMAND ${CHECKER} ${WORK_DIR}/hello.png
                RESULT_VARIABLE check_rc OUTPUT_VARIABLE check_out ERROR_VARIABLE check_err)
if(NOT check_rc EQUAL 0)
  message(FATAL_ERROR "the screenshot is wrong: ${check_out}${check_err}")
endif()

# A closed, empty standard input also ends the program: its end counts as the Escape key.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=SDL_VIDEODRIVER
          --unset=CORVANE_SCREENSHOT ${DEMO}
  WORKING_DIRECTORY ${WORK_DIR}
  INPUT_FILE /dev/null
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "demo with empty input exited with '${rc}', expected 0\n${out}${err}")
endif()
