// A DLL planted beside the installer (an installer is run from folders that
// anyone can drop files into, such as Downloads) must never be loaded, not at
// start and not on demand while it installs, creates the shortcut, starts the
// program and opens the tutorial.
//
// Wine prefers its built-in DLLs even when a DLL of that name lies beside a
// program; the override "native,builtin" makes it look for native copies
// along the program's DLL search path first, as Windows does for a DLL that is
// not a KnownDLL. Wine 8 takes WINEDLLOVERRIDES for a program started by a
// Wine program from the starter's Unix environment, not from the Windows
// environment it passes (SetEnvironmentVariable in the harness changes
// nothing), so the overrides are given per program in the registry instead:
// HKCU\Software\Wine\AppDefaults\<program>.exe\DllOverrides, read by Wine
// only and harmless on Windows, where a planted DLL is native anyway.
// The planted DLL (planting/Planted.cpp) leaves a marker file
// when it is loaded, and the test lists the modules of the installer and of
// the processes it starts while they run. The control case runs a program that
// does not restrict its DLL search (planting/Unrestricted.cpp) the same way,
// to show that both checks see a planted DLL when one is loaded.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/ControlProgram.h"
#include "tests/e2e/Controls.h"
#include "tests/e2e/Files.h"
#include "tests/e2e/Harness.h"
#include "tests/e2e/Input.h"
#include "tests/e2e/InstallerFixture.h"
#include "tests/e2e/Modules.h"
#include "tests/e2e/Wait.h"

namespace e2e {
namespace {

// Built with the harness and put beside QuorvaneE2E.exe (CMakeLists.txt).
constexpr char kPlantedDll[] = "planted.dll";

// The names planted beside the installer: DLLs that are not KnownDLLs on
// Windows, so that Windows too would look for them beside the program unless
// its search is restricted, and that are loaded on demand, after the
// installer's first instructions. Under Wine 8 the installer loads on demand
// only imm32.dll (a KnownDLL), winex11.drv (Wine's own) and uxtheme.dll, when
// it creates its window; install and finish load nothing more (the shell link
// object and ShellExecute live in shell32, loaded at start). uxtheme.dll is
// therefore the name this test exercises under Wine; the others are what the
// shell link object and ShellExecute load on demand on Windows.
// version.dll is NOT planted here: Wine's user32 imports it, so under Wine it
// is loaded at process start, before any code of the installer runs, and a
// planted copy is taken by every program (on Windows user32 does not import
// it). The control case plants it.
const std::vector<std::string> kPlantedNames = {
    "uxtheme.dll", "comctl32.dll", "propsys.dll", "dwmapi.dll", "cryptbase.dll", "profapi.dll",
};

constexpr char kInstallFolder[] = "D:\\Tarnby";  // the default the installer offers

std::string Lower(std::string text) {
  CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

std::string NameOf(const std::string& path) {
  const std::string folder = files::FolderOf(path);
  return folder.empty() ? path : path.substr(folder.size() + 1);
}

// The long, full form of a path, for comparing folders however they were written.
std::string Canonical(const std::string& path) {
  char full[MAX_PATH * 2] = {};
  DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  std::string result = length > 0 && length < sizeof full ? std::string(full, length) : path;
  char longer[MAX_PATH * 2] = {};
  length = GetLongPathNameA(result.c_str(), longer, sizeof longer);
  if (length > 0 && length < sizeof longer) result.assign(longer, length);
  while (result.size() > 3 && result.back() == '\\') result.pop_back();
  return result;
}

bool SameFolder(const std::string& a, const std::string& b) {
  return lstrcmpiA(Canonical(a).c_str(), Canonical(b).c_str()) == 0;
}

// The processes whose parent is `parentId`.
std::vector<DWORD> ChildrenOf(DWORD parentId) {
  std::vector<DWORD> children;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return children;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (entry.th32ParentProcessID == parentId && entry.th32ProcessID != parentId)
      children.push_back(entry.th32ProcessID);
  CloseHandle(snapshot);
  return children;
}

// Lists the modules of a process, and of the processes it starts, over and
// over on a thread of its own until stopped, and keeps every module seen:
// a DLL loaded on demand and unloaded again shows up if it stayed for a poll.
class ModuleWatch {
 public:
  // Processes started from `endFolder` (the installed program) that still run
  // when the watch ends are terminated; others (such as Wine's explorer.exe,
  // which the first window of a session starts) are left alone.
  explicit ModuleWatch(DWORD processId, std::string endFolder = {})
      : rootId_(processId), endFolder_(std::move(endFolder)) {
    root_ = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE,
                        processId);
    if (root_ != nullptr) thread_ = std::thread([this] { Run(); });
  }
  ~ModuleWatch() {
    Stop();
    for (auto& [id, child] : children_) {
      const std::vector<std::string> loaded = modules::PathsOf(child.handle);
      const std::string program = loaded.empty() ? std::string() : loaded.front();
      if (!endFolder_.empty() && !program.empty() && SameFolder(files::FolderOf(program), endFolder_) &&
          WaitForSingleObject(child.handle, 0) == WAIT_TIMEOUT) {
        TerminateProcess(child.handle, 0);
        WaitForSingleObject(child.handle, 5000);
      }
      CloseHandle(child.handle);
    }
    if (root_ != nullptr) CloseHandle(root_);
  }
  ModuleWatch(const ModuleWatch&) = delete;
  ModuleWatch& operator=(const ModuleWatch&) = delete;

  bool Opened() const { return root_ != nullptr; }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  // The root's modules now, sampled in the calling thread.
  std::vector<std::string> RootNow() const { return modules::PathsOf(root_); }

  struct Seen {
    std::string process;            // the program's path (or "pid N")
    std::set<std::string> modules;  // full paths
    int samples = 0;                // polls that could read the module list
  };
  // Per process id, the root first.
  std::map<DWORD, Seen> Snapshot() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
  }
  DWORD RootId() const { return rootId_; }

 private:
  struct Child {
    HANDLE handle;
  };

  // Under Wine each GetModuleFileNameExA walks the other process's module
  // list again, so names are looked up for new handles only (and all of them
  // again every 16th poll, in case a module came back at an old address).
  void Record(DWORD id, HANDLE process, bool lookUpAll) {
    const std::vector<HMODULE> handles = modules::HandlesOf(process);
    if (handles.empty()) return;
    std::map<HMODULE, std::string>& names = names_[id];
    if (lookUpAll) names.clear();
    std::vector<std::string> paths;
    for (HMODULE module : handles) {
      auto known = names.find(module);
      if (known == names.end()) known = names.emplace(module, modules::PathOf(process, module)).first;
      if (!known->second.empty()) paths.push_back(known->second);
    }
    if (paths.empty()) return;
    std::lock_guard<std::mutex> lock(mutex_);
    Seen& seen = seen_[id];
    if (seen.process.empty()) seen.process = paths.front();  // the first module is the program
    seen.modules.insert(paths.begin(), paths.end());
    ++seen.samples;
  }

  void Run() {
    int round = 0;
    while (!stop_) {
      const bool rootRunning = WaitForSingleObject(root_, 0) == WAIT_TIMEOUT;
      const bool lookUpAll = round % 16 == 0;
      if (rootRunning) Record(rootId_, root_, lookUpAll);
      // New children are looked for less often: a process snapshot is slow under Wine.
      if (round++ % 8 == 0 && rootRunning) {
        for (DWORD id : ChildrenOf(rootId_)) {
          if (children_.count(id) != 0) continue;
          HANDLE child = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE |
                                         SYNCHRONIZE, FALSE, id);
          if (child != nullptr) children_[id] = Child{child};
        }
      }
      for (auto& [id, child] : children_)
        if (WaitForSingleObject(child.handle, 0) == WAIT_TIMEOUT) Record(id, child.handle, lookUpAll);
      Sleep(1);
    }
  }

  DWORD rootId_;
  std::string endFolder_;
  HANDLE root_ = nullptr;
  std::map<DWORD, Child> children_;  // only touched by the thread, then by the destructor
  std::map<DWORD, std::map<HMODULE, std::string>> names_;  // only touched by the thread
  std::mutex mutex_;
  std::map<DWORD, Seen> seen_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

void PrintModules(const char* title, const std::set<std::string>& modules) {
  std::printf("[ modules  ] %s: %zu\n", title, modules.size());
  for (const std::string& module : modules) std::printf("[ modules  ]   %s\n", module.c_str());
  std::fflush(stdout);
}

// What shows that a planted DLL was loaded: a marker file the planted DLL
// left in `folder`, or a loaded module (other than `except`, the program
// itself) that lies in `folder`. Empty if nothing does.
std::vector<std::string> PlantingEvidence(const std::string& folder,
                                          const std::map<DWORD, ModuleWatch::Seen>& seen,
                                          const std::string& except) {
  std::vector<std::string> evidence;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\planted-*.txt").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string content = files::ReadWholeFile(folder + "\\" + found.cFileName).value_or("<unreadable>");
      while (!content.empty() && (content.back() == '\n' || content.back() == '\r')) content.pop_back();
      evidence.push_back(std::string("marker ") + found.cFileName + ": " + content);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  for (const auto& [id, process] : seen)
    for (const std::string& module : process.modules)
      if (SameFolder(files::FolderOf(module), folder) && lstrcmpiA(Canonical(module).c_str(),
                                                            Canonical(except).c_str()) != 0)
        evidence.push_back("module " + module + " loaded in " + process.process + " (pid " +
                           std::to_string(id) + ")");
  return evidence;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "\n  " + line;
  return text;
}

// Tells Wine, for as long as it lives, to prefer native copies of `names`
// (planted ones) in every process of the program `programName`; removes the
// overrides again afterwards.
class ScopedNativeFirst {
 public:
  ScopedNativeFirst(const std::string& programName, const std::vector<std::string>& names)
      : key_("Software\\Wine\\AppDefaults\\" + programName) {
    HKEY overrides = nullptr;
    ok_ = RegCreateKeyExA(HKEY_CURRENT_USER, (key_ + "\\DllOverrides").c_str(), 0, nullptr, 0,
                          KEY_SET_VALUE, nullptr, &overrides, nullptr) == ERROR_SUCCESS;
    if (!ok_) return;
    static constexpr char kNativeFirst[] = "native,builtin";
    for (std::string name : names) {
      if (name.size() > 4 && Lower(name.substr(name.size() - 4)) == ".dll") name.resize(name.size() - 4);
      ok_ = ok_ && RegSetValueExA(overrides, name.c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(kNativeFirst),
                                  sizeof kNativeFirst) == ERROR_SUCCESS;
    }
    RegCloseKey(overrides);
  }
  ~ScopedNativeFirst() { SHDeleteKeyA(HKEY_CURRENT_USER, key_.c_str()); }
  ScopedNativeFirst(const ScopedNativeFirst&) = delete;
  ScopedNativeFirst& operator=(const ScopedNativeFirst&) = delete;

  bool Ok() const { return ok_; }

 private:
  std::string key_;
  bool ok_ = false;
};

// Copies the built planted DLL into `folder` under each of `names`.
void Plant(const std::string& folder, const std::vector<std::string>& names) {
  const std::string source = HarnessFolder() + "\\" + kPlantedDll;
  ASSERT_TRUE(files::IsFile(source)) << source << " is missing: it is built with QuorvaneE2E.exe "
                                  << "and must lie beside it";
  for (const std::string& name : names) {
    const std::string target = folder + "\\" + name;
    ASSERT_TRUE(CopyFileA(source.c_str(), target.c_str(), FALSE))
        << "cannot copy " << source << " to " << target << ", error " << GetLastError();
    DeleteFileA((folder + "\\planted-" + name + ".txt").c_str());
  }
}

// Starts the installer with the planted DLLs beside it and Wine told to prefer them.
class DllPlantingTest : public InstallerFixture {
 protected:
  void SetUp() override {
    installedBefore_ = GetFileAttributesA(kInstallFolder) != INVALID_FILE_ATTRIBUTES;
    char desktop[MAX_PATH] = {};
    if (SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop) == S_OK)
      shortcut_ = std::string(desktop) + "\\Quorvane.lnk";
    shortcutBefore_ = shortcut_.empty() || files::IsFile(shortcut_);
    ASSERT_NO_FATAL_FAILURE(Plant(TestFolder(), kPlantedNames));
    nativeFirst_ = std::make_unique<ScopedNativeFirst>(NameOf(InstallerPath()), kPlantedNames);
    ASSERT_TRUE(nativeFirst_->Ok()) << "cannot write Wine's DLL overrides for the installer";
    InstallerFixture::SetUp();
  }
  // Kept until the installer has ended: Wine looks the overrides up at each load.
  void TearDown() override {
    InstallerFixture::TearDown();
    nativeFirst_.reset();
    // What this test installed goes again, so that the next test finds the
    // drive as it was.
    if (!shortcutBefore_) DeleteFileA(shortcut_.c_str());
    if (!installedBefore_) {
      WIN32_FIND_DATAA found;
      const std::string folder = kInstallFolder;
      HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
      if (search != INVALID_HANDLE_VALUE) {
        do {
          if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            DeleteFileA((folder + "\\" + found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
      }
      RemoveDirectoryA(folder.c_str());
    }
  }

 private:
  bool installedBefore_ = true;
  bool shortcutBefore_ = true;
  std::string shortcut_;
  std::unique_ptr<ScopedNativeFirst> nativeFirst_;
};

TEST_F(DllPlantingTest, NoDllPlantedBesideTheInstallerIsLoadedDuringInstallAndFinish) {
  const std::string folder = TestFolder();
  const ULONGLONG watchStart = GetTickCount64();
  ModuleWatch watch(Installer().ProcessId(), kInstallFolder);
  ASSERT_TRUE(watch.Opened()) << "cannot open the installer (pid " << Installer().ProcessId()
                              << ") to list its modules, error " << GetLastError();

  // The listing must work, or the check below would see nothing.
  const std::vector<std::string> atStart = watch.RootNow();
  ASSERT_FALSE(atStart.empty()) << "EnumProcessModulesEx on the installer gave nothing, error "
                                << GetLastError();
  const std::string program = atStart.front();
  ASSERT_TRUE(SameFolder(files::FolderOf(program), folder))
      << "the installer's first module " << program << " should be its own program in " << folder;
  const std::set<std::string> shown(atStart.begin(), atStart.end());
  PrintModules("installer, window shown", shown);

  Activate();
  // 完成 counts as visible while the install panel still covers it: wait
  // for the panels to change places instead.
  ASSERT_TRUE(controls::InstallAndShowCompletionPanel(Window(), 30000))
      << "the completion panel did not appear 30 s after 安装";
  ASSERT_TRUE(files::IsFile(std::string(kInstallFolder) + "\\VelkTest.exe")) << "安装 did not install into D:\\Tarnby";
  for (int box : {k查看视频教程, k创建快捷方式, k运行})
    EXPECT_TRUE(controls::Checked(controls::Find(Window(), box))) << "check box " << box;

  const std::vector<std::string> beforeFinishList = watch.RootNow();
  const std::set<std::string> beforeFinish(beforeFinishList.begin(), beforeFinishList.end());
  std::set<std::string> byInstall;
  for (const std::string& module : beforeFinish)
    if (shown.count(module) == 0) byInstall.insert(module);
  PrintModules("installer, just before 完成: added since the window was shown", byInstall);

  ASSERT_TRUE(controls::Click(Window(), k完成)) << "cannot click 完成";
  const auto exitCode = Installer().WaitForExit(30000);
  ASSERT_TRUE(exitCode.has_value()) << "the installer still runs 30 s after 完成";
  EXPECT_EQ(*exitCode, 0u);
  Pause(1500);  // the processes the installer started load their DLLs
  watch.Stop();
  const ULONGLONG watchMs = GetTickCount64() - watchStart;

  const std::map<DWORD, ModuleWatch::Seen> seen = watch.Snapshot();
  ASSERT_EQ(seen.count(watch.RootId()), 1u);
  const ModuleWatch::Seen& installer = seen.at(watch.RootId());
  std::set<std::string> onDemand;
  for (const std::string& module : installer.modules)
    if (beforeFinish.count(module) == 0) onDemand.insert(module);
  PrintModules("installer, loaded during 完成 (not there just before)", onDemand);
  std::printf("[ modules  ] installer: %d polls in %llu ms\n", installer.samples, watchMs);
  for (const auto& [id, process] : seen)
    if (id != watch.RootId())
      PrintModules(("started by the installer: " + process.process + " (pid " + std::to_string(id) +
                    ", " + std::to_string(process.samples) + " polls)").c_str(),
                   process.modules);

  // The run did what loads DLLs on demand: the shortcut, the program, the tutorial.
  char desktop[MAX_PATH] = {};
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop), S_OK);
  EXPECT_TRUE(files::IsFile(std::string(desktop) + "\\Quorvane.lnk")) << "no desktop shortcut";
  EXPECT_TRUE(WaitUntil([] { return files::IsFile(std::string(kInstallFolder) + "\\VelkTest.log"); }, 5000))
      << "the installed program did not start";

  // The planted names matter: the installer loads DLLs of these names, just
  // not the planted ones.
  std::vector<std::string> loadedNames;
  for (const std::string& module : installer.modules)
    for (const std::string& name : kPlantedNames)
      if (lstrcmpiA(NameOf(module).c_str(), name.c_str()) == 0) loadedNames.push_back(module);
  EXPECT_FALSE(loadedNames.empty()) << "the installer loaded none of the planted names";
  std::printf("[ planted  ] names the installer loaded (from elsewhere):%s\n", Joined(loadedNames).c_str());

  const std::vector<std::string> evidence = PlantingEvidence(folder, seen, program);
  EXPECT_TRUE(evidence.empty()) << "a DLL planted beside the installer was loaded:" << Joined(evidence);
}

// The control: a program that does not restrict its DLL search, started the
// same way beside a planted version.dll, loads it, and both checks see it.
TEST(DllPlantingControlTest, AnUnrestrictedProgramLoadsThePlantedDllAndTheChecksSeeIt) {
  const std::string folder = TestFolder();
  ASSERT_NO_FATAL_FAILURE(Plant(folder, {"version.dll"}));
  ScopedNativeFirst nativeFirst(kControlProgramName, {"version.dll"});
  ASSERT_TRUE(nativeFirst.Ok()) << "cannot write Wine's DLL overrides for the control program";
  ControlProgram control(folder);
  ASSERT_TRUE(control.Started()) << control.StartError();
  const std::string program = control.Program();

  std::map<DWORD, ModuleWatch::Seen> seen;
  {
    ModuleWatch watch(control.ProcessId());
    EXPECT_TRUE(watch.Opened());
    // Until the marker is there and the watch has listed the modules after it.
    WaitUntil([&] { return files::IsFile(folder + "\\planted-version.dll.txt"); }, 10000);
    Pause(300);
    watch.Stop();
    seen = watch.Snapshot();
  }
  const std::optional<DWORD> exitCode = control.Finish();
  ASSERT_TRUE(exitCode.has_value()) << "the control program did not end 10 s after it was released";
  EXPECT_EQ(*exitCode, 0u) << "the control program could not load version.dll at all";

  const std::vector<std::string> evidence = PlantingEvidence(folder, seen, program);
  std::printf("[ planted  ] control program:%s\n", Joined(evidence).c_str());
  bool marker = false, module = false;
  for (const std::string& line : evidence) {
    marker = marker || line.rfind("marker ", 0) == 0;
    module = module || line.rfind("module ", 0) == 0;
  }
  EXPECT_TRUE(marker) << "the planted version.dll left no marker in " << folder;
  EXPECT_TRUE(module) << "no module of the control program lies in " << folder
                      << " although it does not restrict its DLL search";
}

}  // namespace
}  // namespace e2e
