# Runs when installing (cmake --install, CPack), with the inputs set by
# install.cmake. The prefix is known only now, so the folder is chosen here.

# One folder holds everything the programs need at run time, since they find
# each other and ClientInfor.inf beside themselves. A /usr prefix is the
# system package: its folder goes to /opt/veltaro, where add-on software keeps
# a folder of its own.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(folder /opt/veltaro)
else()
  set(folder "${CMAKE_INSTALL_PREFIX}/opt/veltaro")
endif()
set(staged "$ENV{DESTDIR}")

file(INSTALL ${VELTARO_PROGRAMS} DESTINATION "${folder}" USE_SOURCE_PERMISSIONS)
if(CMAKE_INSTALL_DO_STRIP AND VELTARO_STRIP)
  foreach(program ${VELTARO_PROGRAMS})
    get_filename_component(name "${program}" NAME)
    execute_process(COMMAND "${VELTARO_STRIP}" "${staged}${folder}/${name}" COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
endif()
file(INSTALL ${VELTARO_DATA} DESTINATION "${folder}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

foreach(size 16 32 48 64 128)
  file(INSTALL "${VELTARO_ICONS}/veltaro-${size}.png"
       DESTINATION "${CMAKE_INSTALL_PREFIX}/share/icons/hicolor/${size}x${size}/apps"
       RENAME veltaro.png PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()

# The menu entry starts the program by its full path; a path with spaces is
# quoted, and inside the quotes \ " ` $ take a backslash.
set(VELTARO_EXEC "${folder}/player")
if(VELTARO_EXEC MATCHES "[ \t\"`$\\\\]")
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" VELTARO_EXEC "${VELTARO_EXEC}")
  set(VELTARO_EXEC "\"${VELTARO_EXEC}\"")
endif()
file(READ "${VELTARO_DESKTOP_TEMPLATE}" entry)
string(CONFIGURE "${entry}" entry @ONLY)
set(desktop "${CMAKE_INSTALL_PREFIX}/share/applications/veltaro.desktop")
message(STATUS "Installing: ${staged}${desktop}")
file(WRITE "${staged}${desktop}" "${entry}")

set(command "${CMAKE_INSTALL_PREFIX}/bin/veltaro")
message(STATUS "Installing: ${staged}${command} -> ${folder}/player")
file(MAKE_DIRECTORY "${staged}${CMAKE_INSTALL_PREFIX}/bin")
file(REMOVE "${staged}${command}")
file(CREATE_LINK "${folder}/player" "${staged}${command}" SYMBOLIC)

list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${staged}${desktop}" "${staged}${command}")
