# Installing and packaging.
#
# `cmake --install build --prefix P` copies the application tree to
# P/lib/zelk/Zelk.app and the desktop launcher to P/share/applications. The
# tree is the build's own: every program and library finds the others
# through $ORIGIN-relative run paths (zelk_place_library), so the copy runs
# from wherever it lands. The launcher's Exec is written at install time,
# from the prefix of that install (the package's /usr under CPack), never
# from the prefix fixed at configure time.
#
# `cpack -G DEB` (from the build folder) makes zelk_<version>_<arch>.deb;
# its dependencies are the shared libraries the binaries need (dpkg-shlibdeps)
# and the Qt plug-ins the engine loads at run time.

install(DIRECTORY "${CMAKE_BINARY_DIR}/Zelk.app" DESTINATION lib/zelk USE_SOURCE_PERMISSIONS)

set(ZELK_DESKTOP_TEMPLATE "${CMAKE_SOURCE_DIR}/resources/org.zelk.Zelk.desktop.in")
install(CODE "set(ZELK_DESKTOP_TEMPLATE \"${ZELK_DESKTOP_TEMPLATE}\")
set(ZELK_DESKTOP_STAGE \"${CMAKE_BINARY_DIR}/install-stage\")")
install(CODE [[
  # The Exec path may hold spaces or quotes: quoted and escaped as desktop
  # entries want it.
  set(ZELK_ENGINE_EXEC "${CMAKE_INSTALL_PREFIX}/lib/zelk/Zelk.app/Contents/MacOS/Zelk")
  foreach(c "\\" "\"" "`" "$")
    string(REPLACE "${c}" "\\${c}" ZELK_ENGINE_EXEC "${ZELK_ENGINE_EXEC}")
  endforeach()
  # The file's string escapes come off first: backslashes twice.
  string(REPLACE "\\" "\\\\" ZELK_ENGINE_EXEC "${ZELK_ENGINE_EXEC}")
  string(REPLACE "%" "%%" ZELK_ENGINE_EXEC "${ZELK_ENGINE_EXEC}")
  configure_file("${ZELK_DESKTOP_TEMPLATE}" "${ZELK_DESKTOP_STAGE}/org.zelk.Zelk.desktop" @ONLY)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE
       FILES "${ZELK_DESKTOP_STAGE}/org.zelk.Zelk.desktop")
]])

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelk)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Keyboard shortcuts and macros for X11 desktops")
set(CPACK_PACKAGE_CONTACT "Zelk maintainers <maintainers@zelk.org>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded by Qt at run time, so no binary names them: the X11 platform
# plug-in and the image formats of artwork stored inside records.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-image-formats-plugins")
include(CPack)
