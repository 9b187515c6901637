// Texts: NUL-terminated byte strings in the ANSI code page. A null pointer is
// the missing text and counts as the empty text wherever a text is taken.
// Every text block handed out comes from one heap, so FreeText releases any.
#pragma once
#include <cstddef>
#include <initializer_list>

namespace app {

// A block of `size` bytes; running out of memory is a fatal error.
char* AllocText(std::size_t size);
// Releases a block; ignores a missing text and the program's constant texts.
void FreeText(const char* text);
// Bytes before the terminating NUL; 0 for a missing text.
std::size_t TextLength(const char* text);
// One new block holding the texts one after another; missing texts add nothing.
char* JoinText(std::initializer_list<const char*> texts);
// The texts one after another in `out`, a block of `capacity` bytes, as much
// of them as fits before the terminating NUL; missing texts add nothing.
// Takes nothing from the heap.
void JoinTextInto(char* out, std::size_t capacity, std::initializer_list<const char*> texts);

}  // namespace app
