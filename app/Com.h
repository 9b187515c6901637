// COM on the installer's one thread: started once at start, ended once on
// the way out, whichever way out it is (normal end or fatal error).
#pragma once

namespace app {

void StartCom();
void EndCom();

}  // namespace app
