# What `cmake --install` puts where (a desktop program's usual places), and
# the Debian package that `cpack -G DEB` makes of the same files.
include(GNUInstallDirs)

set(syougi_programs syougi-usi syougi-kifu syougi-match)
if(TARGET syougi)
  list(PREPEND syougi_programs syougi)
endif()
install(TARGETS ${syougi_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(desk ${CMAKE_SOURCE_DIR}/desktop)
install(FILES ${CMAKE_SOURCE_DIR}/data/joseki.lis DESTINATION ${CMAKE_INSTALL_DATADIR}/syougi)
install(FILES ${desk}/syougi.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desk}/example.syougi.syougi.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${desk}/syougi-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME syougi.xml)
install(FILES ${desk}/syougi.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${desk}/icons/syougi.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
  install(FILES ${desk}/icons/syougi-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME syougi.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME syougi)
set(CPACK_PACKAGE_VERSION 0.1.0)
set(CPACK_PACKAGE_CONTACT "syougi maintainers <maintainers@users.noreply.c-seed-6c14eb60.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "shogi against the computer, alone or over a link")
set(CPACK_PACKAGE_DESCRIPTION
    "A shogi program with a window: the computer plays from an opening book, a mate search and a six-ply search. Two copies play each other over a serial cable or a TCP connection. Also a USI engine, a record converter and a match referee.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# The libraries come from what the programs link; Qt's window system
# plugins are loaded at run time, so no link shows them. The pieces'
# characters want a Japanese font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk")
include(CPack)
