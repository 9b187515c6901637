// The fatal-error report on Win32: an error box without owner, then the end
// of the process with exit code -1.
#include <windows.h>

#include "app/EventGate.h"
#include "app/FatalError.h"
#include "app/Com.h"

namespace app {

void ReportFatalError(const char* message, int code) {
  EventGate::RaiseForGood();
  char text[1024];
  ComposeFatalErrorText(message, code, text, sizeof text);
  MessageBoxA(nullptr, text, "错误", MB_ICONERROR);
  EndCom();
  ExitProcess(kFatalExitCode);
}

}  // namespace app
