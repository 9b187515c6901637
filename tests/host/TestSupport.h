// What the host tests put in place of the Win32 pieces: a counting text heap,
// a fatal-error report that throws, and a small payload table.
#pragma once
#include <cstddef>
#include <stdexcept>
#include <string>

namespace testing_support {

// Blocks handed out and not yet released by the text heap.
int OutstandingTextBlocks();
int TextBlocksTaken();
// The next heap request fails (once).
void FailNextAllocation();

// Thrown by ReportFatalError in the tests.
struct FatalError : std::runtime_error {
  FatalError(const std::string& message, int errorCode)
      : std::runtime_error(message), code(errorCode) {}
  int code;
};

}  // namespace testing_support
