#include "tests/e2e/Harness.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <utility>

#include "tests/e2e/Files.h"

namespace e2e {

namespace {
std::string& StoredInstallerPath() {
  static std::string path;
  return path;
}
}  // namespace

const std::string& InstallerPath() { return StoredInstallerPath(); }

void SetInstallerPath(std::string path) { StoredInstallerPath() = std::move(path); }

std::string TestFolder() {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(test->test_suite_name()) + "." + test->name();
  std::replace(name.begin(), name.end(), '/', '_');
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  const std::string folder = std::string(current) + "\\" + name;
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

std::string HarnessFolder() {
  char path[MAX_PATH * 2] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  return files::FolderOf(std::string(path, length < sizeof path ? length : 0));
}

}  // namespace e2e
