# Fails when a program source starts something through a shell: every child
# program gets an argument list, so no configuration value is ever parsed as
# a command line.
file(GLOB_RECURSE sources "${SOURCE_DIR}/src/*.cpp" "${SOURCE_DIR}/src/*.h"
     "${SOURCE_DIR}/cli/*.cpp" "${SOURCE_DIR}/cli/*.h"
     "${SOURCE_DIR}/sim/*.cpp" "${SOURCE_DIR}/sim/*.h")
set(bad "")
foreach(source IN LISTS sources)
  file(STRINGS "${source}" lines REGEX "(^|[^_a-zA-Z])(system|popen|startCommand)[ ]*\\(|/bin/sh|sh -c")
  foreach(line IN LISTS lines)
    list(APPEND bad "${source}: ${line}")
  endforeach()
endforeach()
if(bad)
  list(JOIN bad "\n  " text)
  message(FATAL_ERROR "started through a shell:\n  ${text}")
endif()
list(LENGTH sources count)
message(STATUS "no shell in ${count} program sources")
