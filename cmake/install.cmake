# What `cmake --install` puts where, in the GNU directories, in three components:
# Library (the shared library), Development (headers, the link name, pkg-config and
# CMake package files) and Tools (the command-line tools and the demo host). Fonts are
# not installed: the library finds them through fontconfig.
include(CMakePackageConfigHelpers)

install(TARGETS qjxhtml EXPORT qjxhtmlTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Library NAMELINK_COMPONENT Development)
install(FILES ${CMAKE_SOURCE_DIR}/include/qjxhtml.h ${CMAKE_SOURCE_DIR}/include/qjxhtml_host.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/qjxhtml COMPONENT Development)

# pkg-config: the prefix is the one installed to, read when installing, so that
# `cmake --install --prefix DIR` gives a file that points into DIR.
configure_file(${CMAKE_SOURCE_DIR}/cmake/qjxhtml.pc.in ${CMAKE_BINARY_DIR}/qjxhtml.pc.in @ONLY)
install(CODE "
  file(READ \"${CMAKE_BINARY_DIR}/qjxhtml.pc.in\" pc)
  string(REPLACE \"%PREFIX%\" \"\${CMAKE_INSTALL_PREFIX}\" pc \"\${pc}\")
  file(WRITE \"${CMAKE_BINARY_DIR}/pkgconfig/qjxhtml.pc\" \"\${pc}\")" COMPONENT Development)
install(FILES ${CMAKE_BINARY_DIR}/pkgconfig/qjxhtml.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT Development)

set(QJX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/qjxhtml)
install(EXPORT qjxhtmlTargets NAMESPACE qjxhtml:: DESTINATION ${QJX_CMAKE_DIR} COMPONENT Development)
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/qjxhtmlConfig.cmake.in
  ${CMAKE_BINARY_DIR}/qjxhtmlConfig.cmake INSTALL_DESTINATION ${QJX_CMAKE_DIR})
# Before 1.0 a minor version may change the interface.
write_basic_package_version_file(${CMAKE_BINARY_DIR}/qjxhtmlConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/qjxhtmlConfig.cmake ${CMAKE_BINARY_DIR}/qjxhtmlConfigVersion.cmake
  DESTINATION ${QJX_CMAKE_DIR} COMPONENT Development)

# Each Debian package carries the licence terms, in the machine-readable copyright format,
# and a changelog (compressed as Debian policy wants: at most, without a time stamp), where
# Debian looks for them.
configure_file(${CMAKE_SOURCE_DIR}/cmake/debian/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog @ONLY)
execute_process(COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/debian/changelog
  OUTPUT_FILE ${CMAKE_BINARY_DIR}/debian/changelog.gz)
foreach(component_package Library:libqjxhtml${PROJECT_VERSION_MAJOR} Development:libqjxhtml-dev
                          Tools:qjxhtml-tools)
  string(REPLACE ":" ";" pair ${component_package})
  list(GET pair 0 component)
  list(GET pair 1 package)
  install(FILES ${CMAKE_SOURCE_DIR}/cmake/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()
