# The linker launcher that cmake/Sign.cmake gives a target: runs the link
# command, then signs the linked file in place with osslsigncode.
#
#   cmake -DOSSLSIGNCODE=<tool> -DCERT=<file> -DKEY=<file> [-DPASS_FILE=<file>]
#         [-DTIMESTAMP_URL=<url>] -P SignAfterLink.cmake -- <link command...>
#
# The file is signed into <file>.signed, which then replaces it. If signing
# fails, the unsigned file is deleted, so that it cannot pass for the result.

# The link command is everything after "--"; the linked file follows its "-o".
set(link)
set(after_dashes FALSE)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
  if(after_dashes)
    list(APPEND link "${CMAKE_ARGV${i}}")
  elseif("${CMAKE_ARGV${i}}" STREQUAL "--")
    set(after_dashes TRUE)
  endif()
endforeach()
list(FIND link "-o" at)
if(at EQUAL -1)
  message(FATAL_ERROR "no -o <file> in the link command: ${link}")
endif()
math(EXPR at "${at} + 1")
list(GET link ${at} file)

execute_process(COMMAND ${link} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "linking ${file} failed")
endif()

set(options -certs "${CERT}" -key "${KEY}")
if(NOT "${PASS_FILE}" STREQUAL "")
  list(APPEND options -readpass "${PASS_FILE}")
endif()
list(APPEND options -n "Quorvane" -h sha256)
if(NOT "${TIMESTAMP_URL}" STREQUAL "")
  list(APPEND options -t "${TIMESTAMP_URL}")
endif()
file(REMOVE "${file}.signed")
execute_process(COMMAND "${OSSLSIGNCODE}" sign ${options} -in "${file}" -out "${file}.signed"
                OUTPUT_QUIET RESULT_VARIABLE failed)
if(failed)
  file(REMOVE "${file}" "${file}.signed")
  message(FATAL_ERROR "signing ${file} failed")
endif()
file(RENAME "${file}.signed" "${file}")
