// Installing with real input: 安装 pressed on the folder typed in 路径, what
// lands on the disk, the messages for a folder that cannot be used and for a
// file that cannot be written, and the completion panel.
//
// Every installer here lies in "<test folder>\program" and is started with
// "<test folder>\started-from" as its current folder, so that a relative
// path shows which of the two it counts from. D:\ is shared by all tests of
// a run: the names these tests use there are removed before and after each.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "payload/Payload.h"
#include "tests/e2e/Controls.h"
#include "tests/e2e/Harness.h"
#include "tests/e2e/Files.h"
#include "tests/e2e/Input.h"
#include "tests/e2e/InstallSupport.h"
#include "tests/e2e/InstallerFixture.h"
#include "tests/e2e/InstallerProcess.h"
#include "tests/e2e/Screen.h"

namespace e2e {
namespace {

using install::MessageBoxSeen;

constexpr int kCheckBoxes[] = {k创建快捷方式, k运行, k查看视频教程};

constexpr char kDefaultFolder[] = "D:\\Tarnby";
constexpr char kInfoCaption[] = "信息：";
constexpr char kPathUnusable[] = "路径不可用，请尝试安装到其他目录";
constexpr char kFinished[] = "安装完成";

std::string WriteFailed(const std::string& file) {
  return "无法写入文件：" + file + "\r\n" + "请关闭正在使用该文件的程序，或尝试安装到其他目录";
}

// The small drive of tools/e2e.sh (a 1 MiB file system), for a full disk.
constexpr char kSmallDriveRoot[] = "F:\\";
constexpr char kSmallDriveFolder[] = "F:\\Small";

std::vector<payload::PayloadFile> Payload() {
  const auto files = payload::PayloadFiles();
  return {files.begin(), files.end()};
}
std::string Bytes(const payload::PayloadFile& file) {
  return std::string(reinterpret_cast<const char*>(file.bytes), file.size());
}
// "VelkTest.exe" for "\VelkTest.exe".
std::string NameOf(const payload::PayloadFile& file) { return file.nameSuffix + 1; }

// What the test sees after 安装: the completion panel, a message box, or
// neither in time.
enum class Outcome { Completed, Message, Nothing };

void PrintTo(Outcome outcome, std::ostream* os) {
  *os << (outcome == Outcome::Completed ? "the completion panel"
          : outcome == Outcome::Message ? "a message box"
                                        : "neither the completion panel nor a message box in 20 s");
}

class InstallTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = TestFolder();
    RemoveOurNames();
    installer_ = std::make_unique<InstallerProcess>(InstallerPath(), ProgramFolder(),
                                                    folder_ + "\\started-from");
    ASSERT_TRUE(installer_->Started()) << installer_->StartError();
    window_ = installer_->WaitForWindow();
    ASSERT_NE(window_, nullptr) << "no installer window within 20 s";
    ASSERT_TRUE(input::BringToForeground(window_, kEmptySpot))
        << "the installer window did not become the foreground window";
  }

  // A running installer is asked to close, a message box left open by a
  // failed test first; InstallerProcess ends and reports one that stays.
  void TearDown() override {
    if (installer_ && installer_->Running()) {
      for (int i = 0; i < 5; ++i) {
        HWND box = FindMessageBox(installer_->ProcessId());
        if (box == nullptr) break;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        WaitUntil([&] { return !IsWindow(box); }, 1000);
      }
      if (window_ != nullptr) PostMessageA(window_, WM_CLOSE, 0, 0);
      installer_->WaitForExit(5000);
    }
    installer_.reset();
    RemoveOurNames();
  }

  std::string ProgramFolder() const { return folder_ + "\\program"; }
  // Everything the installer could touch: drive D: and the test's folder
  // (the installer's own folder and the one it was started from).
  install::Tree Disk() const {
    install::Tree tree;
    install::AddTree("D:\\", tree);
    install::AddTree(folder_, tree);
    return tree;
  }

  HWND Control(int id) const { return controls::Find(window_, id); }

  // Replaces the text of 路径 with real keys.
  void TypePath(const std::string& path) {
    ASSERT_TRUE(input::BringToForeground(window_, kEmptySpot));
    ASSERT_TRUE(controls::TypeInto(window_, k路径, path))
        << "路径 shows \"" << controls::Text(Control(k路径)) << "\" after typing \"" << path << "\"";
  }

  // Clicks 安装 and waits for the completion panel or a message box.
  Outcome PressInstall() {
    HWND button = Control(k安装);
    EXPECT_TRUE(button != nullptr && controls::Visible(button)) << "安装 is not there to press";
    if (button == nullptr) return Outcome::Nothing;
    const POINT centre = controls::CentreOnScreen(button);
    EXPECT_TRUE(input::ClickAt(centre.x, centre.y));
    Outcome outcome = Outcome::Nothing;
    WaitUntil(
        [&] {
          if (FindMessageBox(installer_->ProcessId()) != nullptr) {
            outcome = Outcome::Message;
          } else if (!controls::Visible(Control(k外形框1))) {
            outcome = Outcome::Completed;
          }
          return outcome != Outcome::Nothing;
        },
        20000);
    return outcome;
  }

  // Reads the message box that is up and checks its form: caption "信息：",
  // no owner, one OK button, the installer window disabled (task-modal).
  MessageBoxSeen ReadMessage() {
    const auto box = install::WaitForMessageBox(installer_->ProcessId(), 5000);
    if (!box) {
      ADD_FAILURE() << "no message box";
      return {};
    }
    EXPECT_EQ(box->caption, kInfoCaption);
    EXPECT_EQ(box->owner, nullptr) << "the message box has an owner window";
    EXPECT_EQ(box->buttonTexts.size(), 1u) << "the message box should have one button";
    EXPECT_NE(box->okButton, nullptr) << "the message box has no OK button";
    EXPECT_FALSE(IsWindowEnabled(window_)) << "the installer window takes input beside the box";
    return *box;
  }

  void CloseMessage(const MessageBoxSeen& box) {
    ASSERT_TRUE(install::ClickOk(box)) << "the message box did not close when OK was clicked";
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(window_) != FALSE; }, 2000))
        << "the installer window stays disabled after the message";
  }

  void ExpectInstallPanel() {
    EXPECT_TRUE(controls::Visible(Control(k外形框1))) << "the install panel is gone";
    EXPECT_TRUE(controls::Visible(Control(k安装))) << "安装 is not visible";
    // The completion panel lies beneath, shown but covered: at 安装's place
    // the pointer finds 安装 itself.
    EXPECT_EQ(WindowFromPoint(controls::CentreOnScreen(Control(k安装))), Control(k安装))
        << "安装 is not the window at its own place";
  }

  void ExpectCompletionPanel() {
    EXPECT_FALSE(controls::Visible(Control(k外形框1))) << "the install panel is still shown";
    EXPECT_FALSE(controls::Visible(Control(k安装)));
    EXPECT_TRUE(controls::Visible(Control(k外形框2)));
    EXPECT_TRUE(controls::Visible(Control(k完成))) << "完成 is not visible";
    EXPECT_EQ(WindowFromPoint(controls::CentreOnScreen(Control(k完成))), Control(k完成))
        << "完成 is not the window at its own place";
    EXPECT_TRUE(controls::Visible(Control(k标签2)));
    EXPECT_EQ(controls::Text(Control(k标签2)), kFinished);
    for (int id : kCheckBoxes) {
      EXPECT_TRUE(controls::Visible(Control(id))) << "check box " << id;
      EXPECT_TRUE(controls::Checked(Control(id))) << "check box " << id;
    }
    EXPECT_EQ(FindMessageBox(installer_->ProcessId()), nullptr)
        << "a message box came with the completion panel";
  }

  // The four files in `folder`, each with its exact bytes, and nothing else.
  void ExpectWholePayloadIn(const std::string& folder) {
    const std::optional<std::string> mismatch = install::PayloadMismatch(folder);
    EXPECT_FALSE(mismatch.has_value()) << mismatch.value_or("");
    std::vector<std::string> names;
    for (const auto& file : Payload()) names.push_back(NameOf(file));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(files::Entries(folder), names) << "in " << folder << " (a temporary file left?)";
  }

  // Types `folder`, presses 安装 and expects the completion panel and the
  // payload there (the folder may exist or be new).
  void InstallInto(const std::string& folder) {
    ASSERT_NO_FATAL_FAILURE(TypePath(folder));
    ASSERT_EQ(PressInstall(), Outcome::Completed) << "installing into " << folder;
    ExpectCompletionPanel();
    ExpectWholePayloadIn(folder);
  }

  HWND Window() const { return window_; }
  std::string folder_;
  std::unique_ptr<InstallerProcess> installer_;

 private:
  void RemoveOurNames() {
    for (const char* name : {"D:\\Tarnby", "D:\\New", "D:\\a", "D:\\file.txt"}) {
      EXPECT_TRUE(files::RemoveAll(name)) << "cannot remove " << name;
    }
    for (const auto& file : Payload()) {
      EXPECT_TRUE(files::RemoveAll(std::string("D:") + file.nameSuffix));
    }
    files::RemoveAll(kSmallDriveFolder);
  }

  HWND window_ = nullptr;
};

// --- the default install -------------------------------------------------

// Share of white pixels in `rect` (window coordinates) of `shot`.
double WhiteShare(const screen::Capture& shot, const RECT& rect) {
  int white = 0, all = 0;
  for (int y = rect.top + 2; y < rect.bottom - 2; ++y) {
    for (int x = rect.left + 2; x < rect.right - 2; ++x) {
      ++all;
      if (shot.At(x, y) == 0xFFFFFF) ++white;
    }
  }
  return all == 0 ? 0.0 : static_cast<double>(white) / all;
}

// Pixels in `rect` that differ from `background`.
int Differing(const screen::Capture& shot, const RECT& rect, screen::Rgb background) {
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) count += shot.At(x, y) != background ? 1 : 0;
  }
  return count;
}

TEST_F(InstallTest, DefaultFolderGetsTheFourFilesAndTheCompletionPanelShows) {
  ASSERT_EQ(controls::Text(Control(k路径)), kDefaultFolder);
  ASSERT_FALSE(files::IsFolder(kDefaultFolder));
  const RECT edit = controls::RectInWindow(Window(), Control(k路径));
  const RECT finish = controls::RectInWindow(Window(), Control(k完成));
  // The window may still be painting its first picture.
  EXPECT_TRUE(WaitUntil([&] { return WhiteShare(screen::Capture::OfWindow(Window()), edit) > 0.6; },
                        3000))
      << "路径's white field is not on the screen before installing: "
      << WhiteShare(screen::Capture::OfWindow(Window()), edit);

  ASSERT_EQ(PressInstall(), Outcome::Completed);
  ExpectCompletionPanel();
  ExpectWholePayloadIn(kDefaultFolder);

  // On the screen: 路径's white field is gone (only the check boxes' small
  // squares are white there now) and 完成 is drawn on the panel.
  EXPECT_TRUE(WaitUntil([&] { return WhiteShare(screen::Capture::OfWindow(Window()), edit) < 0.2; },
                        3000))
      << "路径's white field is still on the screen: "
      << WhiteShare(screen::Capture::OfWindow(Window()), edit);
  const screen::Capture shot = screen::Capture::OfWindow(Window());
  const screen::Rgb panel = shot.At(10, 195);  // an empty spot of the completion panel
  const int drawn = Differing(shot, finish, panel);
  const int area = (finish.right - finish.left) * (finish.bottom - finish.top);
  EXPECT_GT(drawn, area / 10) << "完成 is not drawn: " << drawn << " of " << area
                              << " pixels differ from the panel";
}

// --- where a typed path leads ----------------------------------------------

struct PathCase {
  const char* name;
  std::string typed;
  const char* existingFolder;  // made before pressing 安装, or null
  const char* existingFile;    // made before with other content, or null
  // Where the files land ("@" = the installer's own folder), or null when
  // the path cannot be used and the message comes.
  const char* installsInto;
  bool createsFolder;
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name << " \"" << c.typed << "\""; }

class InstallPathTest : public InstallTest, public testing::WithParamInterface<PathCase> {
 protected:
  std::string Resolved(const char* path) const {
    std::string resolved = path;
    if (!resolved.empty() && resolved[0] == '@') resolved = ProgramFolder() + resolved.substr(1);
    return resolved;
  }
};

TEST_P(InstallPathTest, InstallsOrRefusesAndLeavesEverythingElseAlone) {
  const PathCase& c = GetParam();
  const std::string kept = "not the installer's";
  if (c.existingFolder != nullptr) {
    ASSERT_TRUE(CreateDirectoryA(c.existingFolder, nullptr));
  }
  if (c.existingFile != nullptr) {
    ASSERT_TRUE(files::WriteWholeFile(c.existingFile, kept));
  }
  ASSERT_NO_FATAL_FAILURE(TypePath(c.typed));
  const install::Tree before = Disk();

  const Outcome outcome = PressInstall();
  if (c.installsInto != nullptr) {
    ASSERT_EQ(outcome, Outcome::Completed);
    ExpectCompletionPanel();
    const std::string folder = Resolved(c.installsInto);
    std::string prefix = folder;
    if (prefix.back() != '\\') prefix += '\\';
    std::vector<std::string> expected;
    if (c.createsFolder) expected.push_back(folder);
    for (const auto& file : Payload()) expected.push_back(prefix + NameOf(file));
    std::sort(expected.begin(), expected.end());
    const install::Tree after = Disk();
    const install::TreeChange change = install::Compare(before, after);
    EXPECT_EQ(change.added, expected) << install::Describe(change);
    EXPECT_TRUE(change.removed.empty() && change.changed.empty()) << install::Describe(change);
    for (const auto& file : Payload()) {
      const auto found = after.find(prefix + NameOf(file));
      EXPECT_TRUE(found != after.end() && found->second == Bytes(file))
          << prefix + NameOf(file) << " does not hold the payload's bytes";
    }
    return;
  }

  ASSERT_EQ(outcome, Outcome::Message) << "expected the message for an unusable path";
  const MessageBoxSeen box = ReadMessage();
  EXPECT_EQ(box.text, kPathUnusable);
  ASSERT_NO_FATAL_FAILURE(CloseMessage(box));
  Pause(200);  // time for anything the installer might still do
  const install::TreeChange change = install::Compare(before, Disk());
  EXPECT_TRUE(change.added.empty() && change.removed.empty() && change.changed.empty())
      << "an unusable path changed the disk: " << install::Describe(change);
  ExpectInstallPanel();

  // The panel is still usable: a good folder then installs.
  InstallInto(kDefaultFolder);
}

INSTANTIATE_TEST_SUITE_P(
    Install, InstallPathTest,
    testing::Values(
        PathCase{"ExistingFolderWithTrailingBackslash", "D:\\Tarnby\\", "D:\\Tarnby", nullptr,
                 "D:\\Tarnby", false},
        PathCase{"DriveRoot", "D:\\", nullptr, nullptr, "D:\\", false},
        PathCase{"NewFolderWithTrailingBackslash", "D:\\New\\", nullptr, nullptr, "D:\\New", true},
        PathCase{"RelativeFolderBesideTheInstaller", "abc", nullptr, nullptr, "@\\abc", true},
        PathCase{"ParentMissing", "D:\\a\\b", nullptr, nullptr, nullptr, false},
        PathCase{"Empty", "", nullptr, nullptr, nullptr, false},
        PathCase{"AnExistingFile", "D:\\file.txt", nullptr, "D:\\file.txt", nullptr, false},
        PathCase{"WildcardMatchingAFolder", "D:\\T*", "D:\\Tarnby", nullptr, nullptr, false},
        PathCase{"QuestionMarkWildcard", "D:\\Tarnb?", "D:\\Tarnby", nullptr, nullptr, false},
        PathCase{"BadCharacter", "D:\\a|b", nullptr, nullptr, nullptr, false},
        PathCase{"NoSuchDrive", "Q:\\Tarnby", nullptr, nullptr, nullptr, false}),
    [](const testing::TestParamInfo<PathCase>& param) { return std::string(param.param.name); });

// --- a file that cannot be written -----------------------------------------

enum class Block { ReadOnly, HeldOpen };

struct BlockedCase {
  const char* name;
  std::size_t blocked;  // index into the payload table
  Block how;
};

void PrintTo(const BlockedCase& c, std::ostream* os) { *os << c.name; }

class InstallBlockedFileTest : public InstallTest, public testing::WithParamInterface<BlockedCase> {};

TEST_P(InstallBlockedFileTest, StopsThereWithTheFileNamedAndInstallsOnceItIsFree) {
  const BlockedCase& c = GetParam();
  const auto files = Payload();
  ASSERT_LT(c.blocked, files.size());
  const std::string folder = kDefaultFolder;
  const std::string blockedName = folder + files[c.blocked].nameSuffix;
  const std::string previous = "previous content of " + NameOf(files[c.blocked]);
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  ASSERT_TRUE(files::WriteWholeFile(blockedName, previous));
  HANDLE held = INVALID_HANDLE_VALUE;
  if (c.how == Block::ReadOnly) {
    ASSERT_TRUE(SetFileAttributesA(blockedName.c_str(), FILE_ATTRIBUTE_READONLY));
  } else {
    held = CreateFileA(blockedName.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
  }
  const auto release = [&] {
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    held = INVALID_HANDLE_VALUE;
    SetFileAttributesA(blockedName.c_str(), FILE_ATTRIBUTE_NORMAL);
  };

  ASSERT_EQ(controls::Text(Control(k路径)), folder);
  const Outcome outcome = PressInstall();
  if (outcome != Outcome::Message) release();
  ASSERT_EQ(outcome, Outcome::Message) << "expected the message naming " << blockedName;
  const MessageBoxSeen box = ReadMessage();
  EXPECT_EQ(box.text, WriteFailed(blockedName));
  CloseMessage(box);
  Pause(200);
  ExpectInstallPanel();

  // Before it: complete; after it: not attempted; no temporary file.
  std::vector<std::string> names;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string name = folder + files[i].nameSuffix;
    if (i < c.blocked) {
      EXPECT_TRUE(files::ReadWholeFile(name) == Bytes(files[i])) << name << " is not complete";
    } else if (i > c.blocked) {
      EXPECT_FALSE(files::IsFile(name)) << name << " was written after the failing file";
    }
    if (i <= c.blocked) names.push_back(NameOf(files[i]));
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(files::Entries(folder), names);

  release();
  EXPECT_EQ(files::ReadWholeFile(blockedName), previous) << blockedName << " lost its content";

  ASSERT_EQ(PressInstall(), Outcome::Completed) << "安装 again, with the file free";
  ExpectCompletionPanel();
  ExpectWholePayloadIn(folder);
}

INSTANTIATE_TEST_SUITE_P(
    Install, InstallBlockedFileTest,
    testing::Values(BlockedCase{"ReadOnlyProgram", 0, Block::ReadOnly},
                    BlockedCase{"AnswerHeldOpen", 1, Block::HeldOpen},
                    BlockedCase{"InstallHeldOpen", 2, Block::HeldOpen},
                    BlockedCase{"ReadOnlyTutorial", 3, Block::ReadOnly}),
    [](const testing::TestParamInfo<BlockedCase>& param) { return std::string(param.param.name); });

// --- a disk that fills -------------------------------------------------------

TEST_F(InstallTest, AFullDiskStopsAtTheFileThatDoesNotFitAndLeavesNoPart) {
  ASSERT_NE(GetDriveTypeA(kSmallDriveRoot), static_cast<UINT>(DRIVE_NO_ROOT_DIR))
      << "no drive F: (tools/e2e.sh maps it to a small file system of its own)";
  ULARGE_INTEGER free{}, total{};
  ASSERT_TRUE(GetDiskFreeSpaceExA(kSmallDriveRoot, &free, &total, nullptr));
  // The file that does not fit: the first whose cumulative size (in whole
  // 4 KiB blocks) passes the free space. The drive must leave no doubt.
  const auto files = Payload();
  constexpr unsigned long long kBlock = 4096, kMargin = 64 * 1024;
  unsigned long long used = 0;
  std::size_t full = files.size();
  for (std::size_t i = 0; i < files.size(); ++i) {
    const unsigned long long size = (files[i].size() + kBlock - 1) / kBlock * kBlock;
    if (used + size > free.QuadPart) {
      full = i;
      ASSERT_GT(used + size, free.QuadPart + kMargin) << "F: is too close to fitting " << i;
      break;
    }
    used += size;
  }
  ASSERT_LT(full, files.size()) << "F: (" << free.QuadPart << " bytes free) holds the whole payload";
  ASSERT_GT(free.QuadPart, used + kMargin) << "F: is too small for the files before the full one";

  ASSERT_NO_FATAL_FAILURE(TypePath(kSmallDriveFolder));
  ASSERT_EQ(PressInstall(), Outcome::Message);
  const std::string failing = std::string(kSmallDriveFolder) + files[full].nameSuffix;
  const MessageBoxSeen box = ReadMessage();
  EXPECT_EQ(box.text, WriteFailed(failing));
  ASSERT_NO_FATAL_FAILURE(CloseMessage(box));
  Pause(200);
  ExpectInstallPanel();

  std::vector<std::string> names;
  for (std::size_t i = 0; i < full; ++i) {
    const std::string name = kSmallDriveFolder + std::string(files[i].nameSuffix);
    EXPECT_TRUE(files::ReadWholeFile(name) == Bytes(files[i])) << name << " is not complete";
    names.push_back(NameOf(files[i]));
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(files::Entries(kSmallDriveFolder), names)
      << "only the files before " << failing << " may be there (no part of it, no temporary file)";

  InstallInto(kDefaultFolder);
}

}  // namespace
}  // namespace e2e
