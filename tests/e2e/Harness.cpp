#include "tests/e2e/Harness.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <utility>

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
  std::string folder(path, length < sizeof path ? length : 0);
  // Cut at the last backslash, walking by characters (GBK-safe).
  const char* last = nullptr;
  for (const char* p = folder.c_str(); *p != '\0'; p = CharNextA(p))
    if (*p == '\\') last = p;
  return last == nullptr ? std::string() : folder.substr(0, static_cast<std::size_t>(last - folder.c_str()));
}

}  // namespace e2e
