# Helpers that lay out the bundle tree at build time.

# Writes <contents>/Info.plist with the bundle's identifier and version.
function(zelk_bundle_info contents name identifier type)
  set(ZELK_BUNDLE_NAME "${name}")
  set(ZELK_BUNDLE_IDENTIFIER "${identifier}")
  set(ZELK_BUNDLE_TYPE "${type}")
  set(ZELK_BUNDLE_VERSION "${PROJECT_VERSION}")
  cmake_parse_arguments(ARG "" "PRINCIPAL_CLASS" "" ${ARGN})
  set(ZELK_PRINCIPAL_CLASS "${ARG_PRINCIPAL_CLASS}")
  configure_file("${CMAKE_SOURCE_DIR}/cmake/Info.plist.in" "${contents}/Info.plist" @ONLY)
endfunction()

# Copies a resource folder into a bundle's Resources at configure time and
# again whenever its files change (through a custom target).
function(zelk_bundle_resources dest src)
  file(GLOB_RECURSE files RELATIVE "${src}" CONFIGURE_DEPENDS "${src}/*")
  foreach(f IN LISTS files)
    configure_file("${src}/${f}" "${dest}/${f}" COPYONLY)
  endforeach()
endfunction()

# Puts a shared library or plug-in into a bundle folder, with an rpath that
# finds the frameworks from where it lands.
function(zelk_place_library target dir)
  cmake_parse_arguments(ARG "" "" "RPATH" ${ARGN})
  set_target_properties(${target} PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY "${dir}"
    BUILD_RPATH "\$ORIGIN;${ARG_RPATH}"
    INSTALL_RPATH "\$ORIGIN;${ARG_RPATH}")
endfunction()

# zelk_add_test(<name> SOURCES ... [LIBS ...] [LABELS ...])
# One GoogleTest program; its cases run under CTest on the virtual backend
# with Qt's offscreen platform (tests/support/TestMain.cpp sets the
# environment, since a list can't pass through gtest_discover_tests). Label "unit" marks the fast core tests that
# the sanitizer pass runs; "x11" tests start their own Xvfb.
function(zelk_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE zelk_test_support ${ARG_LIBS})
  if(NOT ARG_LABELS)
    set(ARG_LABELS unit)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT 120)
endfunction()
