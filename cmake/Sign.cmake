# Authenticode signing of an executable with osslsigncode, as the last part
# of its link step. Nothing is signed unless a certificate and its key are
# given:
#
#   QUORVANE_SIGN_CERT       the certificate file (PEM, or SPC/DER)
#   QUORVANE_SIGN_KEY        its private key (PEM)
#   QUORVANE_SIGN_PASS_FILE  optional: a file holding the key's password
#   QUORVANE_TIMESTAMP_URL   optional: an Authenticode time stamp server (-t)
#
#   quorvane_sign(<target>)
#
# CMake (3.25) accepts add_custom_command(TARGET ... POST_BUILD) only in the
# directory that created the target, and this is called from the top level.
# So the target gets a linker launcher instead, cmake/SignAfterLink.cmake,
# which runs the link command and then signs its output in place: the same
# moment as a POST_BUILD step, and a failed signing fails the target.

set(QUORVANE_SIGN_CERT "" CACHE FILEPATH "Code signing certificate (PEM or SPC); empty: no signing")
set(QUORVANE_SIGN_KEY "" CACHE FILEPATH "Private key of QUORVANE_SIGN_CERT (PEM)")
set(QUORVANE_SIGN_PASS_FILE "" CACHE FILEPATH "Optional file holding the password of QUORVANE_SIGN_KEY")
set(QUORVANE_TIMESTAMP_URL "" CACHE STRING "Optional time stamp server URL; empty: no time stamp")

function(quorvane_sign target)
  if("${QUORVANE_SIGN_CERT}" STREQUAL "" AND "${QUORVANE_SIGN_KEY}" STREQUAL "")
    return()
  endif()
  foreach(input QUORVANE_SIGN_CERT QUORVANE_SIGN_KEY)
    if("${${input}}" STREQUAL "")
      message(FATAL_ERROR "${input} is not set: signing needs QUORVANE_SIGN_CERT and QUORVANE_SIGN_KEY")
    endif()
  endforeach()
  foreach(input QUORVANE_SIGN_CERT QUORVANE_SIGN_KEY QUORVANE_SIGN_PASS_FILE)
    if(NOT "${${input}}" STREQUAL "" AND (NOT EXISTS "${${input}}" OR IS_DIRECTORY "${${input}}"))
      message(FATAL_ERROR "${input}: no such file: ${${input}}")
    endif()
  endforeach()
  find_program(QUORVANE_OSSLSIGNCODE osslsigncode)
  if(NOT QUORVANE_OSSLSIGNCODE)
    message(FATAL_ERROR "osslsigncode is needed to sign ${target}: run tools/install-deps.sh")
  endif()

  get_target_property(language ${target} LINKER_LANGUAGE)
  if(NOT language)
    set(language CXX)
  endif()
  set_property(TARGET ${target} PROPERTY ${language}_LINKER_LAUNCHER
    "${CMAKE_COMMAND}"
    "-DOSSLSIGNCODE=${QUORVANE_OSSLSIGNCODE}"
    "-DCERT=${QUORVANE_SIGN_CERT}"
    "-DKEY=${QUORVANE_SIGN_KEY}"
    "-DPASS_FILE=${QUORVANE_SIGN_PASS_FILE}"
    "-DTIMESTAMP_URL=${QUORVANE_TIMESTAMP_URL}"
    -P "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/SignAfterLink.cmake" --)
endfunction()
