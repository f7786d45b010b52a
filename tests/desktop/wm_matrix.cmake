# The veil under each real window manager (tests/sessions/wm-session): one test per
# window manager, one at a time, as each brings its own compositor.
set(wm_matrix openbox xfwm4 i3 awesome fluxbox icewm kwin mutter muffin marco metacity)
foreach(wm IN LISTS wm_matrix)
  add_test(NAME desktop.wm.${wm}
    COMMAND ${PROJECT_SOURCE_DIR}/tests/sessions/wm-session --wm ${wm} --
            ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/wm_matrix_test.py
            $<TARGET_FILE:quorvel> ${CMAKE_CURRENT_BINARY_DIR}/screenshots ${wm})
  set_tests_properties(desktop.wm.${wm} PROPERTIES TIMEOUT 90 LABELS "desktop;wm"
    RESOURCE_LOCK window_manager_matrix ENVIRONMENT "PYTHONDONTWRITEBYTECODE=1")
endforeach()
