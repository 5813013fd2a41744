# Install layout and the Debian package. The program itself is installed by
# src/CMakeLists.txt; here go the desktop entry and the icon, so desktop menus
# list the program with its logo.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/varnholt.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/src/gui/varnholt.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)

# The AppStream entry software centres show. Its home page also serves the
# screenshot, the README's picture of the main window, at
# <home page>/docs/screenshots/main-window.png.
set(VARNHOLT_APPSTREAM_ID "org.example.varnholt" CACHE STRING
    "AppStream component id: the home page's domain reversed, then the program")
set(VARNHOLT_HOMEPAGE "https://varnholt.example.org" CACHE STRING
    "Home page named in the AppStream entry")
configure_file(${PROJECT_SOURCE_DIR}/packaging/varnholt.metainfo.xml.in
               ${CMAKE_CURRENT_BINARY_DIR}/${VARNHOLT_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${VARNHOLT_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# cpack -G DEB, run in the build folder, builds varnholt_<version>_<arch>.deb.
set(CPACK_PACKAGE_NAME varnholt)
set(CPACK_PACKAGE_VENDOR "Varnholt")
set(CPACK_PACKAGE_CONTACT "Varnholt developers <varnholt@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
set(CPACK_PACKAGE_DESCRIPTION
    "Varnholt asks the Red Faction master server for the running game servers, queries each one for its name, map, players, version, mod and ping, lists them with filters and sorting, starts the installed game with one click, and carries a small IRC chat for the community channel. varnholt-query prints the same server list as a table, JSON or CSV for scripts, web pages and chat bots.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY varnholt)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps works out the Qt and C++ library packages from the binary.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The game runs through wine on Linux; the browser and chat work without it.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS wine)
include(CPack)
