// What QuorvaneBench.exe measures with: the clock, the rows it prints, the
// screen pixels it watches, the memory counters it reads and one started
// program. Starting, finding windows, input and screen reading are the
// end-to-end harness's own (tests/e2e).
#pragma once
#include <windows.h>
#include <psapi.h>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/e2e/InstallerProcess.h"
#include "tests/e2e/Screen.h"

namespace bench {

// A measurement that could not be taken: main prints why and fails.
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};
[[noreturn]] void Fail(const std::string& why);

// Milliseconds on QueryPerformanceCounter's clock.
double NowMs();

// --- rows (stdout, tab-separated) -------------------------------------------

double Median(std::vector<double> values);
// BENCH <figure> <subject> <median> <p25> <p75> <min> <max> <unit> <runs>
void PrintBench(const std::string& figure, const std::string& subject, std::vector<double> values,
                const std::string& unit);
// RATIO <figure> <what> <value> <goal>
void PrintRatio(const std::string& figure, const std::string& what, double value,
                const std::string& goal);

// --- the screen ---------------------------------------------------------------

// A screen pixel and the colour it shows once a window has been drawn.
struct Sample {
  POINT at;
  e2e::screen::Rgb colour;
};
// Reads the samples in order and stops at the first that does not show its
// colour: one screen read while nothing has been drawn yet.
bool AllShown(const std::vector<Sample>& samples);
bool NoneShown(const std::vector<Sample>& samples);

bool Distinct(e2e::screen::Rgb colour, e2e::screen::Rgb unlike);

// A colour a sample is to show at window (x, y), or none where no sample goes.
using Pick = std::function<std::optional<e2e::screen::Rgb>(int x, int y)>;
// One sample in each cell of a `columns` x `rows` grid over `area` (window
// coordinates; the window's top left is at `origin` on the screen): the
// pixel nearest the cell's centre that `pick` gives a colour for. Cells
// without one get none.
std::vector<Sample> GridSamples(POINT origin, RECT area, int columns, int rows, const Pick& pick);
// A pick: where `colourAt` gives a colour that an empty screen or an
// unpainted window could not show by chance (far from black, white and the
// button face) and that differs from `unlike`.
template <typename ColourAt>
Pick ColourUnlike(e2e::screen::Rgb unlike, ColourAt colourAt) {
  return [unlike, colourAt](int x, int y) -> std::optional<e2e::screen::Rgb> {
    const e2e::screen::Rgb colour = colourAt(x, y);
    if (Distinct(colour, unlike)) return colour;
    return std::nullopt;
  };
}

// The pixels where `after` differs from `before` (two captures of the same
// screen area with its top left at `topLeft`), at most one per cell of a
// `columns` x `rows` grid, the one nearest the cell's centre, with the
// colour `after` shows.
std::vector<Sample> Differences(const e2e::screen::Capture& before, const e2e::screen::Capture& after,
                                POINT topLeft, int columns, int rows);
bool SameCapture(const e2e::screen::Capture& a, const e2e::screen::Capture& b);

// --- memory -------------------------------------------------------------------

// GetProcessMemoryInfo of another process, in KB (1024 bytes).
struct Memory {
  // PrivateUsage; where that reads 0, PagefileUsage, which Windows documents
  // as the same commit charge. (Wine 8 leaves PrivateUsage at 0 for every
  // process but the caller's and fills PagefileUsage from the Linux
  // process's /proc/<pid>/status: RssAnon + VmSwap.)
  double privateKb;
  bool privateFromPagefile;
  double peakPrivateKb;  // PeakPagefileUsage (under Wine: PagefileUsage again)
  double pagefileKb;
  double workingSetKb;
  double peakWorkingSetKb;
};
Memory MemoryOf(DWORD processId);
std::string Describe(const Memory& memory);

// --- one started program --------------------------------------------------------

struct Program {
  std::string name;        // "installer", "baseline"
  std::string path;        // the executable
  std::string workFolder;  // where it is copied once and started from
  const char* windowClass;
  std::vector<Sample> painted;  // all shown: the window is drawn
};

// Started by the harness's InstallerProcess (copy once, CreateProcess); the
// clock starts just before that. A run that is still going when it is
// destroyed (after a failure) is terminated.
class Run {
 public:
  explicit Run(const Program& program);
  ~Run();
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  double StartedAt() const { return started_; }
  DWORD ProcessId() const { return process_->ProcessId(); }
  // Polls the screen as fast as it can without starving the program (1 ms
  // sleeps) until every sample shows; returns the milliseconds since
  // `since`. Fails if the program exits or 20 s pass first; `what` ("window")
  // names the samples for that message.
  double WaitUntilShown(const std::vector<Sample>& samples, double since, const std::string& what);
  // Milliseconds from the start until the program's window is drawn.
  double WaitUntilPainted() { return WaitUntilShown(program_.painted, started_, "window"); }
  // How many times the last wait read the screen.
  int Polls() const { return polls_; }
  // The program's visible top-level window; fails if there is none.
  HWND Window() const;
  // WM_CLOSE to the window, then the wait until the program has exited with 0.
  void Close();

 private:
  const Program& program_;
  double started_;
  int polls_ = 0;
  std::unique_ptr<e2e::InstallerProcess> process_;
};

// Waits until no program window is on the screen any more (none of the
// samples shows); fails after 5 s.
void WaitForEmptyScreen(const std::vector<Sample>& samples);

}  // namespace bench
