// The planting tests' control program: it does NOT restrict its DLL search,
// so a version.dll planted beside it is what LoadLibraryA("version.dll")
// finds when Wine is told to prefer native copies. It shows that the test's
// checks (marker file, module list) see planting when it happens.
//
//   PlantingControl.exe EVENT_NAME
//
// Loads version.dll, then stays running until the named event is set (at most
// 20 s) so that the test can list its modules. Exit code 0 if version.dll was
// loaded (from wherever), 1 if not, 2 on a wrong command line.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: PlantingControl.exe EVENT_NAME\n");
    return 2;
  }
  HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, argv[1]);
  HMODULE version = LoadLibraryA("version.dll");
  char path[MAX_PATH] = {};
  if (version != nullptr) GetModuleFileNameA(version, path, MAX_PATH);
  std::printf("PlantingControl: version.dll %s %s\n", version != nullptr ? "loaded from" : "not loaded",
              path);
  std::fflush(stdout);
  if (release != nullptr) {
    WaitForSingleObject(release, 20000);
    CloseHandle(release);
  }
  return version != nullptr ? 0 : 1;
}
