# What `cmake --install` lays out besides the programs (src/CMakeLists.txt installs those), and
# the Debian package built from it with CPack (`make package`).
include(GNUInstallDirs)

set(PELVO_DESKTOP_ID org.pelvo.Pelvo)
# The day this version was released: printed in the manual pages and the metadata, fixed so
# that two builds of one version are the same.
set(PELVO_RELEASE_DATE 2026-12-08)
set(dist ${PROJECT_SOURCE_DIR}/assets)
set(staged ${PROJECT_BINARY_DIR}/dist)

# The menu entry, its icon in every size and the software centre's metadata.
install(FILES ${dist}/desktop/${PELVO_DESKTOP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${dist}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
configure_file(${dist}/desktop/${PELVO_DESKTOP_ID}.metainfo.xml.in
               ${staged}/${PELVO_DESKTOP_ID}.metainfo.xml @ONLY)
install(FILES ${staged}/${PELVO_DESKTOP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages and the package's changelog, compressed as Debian ships them (-n: no time stamp).
find_program(GZIP_PROGRAM gzip REQUIRED)
set(compressed "")
foreach(page pelvo.6 pelvo-table.6 pelvo-bot.6 pelvo-hub.6)
  configure_file(${dist}/man/${page}.in ${staged}/man/${page} @ONLY)
  list(APPEND compressed ${staged}/man/${page})
endforeach()
configure_file(${dist}/debian/changelog.in ${staged}/doc/changelog @ONLY)
list(APPEND compressed ${staged}/doc/changelog)
set(gz_files "")
foreach(file ${compressed})
  add_custom_command(OUTPUT ${file}.gz
                     COMMAND ${GZIP_PROGRAM} -9nkf ${file}
                     DEPENDS ${file}
                     COMMENT "Compressing ${file}")
  list(APPEND gz_files ${file}.gz)
endforeach()
add_custom_target(pelvo_dist ALL DEPENDS ${gz_files})
install(FILES ${staged}/man/pelvo.6.gz ${staged}/man/pelvo-table.6.gz ${staged}/man/pelvo-bot.6.gz
              ${staged}/man/pelvo-hub.6.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${dist}/debian/copyright ${staged}/doc/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The table as a system service (a template unit, instance = port). Its command is a full path
# that depends on the prefix given to `cmake --install`, so the unit is written at install time.
set(PELVO_SYSTEMD_UNITDIR lib/systemd/system)
install(CODE "
  set(PELVO_TABLE_BIN \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/pelvo-table\")
  configure_file(\"${dist}/systemd/pelvo-table@.service.in\"
                 \"${staged}/systemd/pelvo-table@.service\" @ONLY)
  file(INSTALL \"${staged}/systemd/pelvo-table@.service\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${PELVO_SYSTEMD_UNITDIR}\")
  set(PELVO_HUB_BIN \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/pelvo-hub\")
  configure_file(\"${dist}/systemd/pelvo-hub@.service.in\"
                 \"${staged}/systemd/pelvo-hub@.service\" @ONLY)
  file(INSTALL \"${staged}/systemd/pelvo-hub@.service\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${PELVO_SYSTEMD_UNITDIR}\")
")

# The Debian package: library dependencies come from dpkg-shlibdeps; only what the program
# reads at run time without linking it is named.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelvo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kavrel Software")
set(CPACK_PACKAGE_CONTACT "Kavrel Software <pelvo@pelvo.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "nine-card golf for one to four players")
# Wrapped by hand: the control file keeps each line as it is.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Pelvo is a card game of the nine-card golf family for one to four players\n"
       "and up to five onlookers, against the computer or over a local network or\n"
       "the internet. Each seat holds nine cards face down in a three-by-three\n"
       "grid; the seats turn cards up and swap drawn cards into their grid, and\n"
       "the lowest total wins.\n"
       "\n"
       "The package holds the game's window, a table host without a window for\n"
       "servers (pelvo-table), a computer player that joins a table over the\n"
       "network (pelvo-bot) and a hub that lists tables, starts them for players\n"
       "and runs a lobby chat (pelvo-hub).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://pelvo.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "kdegames-card-data-kf5, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# `cmake --install` puts the programs into bin/; the Debian package moves them to /usr/games.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/deb-games.cmake)
include(CPack)
