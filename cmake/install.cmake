# Install rules and the Debian package. The layout follows the prefix the
# build is configured with (CMAKE_INSTALL_PREFIX): the menu entry and the
# commands name the installed player by its path, so that prefix is where
# `cmake --install` puts it, and another --prefix there is refused.
#   /usr, the system package (tools/package): the programs, ClientInfor.inf and
#     a link to the offline page in /usr/lib/veltaro, Debian's place for a
#     program's private files; the page in /usr/share/veltaro; the settings
#     file as /etc/xdg/veltaro/veltaro.conf; lintian's overrides.
#   any other prefix P (./install uses ~/.local): the programs, ClientInfor.inf
#     and 404.html in P/opt/veltaro; the settings file as an example in the
#     documentation.
# Both: the menu entry, the icon in the hicolor theme, the AppStream data, the
# documentation and the commands veltaro and veltaro-publish (relative links)
# with their manual pages. A build with VELTARO_SELF_UPDATE OFF installs
# neither update nor check.
include(GNUInstallDirs)

set(VELTARO_UPDATER_VERSION "2.0")
set(VELTARO_DEMO_KEY_MESSAGE
    "This build trusts the demo update key ${VELTARO_DEMO_KEY_FILE}, whose secret half is public: \
it runs the demo and the tests and is never installed or packaged. Configure another build folder \
with your publisher's key (-DVELTARO_UPDATE_PUBLIC_KEY_FILE=...) or with -DVELTARO_SELF_UPDATE=OFF \
and no key.")
set(work ${CMAKE_BINARY_DIR}/install)
set(docs)

if(VELTARO_TRUSTS_DEMO_KEY)
  install(CODE "message(FATAL_ERROR \"${VELTARO_DEMO_KEY_MESSAGE}\")")
else()
  install(CODE "
    if(NOT CMAKE_INSTALL_PREFIX STREQUAL \"${CMAKE_INSTALL_PREFIX}\")
      message(FATAL_ERROR \"This build installs into ${CMAKE_INSTALL_PREFIX}, where its menu entry and \
commands point, not into \${CMAKE_INSTALL_PREFIX}: configure it with -DCMAKE_INSTALL_PREFIX=\${CMAKE_INSTALL_PREFIX} \
instead of installing with --prefix.\")
    endif()")

  if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(VELTARO_INSTALL_DIR lib/veltaro)
    set(system_package ON)
  else()
    set(VELTARO_INSTALL_DIR opt/veltaro)
    set(system_package OFF)
  endif()
  set(folder "${CMAKE_INSTALL_PREFIX}/${VELTARO_INSTALL_DIR}")

  # The generated files carry the date of the sources, so that two builds of
  # one commit give the same bytes.
  set(VELTARO_SOURCE_DIR "${PROJECT_SOURCE_DIR}")
  include(${CMAKE_CURRENT_LIST_DIR}/source-date-epoch.cmake)
  set(dated)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(dated ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=$ENV{SOURCE_DATE_EPOCH})
  endif()
  # A generated file is written only when it changes, so that what is made
  # from it is made again only then.
  function(veltaro_write file content)
    file(WRITE ${file}.new "${content}")
    file(COPY_FILE ${file}.new ${file} ONLY_IF_DIFFERENT)
    file(REMOVE ${file}.new)
  endfunction()
  # Compressed as Debian wants them: gzip -9 without name or time.
  function(veltaro_gzip source)
    add_custom_command(OUTPUT ${source}.gz COMMAND gzip -9nkf ${source} DEPENDS ${source} VERBATIM)
    list(APPEND docs ${source}.gz)
    set(docs ${docs} PARENT_SCOPE)
  endfunction()

  # A tree without one of the programs still configures; the folder then lacks it.
  # publish is the operators' tool, installed with the client so that whoever
  # runs a portal has it at hand as the command veltaro-publish.
  set(installed player publish)
  if(VELTARO_SELF_UPDATE)
    list(APPEND installed update check)
  endif()
  set(programs)
  foreach(program ${installed})
    if(TARGET ${program})
      list(APPEND programs ${program})
    endif()
  endforeach()
  install(TARGETS ${programs} RUNTIME DESTINATION ${VELTARO_INSTALL_DIR})

  # ClientInfor.inf is read as GBK with CR LF line ends: keep it plain ASCII.
  if(NOT VELTARO_UPDATE_URL MATCHES "^[!-~]+$")
    message(FATAL_ERROR "VELTARO_UPDATE_URL must be printable ASCII without spaces: ${VELTARO_UPDATE_URL}")
  endif()
  configure_file(${CMAKE_CURRENT_LIST_DIR}/ClientInfor.inf.in ${work}/ClientInfor.inf @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${work}/ClientInfor.inf DESTINATION ${VELTARO_INSTALL_DIR})

  # The system package keeps its data where Debian keeps a program's data, and
  # the settings file where administrators look for it; the programs find the
  # offline page beside themselves all the same.
  configure_file(${CMAKE_CURRENT_LIST_DIR}/veltaro.conf.in ${work}/veltaro.conf @ONLY)
  if(system_package)
    set(data_dir ${CMAKE_INSTALL_DATADIR}/veltaro)
    install(FILES ${PROJECT_SOURCE_DIR}/player/404.html DESTINATION ${data_dir})
    file(RELATIVE_PATH page "${folder}" "${CMAKE_INSTALL_PREFIX}/${data_dir}/404.html")
    file(CREATE_LINK ${page} ${work}/404.html SYMBOLIC)
    install(FILES ${work}/404.html DESTINATION ${VELTARO_INSTALL_DIR})
    set(conf_dir ${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/veltaro)
    install(FILES ${work}/veltaro.conf DESTINATION ${conf_dir})
    file(WRITE ${work}/conffiles "${conf_dir}/veltaro.conf\n")
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides
            DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME veltaro)
  else()
    install(FILES ${PROJECT_SOURCE_DIR}/player/404.html DESTINATION ${VELTARO_INSTALL_DIR})
    install(FILES ${work}/veltaro.conf DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME veltaro.conf.example)
  endif()

  foreach(size 16 32 48 64 128)
    install(FILES ${PROJECT_SOURCE_DIR}/player/skin/veltaro-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME veltaro.png)
  endforeach()

  # The menu entry starts the program by its full path; a path with spaces is
  # quoted, and inside the quotes \ " ` $ take a backslash.
  set(VELTARO_EXEC "${folder}/player")
  if(VELTARO_EXEC MATCHES "[ \t\"`$\\\\]")
    string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" VELTARO_EXEC "${VELTARO_EXEC}")
    set(VELTARO_EXEC "\"${VELTARO_EXEC}\"")
  endif()
  configure_file(${CMAKE_CURRENT_LIST_DIR}/veltaro.desktop.in ${work}/veltaro.desktop @ONLY)
  install(FILES ${work}/veltaro.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

  # A build released under another version than the sources' newest entry
  # gets an entry of its own, dated like the rest of the build.
  string(TIMESTAMP day "%Y-%m-%d" UTC)
  set(metainfo_source ${PROJECT_SOURCE_DIR}/metainfo/com.example.veltaro.metainfo.xml)
  file(READ ${metainfo_source} metainfo)
  if(NOT metainfo MATCHES "<release version=\"${VELTARO_VERSION}\"")
    string(REPLACE "<releases>\n" "<releases>\n    <release version=\"${VELTARO_VERSION}\" date=\"${day}\"/>\n"
           metainfo "${metainfo}")
  endif()
  get_filename_component(metainfo_name ${metainfo_source} NAME)
  veltaro_write(${work}/${metainfo_name} "${metainfo}")
  install(FILES ${work}/${metainfo_name} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  file(READ ${CMAKE_CURRENT_LIST_DIR}/changelog changelog)
  if(NOT changelog MATCHES "^veltaro \\(${VELTARO_VERSION}\\)")
    string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
    string(PREPEND changelog "veltaro (${VELTARO_VERSION}) unstable; urgency=medium\n\n"
           "  * Release ${VELTARO_VERSION}.\n\n -- Veltaro <support@veltaro.example.com>  ${date}\n\n")
  endif()
  veltaro_write(${work}/changelog "${changelog}")
  veltaro_gzip(${work}/changelog)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${work}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

  # The commands are relative links, so a staged or moved tree stays whole.
  # Each manual page is the program's own --help under the command's name.
  find_program(HELP2MAN help2man)
  if(NOT HELP2MAN)
    message(WARNING "help2man is missing: no manual pages installed")
  endif()
  function(veltaro_command command program summary)
    if(NOT TARGET ${program})
      return()
    endif()
    file(RELATIVE_PATH target ${CMAKE_INSTALL_FULL_BINDIR} "${folder}/${program}")
    file(MAKE_DIRECTORY ${work}/bin ${work}/man/${command})
    file(CREATE_LINK ${target} ${work}/bin/${command} SYMBOLIC)
    install(FILES ${work}/bin/${command} DESTINATION ${CMAKE_INSTALL_BINDIR})
    if(HELP2MAN)
      set(page ${work}/man/${command}/${command}.1)
      set(h2m ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${command}.h2m)
      set(include)
      if(EXISTS ${h2m})
        set(include --include ${h2m})
      else()
        set(h2m)
      endif()
      add_custom_command(OUTPUT ${page}
                         COMMAND ${CMAKE_COMMAND} -E create_symlink $<TARGET_FILE:${program}> ${work}/man/${command}/${command}
                         COMMAND ${dated} ${HELP2MAN} --no-info --section 1 ${include} --name ${summary}
                                 --output ${page} ${work}/man/${command}/${command}
                         DEPENDS ${program} ${h2m} VERBATIM)
      veltaro_gzip(${page})
      install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
    set(docs ${docs} PARENT_SCOPE)
  endfunction()
  veltaro_command(veltaro player "client for the Veltaro video portal")
  veltaro_command(veltaro-publish publish "publish a Veltaro release as a signed update")
endif()
# The compressed changelog and manual pages; `cmake --build` makes them, and
# tools/package and ./install name the target.
add_custom_target(docs ALL DEPENDS ${docs})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltaro)
set(CPACK_PACKAGE_VENDOR Veltaro)
set(CPACK_PACKAGE_CONTACT "Veltaro <support@veltaro.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "client for the Veltaro portal: films, live TV and video on demand")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_PACKAGE_VERSION "${VELTARO_VERSION}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VELTARO_HOME_SITE_URL}")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "The Veltaro desktop client frames the Veltaro web portal in a skinned window,
with news and partner tickers and a promotion window.
.
Veltaro 影视客户端：电影、电视直播、视频点播与应用。
.
The package manager keeps this install up to date; the client does not
update itself here: neither its updater nor an update check is installed.")
if(system_package)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${work}/conffiles)
endif()
# Checked by cpack itself: the refusals and the time stamps in cpack-project.cmake.
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_LIST_DIR}/cpack-project.cmake")
set(CPACK_VELTARO_TRUSTS_DEMO_KEY ${VELTARO_TRUSTS_DEMO_KEY})
set(CPACK_VELTARO_DEMO_KEY_MESSAGE "${VELTARO_DEMO_KEY_MESSAGE}")
set(CPACK_VELTARO_SELF_UPDATE ${VELTARO_SELF_UPDATE})
set(CPACK_VELTARO_VERSION "${VELTARO_VERSION}")
set(CPACK_VELTARO_SOURCE_DIR "${PROJECT_SOURCE_DIR}")
# The libraries (Qt 6 WebEngine and its helper process, libcurl) follow from
# the programs themselves; the Chinese font and Qt's Chinese translations are
# needed but linked by nothing.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-zenhei, qt6-translations-l10n")
include(CPack)
