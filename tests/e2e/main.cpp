// The end-to-end harness: QuorvaneE2E.exe [--gtest_...] INSTALLER_EXE
// drives the installer with real input and reads its window back.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "tests/e2e/Harness.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);  // removes the --gtest_ options
  if (argc > 1) {
    e2e::SetInstallerPath(argv[1]);
  } else if (const char* fromEnvironment = std::getenv("QUORVANE_INSTALLER")) {
    e2e::SetInstallerPath(fromEnvironment);
  }
  if (e2e::InstallerPath().empty() && !GTEST_FLAG_GET(list_tests)) {
    std::fprintf(stderr, "usage: QuorvaneE2E.exe [--gtest_...] INSTALLER_EXE\n"
                         "       (or set QUORVANE_INSTALLER)\n");
    return 2;
  }
  return RUN_ALL_TESTS();
}
