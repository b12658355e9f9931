# Installation: headers, the library, a CMake package (find_package(Corvane)) and corvane.pc.
include(CMakePackageConfigHelpers)

install(TARGETS corvane EXPORT CorvaneTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h")

set(CORVANE_CONFIG_DEPENDENCIES "")
# A static library brings its dependencies (the C++ runtime among them, for C programs) into the
# consumer's link line; a shared one carries them itself.
set(CORVANE_PC_LIBS "-lcorvane")
set(CORVANE_PC_REQUIRES "")
if(NOT BUILD_SHARED_LIBS)
  set(CORVANE_PC_LIBS "-lcorvane -lstdc++ -lm -lpthread")
endif()
if(NOT BUILD_SHARED_LIBS)
  if(CORVANE_HAVE_SDL2)
    string(APPEND CORVANE_CONFIG_DEPENDENCIES "find_dependency(SDL2)\n")
    string(APPEND CORVANE_PC_REQUIRES " sdl2")
  endif()
  if(PNG_FOUND)
    string(APPEND CORVANE_CONFIG_DEPENDENCIES "find_dependency(PNG)\n")
    string(APPEND CORVANE_PC_REQUIRES " libpng")
  endif()
endif()

set(CORVANE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Corvane)
install(EXPORT CorvaneTargets NAMESPACE Corvane:: DESTINATION ${CORVANE_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/CorvaneConfig.cmake.in
  ${PROJECT_BINARY_DIR}/CorvaneConfig.cmake INSTALL_DESTINATION ${CORVANE_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/CorvaneConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/CorvaneConfig.cmake ${PROJECT_BINARY_DIR}/CorvaneConfigVersion.cmake
  DESTINATION ${CORVANE_CMAKE_DIR})

if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(CORVANE_PC_LIBDIR "${CMAKE_INSTALL_LIBDIR}")
else()
  set(CORVANE_PC_LIBDIR "\${exec_prefix}/${CMAKE_INSTALL_LIBDIR}")
endif()
if(IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(CORVANE_PC_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}")
else()
  set(CORVANE_PC_INCLUDEDIR "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/corvane.pc.in ${PROJECT_BINARY_DIR}/corvane.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/corvane.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
