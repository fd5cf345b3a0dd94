# Installing like Linux software (GNUInstallDirs): the program and the stand-in outside
# player in bin/, the tagger plug-in in lib/tunecrest/TagPlugins/, the shipped skins and
# help in share/tunecrest/, the desktop entry, icon and AppStream metainfo where desktops
# and software centres look, and an optional kiosk autostart entry. `scripts/package`
# makes a Debian package of the same tree with CPack.
include(GNUInstallDirs)

set(TUNECREST_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/tunecrest)
set(TUNECREST_INSTALL_PLUGINDIR ${CMAKE_INSTALL_LIBDIR}/tunecrest)
# The program finds what ships with it from its own folder by these relative paths, so
# the installed tree works under any prefix (and from a DESTDIR staging folder).
file(RELATIVE_PATH tunecrest_data_from_bin ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${TUNECREST_INSTALL_DATADIR})
file(RELATIVE_PATH tunecrest_plugins_from_bin ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${TUNECREST_INSTALL_PLUGINDIR})
if(TUNECREST_GUI)
  set_property(SOURCE ${PROJECT_SOURCE_DIR}/mainwindow/jukebox_folders.cpp DIRECTORY ${PROJECT_SOURCE_DIR}/mainwindow
    APPEND PROPERTY COMPILE_DEFINITIONS
    TUNECREST_DATA_FROM_BIN="${tunecrest_data_from_bin}" TUNECREST_PLUGINS_FROM_BIN="${tunecrest_plugins_from_bin}")
endif()

install(TARGETS tunecrest-outside-player RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS taglib_tagger LIBRARY DESTINATION ${TUNECREST_INSTALL_PLUGINDIR}/TagPlugins)
if(TUNECREST_GUI)
  install(TARGETS tunecrest RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The skins are drawn at build time into the build's Skins folder.
  install(DIRECTORY ${TUNECREST_RUNTIME_DIR}/Skins/ DESTINATION ${TUNECREST_INSTALL_DATADIR}/Skins)
  install(FILES ${PROJECT_SOURCE_DIR}/windows/help/tunecrest.html DESTINATION ${TUNECREST_INSTALL_DATADIR}/Docs)
  set(desktop ${PROJECT_SOURCE_DIR}/platform/desktop)
  install(FILES ${desktop}/org.tunecrest.Tunecrest.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${desktop}/org.tunecrest.Tunecrest.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${desktop}/org.tunecrest.Tunecrest.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  # Not active by itself: an owner who wants the screen to start the jukebox at login
  # copies it into ~/.config/autostart/ (or /etc/xdg/autostart/ for every user).
  install(FILES ${desktop}/tunecrest-kiosk.desktop DESTINATION ${TUNECREST_INSTALL_DATADIR}/autostart)
endif()

set(CPACK_PACKAGE_NAME tunecrest)
set(CPACK_PACKAGE_VENDOR "Tunecrest developers")
set(CPACK_PACKAGE_CONTACT "Tunecrest developers <tunecrest@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Full-screen touch-screen jukebox for bars, party rooms and homes")
set(CPACK_PACKAGE_DESCRIPTION
    "Scans media folders into a library (albums, artists, genres, years, playlists, videos,\
 internet radio), plays a queue and, when it runs dry, goes on from the stacker, a playlist\
 or a random list. Party play locks it down with credits, a queue limit and a password.")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# The libraries the programs link are found by dpkg-shlibdeps; what is loaded at run time
# (GStreamer's elements, the fonts the skins name) is declared here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-libav, fonts-liberation, fonts-dejavu-core, fonts-wqy-zenhei")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gstreamer1.0-plugins-bad, gstreamer1.0-plugins-ugly, gstreamer1.0-pulseaudio, xdg-utils")
include(CPack)
