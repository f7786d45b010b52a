# Panel auto-hide against a real xfce4-panel and xfconfd on a virtual display
# and a private D-Bus session; skipped when the XFCE packages are missing.
add_executable(quorvel_autohide_xfce_test ${CMAKE_CURRENT_LIST_DIR}/autohide_xfce_test.cpp)
target_link_libraries(quorvel_autohide_xfce_test PRIVATE quorvel_qt quorvel_sim GTest::gtest)
add_test(NAME autohide_xfce
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/autohide_xfce_run.sh $<TARGET_FILE:quorvel_autohide_xfce_test>)
set_tests_properties(autohide_xfce PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300 LABELS desktop)
