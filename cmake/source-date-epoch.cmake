# Sets SOURCE_DATE_EPOCH in this process's environment, unless it is set, to
# the time of the last commit of the tree in VELTARO_SOURCE_DIR: the time
# stamps of the manual pages, the changelog, the AppStream release and the
# package's files follow it, so two builds of one commit give the same bytes.
if("$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  execute_process(COMMAND git -C "${VELTARO_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
  if(NOT failed AND epoch MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
  else()
    message(WARNING "${VELTARO_SOURCE_DIR} is no git checkout and SOURCE_DATE_EPOCH is not set: "
                    "the installed files carry today's date.")
  endif()
endif()
