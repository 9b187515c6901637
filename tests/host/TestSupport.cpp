#include "tests/host/TestSupport.h"

#include <cstdlib>
#include <set>

#include "app/FatalError.h"
#include "payload/Payload.h"
#include "platform/Heap.h"

extern "C" const char __executable_start[];
extern "C" const char end[];

namespace {

std::set<void*>& Blocks() {
  static std::set<void*> blocks;
  return blocks;
}
int taken = 0;
bool failNext = false;

constexpr unsigned char kProgram[] = {'M', 'Z', 1, 2, 3};
constexpr unsigned char kAnswer[] = "[Answer0]";
constexpr unsigned char kInstall[] = "[TIME]";
constexpr unsigned char kTutorial[] = {'R', 'I', 'F', 'F'};

constexpr payload::PayloadFile kFiles[] = {
    {"\\VelkTest.exe", kProgram, kProgram + sizeof kProgram},
    {"\\Answer.ini", kAnswer, kAnswer + sizeof kAnswer - 1},
    {"\\Install.ini", kInstall, kInstall + sizeof kInstall - 1},
    {"\\Help.avi", kTutorial, kTutorial + sizeof kTutorial},
};

}  // namespace

namespace testing_support {
int OutstandingTextBlocks() { return static_cast<int>(Blocks().size()); }
int TextBlocksTaken() { return taken; }
void FailNextAllocation() { failNext = true; }
}  // namespace testing_support

namespace platform {

void* HeapTake(std::size_t size) {
  if (failNext) {
    failNext = false;
    return nullptr;
  }
  void* block = std::malloc(size == 0 ? 1 : size);
  Blocks().insert(block);
  ++taken;
  return block;
}

// Releasing a block this heap did not hand out is a fault of the caller:
// fail loudly rather than corrupt the test process.
void HeapRelease(void* block) {
  if (Blocks().erase(block) != 1) std::abort();
  std::free(block);
}

bool IsProgramConstant(const void* pointer) {
  const char* p = static_cast<const char*>(pointer);
  return p >= __executable_start && p < end;
}

}  // namespace platform

namespace app {
void ReportFatalError(const char* message, int code) {
  throw testing_support::FatalError(message == nullptr ? "" : message, code);
}
}  // namespace app

namespace payload {
std::span<const PayloadFile> PayloadFiles() { return kFiles; }
}  // namespace payload
