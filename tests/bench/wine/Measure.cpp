#include "tests/bench/wine/Measure.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "tests/e2e/Wait.h"

namespace bench {

void Fail(const std::string& why) { throw Failure(why); }

double NowMs() {
  static const double ticksPerMs = [] {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / ticksPerMs;
}

// --- rows ---------------------------------------------------------------------

namespace {

// Linear interpolation between the closest ranks of sorted `values`.
double Percentile(const std::vector<double>& sorted, double fraction) {
  const double position = fraction * static_cast<double>(sorted.size() - 1);
  const auto below = static_cast<std::size_t>(std::floor(position));
  const std::size_t above = std::min(below + 1, sorted.size() - 1);
  return sorted[below] + (sorted[above] - sorted[below]) * (position - static_cast<double>(below));
}

// Milliseconds to the microsecond, kilobytes to a tenth.
int Decimals(const std::string& unit) { return unit == "ms" ? 3 : 1; }

}  // namespace

double Median(std::vector<double> values) {
  if (values.empty()) Fail("no values to take the median of");
  std::sort(values.begin(), values.end());
  return Percentile(values, 0.5);
}

void PrintBench(const std::string& figure, const std::string& subject, std::vector<double> values,
                const std::string& unit) {
  if (values.empty()) Fail("no values for " + figure + " / " + subject);
  std::sort(values.begin(), values.end());
  const int d = Decimals(unit);
  std::printf("BENCH\t%s\t%s\t%.*f\t%.*f\t%.*f\t%.*f\t%.*f\t%s\t%zu\n", figure.c_str(), subject.c_str(), d,
              Percentile(values, 0.5), d, Percentile(values, 0.25), d, Percentile(values, 0.75), d,
              values.front(), d, values.back(), unit.c_str(), values.size());
  std::fflush(stdout);
}

void PrintRatio(const std::string& figure, const std::string& what, double value, const std::string& goal) {
  std::printf("RATIO\t%s\t%s\t%.2f\t%s\n", figure.c_str(), what.c_str(), value, goal.c_str());
  std::fflush(stdout);
}

// --- the screen -----------------------------------------------------------------

namespace {

int Channel(e2e::screen::Rgb colour, int shift) { return static_cast<int>((colour >> shift) & 0xFF); }

// The largest difference of one colour channel.
int Distance(e2e::screen::Rgb a, e2e::screen::Rgb b) {
  int largest = 0;
  for (int shift : {0, 8, 16}) largest = std::max(largest, std::abs(Channel(a, shift) - Channel(b, shift)));
  return largest;
}

e2e::screen::Rgb ButtonFace() {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  return (static_cast<e2e::screen::Rgb>(GetRValue(face)) << 16) |
         (static_cast<e2e::screen::Rgb>(GetGValue(face)) << 8) | GetBValue(face);
}

}  // namespace

bool Distinct(e2e::screen::Rgb colour, e2e::screen::Rgb unlike) {
  constexpr int kMargin = 0x30;
  for (e2e::screen::Rgb plain : {0x000000u, 0xFFFFFFu, ButtonFace(), unlike})
    if (Distance(colour, plain) <= kMargin) return false;
  return true;
}

bool AllShown(const std::vector<Sample>& samples) {
  for (const Sample& sample : samples)
    if (e2e::screen::PixelAt(sample.at.x, sample.at.y) != sample.colour) return false;
  return true;
}

bool NoneShown(const std::vector<Sample>& samples) {
  for (const Sample& sample : samples)
    if (e2e::screen::PixelAt(sample.at.x, sample.at.y) == sample.colour) return false;
  return true;
}

std::vector<Sample> GridSamples(POINT origin, RECT area, int columns, int rows, const Pick& pick) {
  std::vector<Sample> samples;
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  for (int row = 0; row < rows; ++row)
    for (int column = 0; column < columns; ++column) {
      const RECT cell{area.left + width * column / columns, area.top + height * row / rows,
                      area.left + width * (column + 1) / columns, area.top + height * (row + 1) / rows};
      const int cx = (cell.left + cell.right) / 2;
      const int cy = (cell.top + cell.bottom) / 2;
      long best = -1;
      Sample chosen{};
      for (int y = cell.top; y < cell.bottom; ++y)
        for (int x = cell.left; x < cell.right; ++x) {
          const long distance = static_cast<long>(x - cx) * (x - cx) + static_cast<long>(y - cy) * (y - cy);
          if (best >= 0 && distance >= best) continue;
          if (const std::optional<e2e::screen::Rgb> colour = pick(x, y)) {
            best = distance;
            chosen = {{origin.x + x, origin.y + y}, *colour};
          }
        }
      if (best >= 0) samples.push_back(chosen);
    }
  return samples;
}

std::vector<Sample> Differences(const e2e::screen::Capture& before, const e2e::screen::Capture& after,
                                POINT topLeft, int columns, int rows) {
  return GridSamples(topLeft, {0, 0, after.Width(), after.Height()}, columns, rows,
                     [&](int x, int y) -> std::optional<e2e::screen::Rgb> {
                       if (before.At(x, y) == after.At(x, y)) return std::nullopt;
                       return after.At(x, y);
                     });
}

bool SameCapture(const e2e::screen::Capture& a, const e2e::screen::Capture& b) {
  if (a.Empty() || a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.At(x, y) != b.At(x, y)) return false;
  return true;
}

// --- memory ---------------------------------------------------------------------

Memory MemoryOf(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (process == nullptr)
    Fail("cannot open process " + std::to_string(processId) + ", error " + std::to_string(GetLastError()));
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  const BOOL read =
      GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  const DWORD error = GetLastError();
  CloseHandle(process);
  if (!read) Fail("GetProcessMemoryInfo failed, error " + std::to_string(error));
  const auto kb = [](SIZE_T bytes) { return static_cast<double>(bytes) / 1024.0; };
  const bool fromPagefile = counters.PrivateUsage == 0;
  return {kb(fromPagefile ? counters.PagefileUsage : counters.PrivateUsage), fromPagefile,
          kb(counters.PeakPagefileUsage), kb(counters.PagefileUsage), kb(counters.WorkingSetSize),
          kb(counters.PeakWorkingSetSize)};
}

std::string Describe(const Memory& memory) {
  char text[200];
  std::snprintf(text, sizeof text,
                "PrivateUsage %.0f KB, PagefileUsage %.0f KB, PeakPagefileUsage %.0f KB, "
                "WorkingSetSize %.0f KB, PeakWorkingSetSize %.0f KB",
                memory.privateFromPagefile ? 0.0 : memory.privateKb, memory.pagefileKb, memory.peakPrivateKb,
                memory.workingSetKb, memory.peakWorkingSetKb);
  return text;
}

// --- one started program ------------------------------------------------------------

namespace {
constexpr double kShowTimeoutMs = 20000;
constexpr DWORD kExitTimeoutMs = 5000;
}  // namespace

Run::Run(const Program& program) : program_(program) {
  // The harness resolves two paths and makes sure the two folders exist
  // (a few file system calls) before CreateProcess.
  started_ = NowMs();
  process_ = std::make_unique<e2e::InstallerProcess>(program.path, program.workFolder);
  if (!process_->Started()) Fail("cannot start the " + program.name + ": " + process_->StartError());
}

Run::~Run() {
  if (process_ == nullptr || !process_->Running()) return;
  // After a failure: end it here, so that no program outlives the bench.
  if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, process_->ProcessId())) {
    TerminateProcess(process, 1);
    CloseHandle(process);
  }
  process_->WaitForExit(kExitTimeoutMs);
}

double Run::WaitUntilShown(const std::vector<Sample>& samples, double since, const std::string& what) {
  for (polls_ = 1;; ++polls_) {
    if (AllShown(samples)) return NowMs() - since;
    if (!process_->Running())
      Fail("the " + program_.name + " exited before the screen showed its " + what + " drawn");
    if (NowMs() - since > kShowTimeoutMs)
      Fail("the screen did not show the " + program_.name + "'s " + what + " drawn within 20 s");
    Sleep(1);
  }
}

HWND Run::Window() const {
  HWND window = e2e::FindTopLevelWindow(process_->ProcessId(), program_.windowClass);
  if (window == nullptr)
    Fail("the " + program_.name + " has no visible window of class " + program_.windowClass);
  return window;
}

void Run::Close() {
  PostMessageA(Window(), WM_CLOSE, 0, 0);
  const auto code = process_->WaitForExit(kExitTimeoutMs);
  if (!code) Fail("the " + program_.name + " was still running 5 s after WM_CLOSE");
  if (*code != 0) Fail("the " + program_.name + " exited with code " + std::to_string(*code));
}

void WaitForEmptyScreen(const std::vector<Sample>& samples) {
  if (!e2e::WaitUntil([&] { return NoneShown(samples); }, 5000, 1))
    Fail("a window of an earlier run is still on the screen after 5 s");
}

}  // namespace bench
