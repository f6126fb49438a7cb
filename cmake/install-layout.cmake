# Runs when installing (cmake --install, CPack), with the inputs set by
# install.cmake. The prefix is known only now, so the folder is chosen here.

# One folder holds everything the programs need at run time, since they find
# each other and ClientInfor.inf beside themselves. A /usr prefix is the
# system package: its folder is /usr/lib/veltaro, Debian's place for a
# program's private files.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(folder /usr/lib/veltaro)
else()
  set(folder "${CMAKE_INSTALL_PREFIX}/opt/veltaro")
endif()
set(staged "$ENV{DESTDIR}")

file(INSTALL ${VELTARO_PROGRAMS} DESTINATION "${folder}" USE_SOURCE_PERMISSIONS)
if(CMAKE_INSTALL_DO_STRIP AND VELTARO_STRIP)
  foreach(program ${VELTARO_PROGRAMS})
    get_filename_component(name "${program}" NAME)
    execute_process(COMMAND "${VELTARO_STRIP}" --remove-section=.comment --remove-section=.note
                            "${staged}${folder}/${name}" COMMAND_ERROR_IS_FATAL ANY)
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

# The command: a relative link, so a staged or moved tree stays whole.
set(command "${CMAKE_INSTALL_PREFIX}/bin/veltaro")
file(RELATIVE_PATH target "${CMAKE_INSTALL_PREFIX}/bin" "${folder}/player")
message(STATUS "Installing: ${staged}${command} -> ${target}")
file(MAKE_DIRECTORY "${staged}${CMAKE_INSTALL_PREFIX}/bin")
file(REMOVE "${staged}${command}")
file(CREATE_LINK "${target}" "${staged}${command}" SYMBOLIC)

set(readable PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(INSTALL "${VELTARO_METAINFO}" DESTINATION "${CMAKE_INSTALL_PREFIX}/share/metainfo" ${readable})
set(doc "${CMAKE_INSTALL_PREFIX}/share/doc/veltaro")
file(INSTALL ${VELTARO_DOCS} DESTINATION "${doc}" ${readable})

# Compressed as Debian wants them: gzip -9 without name or time, so the
# package is the same from one build to the next.
function(veltaro_gzip source destination)
  message(STATUS "Installing: ${staged}${destination}")
  get_filename_component(dir "${staged}${destination}" DIRECTORY)
  file(MAKE_DIRECTORY "${dir}")
  execute_process(COMMAND gzip -9nc "${source}" OUTPUT_FILE "${staged}${destination}"
                  COMMAND_ERROR_IS_FATAL ANY)
  file(CHMOD "${staged}${destination}" ${readable})
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${staged}${destination}")
  set(CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_MANIFEST_FILES}" PARENT_SCOPE)
endfunction()
veltaro_gzip("${VELTARO_CHANGELOG}" "${doc}/changelog.gz")

# The manual page is the installed player's own --help, under the name of the
# command; the date is the release's, so the page is reproducible too.
find_program(HELP2MAN help2man)
if(HELP2MAN)
  set(work "${VELTARO_WORK}/man")
  file(REMOVE_RECURSE "${work}")
  file(MAKE_DIRECTORY "${work}")
  file(CREATE_LINK "${staged}${folder}/player" "${work}/veltaro" SYMBOLIC)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=1796817600
                          "${HELP2MAN}" --no-info --section 1 --include "${VELTARO_MAN_INCLUDE}"
                          --name "client for the Veltaro video portal" --output "${work}/veltaro.1"
                          "${work}/veltaro"
                  COMMAND_ERROR_IS_FATAL ANY)
  veltaro_gzip("${work}/veltaro.1" "${CMAKE_INSTALL_PREFIX}/share/man/man1/veltaro.1.gz")
else()
  message(WARNING "help2man is missing: no manual page installed")
endif()

list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${staged}${desktop}" "${staged}${command}")
