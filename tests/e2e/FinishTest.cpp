// Pressing 完成 on the completion panel, after a real install: each checked
// box does its step (desktop shortcut, starting the installed program,
// opening the video tutorial) and the installer closes with exit code 0.
#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <memory>
#include <string>

#include "payload/Payload.h"
#include "tests/e2e/Controls.h"
#include "tests/e2e/FinishSupport.h"
#include "tests/e2e/Files.h"
#include "tests/e2e/Harness.h"
#include "tests/e2e/InstallerFixture.h"
#include "tests/e2e/Wait.h"

namespace e2e {
namespace {

using namespace finish;

constexpr char kDefaultFolder[] = "D:\\Tarnby";
constexpr char kShortcutFile[] = "\\Quorvane.lnk";
constexpr char kProgram[] = "\\VelkTest.exe";
constexpr char kProgramLog[] = "\\VelkTest.log";
constexpr char kTutorial[] = "\\Help.avi";

// How long a started program or the tutorial's handler may take to show.
constexpr DWORD kEffectMs = 10000;
// How long to keep watching for an effect that must not happen, counted
// after the installer has exited and the expected effects have shown.
// (Under Wine the tutorial's handler writes its record well within 1 s.)
constexpr DWORD kSettleMs = 2500;

// What pressing 完成 is to leave behind.
struct Effects {
  bool shortcut;
  bool program;
  bool tutorial;
};

class FinishTest : public InstallerFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    comStarted_ = true;
    // A stand-in program still running from an earlier test would hold its
    // file open and spoil the install.
    EndProcessesWithWindow(kStandInWindowClass);
    record_ = TestFolder() + "\\tutorial-opened.txt";
    recorder_ = std::make_unique<OpenRecorder>(".avi", record_);
    ASSERT_EQ(recorder_->Error(), "");
    const std::string desktop = DesktopFolder();
    ASSERT_FALSE(desktop.empty()) << "no desktop folder in this prefix";
    shortcut_ = desktop + kShortcutFile;
    // The prefix and drive D: are shared by the tests of one run.
    ASSERT_TRUE(files::RemoveAll(shortcut_)) << shortcut_;
    ASSERT_TRUE(files::RemoveAll(std::string(kDefaultFolder) + kProgramLog));
    InstallerFixture::SetUp();
  }

  void TearDown() override {
    // The started program stays open; it must not outlive the test.
    EndProcessesWithWindow(kStandInWindowClass);
    InstallerFixture::TearDown();
    recorder_.reset();
    if (comStarted_) CoUninitialize();
  }

  // Types `folder` into 路径 and checks that it took.
  void EnterFolder(const std::string& folder) {
    ASSERT_TRUE(controls::TypeInto(Window(), k路径, folder))
        << "the path box reads \"" << controls::Text(controls::Find(Window(), k路径))
        << "\" after typing \"" << folder << "\"";
  }

  void Install() {
    ASSERT_TRUE(controls::InstallAndShowCompletionPanel(Window(), 15000))
        << "the completion panel did not replace the install panel after 安装";
  }

  // Clears the given boxes by real clicks; checks that exactly they are
  // unchecked afterwards.
  void ClearBoxes(const Effects& kept) {
    const struct {
      int id;
      bool keep;
    } boxes[] = {{k创建快捷方式, kept.shortcut}, {k运行, kept.program}, {k查看视频教程, kept.tutorial}};
    for (const auto& box : boxes) {
      HWND control = controls::Find(Window(), box.id);
      ASSERT_NE(control, nullptr) << "no check box " << box.id;
      ASSERT_TRUE(controls::Visible(control)) << "check box " << box.id << " is not shown";
      ASSERT_TRUE(controls::Checked(control)) << "check box " << box.id << " starts unchecked";
      if (!box.keep) {
        ASSERT_TRUE(controls::Click(Window(), box.id)) << "cannot click box " << box.id;
      }
    }
    for (const auto& box : boxes) {
      ASSERT_TRUE(WaitUntil(
          [&] { return controls::Checked(controls::Find(Window(), box.id)) == box.keep; }, 2000))
          << "check box " << box.id << " should be " << (box.keep ? "checked" : "unchecked");
    }
  }

  void PressFinishAndExpectExitCodeZero() {
    ASSERT_TRUE(controls::Click(Window(), k完成)) << "cannot click 完成";
    const auto exitCode = Installer().WaitForExit(15000);
    ASSERT_TRUE(exitCode.has_value()) << "the installer still runs 15 s after 完成";
    EXPECT_EQ(*exitCode, 0u);
  }

  // Checks what 完成 left behind for the install folder `folder` (absolute):
  // each expected effect in full, then, after a while, that no other one
  // happened.
  void ExpectEffects(const Effects& expected, const std::string& folder) {
    const std::string program = folder + kProgram;
    const std::string log = folder + kProgramLog;
    if (expected.shortcut) {
      ASSERT_TRUE(files::IsFile(shortcut_)) << "no shortcut " << shortcut_;
      const ShellLink link = ReadShellLink(shortcut_);
      ASSERT_EQ(link.error, "");
      EXPECT_EQ(link.path, program);
      // As written: SW_SHOW. (Read back through GetShowCmd, Wine reports
      // SW_SHOWNORMAL for it; see FinishSupport.h.)
      EXPECT_EQ(link.headerShowCommand, SW_SHOW) << "GetShowCmd gives " << link.loadedShowCommand;
      EXPECT_EQ(link.arguments, "");
      EXPECT_EQ(link.workingDirectory, "");
      EXPECT_EQ(link.description, "");
      EXPECT_EQ(link.iconLocation, "");
      EXPECT_EQ(link.hotkey, 0);
    }
    if (expected.program) {
      std::string content;
      const bool logged = WaitUntil(
          [&] {
            content = files::ReadWholeFile(log).value_or("");
            return content.size() >= 2 && content.compare(content.size() - 2, 2, "\r\n") == 0;
          },
          kEffectMs);
      ASSERT_TRUE(logged) << "the installed program did not start: no line in " << log;
      const auto lines = Lines(content);
      ASSERT_EQ(lines.size(), 1u) << "started more than once:\n" << content;
      // Quoted full path as its command line; the installer's folder as its
      // current folder (the installer runs from the test's folder).
      EXPECT_EQ(lines[0], "command line: \"" + program + "\" | current folder: " + TestFolder());
    }
    if (expected.tutorial) {
      std::string content;
      const bool opened = WaitUntil(
          [&] {
            content = files::ReadWholeFile(record_).value_or("");
            return content.find("\r\n") != std::string::npos;
          },
          kEffectMs);
      ASSERT_TRUE(opened) << "the tutorial was not opened: no record " << record_;
      EXPECT_EQ(Lines(content), std::vector<std::string>{folder + kTutorial});
    }
    Pause(kSettleMs);
    if (!expected.shortcut) {
      EXPECT_FALSE(files::IsFile(shortcut_)) << "unexpected " << shortcut_;
    }
    if (!expected.program) {
      EXPECT_FALSE(files::IsFile(log)) << "the program was started:\n" << files::ReadWholeFile(log).value_or("");
      EXPECT_TRUE(ProcessesWithWindow(kStandInWindowClass).empty()) << "a stand-in program runs";
    }
    if (!expected.tutorial) {
      EXPECT_FALSE(files::IsFile(record_)) << "the tutorial was opened: "
                                        << files::ReadWholeFile(record_).value_or("");
    }
  }

  std::string shortcut_;
  std::string record_;

 private:
  bool comStarted_ = false;
  std::unique_ptr<OpenRecorder> recorder_;
};

// Which boxes stay checked; the others are cleared by clicks before 完成.
struct BoxesCase {
  const char* name;
  Effects kept;
};

class FinishBoxesTest : public FinishTest, public testing::WithParamInterface<BoxesCase> {};

TEST_P(FinishBoxesTest, EachCheckedBoxDoesItsStepAndTheInstallerCloses) {
  const Effects kept = GetParam().kept;
  Activate();
  ASSERT_EQ(controls::Text(controls::Find(Window(), k路径)), kDefaultFolder);
  ASSERT_NO_FATAL_FAILURE(Install());
  ASSERT_NO_FATAL_FAILURE(ClearBoxes(kept));
  ASSERT_NO_FATAL_FAILURE(PressFinishAndExpectExitCodeZero());
  ExpectEffects(kept, kDefaultFolder);
}

// No prefix: the names start with the suite's, FinishBoxesTest.
INSTANTIATE_TEST_SUITE_P(
    , FinishBoxesTest,
    testing::Values(
        //        name               shortcut program tutorial  (checked)
        BoxesCase{"AllChecked",      {true,  true,  true}},
        BoxesCase{"ShortcutCleared", {false, true,  true}},
        BoxesCase{"RunCleared",      {true,  false, true}},
        BoxesCase{"TutorialCleared", {true,  true,  false}},
        BoxesCase{"NoneChecked",     {false, false, false}}),
    [](const testing::TestParamInfo<BoxesCase>& row) { return std::string(row.param.name); });

// With a space in the folder, only the installed program may run: a program
// at the path cut off at the space ("C:\My.exe") must not.
TEST_F(FinishTest, ProgramInAFolderWithASpaceRunsAndNoDecoyDoes) {
  const std::string folder = "C:\\My Apps";
  const std::string decoy = "C:\\My.exe";
  const std::string decoyLog = "C:\\VelkTest.log";  // the stand-in logs beside itself
  ASSERT_TRUE(files::RemoveAll(folder + kProgramLog));
  ASSERT_TRUE(files::RemoveAll(decoyLog));
  const payload::PayloadFile& program = payload::PayloadFiles()[0];
  ASSERT_STREQ(program.nameSuffix, kProgram);
  ASSERT_TRUE(files::WriteWholeFile(decoy, std::string_view(reinterpret_cast<const char*>(program.bytes), program.size()))) << "cannot plant " << decoy;

  Activate();
  ASSERT_NO_FATAL_FAILURE(EnterFolder(folder));
  ASSERT_NO_FATAL_FAILURE(Install());
  ASSERT_NO_FATAL_FAILURE(ClearBoxes({true, true, true}));
  ASSERT_NO_FATAL_FAILURE(PressFinishAndExpectExitCodeZero());
  ExpectEffects({true, true, true}, folder);
  EXPECT_FALSE(files::IsFile(decoyLog)) << "the decoy " << decoy << " ran:\n"
                                     << files::ReadWholeFile(decoyLog).value_or("");
  EndProcessesWithWindow(kStandInWindowClass);
  files::RemoveAll(decoy);
}

// A relative folder counts from the installer's own folder; the shortcut and
// the started program get the absolute path.
TEST_F(FinishTest, RelativeFolderGivesAbsoluteShortcutTargetAndProgramPath) {
  Activate();
  ASSERT_NO_FATAL_FAILURE(EnterFolder("abc"));
  ASSERT_NO_FATAL_FAILURE(Install());
  ASSERT_NO_FATAL_FAILURE(ClearBoxes({true, true, false}));
  ASSERT_NO_FATAL_FAILURE(PressFinishAndExpectExitCodeZero());
  // The installer was copied into the test's folder and runs from there.
  ExpectEffects({true, true, false}, TestFolder() + "\\abc");
}

}  // namespace
}  // namespace e2e
