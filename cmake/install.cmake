# Installing Tarvisk as a Linux program: the three programs, the desktop entry, the icon at
# the sizes desktops ask for, AppStream metadata and manual pages; and the Debian package.
include(GNUInstallDirs)

set(TARVISK_APP_ID org.tarvisk.Tarvisk)
set(_pkg ${PROJECT_SOURCE_DIR}/packaging)

foreach(_program tarvisk tarvisk-tool tarvisk-headsim)
  if(TARGET ${_program})
    install(TARGETS ${_program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

install(FILES ${_pkg}/${TARVISK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_pkg}/${TARVISK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(_size 16 22 24 32 48 64 128 256)
  install(FILES ${_pkg}/icons/tarvisk-${_size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps
          RENAME ${TARVISK_APP_ID}.png)
endforeach()
install(FILES ${_pkg}/icons/tarvisk.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${TARVISK_APP_ID}.svg)

# Manual pages and the changelog are installed compressed, as Debian policy asks; -n keeps the
# name and time out of the header so the package builds the same twice.
find_program(GZIP_PROGRAM gzip)
set(_compressed)
foreach(_page tarvisk.1 tarvisk-tool.1 tarvisk-headsim.1 changelog)
  set(_out ${PROJECT_BINARY_DIR}/packaging/${_page}.gz)
  add_custom_command(OUTPUT ${_out}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
                     COMMAND ${GZIP_PROGRAM} -9n -c ${_pkg}/${_page} > ${_out}
                     DEPENDS ${_pkg}/${_page} VERBATIM)
  list(APPEND _compressed ${_out})
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${_compressed})
install(FILES ${PROJECT_BINARY_DIR}/packaging/tarvisk.1.gz
              ${PROJECT_BINARY_DIR}/packaging/tarvisk-tool.1.gz
              ${PROJECT_BINARY_DIR}/packaging/tarvisk-headsim.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz ${_pkg}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarvisk)
# Not installed by default: a stable /dev/k260 name for the head's adapter (see the README).
install(FILES ${_pkg}/60-tarvisk-k260.rules DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarvisk/examples)

# The Debian package (scripts/make-package.sh).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvisk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tarvisk developers")
set(CPACK_PACKAGE_CONTACT "Tarvisk developers <tarvisk@tarvisk.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control, display and logging for the K260 sonar head")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${_pkg}/description.txt)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tarvisk.org/")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${_pkg}/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
