# Embeds files as read-only data: each file lies between the symbols
# `<name>_bytes` and `<name>_end` (see payload/Embedded.h), placed by the
# assembler straight into the executable's read-only section. Nothing is
# copied at run time.
#
#   quorvane_embed(<target> <name> <file> [<name> <file> ...])
function(quorvane_embed target)
  if(WIN32)
    set(section ".section .rdata,\"dr\"")
  else()
    set(section ".section .rodata")
  endif()
  set(asm "${section}\n")
  set(files)
  while(ARGN)
    list(POP_FRONT ARGN name file)
    get_filename_component(file "${file}" ABSOLUTE)
    list(APPEND files "${file}")
    string(APPEND asm
      "  .balign 16\n"
      "  .globl ${name}_bytes\n"
      "${name}_bytes:\n"
      "  .incbin \"${file}\"\n"
      "  .globl ${name}_end\n"
      "${name}_end:\n")
  endwhile()
  if(NOT WIN32)
    string(APPEND asm ".section .note.GNU-stack,\"\",@progbits\n")
  endif()
  set(out "${CMAKE_CURRENT_BINARY_DIR}/${target}_embedded.S")
  file(GENERATE OUTPUT "${out}" CONTENT "${asm}")
  target_sources(${target} PRIVATE "${out}")
  set_source_files_properties("${out}" PROPERTIES OBJECT_DEPENDS "${files}")
endfunction()
