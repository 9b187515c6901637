# cmake -DIN=<file> -DOUT=<file> -DSIZE=<bytes> -P PadFile.cmake
# Copies IN to OUT and appends zero bytes until OUT is SIZE bytes long.
file(SIZE "${IN}" in_size)
if(in_size GREATER SIZE)
  message(FATAL_ERROR "${IN} is ${in_size} bytes, more than the ${SIZE} it must fit in")
endif()
file(COPY_FILE "${IN}" "${OUT}")
math(EXPR missing "${SIZE} - ${in_size}")
execute_process(COMMAND truncate -s "${SIZE}" "${OUT}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not pad ${OUT} by ${missing} bytes")
endif()
