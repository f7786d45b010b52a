# Quorvel's KWin effect must be built against the KWin it runs in, with that
# KWin's Qt (KWin 6: Qt 6; KWin 5.27: Qt 5), so it is a project of its own
# (compositor/kwin/), built here as an external project where kwin-dev is
# installed, and installed where the installed KWin looks for effects.
find_file(QUORVEL_KWIN6_CONFIG kwin/config-kwin.h)
find_file(QUORVEL_KWIN5_CONFIG kwinconfig.h)
find_package(ECM QUIET NO_MODULE)
if(QUORVEL_KWIN6_CONFIG)
  set(kwin_config ${QUORVEL_KWIN6_CONFIG})
  set(kwin_qt 6)
elseif(QUORVEL_KWIN5_CONFIG)
  set(kwin_config ${QUORVEL_KWIN5_CONFIG})
  set(kwin_qt 5)
endif()
if(NOT kwin_config OR NOT ECM_FOUND)
  message(STATUS "kwin-dev not found: the KWin effect is not built")
  set(QUORVEL_KWIN_PLUGIN_DIR "")
  set(QUORVEL_KWIN_PLUGIN_DIR "" PARENT_SCOPE)
  return()
endif()
file(STRINGS ${kwin_config} kwin_version_line REGEX "KWIN_PLUGIN_VERSION_STRING")
string(REGEX MATCH "[0-9]+\\.[0-9]+\\.[0-9]+" QUORVEL_KWIN_VERSION "${kwin_version_line}")
message(STATUS "The KWin effect is built for KWin ${QUORVEL_KWIN_VERSION} (Qt ${kwin_qt})")
set(QUORVEL_KWIN_VERSION ${QUORVEL_KWIN_VERSION} PARENT_SCOPE)

include(ExternalProject)
set(kwin_effect_build ${CMAKE_CURRENT_BINARY_DIR}/kwin)
ExternalProject_Add(quorvel_kwin_effect
  SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}
  BINARY_DIR ${kwin_effect_build}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
  BUILD_ALWAYS ON
  INSTALL_COMMAND "")
# The build lays the plugin out as KWin looks for it: QT_PLUGIN_PATH=<this>.
# Here and in the top-level scope, whose packaging and tests read it.
set(QUORVEL_KWIN_PLUGIN_DIR ${kwin_effect_build})
set(QUORVEL_KWIN_PLUGIN_DIR ${kwin_effect_build} PARENT_SCOPE)

# KWin looks in its Qt's plugin folder, wherever this distribution keeps it
# (Debian: lib/<multiarch>/qt5/plugins or .../qt6/plugins); installed below
# the same prefix.
if(kwin_qt EQUAL 6)
  find_program(QUORVEL_QT_QUERY NAMES qtpaths6 qtpaths PATHS /usr/lib/qt6/bin NO_DEFAULT_PATH)
  set(query --query QT_INSTALL_PLUGINS)
else()
  find_program(QUORVEL_QT_QUERY qmake PATHS /usr/lib/qt5/bin NO_DEFAULT_PATH)
  set(query -query QT_INSTALL_PLUGINS)
endif()
set(qt_plugins ${CMAKE_INSTALL_LIBDIR}/qt${kwin_qt}/plugins)
if(QUORVEL_QT_QUERY)
  execute_process(COMMAND ${QUORVEL_QT_QUERY} ${query}
                  OUTPUT_VARIABLE qt_plugins_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  string(REGEX REPLACE "^/usr/" "" qt_plugins "${qt_plugins_path}")
endif()
install(FILES ${kwin_effect_build}/kwin/effects/plugins/quorvel.so
        DESTINATION ${qt_plugins}/kwin/effects/plugins COMPONENT kwin)

# The effect's package depends on the very KWin it was built for (an effect
# loads only into the KWin whose headers it saw): the exact version of the
# Debian package that holds KWin's library.
set(QUORVEL_KWIN_PACKAGE_DEPENDS "")
find_program(QUORVEL_DPKG_QUERY dpkg-query)
find_library(QUORVEL_KWIN_LIBRARY NAMES libkwin.so.6 libkwineffects.so.14)
if(QUORVEL_DPKG_QUERY AND QUORVEL_KWIN_LIBRARY)
  file(REAL_PATH ${QUORVEL_KWIN_LIBRARY} kwin_library)
  execute_process(COMMAND ${QUORVEL_DPKG_QUERY} -S ${kwin_library}
                  OUTPUT_VARIABLE kwin_owner OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  string(REGEX REPLACE "^([^:]+):.*" "\\1" kwin_package "${kwin_owner}")
  if(kwin_package)
    execute_process(COMMAND ${QUORVEL_DPKG_QUERY} -W -f=\${Version} ${kwin_package}
                    OUTPUT_VARIABLE kwin_package_version OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(QUORVEL_KWIN_PACKAGE_DEPENDS "${kwin_package} (= ${kwin_package_version})")
  endif()
endif()
set(QUORVEL_KWIN_PACKAGE_DEPENDS "${QUORVEL_KWIN_PACKAGE_DEPENDS}" PARENT_SCOPE)

if(QUORVEL_BUILD_TESTS)
  add_test(NAME kwin_effect.core COMMAND ${kwin_effect_build}/quorvel_effect_test)
  set_tests_properties(kwin_effect.core PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  # Beside the shared suites' sessions (compositor/interface/tests): KWin
  # Wayland nested on Xvfb, where it paints with QPainter, and two outputs.
  find_program(QUORVEL_KWIN_WAYLAND kwin_wayland)
  set(kwin_session ${PROJECT_SOURCE_DIR}/compositor/sessions/kwin-session)
  set(interface_tests ${PROJECT_SOURCE_DIR}/compositor/interface/tests)
  set(shots ${CMAKE_BINARY_DIR}/tests/desktop/screenshots)
  if(QUORVEL_KWIN_WAYLAND)
    foreach(suite contract hostile)
      add_test(NAME desktop.kwin_${suite}_wayland_nested
        COMMAND ${kwin_session} --wayland --nested --plugins ${kwin_effect_build} --
                /usr/bin/python3 ${interface_tests}/${suite}_test.py ${shots})
    endforeach()
    foreach(backend virtual nested)
      set(flags --outputs 2)
      if(backend STREQUAL nested)
        list(APPEND flags --nested)
      endif()
      add_test(NAME desktop.kwin_outputs_wayland_${backend}
        COMMAND ${kwin_session} --wayland ${flags} --plugins ${kwin_effect_build} --
                /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/tests/outputs_test.py ${shots})
    endforeach()
    set_tests_properties(desktop.kwin_contract_wayland_nested desktop.kwin_hostile_wayland_nested
      desktop.kwin_outputs_wayland_virtual desktop.kwin_outputs_wayland_nested
      PROPERTIES TIMEOUT 300 LABELS desktop RESOURCE_LOCK compositor_session ENVIRONMENT "PYTHONDONTWRITEBYTECODE=1")
  endif()
endif()
