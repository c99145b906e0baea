# Writes the time that the shipped programs' PE headers carry to OUT, and
# rewrites OUT only when that time changes, so that only then are they linked
# again: SOURCE_DATE_EPOCH where it is set, else the time of the checkout's
# commit. A source tree without git (a tarball) needs SOURCE_DATE_EPOCH.
#   cmake -DSOURCE_DIR=dir -DOUT=file -P source_date_epoch.cmake
set(epoch "$ENV{SOURCE_DATE_EPOCH}")
if(epoch STREQUAL "")
  # Not the commit of a repository that holds the source tree unpacked.
  get_filename_component(above ${SOURCE_DIR} DIRECTORY)
  set(ENV{GIT_CEILING_DIRECTORIES} ${above})
  execute_process(COMMAND git -C ${SOURCE_DIR} log -1 --format=%ct
    OUTPUT_VARIABLE epoch ERROR_VARIABLE error RESULT_VARIABLE result
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_STRIP_TRAILING_WHITESPACE)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "The programs carry the time of their commit, and git gives none for "
      "${SOURCE_DIR} (${result}: ${error}). Build from a git checkout, or set SOURCE_DATE_EPOCH "
      "to the release's time in seconds since 1970.")
  endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH is '${epoch}', not seconds since 1970")
endif()
file(CONFIGURE OUTPUT ${OUT} CONTENT "${epoch}\n")
