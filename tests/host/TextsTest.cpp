#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/FatalError.h"
#include "app/Texts.h"
#include "tests/host/TestSupport.h"

namespace app {
namespace {

using testing_support::OutstandingTextBlocks;
using testing_support::TextBlocksTaken;

TEST(TextLength, CountsBytesBeforeTheNulAndNothingForAMissingText) {
  EXPECT_EQ(TextLength(nullptr), 0u);
  EXPECT_EQ(TextLength(""), 0u);
  EXPECT_EQ(TextLength("D:\\Tarnby"), 9u);
  EXPECT_EQ(TextLength("安装"), 4u);  // two GBK characters, two bytes each
}

struct JoinCase {
  std::vector<const char*> parts;
  std::string joined;
};

void PrintTo(const JoinCase& c, std::ostream* os) { *os << c.joined; }

class JoinTextTest : public ::testing::TestWithParam<JoinCase> {};

TEST_P(JoinTextTest, JoinsInOneBlockThatTheCallerReleases) {
  const JoinCase& c = GetParam();
  const int before = TextBlocksTaken();
  char* joined = nullptr;
  switch (c.parts.size()) {
    case 1: joined = JoinText({c.parts[0]}); break;
    case 2: joined = JoinText({c.parts[0], c.parts[1]}); break;
    default: joined = JoinText({c.parts[0], c.parts[1], c.parts[2]}); break;
  }
  EXPECT_EQ(TextBlocksTaken() - before, 1) << "one block a join";
  EXPECT_EQ(std::string(joined), c.joined);
  EXPECT_EQ(OutstandingTextBlocks(), 1);
  FreeText(joined);
  EXPECT_EQ(OutstandingTextBlocks(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JoinTextTest,
    ::testing::Values(JoinCase{{"D:\\Tarnby", "\\VelkTest.exe"}, "D:\\Tarnby\\VelkTest.exe"},
                      JoinCase{{"D:\\New\\", "\\Help.avi"}, "D:\\New\\\\Help.avi"},
                      JoinCase{{nullptr, "\\Answer.ini"}, "\\Answer.ini"},
                      JoinCase{{"abc", nullptr}, "abc"},
                      JoinCase{{nullptr, nullptr}, ""},
                      JoinCase{{"only"}, "only"},
                      JoinCase{{"\"", "C:\\My Apps\\VelkTest.exe", "\""}, "\"C:\\My Apps\\VelkTest.exe\""}));

TEST(FreeText, IgnoresMissingAndConstantTexts) {
  static const char kConstant[] = "\\VelkTest.exe";
  FreeText(nullptr);
  FreeText(kConstant);
  FreeText("信息：");
  EXPECT_EQ(OutstandingTextBlocks(), 0);
  char* block = AllocText(10);
  FreeText(block);
  EXPECT_EQ(OutstandingTextBlocks(), 0);
}

TEST(AllocText, RunningOutOfMemoryIsAFatalErrorNamingTheSize) {
  testing_support::FailNextAllocation();
  try {
    AllocText(2431755);
    FAIL() << "AllocText returned without memory";
  } catch (const testing_support::FatalError& error) {
    EXPECT_STREQ(error.what(), "分配 2431755 字节内存失败!");
    EXPECT_EQ(error.code, 0);
  }
}

struct FatalTextCase {
  const char* message;
  int code;
  const char* text;
};

void PrintTo(const FatalTextCase& c, std::ostream* os) { *os << c.code; }

class FatalErrorTextTest : public ::testing::TestWithParam<FatalTextCase> {};

TEST_P(FatalErrorTextTest, ComposesTheReport) {
  char text[512];
  EXPECT_STREQ(ComposeFatalErrorText(GetParam().message, GetParam().code, text, sizeof text),
               GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FatalErrorTextTest,
    ::testing::Values(
        FatalTextCase{"载入启动窗口失败", 0, "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"},
        FatalTextCase{"载入窗口模板数据段出错!", -5,
                      "运行时出错!\r\n\r\n错误代码：-5\r\n\r\n错误信息：载入窗口模板数据段出错!\r\n"},
        FatalTextCase{"", 7, "运行时出错!\r\n\r\n错误代码：7\r\n\r\n"},
        FatalTextCase{nullptr, 0, "运行时出错!\r\n\r\n"}));

TEST(FatalErrorText, StaysWithinItsBuffer) {
  char text[16];
  ComposeFatalErrorText("a long message that does not fit", 12345, text, sizeof text);
  EXPECT_EQ(std::string(text).size(), sizeof text - 1);
}

}  // namespace
}  // namespace app
