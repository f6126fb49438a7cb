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
include("${VELTARO_SOURCE_DIR}/cmake/source-date-epoch.cmake")
set(readable PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

file(INSTALL ${VELTARO_PROGRAMS} DESTINATION "${folder}" USE_SOURCE_PERMISSIONS)
if(CMAKE_INSTALL_DO_STRIP AND VELTARO_STRIP)
  foreach(program ${VELTARO_PROGRAMS})
    get_filename_component(name "${program}" NAME)
    execute_process(COMMAND "${VELTARO_STRIP}" --remove-section=.comment --remove-section=.note
                            "${staged}${folder}/${name}" COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
endif()
file(INSTALL "${VELTARO_CLIENT_INFOR}" DESTINATION "${folder}" ${readable})
# The system package keeps its data where Debian keeps a program's data, and
# the settings file where administrators look for it; the programs find the
# offline page beside themselves all the same.
if(folder STREQUAL "/usr/lib/veltaro")
  file(INSTALL "${VELTARO_OFFLINE_PAGE}" DESTINATION /usr/share/veltaro ${readable})
  message(STATUS "Installing: ${staged}${folder}/404.html -> ../../share/veltaro/404.html")
  file(REMOVE "${staged}${folder}/404.html")
  file(CREATE_LINK ../../share/veltaro/404.html "${staged}${folder}/404.html" SYMBOLIC)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${staged}${folder}/404.html")
  file(INSTALL "${VELTARO_CONF}" DESTINATION /etc/xdg/veltaro ${readable})
  file(INSTALL "${VELTARO_LINTIAN_OVERRIDES}" DESTINATION /usr/share/lintian/overrides RENAME veltaro
       ${readable})
else()
  file(INSTALL "${VELTARO_OFFLINE_PAGE}" DESTINATION "${folder}" ${readable})
  file(INSTALL "${VELTARO_CONF}" DESTINATION "${CMAKE_INSTALL_PREFIX}/share/doc/veltaro"
       RENAME veltaro.conf.example ${readable})
endif()

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

# A build released under another version than the sources' newest entry
# gets an entry of its own, dated like the rest of the build.
string(TIMESTAMP day "%Y-%m-%d" UTC)
file(READ "${VELTARO_METAINFO}" metainfo)
if(NOT metainfo MATCHES "<release version=\"${VELTARO_VERSION}\"")
  string(REPLACE "<releases>\n" "<releases>\n    <release version=\"${VELTARO_VERSION}\" date=\"${day}\"/>\n"
         metainfo "${metainfo}")
endif()
get_filename_component(metainfo_name "${VELTARO_METAINFO}" NAME)
set(metainfo_file "${CMAKE_INSTALL_PREFIX}/share/metainfo/${metainfo_name}")
message(STATUS "Installing: ${staged}${metainfo_file}")
file(WRITE "${staged}${metainfo_file}" "${metainfo}")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${staged}${metainfo_file}")
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
file(READ "${VELTARO_CHANGELOG}" changelog)
if(NOT changelog MATCHES "^veltaro \\(${VELTARO_VERSION}\\)")
  string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
  string(PREPEND changelog "veltaro (${VELTARO_VERSION}) unstable; urgency=medium\n\n"
         "  * Release ${VELTARO_VERSION}.\n\n -- Veltaro <support@veltaro.example.com>  ${date}\n\n")
endif()
file(WRITE "${VELTARO_WORK}/changelog" "${changelog}")
veltaro_gzip("${VELTARO_WORK}/changelog" "${doc}/changelog.gz")

# The commands are relative links, so a staged or moved tree stays whole.
# Each manual page is the installed program's own --help under the
# command's name; the date is the sources', so the page is reproducible too.
find_program(HELP2MAN help2man)
if(NOT HELP2MAN)
  message(WARNING "help2man is missing: no manual pages installed")
endif()
function(veltaro_command command program summary)
  set(link "${CMAKE_INSTALL_PREFIX}/bin/${command}")
  file(RELATIVE_PATH target "${CMAKE_INSTALL_PREFIX}/bin" "${folder}/${program}")
  message(STATUS "Installing: ${staged}${link} -> ${target}")
  file(MAKE_DIRECTORY "${staged}${CMAKE_INSTALL_PREFIX}/bin")
  file(REMOVE "${staged}${link}")
  file(CREATE_LINK "${target}" "${staged}${link}" SYMBOLIC)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${staged}${link}")
  if(HELP2MAN)
    set(work "${VELTARO_WORK}/man/${command}")
    file(REMOVE_RECURSE "${work}")
    file(MAKE_DIRECTORY "${work}")
    file(CREATE_LINK "${staged}${folder}/${program}" "${work}/${command}" SYMBOLIC)
    set(include)
    if(EXISTS "${VELTARO_MAN_INCLUDE_DIR}/${command}.h2m")
      set(include --include "${VELTARO_MAN_INCLUDE_DIR}/${command}.h2m")
    endif()
    execute_process(COMMAND "${HELP2MAN}" --no-info --section 1 ${include} --name "${summary}"
                            --output "${work}/${command}.1" "${work}/${command}"
                    COMMAND_ERROR_IS_FATAL ANY)
    veltaro_gzip("${work}/${command}.1" "${CMAKE_INSTALL_PREFIX}/share/man/man1/${command}.1.gz")
  endif()
  set(CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_MANIFEST_FILES}" PARENT_SCOPE)
endfunction()
veltaro_command(veltaro player "client for the Veltaro video portal")
if(EXISTS "${staged}${folder}/publish")
  veltaro_command(veltaro-publish publish "publish a Veltaro release as a signed update")
endif()

list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${staged}${desktop}")
