# The HTML reference of the public interface, built by Doxygen from the headers' doc comments into
# reference/html in the build tree (target `reference`). The docs.reference test builds it and
# fails on any warning, so every public declaration keeps a doc comment of its own. Without
# Doxygen the build goes on without it.
find_package(Doxygen QUIET)
if(DOXYGEN_FOUND)
  set(CORVANE_REFERENCE_DIR ${PROJECT_BINARY_DIR}/reference)
  configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${CORVANE_REFERENCE_DIR}/Doxyfile @ONLY)
  add_custom_target(reference
    COMMAND Doxygen::doxygen ${CORVANE_REFERENCE_DIR}/Doxyfile
    WORKING_DIRECTORY ${CORVANE_REFERENCE_DIR}
    DEPENDS ${CORVANE_PUBLIC_HEADERS} ${PROJECT_SOURCE_DIR}/docs/Doxyfile.in
    COMMENT "Building the HTML reference in ${CORVANE_REFERENCE_DIR}/html"
    VERBATIM)
else()
  message(STATUS "Corvane: Doxygen not found, the HTML reference is not built")
endif()
