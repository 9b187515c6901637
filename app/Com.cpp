#include "app/Com.h"

#include <windows.h>
#include <ole2.h>

namespace app {
namespace {
bool started = false;
}  // namespace

void StartCom() {
  OleInitialize(nullptr);  // its result does not matter; it is undone once at the end
  started = true;
}

void EndCom() {
  if (started) OleUninitialize();
  started = false;
}

}  // namespace app
