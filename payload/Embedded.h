// Declares a block of bytes that cmake/Embed.cmake placed in the executable's
// read-only data: `<name>_bytes` up to `<name>_end`. The assembler names are
// given explicitly so that both Windows targets and the host agree on them.
#pragma once

#define QUORVANE_EMBEDDED(name)                                             \
  extern "C" const unsigned char name##_bytes[] __asm__(#name "_bytes"); \
  extern "C" const unsigned char name##_end[] __asm__(#name "_end")
