# Read by cpack before it installs anything: the package is refused for a
# build that must not be shipped this way, and gets its time stamps from the
# sources.
if(CPACK_VELTARO_TRUSTS_DEMO_KEY)
  message(FATAL_ERROR "${CPACK_VELTARO_DEMO_KEY_MESSAGE}")
endif()
if(CPACK_VELTARO_SELF_UPDATE)
  message(FATAL_ERROR
          "This build updates itself (VELTARO_SELF_UPDATE is ON), but a package's folder belongs to "
          "the package manager. Package a build configured with -DVELTARO_SELF_UPDATE=OFF, as "
          "tools/package does.")
endif()
if(NOT CPACK_PACKAGE_VERSION STREQUAL CPACK_VELTARO_VERSION)
  message(FATAL_ERROR
          "The package would say ${CPACK_PACKAGE_VERSION} and its programs ${CPACK_VELTARO_VERSION}: "
          "configure the build with -DVELTARO_VERSION=${CPACK_PACKAGE_VERSION} instead of cpack -R.")
endif()
if(NOT CPACK_PACKAGING_INSTALL_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR
          "This build installs into ${CPACK_PACKAGING_INSTALL_PREFIX}, but the package's files belong "
          "in /usr, /etc and /usr/lib/veltaro. Package a build configured with "
          "-DCMAKE_INSTALL_PREFIX=/usr, as tools/package does.")
endif()
set(VELTARO_SOURCE_DIR "${CPACK_VELTARO_SOURCE_DIR}")
include("${CPACK_VELTARO_SOURCE_DIR}/cmake/source-date-epoch.cmake")
