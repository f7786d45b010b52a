# The core of the Quorvel suite (tests/desktop/compositor/quorvel_test.py with
# QUORVEL_WM) under each real window manager (tests/sessions/wm-session), one
# test at a time, as each brings its own compositor: on one monitor under every
# window manager, and on two and three where the compositors paint a veil
# differently (picom with its X Render and its GLX backend, KWin, mutter), each
# monitor 960 pixels wide at least. Not xfwm4: GTK counts no RandR monitor
# without an output, Xvfb has one output, so xfwm4 keeps every window on the
# first monitor.
set(wm_matrix openbox xfwm4 i3 awesome fluxbox icewm kwin mutter muffin marco metacity)
set(wm_monitors openbox openbox-glx kwin mutter)
function(wm_matrix_test test wm monitors)
  math(EXPR width "960 * ${monitors}")
  if(width LESS 1920)
    set(width 1920)
  endif()
  add_test(NAME ${test}
    COMMAND ${PROJECT_SOURCE_DIR}/tests/sessions/wm-session --wm ${wm} --monitors ${monitors}
            --size ${width}x1080 -- /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/compositor/quorvel_test.py
            $<TARGET_FILE:quorvel> ${CMAKE_CURRENT_BINARY_DIR}/screenshots)
  set_tests_properties(${test} PROPERTIES TIMEOUT 90 LABELS "desktop;wm"
    RESOURCE_LOCK window_manager_matrix ENVIRONMENT "${desktop_test_environment};QUORVEL_WM=${wm}")
endfunction()
foreach(wm IN LISTS wm_matrix)
  wm_matrix_test(desktop.wm.${wm} ${wm} 1)
endforeach()
foreach(wm IN LISTS wm_monitors)
  foreach(monitors 2 3)
    wm_matrix_test(desktop.wm.${wm}.${monitors}_monitors ${wm} ${monitors})
  endforeach()
endforeach()
