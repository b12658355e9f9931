# Installs the build into a scratch directory, moves the installed tree to another prefix (so that
# both packages must find their files from where they are now), then builds and runs a plain C
# game against it twice: through find_package(Corvane) and through pkg-config with nothing but
# PKG_CONFIG_PATH pointing into the prefix. The installed example sources are built against it
# too (when the build installs them), and one of them is run.
#
# Arguments (-D): BUILD_DIR, SOURCE_DIR (this folder), WORK_DIR, GENERATOR, C_COMPILER,
# PKG_CONFIG (may be empty: that half is then reported as not run), SHARED (the library is shared),
# WITH_SDL2 (the library was built with the SDL2 drivers), EXAMPLES (the examples are installed).
function(run)
  cmake_parse_arguments(RUN "" "WHAT" "COMMAND" ${ARGN})
  execute_process(COMMAND ${RUN_COMMAND} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${RUN_WHAT} failed (${rc}):\n${out}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(staging ${WORK_DIR}/staging)
set(prefix ${WORK_DIR}/moved-prefix)
run(WHAT "cmake --install" COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${staging})
file(RENAME ${staging} ${prefix})

# ---- find_package ----
run(WHAT "configuring the find_package consumer"
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/cmake-game -G ${GENERATOR}
            -DCMAKE_C_COMPILER=${C_COMPILER} -DCMAKE_PREFIX_PATH=${prefix}
            -DCMAKE_FIND_PACKAGE_NO_PACKAGE_REGISTRY=ON)
file(STRINGS ${WORK_DIR}/cmake-game/CMakeCache.txt corvane_dir REGEX "^Corvane_DIR:")
string(FIND "${corvane_dir}" "${prefix}/" at)
if(at EQUAL -1)
  message(FATAL_ERROR "find_package found another Corvane: ${corvane_dir}")
endif()
run(WHAT "building the find_package consumer" COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/cmake-game)
run(WHAT "the find_package consumer"
    COMMAND ${WORK_DIR}/cmake-game/game ${WORK_DIR}/cmake-game.png)

# ---- the installed examples ----
# Their sources come with a CMakeLists.txt of their own that finds the package, and the data file
# one of them reads is made by the installed data-file tool. One run shows that it found it.
if(EXAMPLES)
  file(GLOB_RECURSE example_lists ${prefix}/*/CMakeLists.txt)
  list(FILTER example_lists INCLUDE REGEX "/examples/CMakeLists.txt$")
  list(LENGTH example_lists example_list_count)
  if(NOT example_list_count EQUAL 1)
    message(FATAL_ERROR "expected one installed examples/CMakeLists.txt, found: ${example_lists}")
  endif()
  get_filename_component(examples_dir ${example_lists} DIRECTORY)
  run(WHAT "configuring the installed examples"
      COMMAND ${CMAKE_COMMAND} -S ${examples_dir} -B ${WORK_DIR}/examples -G ${GENERATOR}
              -DCMAKE_C_COMPILER=${C_COMPILER} -DCMAKE_PREFIX_PATH=${prefix}
              -DCMAKE_FIND_PACKAGE_NO_PACKAGE_REGISTRY=ON -DCMAKE_C_FLAGS=-Werror)
  run(WHAT "building the installed examples" COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/examples)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=SDL_VIDEODRIVER
            CORVANE_EXAMPLE_FRAMES=1 CORVANE_SCREENSHOT=${WORK_DIR}/file_resources.png
            ${WORK_DIR}/examples/file_resources
    INPUT_FILE /dev/null RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out TIMEOUT 60)
  if(NOT rc EQUAL 0 OR NOT EXISTS ${WORK_DIR}/file_resources.png)
    message(FATAL_ERROR "the installed file_resources example failed (${rc}):\n${out}")
  endif()
endif()

# ---- pkg-config ----
if(NOT PKG_CONFIG)
  message(WARNING "pkg-config is not installed: the pkg-config consumer was not built")
  return()
endif()
file(GLOB_RECURSE pc_files ${prefix}/*/corvane.pc)
list(LENGTH pc_files pc_count)
if(NOT pc_count EQUAL 1)
  message(FATAL_ERROR "expected one corvane.pc under ${prefix}, found: ${pc_files}")
endif()
get_filename_component(pc_dir ${pc_files} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pc_dir})

# A static library needs its private dependencies on the link line (--static); a shared one
# brings them itself.
set(static_flag --static)
if(SHARED)
  set(static_flag "")
endif()
execute_process(COMMAND ${PKG_CONFIG} ${static_flag} --cflags --libs corvane
                OUTPUT_VARIABLE pc_flags ERROR_VARIABLE pc_error
                OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "pkg-config does not know corvane:\n${pc_error}")
endif()
string(FIND "${pc_flags}" "${prefix}/" at)
if(at EQUAL -1)
  message(FATAL_ERROR "pkg-config does not point into the prefix: ${pc_flags}")
endif()
execute_process(COMMAND ${PKG_CONFIG} --print-requires-private corvane
                OUTPUT_VARIABLE requires OUTPUT_STRIP_TRAILING_WHITESPACE)
set(expected_requires libpng)
if(WITH_SDL2)
  list(APPEND expected_requires sdl2)
endif()
foreach(module IN LISTS expected_requires)
  if(NOT requires MATCHES "(^|\n)${module}($|\n| )")
    message(FATAL_ERROR "corvane.pc does not list ${module} in Requires.private: ${requires}")
  endif()
endforeach()

separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
run(WHAT "building the pkg-config consumer"
    COMMAND ${C_COMPILER} -std=c99 -Wall -Wextra -Werror ${SOURCE_DIR}/consumer.c ${pc_flags}
            -o ${WORK_DIR}/pkg-game)
if(SHARED)
  file(GLOB_RECURSE shared_objects ${prefix}/*/libcorvane.so)
  foreach(so IN LISTS shared_objects)
    get_filename_component(so_dir ${so} DIRECTORY)
    set(ENV{LD_LIBRARY_PATH} "${so_dir}:$ENV{LD_LIBRARY_PATH}")
  endforeach()
endif()
run(WHAT "the pkg-config consumer" COMMAND ${WORK_DIR}/pkg-game ${WORK_DIR}/pkg-game.png)
message(STATUS "the installed library was found and linked by find_package and by pkg-config")
