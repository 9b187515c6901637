// Waiting for something the installer does in its own time: poll a condition
// until it holds or a timeout passes. Times are in milliseconds (<chrono>
// cannot be used here: with -fexec-charset=GBK its "µs" literal fails to
// compile in C++20).
#pragma once
#include <windows.h>

#include <functional>

namespace e2e {

// True as soon as `condition` returns true; false if it still does not after
// `timeoutMs`. The condition is checked every `pollMs` and once more at the end.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = 25);

// Lets the installer and Wine process what was sent to them.
void Pause(DWORD milliseconds);

}  // namespace e2e
