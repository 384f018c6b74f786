# `cpack -G DEB` makes the Debian packages, one per install component:
#   libqjxhtml0     the shared library (its run-time dependencies read from what it links)
#   libqjxhtml-dev  headers, the link name, pkg-config and CMake package files
#   qjxhtml-tools   qjxview, qjximage and the demo host
# Configure with -DCMAKE_INSTALL_PREFIX=/usr for the Debian layout (multiarch libdir).
set(CPACK_PACKAGE_NAME qjxhtml)
set(CPACK_PACKAGE_VENDOR "qjxhtml")
set(CPACK_PACKAGE_CONTACT "qjxhtml maintainers <maintainers@qjxhtml.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_COMPONENTS_ALL Library Development Tools)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(QJX_DEB_EXACT "(= ${PROJECT_VERSION})")

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME libqjxhtml${PROJECT_VERSION_MAJOR})
# Each description: the summary line, then the long text.
set(CPACK_COMPONENT_LIBRARY_DESCRIPTION "HTML viewer library with a C host interface
Renders HTML documents with style sheets and images into viewers inside a
host's windows; the host drives them through one C entry, HV_Proc, and a
small window interface. Draws with cairo, FreeType and fontconfig, under X11
or without a display.")
# Its font names map onto the metric-compatible Liberation faces through fontconfig.
set(CPACK_DEBIAN_LIBRARY_PACKAGE_DEPENDS "fonts-liberation | fonts-liberation2")
set(CPACK_DEBIAN_LIBRARY_PACKAGE_RECOMMENDS "fonts-ipafont-gothic")
# A shlibs file for packages built against this one; ldconfig runs on install and removal.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The ldconfig trigger runs ldconfig once after all packages of an installation are unpacked.
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/cmake/debian/triggers)

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libqjxhtml-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libqjxhtml${PROJECT_VERSION_MAJOR} ${QJX_DEB_EXACT}")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION "HTML viewer library - development files
The C headers of the host interface, the link name, and the files through
which pkg-config (qjxhtml) and CMake (find_package(qjxhtml), target
qjxhtml::qjxhtml) find the library.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME qjxhtml-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
# The demo host loads the library at run time, so no link records that need.
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "libqjxhtml${PROJECT_VERSION_MAJOR} ${QJX_DEB_EXACT}")
set(CPACK_COMPONENT_TOOLS_DESCRIPTION "HTML viewer library - command-line tools
qjxview renders an HTML file into a PNG picture, qjximage decodes an image
file through the library's loaders, and qjxdemo is a small host program
that shows a document in a window.")

include(CPack)
