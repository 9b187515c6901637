#include "app/EventGate.h"

namespace app::EventGate {
namespace {
int count = 0;
bool closedForGood = false;
}  // namespace

void Raise() { ++count; }
void Lower() {
  if (count > 0) --count;
}
void RaiseForGood() { closedForGood = true; }
bool IsOpen() { return count == 0 && !closedForGood; }

}  // namespace app::EventGate
