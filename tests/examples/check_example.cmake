# Runs one example headless for a fixed number of frames and compares the screenshot it leaves
# with the picture committed for it. With UPDATE set (scripts/update_example_images.sh) the
# screenshot replaces the committed picture instead.
#
# Arguments (-D): EXAMPLE (the program), NAME, FRAMES, EXPECTED (the committed PNG), CHECKER
# (example_image_check), WORK_DIR, HOME_DIR (an empty home, so no user configuration leaks in),
# UPDATE (optional; the environment variable CORVANE_UPDATE_EXAMPLE_IMAGES does the same).
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(shot ${WORK_DIR}/${NAME}.png)

# No display variables: the library falls back to its headless screen. Standard input is empty,
# so a program that did read keys would see Escape at once; the examples read none in this mode.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=SDL_VIDEODRIVER
          --unset=SDL_AUDIODRIVER --unset=CORVANE HOME=${HOME_DIR}
          CORVANE_EXAMPLE_FRAMES=${FRAMES} CORVANE_SCREENSHOT=${shot} ${EXAMPLE}
  WORKING_DIRECTORY ${WORK_DIR}
  INPUT_FILE /dev/null
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${NAME} exited with '${rc}', expected 0\n${out}${err}")
endif()
if(NOT EXISTS ${shot})
  message(FATAL_ERROR "${NAME} left no screenshot\n${out}${err}")
endif()

if(UPDATE OR "$ENV{CORVANE_UPDATE_EXAMPLE_IMAGES}")
  file(COPY_FILE ${shot} ${EXPECTED})
  message(STATUS "${EXPECTED} made anew")
  return()
endif()
if(NOT EXISTS ${EXPECTED})
  message(FATAL_ERROR "no committed picture ${EXPECTED}: run scripts/update_example_images.sh")
endif()
execute_process(COMMAND ${CHECKER} ${EXPECTED} ${shot}
                RESULT_VARIABLE check_rc OUTPUT_VARIABLE check_out ERROR_VARIABLE check_err)
if(NOT check_rc EQUAL 0)
  message(FATAL_ERROR "${NAME} no longer draws ${EXPECTED} after ${FRAMES} frames; its picture "
                      "is ${shot}:\n${check_out}${check_err}")
endif()
