# Precompiled headers for the Qt headers nearly every file includes (and,
# for the tests, GoogleTest's). Each set is compiled once, by a small host
# target, and reused by every target of its kind (REUSE_FROM): a header
# compiled once per target would cost about as much as it saves.
#   zelk_use_pch(<target> LIBRARY)  the frameworks, plug-ins, engine, platform,
#                                   benchmarks
#   zelk_use_pch(<target> TEST)     test programs and their support libraries
# A precompiled header serves only where the macros it was made with are
# defined alike (GCC checks), hence GoogleTest's apart from the libraries'.
# -DZELK_PCH=OFF builds without them.
option(ZELK_PCH "Precompile the Qt and GoogleTest headers" ON)

set(ZELK_PCH_QT
  <algorithm> <atomic> <functional> <memory> <mutex> <optional> <vector>
  <QByteArray> <QCoreApplication> <QDateTime> <QDebug> <QDir> <QFile> <QFileInfo>
  <QHash> <QImage> <QList> <QMap> <QObject> <QPointer> <QSet> <QString>
  <QStringList> <QTimer> <QVariant> <QVariantList> <QVariantMap>)

if(ZELK_PCH)
  add_library(zelk_pch_library STATIC "${CMAKE_SOURCE_DIR}/cmake/pch/host.cpp")
  target_link_libraries(zelk_pch_library PRIVATE Qt6::Core Qt6::Gui)
  target_precompile_headers(zelk_pch_library PRIVATE ${ZELK_PCH_QT})
  if(ZELK_BUILD_TESTS)
    add_executable(zelk_pch_test "${CMAKE_SOURCE_DIR}/cmake/pch/host.cpp")
    target_link_libraries(zelk_pch_test PRIVATE Qt6::Widgets GTest::gtest GTest::gmock)
    target_precompile_headers(zelk_pch_test PRIVATE ${ZELK_PCH_QT}
      <QApplication> <QWidget> <gmock/gmock.h> <gtest/gtest.h>)
  endif()
endif()

function(zelk_use_pch target kind)
  if(NOT ZELK_PCH)
    return()
  endif()
  if(kind STREQUAL "LIBRARY")
    target_precompile_headers(${target} REUSE_FROM zelk_pch_library)
  elseif(kind STREQUAL "TEST" AND TARGET zelk_pch_test)
    target_precompile_headers(${target} REUSE_FROM zelk_pch_test)
  else()
    return()
  endif()
  # A test or benchmark program has no QObject of its own to run moc on:
  # its moc file is empty, and loading the header for it would cost more
  # than compiling it.
  get_target_property(type ${target} TYPE)
  if(kind STREQUAL "TEST" OR type STREQUAL "EXECUTABLE")
    set_source_files_properties("${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/mocs_compilation.cpp"
      TARGET_DIRECTORY ${target} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
  endif()
endfunction()
