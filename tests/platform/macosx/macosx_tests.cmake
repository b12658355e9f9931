# The tests of the simulated Mac build: the program macosx_tests (tests/platform/macosx/*_test.cpp
# and *_test.mm) and the demonstration program run with and without a window server.
file(GLOB _macosx_tests CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/macosx/*_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/macosx/*_test.mm)
# The demonstration program's own tests need the program (the ThreadSanitizer build leaves it out).
if(NOT TARGET demo)
  list(FILTER _macosx_tests EXCLUDE REGEX "quartz_demo_test")
endif()
add_executable(macosx_tests ${_macosx_tests}
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/macosx/host_test_support.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/macosx/quartz_test_support.mm)
# The Linux HID joystick driver is the reference the 'HIDJ' tests hold the Mac driver's layout
# against: both lay out the same report descriptors by the same element rules.
target_sources(macosx_tests PRIVATE
  ${PROJECT_SOURCE_DIR}/platform/linux/hidraw_access.cpp
  ${PROJECT_SOURCE_DIR}/platform/linux/hidraw_joystick.cpp)
set_source_files_properties(
  ${PROJECT_SOURCE_DIR}/platform/linux/hidraw_access.cpp
  ${PROJECT_SOURCE_DIR}/platform/linux/hidraw_joystick.cpp
  TARGET_DIRECTORY macosx_tests PROPERTIES COMPILE_DEFINITIONS CORVANE_BUILDING_LIBRARY=1)
target_link_libraries(macosx_tests PRIVATE corvane_test_support GTest::gtest_main)
corvane_set_warnings(macosx_tests)
# The display tests run the demonstration program itself.
if(TARGET demo)
  add_dependencies(macosx_tests demo)
  target_compile_definitions(macosx_tests PRIVATE CORVANE_DEMO_PATH="$<TARGET_FILE:demo>")
endif()
set(_macosx_environment
  "HOME=${CORVANE_TEST_HOME}"
  "CORVANE_TEST_TMP=${CMAKE_CURRENT_BINARY_DIR}")
gtest_discover_tests(macosx_tests
  DISCOVERY_MODE PRE_TEST
  DISCOVERY_TIMEOUT 60
  PROPERTIES LABELS macosx TIMEOUT 120 ENVIRONMENT "${_macosx_environment}")

if(TARGET demo)
  set(_demo_dir ${CMAKE_CURRENT_BINARY_DIR}/demo-macosx)
  file(MAKE_DIRECTORY ${_demo_dir})
  # Without a window server the program runs without Cocoa, the system driver refuses to start
  # and the program ends with status 1.
  add_test(NAME demo.macosx_without_window_server
    COMMAND sh -c "\"$0\"; test $? -eq 1" $<TARGET_FILE:demo>)
  # With one, the program runs on its own thread while the event loop feeds it keys: the first
  # key it reads ends it with status 0.
  add_test(NAME demo.macosx_key_ends_greeting COMMAND $<TARGET_FILE:demo>)
  set_tests_properties(demo.macosx_without_window_server PROPERTIES
    LABELS "macosx;demo" TIMEOUT 60 WORKING_DIRECTORY ${_demo_dir}
    ENVIRONMENT "CORVANE_STANDIN_WINDOW_SERVER=0;${_macosx_environment}")
  set_tests_properties(demo.macosx_key_ends_greeting PROPERTIES
    LABELS "macosx;demo" TIMEOUT 60 WORKING_DIRECTORY ${_demo_dir}
    ENVIRONMENT "CORVANE_STANDIN_TAP_KEY=0;${_macosx_environment}")
endif()
