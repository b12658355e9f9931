# Installs the build into a scratch prefix, then builds and runs a C consumer against it twice:
# through find_package(Corvane) and through pkg-config.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/consumer -G ${GENERATOR}
                        -DCMAKE_PREFIX_PATH=${prefix}
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "configuring the find_package consumer failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/consumer RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "building the find_package consumer failed")
endif()
execute_process(COMMAND ${WORK_DIR}/consumer/consumer RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the find_package consumer failed")
endif()

file(GLOB_RECURSE pc_files ${prefix}/*/corvane.pc)
list(GET pc_files 0 pc_file)
get_filename_component(pc_dir ${pc_file} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pc_dir})
execute_process(COMMAND pkg-config --define-prefix --cflags --libs corvane
                OUTPUT_VARIABLE pc_flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "pkg-config does not know corvane")
endif()
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
execute_process(COMMAND cc -std=c99 -Wall -Werror ${SOURCE_DIR}/consumer.c ${pc_flags}
                        -o ${WORK_DIR}/pkg_consumer
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "building the pkg-config consumer failed")
endif()
execute_process(COMMAND ${WORK_DIR}/pkg_consumer RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the pkg-config consumer failed")
endif()
message(STATUS "installed library found by find_package and pkg-config")
