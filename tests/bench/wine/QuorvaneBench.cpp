// QuorvaneBench.exe: measures the installer under Wine against plain
// references, with real input and by what the screen shows (tools/bench-wine.sh).
//
//   QuorvaneBench.exe INSTALLER_EXE [BASELINE_EXE] [--runs N] [--verbose]
//
// BASELINE_EXE defaults to BenchBaseline.exe beside this program; N (the
// runs of each subject, interleaved A, B, A, B, ...) defaults to 20. Drive
// D: must be writable: the installs and copies go to D:\bench.
//
// Figures, as tab-separated rows on stdout:
//   first paint   from just before CreateProcess until the screen shows the
//                 window drawn: sample pixels of the banner (installer) or
//                 of the fill colour (BenchBaseline.exe)
//   install time  from the click on the Install button until the screen
//                 shows the completion panel drawn, against CopyFileA of the
//                 same four files into an empty folder on the same drive
//   memory        GetProcessMemoryInfo of the installer with its window
//                 drawn and after the install, and of the baseline
// Exits with 1 (why on stderr) if a measurement could not be taken, with 2
// for a wrong command line.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "payload/Payload.h"
#include "platform/Win32Operations.h"
#include "tests/bench/wine/Baseline.h"
#include "tests/bench/wine/Measure.h"
#include "tests/e2e/Controls.h"
#include "tests/e2e/Files.h"
#include "tests/e2e/Harness.h"
#include "tests/e2e/Input.h"
#include "tests/e2e/InstallSupport.h"
#include "tests/e2e/InstallerFixture.h"
#include "tests/e2e/Wait.h"
#include "window/Banner.h"
#include "window/WindowDefinition.h"

namespace bench {
namespace {

constexpr char kTargetRoot[] = "D:\\bench";
// How long the installer is left alone before the timed click, so that the
// typing and the pointer's move are fully handled.
constexpr DWORD kSettleMs = 200;

struct Options {
  std::string installer;
  std::string baseline;
  int runs = 20;
  bool verbose = false;
};

void Log(const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  std::fputs("bench: ", stderr);
  std::vfprintf(stderr, format, arguments);
  std::fputc('\n', stderr);
  va_end(arguments);
}

std::string CurrentFolder() {
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, folder);
  return folder;
}

POINT ScreenOrigin(int width, int height) {
  const window::Point origin =
      window::CentredPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), width, height);
  return {origin.x, origin.y};
}

RECT OnScreen(const window::ControlDefinition& control, POINT origin) {
  return {origin.x + control.left, origin.y + control.top, origin.x + control.left + control.width,
          origin.y + control.top + control.height};
}

// The installer's window is drawn once the banner shows where no control
// covers it: inside the one-pixel outline, above the panels.
std::vector<Sample> BannerSamples() {
  window::Picture picture;
  const window::EmbeddedBytes bytes = window::BannerBytes();
  if (!window::DecodePicture(bytes.bytes, bytes.size, picture)) Fail("cannot decode the banner picture");
  const window::WindowDefinition& definition = window::InstallerWindowDefinition();
  const int panelTop = definition.controls[window::IndexOf(window::Control::外形框1)].top;
  const RECT area{1, 1, definition.window.width - 1, panelTop};
  const auto pixel = [&](int x, int y) {
    return picture.pixels[static_cast<std::size_t>(y % picture.height) * picture.width + x % picture.width] &
           0xFFFFFFu;
  };
  std::vector<Sample> samples = GridSamples(ScreenOrigin(definition.window.width, definition.window.height),
                                            area, 4, 2, ColourUnlike(baseline::kFill, pixel));
  if (samples.size() < 4) Fail("the banner has too few pixels that an empty window could not show");
  return samples;
}

std::vector<Sample> BaselineSamples(e2e::screen::Rgb fill = baseline::kFill) {
  const RECT area{0, 0, baseline::kWidth, baseline::kHeight};
  return GridSamples(ScreenOrigin(baseline::kWidth, baseline::kHeight), area, 4, 2,
                     ColourUnlike(0x000000u, [fill](int, int) { return fill; }));
}

// Presses and releases the left button where the pointer is, in one
// SendInput call. The harness's LeftDown and LeftUp pause 40 ms after each
// event, which would count as install time here.
void ClickHere() {
  INPUT events[2] = {};
  events[0].type = INPUT_MOUSE;
  events[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  events[1].type = INPUT_MOUSE;
  events[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  if (SendInput(2, events, sizeof(INPUT)) != 2) Fail("SendInput failed, error " + std::to_string(GetLastError()));
}

// Each of the four payload files in `folder`, with the payload's size and bytes.
void CheckPayloadIn(const std::string& folder, const std::string& writer) {
  if (const std::optional<std::string> mismatch = e2e::install::PayloadMismatch(folder))
    Fail("after " + writer + ": " + *mismatch);
}

void MakeEmptyFolder(const std::string& folder) {
  if (!e2e::files::RemoveAll(folder) || !CreateDirectoryA(folder.c_str(), nullptr))
    Fail("cannot make the empty folder " + folder + ", error " + std::to_string(GetLastError()));
}

class Bench {
 public:
  explicit Bench(const Options& options) : options_(options) {
    const std::string work = CurrentFolder();
    installer_ = {"installer", options.installer, work + "\\installer", e2e::kInstallerWindowClass,
                  BannerSamples()};
    baseline_ = {"baseline", options.baseline, work + "\\baseline", baseline::kWindowClass, BaselineSamples()};
    anyWindow_ = installer_.painted;
    anyWindow_.insert(anyWindow_.end(), baseline_.painted.begin(), baseline_.painted.end());
  }

  void MeasureAll() {
    if (!e2e::files::RemoveAll(kTargetRoot) || !CreateDirectoryA(kTargetRoot, nullptr))
      Fail(std::string("cannot make ") + kTargetRoot + " (is drive D: mapped?)");
    MeasureFirstPaint();
    MeasureInstall();
    PrintMemory();
  }

 private:
  // --- first paint ---

  double StartAndClose(const Program& program, Memory* memory) {
    WaitForEmptyScreen(anyWindow_);
    Run run(program);
    const double ms = run.WaitUntilPainted();
    if (options_.verbose) Log("%s: %.3f ms, %d screen reads", program.name.c_str(), ms, run.Polls());
    run.Window();
    if (memory != nullptr) *memory = MemoryOf(run.ProcessId());
    run.Close();
    return ms;
  }

  void MeasureFirstPaint() {
    Log("first paint: one warm-up run, then %d counted runs of each program", options_.runs);
    StartAndClose(installer_, nullptr);
    StartAndClose(baseline_, nullptr);
    std::vector<double> installerMs, baselineMs;
    for (int i = 0; i < options_.runs; ++i) {
      installerMs.push_back(StartAndClose(installer_, nullptr));
      Memory memory{};
      baselineMs.push_back(StartAndClose(baseline_, &memory));
      baselineStarted_.push_back(memory);
      if (options_.verbose)
        Log("first paint run %d: installer %.3f ms, baseline %.3f ms; baseline %s", i + 1, installerMs.back(),
            baselineMs.back(), Describe(memory).c_str());
    }
    PrintBench("first paint", "installer", installerMs, "ms");
    PrintBench("first paint", "baseline", baselineMs, "ms");
    PrintRatio("first paint", "installer / baseline", Median(installerMs) / Median(baselineMs), "<= 1.3");
  }

  // --- install time ---

  // Readies a timed click on the Install button: the window drawn and in the
  // foreground, `folder` typed into the path box, the pointer on the button
  // and everything handled.
  void ReadyToInstall(Run& run, const std::string& folder) {
    run.WaitUntilPainted();
    HWND window = run.Window();
    if (!e2e::input::BringToForeground(window, e2e::kEmptySpot))
      Fail("the installer window did not come to the foreground");
    if (!e2e::controls::TypeInto(window, e2e::k路径, folder))
      Fail("the path box does not show " + folder + " after typing it");
    HWND button = e2e::controls::Find(window, e2e::k安装);
    if (button == nullptr || !e2e::controls::Visible(button)) Fail("the Install button is not shown");
    const POINT centre = e2e::controls::CentreOnScreen(button);
    if (!e2e::input::MoveTo(centre.x, centre.y)) Fail("the pointer did not get to the Install button");
    e2e::Pause(kSettleMs);
  }

  // The warm-up install: writes the source files for CopyFileA into
  // `folder` and learns what the completion panel looks like drawn: the
  // panel area once it no longer changes, taken where it differs from the
  // install panel.
  void WarmUpInstall(const std::string& folder) {
    const window::WindowDefinition& definition = window::InstallerWindowDefinition();
    const POINT origin = ScreenOrigin(definition.window.width, definition.window.height);
    const RECT panel = OnScreen(definition.controls[window::IndexOf(window::Control::外形框2)], origin);
    WaitForEmptyScreen(anyWindow_);
    Run run(installer_);
    ReadyToInstall(run, folder);
    const e2e::screen::Capture installPanel(panel);
    ClickHere();
    if (!e2e::controls::WaitForCompletionPanel(run.Window(), 20000))
      Fail("the completion panel did not replace the install panel within 20 s");
    e2e::screen::Capture shown(panel);
    for (int attempt = 0;; ++attempt) {
      e2e::Pause(150);
      e2e::screen::Capture again(panel);
      if (SameCapture(shown, again)) break;
      if (attempt == 40) Fail("the completion panel kept changing on the screen for 6 s");
      shown = again;
    }
    completion_ = Differences(installPanel, shown, {panel.left, panel.top}, 10, 3);
    if (completion_.size() < 8)
      Fail("the completion panel differs from the install panel in only " + std::to_string(completion_.size()) +
           " of 30 places");
    Log("samples: %zu of the banner, %zu of the baseline, %zu of the completion panel",
        installer_.painted.size(), baseline_.painted.size(), completion_.size());
    run.Close();
    CheckPayloadIn(folder, "the installer");
  }

  struct InstallRun {
    double ms;
    Memory before;
    Memory after;
  };

  InstallRun TimedInstall(const std::string& folder) {
    WaitForEmptyScreen(anyWindow_);
    Run run(installer_);
    ReadyToInstall(run, folder);
    if (AllShown(completion_)) Fail("the screen shows the completion panel before the click");
    InstallRun result{};
    result.before = MemoryOf(run.ProcessId());
    const double clicked = NowMs();
    ClickHere();
    result.ms = run.WaitUntilShown(completion_, clicked, "completion panel");
    if (options_.verbose) Log("install: %.3f ms, %d screen reads", result.ms, run.Polls());
    result.after = MemoryOf(run.ProcessId());
    run.Close();
    CheckPayloadIn(folder, "the installer");
    return result;
  }

  // The plain window's answer to a click: from the click to its new colour
  // on the screen, taken the same way as the installer's.
  double TimedBaselineClick() {
    static const std::vector<Sample> clicked = BaselineSamples(baseline::kClickedFill);
    WaitForEmptyScreen(anyWindow_);
    Run run(baseline_);
    run.WaitUntilPainted();
    const POINT centre = ScreenOrigin(baseline::kWidth, baseline::kHeight);
    // In front like the installer when it is clicked; a click to bring it
    // there would already change its colour.
    HWND window = run.Window();
    SetForegroundWindow(window);
    if (!e2e::WaitUntil([&] { return GetForegroundWindow() == window; }, 2000))
      Fail("the baseline window did not come to the foreground");
    if (!e2e::input::MoveTo(centre.x + baseline::kWidth / 2, centre.y + baseline::kHeight / 2))
      Fail("the pointer did not get onto the baseline window");
    e2e::Pause(kSettleMs);
    const double clickedAt = NowMs();
    ClickHere();
    const double ms = run.WaitUntilShown(clicked, clickedAt, "baseline's clicked colour");
    run.Close();
    return ms;
  }

  static double CopyPayload(const std::string& from, const std::string& to) {
    const double started = NowMs();
    for (const payload::PayloadFile& file : payload::PayloadFiles())
      if (!CopyFileA((from + file.nameSuffix).c_str(), (to + file.nameSuffix).c_str(), TRUE))
        Fail("CopyFileA to " + to + file.nameSuffix + " failed, error " + std::to_string(GetLastError()));
    const double ms = NowMs() - started;
    CheckPayloadIn(to, "CopyFileA");
    return ms;
  }

  // The installer's own file writing (the same code, run in this process):
  // how much of the install time is writing, and how much the click and the
  // repainting around it.
  static double WritePayload(const std::string& to) {
    platform::Win32Operations operations;
    const double started = NowMs();
    for (const payload::PayloadFile& file : payload::PayloadFiles())
      if (!operations.WriteWholeFile((to + file.nameSuffix).c_str(), file.bytes, file.size()))
        Fail("WriteWholeFile to " + to + file.nameSuffix + " failed, error " + std::to_string(GetLastError()));
    const double ms = NowMs() - started;
    CheckPayloadIn(to, "WriteWholeFile");
    return ms;
  }

  void MeasureInstall() {
    Log("install time: one warm-up install and copy, then %d counted runs of each", options_.runs);
    const std::string root = kTargetRoot;
    const std::string source = root + "\\source";
    MakeEmptyFolder(source);
    WarmUpInstall(source);
    MakeEmptyFolder(root + "\\copy");
    CopyPayload(source, root + "\\copy");
    std::vector<double> installerMs, copyMs, writeMs, clickMs;
    for (int i = 0; i < options_.runs; ++i) {
      const std::string target = root + "\\i" + std::to_string(i + 1);
      MakeEmptyFolder(target);
      const InstallRun run = TimedInstall(target);
      e2e::files::RemoveAll(target);
      installerMs.push_back(run.ms);
      installerStarted_.push_back(run.before);
      installerInstalled_.push_back(run.after);

      const std::string copy = root + "\\c" + std::to_string(i + 1);
      MakeEmptyFolder(copy);
      copyMs.push_back(CopyPayload(source, copy));
      e2e::files::RemoveAll(copy);

      const std::string written = root + "\\w" + std::to_string(i + 1);
      MakeEmptyFolder(written);
      writeMs.push_back(WritePayload(written));
      e2e::files::RemoveAll(written);

      clickMs.push_back(TimedBaselineClick());
      if (options_.verbose)
        Log("install run %d: installer %.3f ms, CopyFileA %.3f ms; installer before: %s; after: %s", i + 1,
            run.ms, copyMs.back(), Describe(run.before).c_str(), Describe(run.after).c_str());
    }
    PrintBench("install time", "installer", installerMs, "ms");
    PrintBench("install time", "CopyFileA", copyMs, "ms");
    PrintBench("install time", "the installer's file writing alone", writeMs, "ms");
    PrintBench("install time", "baseline: click to repainted", clickMs, "ms");
    PrintRatio("install time", "installer / CopyFileA", Median(installerMs) / Median(copyMs), "<= 1.3");
  }

  // --- memory ---

  // The installer "after start" is read with its window drawn, the path
  // typed, just before the click; "after install" with the completion panel
  // drawn. The growth is the difference within each run.
  void PrintMemory() {
    std::vector<Memory> all = installerStarted_;
    all.insert(all.end(), installerInstalled_.begin(), installerInstalled_.end());
    all.insert(all.end(), baselineStarted_.begin(), baselineStarted_.end());
    bool fromPagefile = false, peakIsCurrent = true;
    for (const Memory& memory : all) {
      fromPagefile = fromPagefile || memory.privateFromPagefile;
      peakIsCurrent = peakIsCurrent && memory.peakPrivateKb == memory.pagefileKb;
    }
    // The rows name the counter when it is not PrivateUsage.
    const std::string counter = fromPagefile ? " (PagefileUsage)" : "";
    const std::string peak = peakIsCurrent ? " (none kept: the current value)" : "";
    if (fromPagefile)
      Log("memory: PrivateUsage reads 0 (as under Wine 8 for another process); private bytes are "
          "PagefileUsage, which Windows documents as the same commit charge");
    if (peakIsCurrent)
      Log("memory: PeakPagefileUsage equals PagefileUsage in every reading: no peak is kept "
          "(Wine reports the current value as the peak)");
    const auto values = [](const std::vector<Memory>& memories, double Memory::*field) {
      std::vector<double> picked;
      for (const Memory& memory : memories) picked.push_back(memory.*field);
      return picked;
    };
    std::vector<double> growth;
    for (std::size_t i = 0; i < installerStarted_.size(); ++i)
      growth.push_back(installerInstalled_[i].privateKb - installerStarted_[i].privateKb);
    PrintBench("memory", "installer private bytes after start" + counter,
               values(installerStarted_, &Memory::privateKb), "KB");
    PrintBench("memory", "installer peak private bytes after start" + peak,
               values(installerStarted_, &Memory::peakPrivateKb), "KB");
    PrintBench("memory", "installer private bytes after install" + counter,
               values(installerInstalled_, &Memory::privateKb), "KB");
    PrintBench("memory", "installer peak private bytes after install" + peak,
               values(installerInstalled_, &Memory::peakPrivateKb), "KB");
    PrintBench("memory", "installer growth during install" + counter, growth, "KB");
    PrintBench("memory", "baseline private bytes after start" + counter,
               values(baselineStarted_, &Memory::privateKb), "KB");
    PrintBench("memory", "baseline peak private bytes after start" + peak,
               values(baselineStarted_, &Memory::peakPrivateKb), "KB");
    PrintRatio("memory", "installer growth during install in KB" + counter, Median(growth), "< 256 KB");
  }

  Options options_;
  Program installer_, baseline_;
  std::vector<Sample> anyWindow_;   // either program's window drawn
  std::vector<Sample> completion_;  // the completion panel drawn
  std::vector<Memory> baselineStarted_, installerStarted_, installerInstalled_;
};

bool Parse(int argc, char** argv, Options& options) {
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--verbose") {
      options.verbose = true;
    } else if (argument == "--runs" && i + 1 < argc) {
      options.runs = std::atoi(argv[++i]);
    } else if (argument.rfind("--runs=", 0) == 0) {
      options.runs = std::atoi(argument.c_str() + 7);
    } else if (argument.rfind("--", 0) == 0) {
      return false;
    } else {
      positional.push_back(argument);
    }
  }
  if (positional.empty() || positional.size() > 2 || options.runs < 1) return false;
  options.installer = positional[0];
  options.baseline = positional.size() > 1 ? positional[1] : e2e::HarnessFolder() + "\\BenchBaseline.exe";
  return true;
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);  // rows end in "\n" alone
  bench::Options options;
  if (!bench::Parse(argc, argv, options)) {
    std::fputs("usage: QuorvaneBench.exe INSTALLER_EXE [BASELINE_EXE] [--runs N] [--verbose]\n", stderr);
    return 2;
  }
  for (const std::string& program : {options.installer, options.baseline}) {
    if (!e2e::files::IsFile(program)) {
      std::fprintf(stderr, "QuorvaneBench: %s is missing\n", program.c_str());
      return 2;
    }
  }
  try {
    bench::Bench(options).MeasureAll();
  } catch (const bench::Failure& failure) {
    std::fprintf(stderr, "QuorvaneBench: %s\n", failure.what());
    return 1;
  }
  return 0;
}
