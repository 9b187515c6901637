// The Win32 platform layer on its own, against the real file system: what
// counts as an existing folder, one-level folder creation, and replacing a
// file so that it is always either its old or its whole new content.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/Texts.h"
#include "platform/Win32Operations.h"
#include "tests/e2e/Files.h"
#include "tests/e2e/Harness.h"

namespace {

// The whole content, or "<unreadable>" while the file cannot be opened.
std::string ReadRaw(const std::string& name) { return e2e::files::ReadWholeFile(name).value_or("<unreadable>"); }

class Win32OperationsTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = e2e::TestFolder();
    CreateDirectoryA((folder_ + "\\dir").c_str(), nullptr);
    ASSERT_TRUE(e2e::files::WriteWholeFile(folder_ + "\\file.txt", "old"));
  }
  std::string At(const std::string& name) const { return folder_ + "\\" + name; }

  platform::Win32Operations system_;
  std::string folder_;
};

struct ExistenceCase {
  const char* what;
  std::string path;  // "@" stands for the test's folder
  bool exists;
};

void PrintTo(const ExistenceCase& c, std::ostream* os) { *os << c.what; }

class FolderExistsTest : public Win32OperationsTest, public testing::WithParamInterface<ExistenceCase> {};

TEST_P(FolderExistsTest, OnlyAnExistingFolderCountsHoweverItIsWritten) {
  std::string path = GetParam().path;
  if (!path.empty() && path[0] == '@') path = folder_ + path.substr(1);
  EXPECT_EQ(system_.FolderExists(path.c_str()), GetParam().exists) << path;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FolderExistsTest,
    testing::Values(ExistenceCase{"a folder", "@\\dir", true},
                    ExistenceCase{"a folder with a trailing backslash", "@\\dir\\", true},
                    ExistenceCase{"a drive root", "C:\\", true},
                    ExistenceCase{"a drive without its backslash", "C:", true},
                    ExistenceCase{"an existing file", "@\\file.txt", false},
                    ExistenceCase{"a wildcard that matches a folder", "@\\di*", false},
                    ExistenceCase{"a wildcard that matches a file", "@\\*.txt", false},
                    ExistenceCase{"nothing there", "@\\missing", false},
                    ExistenceCase{"an empty path", "", false},
                    ExistenceCase{"the current folder", ".", true}));

TEST_F(Win32OperationsTest, CreatesOneFolderLevelOnly) {
  EXPECT_TRUE(system_.CreateFolder(At("new").c_str()));
  EXPECT_TRUE(system_.FolderExists(At("new").c_str()));
  EXPECT_FALSE(system_.CreateFolder(At("a\\b").c_str()));
  EXPECT_FALSE(system_.FolderExists(At("a").c_str())) << "no missing parent is made";
  EXPECT_FALSE(system_.CreateFolder(At("dir").c_str())) << "an existing folder is not created";
}

TEST_F(Win32OperationsTest, WritesTheWholeBlockAndReplacesAnExistingFile) {
  const std::string content(3 * 1024 * 1024 + 7, 'x');
  EXPECT_TRUE(system_.WriteWholeFile(At("file.txt").c_str(), content.data(), static_cast<std::uint32_t>(content.size())));
  EXPECT_EQ(ReadRaw(At("file.txt")), content);
  EXPECT_TRUE(system_.WriteWholeFile(At("dir\\\\new.bin").c_str(), "abc", 3)) << "a doubled backslash is one";
  EXPECT_EQ(ReadRaw(At("dir\\new.bin")), "abc");
  EXPECT_TRUE(system_.WriteWholeFile(At("empty.bin").c_str(), "", 0));
  EXPECT_EQ(ReadRaw(At("empty.bin")), "");
  EXPECT_EQ(e2e::files::Entries(folder_).size(), 3u) << "no temporary file is left";
}

TEST_F(Win32OperationsTest, AReadOnlyFileIsRefusedAndKeptAsItWas) {
  SetFileAttributesA(At("file.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(system_.WriteWholeFile(At("file.txt").c_str(), "new content", 11));
  SetFileAttributesA(At("file.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadRaw(At("file.txt")), "old");
  EXPECT_EQ(e2e::files::Entries(folder_).size(), 2u) << "no temporary file is left";
}

TEST_F(Win32OperationsTest, AFileHeldOpenIsRefusedAndKeptAsItWas) {
  HANDLE held = CreateFileA(At("file.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(system_.WriteWholeFile(At("file.txt").c_str(), "new content", 11));
  CloseHandle(held);
  EXPECT_EQ(ReadRaw(At("file.txt")), "old");
  EXPECT_EQ(e2e::files::Entries(folder_).size(), 2u) << "no temporary file is left";
}

TEST_F(Win32OperationsTest, ANameInAMissingFolderOrAFolderIsRefused) {
  EXPECT_FALSE(system_.WriteWholeFile(At("missing\\file.txt").c_str(), "x", 1));
  EXPECT_FALSE(system_.WriteWholeFile(At("dir").c_str(), "x", 1));
  EXPECT_FALSE(system_.WriteWholeFile("", "x", 1));
  EXPECT_EQ(e2e::files::Entries(At("dir")).size(), 0u);
}

TEST_F(Win32OperationsTest, AReplacedFileIsNeverSeenPartlyWritten) {
  const std::string first(512 * 1024, 'a');
  const std::string second(512 * 1024 + 4096, 'b');
  const std::string name = At("watched.bin");
  ASSERT_TRUE(system_.WriteWholeFile(name.c_str(), first.data(), static_cast<std::uint32_t>(first.size())));
  std::atomic<bool> done{false};
  std::atomic<int> reads{0}, torn{0};
  std::thread reader([&] {
    while (!done) {
      Sleep(20);  // leave the writer moments in which nobody holds the file
      const std::string seen = ReadRaw(name);
      if (seen == "<unreadable>") continue;
      ++reads;
      if (seen != first && seen != second) ++torn;
    }
  });
  int replaced = 0;
  for (int round = 0; round < 40; ++round) {
    const std::string& next = round % 2 == 0 ? second : first;
    replaced += system_.WriteWholeFile(name.c_str(), next.data(), static_cast<std::uint32_t>(next.size())) ? 1 : 0;
    Sleep(5);
  }
  done = true;
  reader.join();
  EXPECT_GT(replaced, 0);
  EXPECT_GT(reads.load(), 0);
  EXPECT_EQ(torn.load(), 0) << "a reader saw a file that was neither old nor whole";
}

TEST_F(Win32OperationsTest, AbsolutePathCountsFromTheCurrentFolder) {
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  char* absolute = system_.AbsolutePath("abc\\VelkTest.exe");
  ASSERT_NE(absolute, nullptr);
  EXPECT_EQ(std::string(absolute), std::string(current) + "\\abc\\VelkTest.exe");
  app::FreeText(absolute);
}

}  // namespace
