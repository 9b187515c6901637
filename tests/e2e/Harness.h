// What the harness was started with, for the tests to read.
#pragma once
#include <string>

namespace e2e {

// The installer under test: the first argument that is not a GoogleTest
// option, or else the environment variable QUORVANE_INSTALLER.
const std::string& InstallerPath();
void SetInstallerPath(std::string path);

// A folder of the running test's own, "<current folder>\<Suite>.<Test>",
// created if missing (tools/e2e.sh starts each run in an empty folder). For
// parameterised tests the '/' of the name becomes '_'.
std::string TestFolder();

// The folder QuorvaneE2E.exe lies in, where the programs built with it are.
std::string HarnessFolder();

}  // namespace e2e
