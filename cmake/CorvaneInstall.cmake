# Installation: the library, its public headers (a file set), a CMake package
# (find_package(Corvane)) and a pkg-config file (corvane.pc). Both packages are relocatable: they
# find the prefix from where they were installed, so an installed tree may be moved or copied.
include(CMakePackageConfigHelpers)

# The public headers (CORVANE_PUBLIC_HEADERS, from the source lists) are installed as a file set.
# A header under include/ that the list misses would silently be left out of the package, so
# configuring stops instead.
file(GLOB_RECURSE _headers_present CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/include/*.h")
foreach(_header IN LISTS _headers_present)
  if(NOT _header IN_LIST CORVANE_PUBLIC_HEADERS)
    message(FATAL_ERROR "${_header} is not in CORVANE_PUBLIC_HEADERS, so it would not be installed")
  endif()
endforeach()
target_sources(corvane PUBLIC FILE_SET HEADERS BASE_DIRS ${PROJECT_SOURCE_DIR}/include
  FILES ${CORVANE_PUBLIC_HEADERS})

# The library is C++ inside. A C program is linked by the C compiler, which does not add the C++
# runtime; a static library therefore names it (the libraries the C++ compiler adds that the C
# compiler does not, stdc++ and m with GCC) among what its users link. A shared library carries
# that dependency itself.
set(CORVANE_CXX_RUNTIME_LIBRARIES ${CMAKE_CXX_IMPLICIT_LINK_LIBRARIES})
if(CMAKE_C_IMPLICIT_LINK_LIBRARIES)
  list(REMOVE_ITEM CORVANE_CXX_RUNTIME_LIBRARIES ${CMAKE_C_IMPLICIT_LINK_LIBRARIES})
endif()
list(REMOVE_DUPLICATES CORVANE_CXX_RUNTIME_LIBRARIES)
if(NOT BUILD_SHARED_LIBS)
  foreach(_runtime IN LISTS CORVANE_CXX_RUNTIME_LIBRARIES)
    target_link_libraries(corvane INTERFACE $<LINK_ONLY:${_runtime}>)
  endforeach()
endif()

install(TARGETS corvane EXPORT CorvaneTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  FILE_SET HEADERS DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# ---- CMake package ---------------------------------------------------------------------------
# A static library's private dependencies reach its users' link lines, so its package looks them
# up again.
set(CORVANE_CONFIG_DEPENDENCIES "")
if(NOT BUILD_SHARED_LIBS)
  if(CORVANE_HAVE_SDL2)
    string(APPEND CORVANE_CONFIG_DEPENDENCIES "find_dependency(SDL2)\n")
  endif()
  string(APPEND CORVANE_CONFIG_DEPENDENCIES "find_dependency(PNG)\n")
  if(CORVANE_HAVE_VORBISFILE)
    string(APPEND CORVANE_CONFIG_DEPENDENCIES
      "find_dependency(PkgConfig)\npkg_check_modules(VORBISFILE REQUIRED QUIET IMPORTED_TARGET vorbisfile)\n")
  endif()
  if(CORVANE_HAVE_FLUIDSYNTH)
    string(APPEND CORVANE_CONFIG_DEPENDENCIES
      "find_dependency(PkgConfig)\npkg_check_modules(FLUIDSYNTH REQUIRED QUIET IMPORTED_TARGET fluidsynth)\n")
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

# ---- pkg-config ------------------------------------------------------------------------------
# The prefix is found from the file's own place (${pcfiledir}) unless the library directory was
# given as an absolute path.
set(CORVANE_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(CORVANE_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
  set(CORVANE_PC_LIBDIR "${CMAKE_INSTALL_LIBDIR}")
else()
  file(RELATIVE_PATH _pc_to_prefix "/root/${CORVANE_PC_DIR}" "/root")
  string(REGEX REPLACE "/$" "" _pc_to_prefix "${_pc_to_prefix}")
  set(CORVANE_PC_PREFIX "\${pcfiledir}/${_pc_to_prefix}")
  set(CORVANE_PC_LIBDIR "\${exec_prefix}/${CMAKE_INSTALL_LIBDIR}")
endif()
if(IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(CORVANE_PC_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}")
else()
  set(CORVANE_PC_INCLUDEDIR "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
endif()

# What linking the static library needs besides the library itself (pkg-config --static).
set(CORVANE_PC_REQUIRES_PRIVATE "libpng")
if(CORVANE_HAVE_SDL2)
  string(PREPEND CORVANE_PC_REQUIRES_PRIVATE "sdl2 ")
endif()
if(CORVANE_HAVE_VORBISFILE)
  string(APPEND CORVANE_PC_REQUIRES_PRIVATE " vorbisfile")
endif()
set(_pc_private_libs "")
foreach(_lib IN LISTS CORVANE_CXX_RUNTIME_LIBRARIES ITEMS m)
  list(APPEND _pc_private_libs "-l${_lib}")
endforeach()
if(CMAKE_THREAD_LIBS_INIT)
  list(APPEND _pc_private_libs ${CMAKE_THREAD_LIBS_INIT})
endif()
# FluidSynth is linked as the shared library it is: its own static dependencies (sound file
# codecs among them) are not needed, and are often not installed.
if(CORVANE_HAVE_FLUIDSYNTH)
  list(PREPEND _pc_private_libs "-lfluidsynth")
endif()
list(REMOVE_DUPLICATES _pc_private_libs)
list(JOIN _pc_private_libs " " CORVANE_PC_LIBS_PRIVATE)

configure_file(${PROJECT_SOURCE_DIR}/cmake/corvane.pc.in ${PROJECT_BINARY_DIR}/corvane.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/corvane.pc DESTINATION ${CORVANE_PC_DIR})
