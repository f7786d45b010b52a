# Quorvel's KWin effect is a Qt 5 / KDE Frameworks 5 plugin and must be built
# against the KWin it runs in, so it is a project of its own (compositor/kwin/),
# built here as an external project where kwin-dev is installed.
find_path(QUORVEL_KWINEFFECTS_HEADER kwineffects.h)
find_package(ECM QUIET NO_MODULE)
if(NOT QUORVEL_KWINEFFECTS_HEADER OR NOT ECM_FOUND)
  message(STATUS "kwin-dev not found: the KWin effect is not built")
  set(QUORVEL_KWIN_PLUGIN_DIR "")
  return()
endif()

include(ExternalProject)
set(kwin_effect_build ${CMAKE_CURRENT_BINARY_DIR}/kwin)
ExternalProject_Add(quorvel_kwin_effect
  SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}
  BINARY_DIR ${kwin_effect_build}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
  BUILD_ALWAYS ON
  INSTALL_COMMAND "")
# The build lays the plugin out as KWin looks for it: QT_PLUGIN_PATH=<this>.
set(QUORVEL_KWIN_PLUGIN_DIR ${kwin_effect_build})
# A package of its own (quorvel-kwin-effect): it depends on this KWin's
# libraries, which users of other desktops should not have to install.
# KWin looks in Qt 5's plugin folder, wherever this distribution keeps it
# (Debian: lib/<multiarch>/qt5/plugins); installed below the same prefix.
find_program(QUORVEL_QMAKE5 qmake PATHS /usr/lib/qt5/bin NO_DEFAULT_PATH)
set(qt5_plugins ${CMAKE_INSTALL_LIBDIR}/qt5/plugins)
if(QUORVEL_QMAKE5)
  execute_process(COMMAND ${QUORVEL_QMAKE5} -query QT_INSTALL_PLUGINS
                  OUTPUT_VARIABLE qt5_plugins_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  string(REGEX REPLACE "^/usr/" "" qt5_plugins "${qt5_plugins_path}")
endif()
install(FILES ${kwin_effect_build}/kwin/effects/plugins/quorvel.so
        DESTINATION ${qt5_plugins}/kwin/effects/plugins COMPONENT kwin)
if(QUORVEL_BUILD_TESTS)
  add_test(NAME kwin_effect.core COMMAND ${kwin_effect_build}/quorvel_effect_test)
  set_tests_properties(kwin_effect.core PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endif()
