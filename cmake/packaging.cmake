# The install of the media tools with the Windows programs they ship, and a
# Debian package of it (cpack -G DEB in the host build tree). setup-media
# finds the i686 SETUP.EXE relative to its own place, so an unpacked or
# moved prefix works as installed.
include(GNUInstallDirs)
# The package needs the tools, not the tests: build those three, then cpack.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

install(TARGETS setup-media setup-compress setup-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
foreach(target win32 win64)
  string(TOUPPER "SETUP_${target}_DIR" tree)
  install(FILES ${${tree}}/SETUP.EXE ${${tree}}/ZAVEZ432.DLL
          DESTINATION ${CMAKE_INSTALL_DATADIR}/${SETUP_PACKAGE_NAME}/${target})
endforeach()
file(GLOB man_pages ${CMAKE_SOURCE_DIR}/docs/man/*.1)
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${SETUP_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Setup bootstrapper for Windows and tools to make its installation media")
set(CPACK_PACKAGE_CONTACT "Setup bootstrapper developers <setup@localhost>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The splash picture's font; signing and the Windows programs' checks.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "osslsigncode")
set(CPACK_STRIP_FILES ON)
include(CPack)
