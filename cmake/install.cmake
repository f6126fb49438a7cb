# Install rules and the Debian package. `cmake --install build --prefix P`
# gives P/opt/veltaro (player, update, check, publish, ClientInfor.inf,
# 404.html), P/share/applications/veltaro.desktop, the icon in
# P/share/icons/hicolor, the AppStream data, the manual pages, the
# documentation with an example veltaro.conf, and the commands P/bin/veltaro
# and P/bin/veltaro-publish. The package (prefix /usr) installs the folder as
# /usr/lib/veltaro, its offline page in /usr/share/veltaro and the settings
# file as /etc/xdg/veltaro/veltaro.conf. A build with VELTARO_SELF_UPDATE OFF
# installs neither update nor check.

set(VELTARO_UPDATER_VERSION "2.0")

# ClientInfor.inf is read as GBK with CR LF line ends: keep it plain ASCII.
if(NOT VELTARO_UPDATE_URL MATCHES "^[!-~]+$")
  message(FATAL_ERROR "VELTARO_UPDATE_URL must be printable ASCII without spaces: ${VELTARO_UPDATE_URL}")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/ClientInfor.inf.in ${CMAKE_BINARY_DIR}/install/ClientInfor.inf
               @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_CURRENT_LIST_DIR}/veltaro.conf.in ${CMAKE_BINARY_DIR}/install/veltaro.conf @ONLY)

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
    list(APPEND programs "$<TARGET_FILE:${program}>")
  endif()
endforeach()

set(VELTARO_DEMO_KEY_MESSAGE
    "This build trusts the demo update key ${VELTARO_DEMO_KEY_FILE}, whose secret half is public: \
it runs the demo and the tests and is never installed or packaged. Configure another build folder \
with your publisher's key (-DVELTARO_UPDATE_PUBLIC_KEY_FILE=...) or with -DVELTARO_SELF_UPDATE=OFF \
and no key.")
if(VELTARO_TRUSTS_DEMO_KEY)
  install(CODE "message(FATAL_ERROR \"${VELTARO_DEMO_KEY_MESSAGE}\")")
endif()
install(CODE "
  set(VELTARO_PROGRAMS \"${programs}\")
  set(VELTARO_OFFLINE_PAGE \"${PROJECT_SOURCE_DIR}/player/404.html\")
  set(VELTARO_CLIENT_INFOR \"${CMAKE_BINARY_DIR}/install/ClientInfor.inf\")
  set(VELTARO_CONF \"${CMAKE_BINARY_DIR}/install/veltaro.conf\")
  set(VELTARO_VERSION \"${VELTARO_VERSION}\")
  set(VELTARO_SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
  set(VELTARO_ICONS \"${PROJECT_SOURCE_DIR}/player/skin\")
  set(VELTARO_DESKTOP_TEMPLATE \"${CMAKE_CURRENT_LIST_DIR}/veltaro.desktop.in\")
  set(VELTARO_METAINFO \"${PROJECT_SOURCE_DIR}/metainfo/com.example.veltaro.metainfo.xml\")
  set(VELTARO_DOCS \"${CMAKE_CURRENT_LIST_DIR}/copyright\")
  set(VELTARO_LINTIAN_OVERRIDES \"${CMAKE_CURRENT_LIST_DIR}/lintian-overrides\")
  set(VELTARO_CHANGELOG \"${CMAKE_CURRENT_LIST_DIR}/changelog\")
  set(VELTARO_MAN_INCLUDE_DIR \"${CMAKE_CURRENT_LIST_DIR}\")
  set(VELTARO_WORK \"${CMAKE_BINARY_DIR}/install\")
  set(VELTARO_STRIP \"${CMAKE_STRIP}\")
  include(\"${CMAKE_CURRENT_LIST_DIR}/install-layout.cmake\")
")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltaro)
set(CPACK_PACKAGE_VENDOR Veltaro)
set(CPACK_PACKAGE_CONTACT "Veltaro <support@veltaro.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "client for the Veltaro portal: films, live TV and video on demand")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
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
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_BINARY_DIR}/install/conffiles")
file(WRITE "${CMAKE_BINARY_DIR}/install/conffiles" "/etc/xdg/veltaro/veltaro.conf\n")
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
