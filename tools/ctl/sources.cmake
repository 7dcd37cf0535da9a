# keyloomctl's sources without its entry point, and its version: the program
# and the fuzz target of its parsing are built from the one list.
set(KEYLOOMCTL_VERSION 1.0.0)
set(KEYLOOMCTL_SOURCES ctl.cpp session.cpp output.cpp keyboard_commands.cpp profile_commands.cpp
    backup_commands.cpp names.cpp key_edit.cpp edit_commands.cpp lighting_commands.cpp)
if(WIN32)
  list(APPEND KEYLOOMCTL_SOURCES ctl_win32.cpp)
else()
  list(APPEND KEYLOOMCTL_SOURCES ctl_posix.cpp)
endif()
list(TRANSFORM KEYLOOMCTL_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/tools/ctl/)
