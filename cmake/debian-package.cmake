# What the Debian package installs besides the program, and the package
# itself (make package). The pictures for the desktop's icon theme, the
# manual page and the documents are made here, from res/, with Debian's tools.

include(GNUInstallDirs)
configure_file(res/tarvik.desktop.in ${CMAKE_BINARY_DIR}/tarvik.desktop @ONLY)
configure_file(res/tarvik.1.in ${CMAKE_BINARY_DIR}/tarvik.1 @ONLY)
configure_file(res/de.tarvik.tarvik.metainfo.xml.in ${CMAKE_BINARY_DIR}/de.tarvik.tarvik.metainfo.xml @ONLY)
install(TARGETS tarvik RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/tarvik.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/de.tarvik.tarvik.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES res/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarvik)

if(TARVIK_PACKAGE)
  find_program(MAGICK_CONVERT NAMES convert-im6.q16 convert REQUIRED)
  find_program(RSVG_CONVERT rsvg-convert REQUIRED)
  set(icons ${CMAKE_BINARY_DIR}/icons)
  set(docs ${CMAKE_BINARY_DIR}/docs)
  set(png -define png:exclude-chunks=date,time)  # the same bytes at every build
  # 16 and 32 pixels as drawn; the scalable one pixel for pixel from the 32;
  # 48 rendered from that, sharp.
  add_custom_command(
    OUTPUT ${icons}/16x16/apps/tarvik.png ${icons}/32x32/apps/tarvik.png
      ${icons}/48x48/apps/tarvik.png ${icons}/scalable/apps/tarvik.svg
    COMMAND ${CMAKE_COMMAND} -E make_directory ${icons}/16x16/apps ${icons}/32x32/apps
      ${icons}/48x48/apps ${icons}/scalable/apps
    COMMAND ${MAGICK_CONVERT} ${CMAKE_SOURCE_DIR}/res/tarvik16.xpm ${png} ${icons}/16x16/apps/tarvik.png
    COMMAND ${MAGICK_CONVERT} ${CMAKE_SOURCE_DIR}/res/tarvik32.xpm ${png} ${icons}/32x32/apps/tarvik.png
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/xpm-to-svg.sh ${CMAKE_SOURCE_DIR}/res/tarvik32.xpm
      ${icons}/scalable/apps/tarvik.svg
    COMMAND ${RSVG_CONVERT} -w 48 -h 48 ${icons}/scalable/apps/tarvik.svg -o ${icons}/48x48/apps/tarvik.png
    DEPENDS res/tarvik16.xpm res/tarvik32.xpm scripts/xpm-to-svg.sh)
  add_custom_command(OUTPUT ${docs}/tarvik.1.gz ${docs}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${docs}
    COMMAND gzip -9n < ${CMAKE_BINARY_DIR}/tarvik.1 > ${docs}/tarvik.1.gz
    COMMAND gzip -9n < ${CMAKE_SOURCE_DIR}/res/changelog > ${docs}/changelog.gz
    DEPENDS ${CMAKE_BINARY_DIR}/tarvik.1 res/changelog)
  add_custom_target(package-files ALL DEPENDS ${icons}/48x48/apps/tarvik.png ${docs}/tarvik.1.gz)
  install(DIRECTORY ${icons}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  install(FILES ${docs}/tarvik.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${docs}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarvik)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_VENDOR Tarvik)
set(CPACK_PACKAGE_CONTACT "Tarvik developers <dev@tarvik.example>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Folders as Debian wants them, whatever the builder's umask. File times come
# from SOURCE_DATE_EPOCH, which the Makefile sets.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
  GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its platform plugins at run time, out of sight of shlibdeps.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "mail checker for one POP3 mailbox
Tarvik shows the messages waiting in one POP3 mailbox, one row per message
with its number, subject, sender and size, taken from the header lines
alone: no message body is ever downloaded. The selected message can be
deleted on the server.

The window is in German. The server, user name and password can be
remembered in a file that only their owner can read. Tarvik talks plain
POP3 on port 110, without encryption.")
include(CPack)
