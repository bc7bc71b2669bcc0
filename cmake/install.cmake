# Installing Tarvisk as a Linux program: the three programs, the desktop entry with the .KSD
# file type, the icon at the sizes desktops ask for, AppStream metadata and manual pages.
# The Debian package (debian/) installs through this file as well.
include(GNUInstallDirs)

option(TARVISK_INSTALL_DOCS
       "Install the README, copyright and changelog (a Debian build leaves them to debhelper)" ON)

set(TARVISK_APP_ID org.tarvisk.Tarvisk)
set(_pkg ${PROJECT_SOURCE_DIR}/packaging)
set(_doc ${CMAKE_INSTALL_DATADIR}/doc/tarvisk)

foreach(_program tarvisk tarvisk-tool tarvisk-headsim)
  if(TARGET ${_program})
    install(TARGETS ${_program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

install(FILES ${_pkg}/${TARVISK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_pkg}/${TARVISK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_pkg}/tarvisk.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME tarvisk.xml)
foreach(_size 16 22 24 32 48 64 128 256)
  install(FILES ${_pkg}/icons/tarvisk-${_size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps
          RENAME ${TARVISK_APP_ID}.png)
endforeach()
install(FILES ${_pkg}/icons/tarvisk.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${TARVISK_APP_ID}.svg)

# Manual pages and the changelog are installed compressed, as Debian policy asks; -n keeps the
# name and time out of the header so the files come out the same twice.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(_compressed)
foreach(_source packaging/tarvisk.1 packaging/tarvisk-tool.1 packaging/tarvisk-headsim.1
                debian/changelog)
  get_filename_component(_name ${_source} NAME)
  set(_out ${PROJECT_BINARY_DIR}/packaging/${_name}.gz)
  add_custom_command(OUTPUT ${_out}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
                     COMMAND ${GZIP_PROGRAM} -9n -c ${PROJECT_SOURCE_DIR}/${_source} > ${_out}
                     DEPENDS ${PROJECT_SOURCE_DIR}/${_source} VERBATIM)
  list(APPEND _compressed ${_out})
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${_compressed})
install(FILES ${PROJECT_BINARY_DIR}/packaging/tarvisk.1.gz
              ${PROJECT_BINARY_DIR}/packaging/tarvisk-tool.1.gz
              ${PROJECT_BINARY_DIR}/packaging/tarvisk-headsim.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(TARVISK_INSTALL_DOCS)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz ${PROJECT_SOURCE_DIR}/debian/copyright
                ${PROJECT_SOURCE_DIR}/README.md
          DESTINATION ${_doc})
  # The README's pictures, where its links look for them.
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${_doc}/docs FILES_MATCHING
          PATTERN "*.png")
endif()
# Not installed by default: a stable /dev/k260 name for the head's adapter (see the README).
install(FILES ${_pkg}/60-tarvisk-k260.rules DESTINATION ${_doc}/examples)

# Everything the lines above install, so "cmake --install" works after building just this.
set(_installed compressed_docs)
foreach(_program tarvisk tarvisk-tool tarvisk-headsim)
  if(TARGET ${_program})
    list(APPEND _installed ${_program})
  endif()
endforeach()
add_custom_target(installed_files DEPENDS ${_installed})
