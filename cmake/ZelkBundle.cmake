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

# Gives a program or library of the bundle its run path: only folders
# relative to where it lies ($ORIGIN), built in as they are installed, since
# the install copies the built tree as it is (an absolute build folder here
# would outlive the build in every installed copy).
function(zelk_bundle_rpath target)
  set_target_properties(${target} PROPERTIES
    BUILD_WITH_INSTALL_RPATH ON
    INSTALL_RPATH "${ARGN}")
endfunction()

# Puts a shared library or plug-in into a bundle folder, with a run path that
# finds the frameworks from where it lands.
function(zelk_place_library target dir)
  cmake_parse_arguments(ARG "" "" "RPATH" ${ARGN})
  set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY "${dir}")
  zelk_bundle_rpath(${target} "\$ORIGIN;${ARG_RPATH}")
endfunction()

# zelk_action_plugin(<name> CONTENTS <bundle contents> FRAMEWORK <target> RPATH <paths>)
# One half of the action types (ActionPanes, ActionRunners): the sources of
# the calling folder (tests/ left out) and of plugins/shared, as a shared
# library (not a module, so that its tests can link against it) in
# <contents>/PlugIns, with its bundle folder PlugIns/<name> beside it.
function(zelk_action_plugin name)
  cmake_parse_arguments(ARG "" "CONTENTS;FRAMEWORK" "RPATH" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h"
    "${CMAKE_SOURCE_DIR}/plugins/shared/*.cpp" "${CMAKE_SOURCE_DIR}/plugins/shared/*.h")
  list(FILTER sources EXCLUDE REGEX "/tests/")
  add_library(${name} SHARED ${sources})
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
  target_include_directories(${name} PUBLIC
    "${CMAKE_CURRENT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}/frame"
    "${CMAKE_SOURCE_DIR}/plugins/shared" "${CMAKE_SOURCE_DIR}/plugins/shared/frame")
  target_link_libraries(${name} PUBLIC ${ARG_FRAMEWORK} Qt6::Widgets)
  zelk_use_pch(${name} LIBRARY)
  zelk_place_library(${name} "${ARG_CONTENTS}/PlugIns" RPATH "${ARG_RPATH}")
  zelk_bundle_info("${ARG_CONTENTS}/PlugIns/${name}" ${name} org.zelk.${name} BNDL PRINCIPAL_CLASS ApplicationShortcut)
  zelk_bundle_resources("${ARG_CONTENTS}/PlugIns/${name}/Resources"
    "${CMAKE_SOURCE_DIR}/resources/plugins/${name}/Resources")
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
  zelk_use_pch(${name} TEST)
  if(NOT ARG_LABELS)
    set(ARG_LABELS unit)
  endif()
  if("unit" IN_LIST ARG_LABELS)
    add_dependencies(zelk_unit_tests ${name})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT 120)
endfunction()
