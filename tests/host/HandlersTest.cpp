#include <gtest/gtest.h>

#include <ostream>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "app/Handlers.h"
#include "app/Texts.h"
#include "tests/host/TestSupport.h"

namespace app {
namespace {

using window::Control;

std::string Show(const char* text) { return text == nullptr ? "<missing>" : text; }

// The window as the handlers see it. `路径` may change between reads, as if
// the user typed while a handler ran; each read is logged.
class FakeWindow final : public WindowServices {
 public:
  std::deque<std::string> contents{"D:\\Tarnby"};  // the last one stays
  std::set<Control> cleared;
  std::vector<std::string>* log = nullptr;
  int reads = 0;
  int closes = 0;

  char* ReadContent(Control editBox) override {
    EXPECT_EQ(editBox, Control::路径);
    ++reads;
    const std::string content = contents.front();
    if (contents.size() > 1) contents.pop_front();
    return content.empty() ? nullptr : JoinText({content.c_str()});
  }
  int ReadChecked(Control checkBox) override { return cleared.count(checkBox) != 0 ? 0 : 1; }
  void SetVisible(Control control, bool visible) override {
    log->push_back(std::string("hide ") + (control == Control::外形框1 ? "外形框1" : "?") +
                   (visible ? " shown" : ""));
  }
  void ScheduleClose() override {
    ++closes;
    log->push_back("close");
  }
};

class FakeSystem final : public platform::Operations {
 public:
  std::set<std::string> folders;
  bool creatable = true;
  std::set<std::string> unwritable;
  const char* desktop = "C:\\Users\\u\\Desktop";
  std::vector<std::string>* log = nullptr;

  bool FolderExists(const char* path) override {
    log->push_back("exists? " + Show(path));
    return folders.count(path) != 0;
  }
  bool CreateFolder(const char* path) override {
    log->push_back("create " + Show(path));
    if (creatable) folders.insert(path);
    return creatable;
  }
  bool WriteWholeFile(const char* name, const void*, std::uint32_t size) override {
    log->push_back("write " + Show(name) + " " + std::to_string(size));
    return unwritable.count(name) == 0;
  }
  void ShowMessage(const char* text, const char* caption) override {
    log->push_back("message " + Show(caption) + " " + Show(text));
  }
  char* DesktopFolder() override { return desktop == nullptr ? nullptr : JoinText({desktop}); }
  char* AbsolutePath(const char* path) override {
    const std::string typed = Show(path);
    const bool absolute = typed.size() > 1 && typed[1] == ':';
    return JoinText({absolute ? "" : "C:\\Setup\\", path});
  }
  bool CreateShortcut(const char* linkPath, const char* target) override {
    log->push_back("shortcut " + Show(linkPath) + " -> " + Show(target));
    return true;
  }
  bool StartProgram(const char* program) override {
    log->push_back("start " + Show(program));
    return true;
  }
  bool OpenDocument(const char* document) override {
    log->push_back("open " + Show(document));
    return true;
  }
};

class HandlersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.log = &log;
    system.log = &log;
  }
  void TearDown() override {
    EXPECT_EQ(testing_support::OutstandingTextBlocks(), 0) << "a text was not released";
  }

  std::vector<std::string> log;
  FakeWindow window;
  FakeSystem system;
  HandlerContext context{window, system};
};

std::vector<std::string> Writes(const std::string& folder) {
  return {"write " + folder + "\\VelkTest.exe 5", "write " + folder + "\\Answer.ini 9",
          "write " + folder + "\\Install.ini 6", "write " + folder + "\\Help.avi 4"};
}

std::vector<std::string> Then(std::vector<std::string> first, const std::vector<std::string>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

TEST_F(HandlersTest, InstallIntoAnExistingFolderWritesTheFourFilesInOrderThenSwitchesPanels) {
  system.folders.insert("D:\\Tarnby");
  OnInstallClicked(context);
  EXPECT_EQ(log, Then(Then({"exists? D:\\Tarnby"}, Writes("D:\\Tarnby")), {"hide 外形框1"}));
  EXPECT_EQ(window.reads, 5) << "the folder is read afresh for every step";
}

TEST_F(HandlersTest, InstallCreatesAMissingFolderFirst) {
  OnInstallClicked(context);
  EXPECT_EQ(log, Then(Then({"exists? D:\\Tarnby", "create D:\\Tarnby"}, Writes("D:\\Tarnby")),
                      {"hide 外形框1"}));
}

TEST_F(HandlersTest, AFolderThatCannotBeCreatedGivesTheMessageAndWritesNothing) {
  system.creatable = false;
  OnInstallClicked(context);
  EXPECT_EQ(log, (std::vector<std::string>{"exists? D:\\Tarnby", "create D:\\Tarnby",
                                           "message 信息： 路径不可用，请尝试安装到其他目录"}));
}

TEST_F(HandlersTest, AnEmptyPathIsPassedOnAsTheEmptyText) {
  window.contents = {""};
  system.creatable = false;
  OnInstallClicked(context);
  EXPECT_EQ(log, (std::vector<std::string>{"exists? ", "create ",
                                           "message 信息： 路径不可用，请尝试安装到其他目录"}));
}

TEST_F(HandlersTest, APathIsUsedExactlyAsTypedWithATrailingBackslashDoubled) {
  window.contents = {"D:\\New\\"};
  OnInstallClicked(context);
  EXPECT_EQ(log, Then(Then({"exists? D:\\New\\", "create D:\\New\\"}, Writes("D:\\New\\")),
                      {"hide 外形框1"}));
}

TEST_F(HandlersTest, EachStepReadsThePathAfresh) {
  window.contents = {"D:\\A", "D:\\B", "D:\\C", "D:\\D", "D:\\E", "D:\\F"};
  OnInstallClicked(context);
  EXPECT_EQ(log, (std::vector<std::string>{"exists? D:\\A", "create D:\\B", "write D:\\C\\VelkTest.exe 5",
                                           "write D:\\D\\Answer.ini 9", "write D:\\E\\Install.ini 6",
                                           "write D:\\F\\Help.avi 4", "hide 外形框1"}));
}

class WriteRefusedTest : public HandlersTest, public ::testing::WithParamInterface<int> {};

TEST_P(WriteRefusedTest, StopsAtTheFileNamesItAndKeepsTheInstallPanel) {
  system.folders.insert("D:\\Tarnby");
  const std::vector<std::string> writes = Writes("D:\\Tarnby");
  const int refused = GetParam();
  const std::string name = writes[refused].substr(6, writes[refused].rfind(' ') - 6);
  system.unwritable.insert(name);
  OnInstallClicked(context);
  std::vector<std::string> expected{"exists? D:\\Tarnby"};
  expected.insert(expected.end(), writes.begin(), writes.begin() + refused + 1);
  expected.push_back("message 信息： 无法写入文件：" + name +
                     "\r\n请关闭正在使用该文件的程序，或尝试安装到其他目录");
  EXPECT_EQ(log, expected);
}

INSTANTIATE_TEST_SUITE_P(EveryFile, WriteRefusedTest, ::testing::Values(0, 1, 2, 3));

TEST_F(HandlersTest, TheExitLinkSchedulesTheClose) {
  OnExitLinkReleased(context, 5, 7, 2);
  EXPECT_EQ(log, (std::vector<std::string>{"close"}));
}

struct FinishCase {
  const char* what;
  std::set<Control> cleared;
  const char* folder;
  std::vector<std::string> steps;
};

void PrintTo(const FinishCase& c, std::ostream* os) { *os << c.what; }

class FinishTest : public HandlersTest, public ::testing::WithParamInterface<FinishCase> {};

TEST_P(FinishTest, RunsTheChosenStepsInOrderThenClosesOnce) {
  window.cleared = GetParam().cleared;
  window.contents = {GetParam().folder};
  OnFinishClicked(context);
  EXPECT_EQ(log, Then(GetParam().steps, {"close"})) << GetParam().what;
  EXPECT_EQ(window.closes, 1);
}

const std::string kLink = "shortcut C:\\Users\\u\\Desktop\\Quorvane -> ";

INSTANTIATE_TEST_SUITE_P(
    Cases, FinishTest,
    ::testing::Values(
        FinishCase{"all three",
                   {},
                   "D:\\Tarnby",
                   {kLink + "D:\\Tarnby\\VelkTest.exe", "start D:\\Tarnby\\VelkTest.exe",
                    "open D:\\Tarnby\\Help.avi"}},
        FinishCase{"none", {Control::创建快捷方式, Control::运行, Control::查看视频教程}, "D:\\Tarnby", {}},
        FinishCase{"shortcut only", {Control::运行, Control::查看视频教程}, "D:\\Tarnby",
                   {kLink + "D:\\Tarnby\\VelkTest.exe"}},
        FinishCase{"start only", {Control::创建快捷方式, Control::查看视频教程}, "C:\\My Apps",
                   {"start C:\\My Apps\\VelkTest.exe"}},
        FinishCase{"tutorial only", {Control::创建快捷方式, Control::运行}, "D:\\Tarnby",
                   {"open D:\\Tarnby\\Help.avi"}},
        FinishCase{"a relative folder gives absolute targets", {}, "abc",
                   {kLink + "C:\\Setup\\abc\\VelkTest.exe", "start C:\\Setup\\abc\\VelkTest.exe",
                    "open abc\\Help.avi"}}));

TEST_F(HandlersTest, WithoutADesktopFolderTheShortcutIsSkippedAndTheRestGoesOn) {
  system.desktop = nullptr;
  OnFinishClicked(context);
  EXPECT_EQ(log, (std::vector<std::string>{"start D:\\Tarnby\\VelkTest.exe", "open D:\\Tarnby\\Help.avi",
                                           "close"}));
}

}  // namespace
}  // namespace app
