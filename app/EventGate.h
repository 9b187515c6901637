// The event gate: a program-wide count. While it is above zero no event
// reaches a handler. Raised while the window is built, and for good once the
// program begins to end.
#pragma once

namespace app::EventGate {

void Raise();
void Lower();
void RaiseForGood();
bool IsOpen();

}  // namespace app::EventGate
