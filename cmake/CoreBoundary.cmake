# The behaviour must stay toolkit-free: nothing under the core folders may
# include Qt, X11, XCB or D-Bus headers, and quorvel_core may link nothing but
# the standard library and nlohmann-json. Both are checked on every build.
set(QUORVEL_CORE_DIRS core ports settings focus tracking look controls rules settings_window services app)

function(quorvel_check_core_links target)
  get_target_property(libs ${target} LINK_LIBRARIES)
  if(libs)
    foreach(lib IN LISTS libs)
      if(lib MATCHES "Qt|X11|xcb|XCB|dbus|DBus")
        message(FATAL_ERROR "${target} must not link ${lib}: behaviour code stays toolkit-free")
      endif()
    endforeach()
  endif()
endfunction()
