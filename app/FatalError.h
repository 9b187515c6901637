// The fatal-error report: a notice with the caption "错误", then the end of the
// process with exit code -1. Once it begins, no handler runs again.
#pragma once

namespace app {

constexpr unsigned kFatalExitCode = 0xFFFFFFFFu;  // -1 as the process sees it

// "运行时出错!", then the code (when not 0) and the message (when not empty).
// Writes at most `capacity` bytes including the NUL; returns `out`.
char* ComposeFatalErrorText(const char* message, int code, char* out, unsigned capacity);

// Shows the report and ends the process; does not return.
[[noreturn]] void ReportFatalError(const char* message, int code);

}  // namespace app
