# The Debian package (CPack, DEB generator): the library with its soname, the
# header, the programs, the sample Bank.ini and the documents in Debian's
# places. Configure with -DCMAKE_INSTALL_PREFIX=/usr so that the library goes
# to /usr/lib/<multiarch>, then run cpack (tools/deb-check.sh does both).
if(NOT TARGET vantrel OR WIN32 OR CMAKE_CROSSCOMPILING)
  return()
endif()
include(GNUInstallDirs)

set(vantrel_docdir ${CMAKE_INSTALL_DATADIR}/doc/vantrel)
install(FILES ${PROJECT_SOURCE_DIR}/examples/Bank.ini DESTINATION ${CMAKE_INSTALL_DATADIR}/vantrel)
file(GLOB vantrel_docs ${PROJECT_SOURCE_DIR}/docs/*.md)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${vantrel_docs} DESTINATION ${vantrel_docdir})
install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright DESTINATION ${vantrel_docdir})
# Debian wants the changelog compressed without a time stamp.
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog @ONLY)
execute_process(COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/debian/changelog RESULT_VARIABLE gzip_failed)
if(gzip_failed)
  message(FATAL_ERROR "gzip failed on the package's changelog")
endif()
install(FILES ${CMAKE_BINARY_DIR}/debian/changelog.gz DESTINATION ${vantrel_docdir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "client library and tools for a market's bank-transfer service")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vantrel maintainers <vantrel@example.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# CPack puts the summary first and indents these lines.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "libvantrel is loaded by a trading program, which calls OpenVantrel or
OpenVantrelEx; the customer logs in and moves money between a bank account
and the market account. The package also holds the command-line client
vantrel, the simulator vantrel-middleware, the demo host vantrel-host and a
sample Bank.ini in /usr/share/vantrel.")
# The shared libraries found by dpkg-shlibdeps (Qt 6, SQLite, libxlsxwriter,
# the C++ runtime), and what is only loaded at run time: Qt's platform
# plugins, its Chinese translations and a Chinese font.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# Debian refreshes the loader's cache through dpkg's ldconfig trigger.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
include(CPack)
