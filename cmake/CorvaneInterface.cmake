# The machine-readable description of the public interface (corvane_interface.json), written from
# the headers by clang's parser at build time and installed beside the package files, for people
# who write bindings in other languages. Without Python or clang the build goes on without it.
find_package(Python3 COMPONENTS Interpreter QUIET)
find_program(CORVANE_CLANG NAMES clang clang-14 clang-15 clang-16)
if(Python3_Interpreter_FOUND AND CORVANE_CLANG)
  set(CORVANE_INTERFACE_JSON ${PROJECT_BINARY_DIR}/corvane_interface.json)
  add_custom_command(OUTPUT ${CORVANE_INTERFACE_JSON}
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/interface_description.py
      ${PROJECT_SOURCE_DIR}/include ${CORVANE_INTERFACE_JSON} --clang ${CORVANE_CLANG}
    DEPENDS ${PROJECT_SOURCE_DIR}/scripts/interface_description.py ${CORVANE_PUBLIC_HEADERS}
    COMMENT "Describing the public interface in corvane_interface.json"
    VERBATIM)
  add_custom_target(corvane_interface_description ALL DEPENDS ${CORVANE_INTERFACE_JSON})
  install(FILES ${CORVANE_INTERFACE_JSON} DESTINATION ${CMAKE_INSTALL_DATADIR}/corvane)
else()
  message(STATUS "Corvane: Python 3 or clang not found, the interface description is not built")
endif()
