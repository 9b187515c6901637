#!/usr/bin/env bash
# Runs the Wine benchmark: QuorvaneBench.exe measures the installer's first
# paint, install time and memory against BenchBaseline.exe and CopyFileA, on
# a private X screen, in a fresh prefix with D: mapped to a folder of its own.
#
#   tools/bench-wine.sh [INSTALLER_EXE] [BENCH_EXE] [--runs N] [--verbose]
#
# Defaults: build/win64/app/QuorvaneSetup.exe and
# build/win64/tests/bench/wine/QuorvaneBench.exe (BenchBaseline.exe is taken
# from beside it). Its BENCH and RATIO rows go to stdout, everything else to
# stderr; exits with its exit code. Works in $QUORVANE_BENCH_DIR (default
# build/bench) and removes the prefix and the drive's files afterwards.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$repo/tools/wine-session.sh"
# Bounded: 600 s unless QUORVANE_BENCH_TIMEOUT (seconds) says otherwise.
ws_bounded "${QUORVANE_BENCH_TIMEOUT:-600}" "$0" "$@"

installer=$repo/build/win64/app/QuorvaneSetup.exe
bench=$repo/build/win64/tests/bench/wine/QuorvaneBench.exe
bench_options=()
positional=0
while [ $# -gt 0 ]; do
  case $1 in
    --runs) bench_options+=("$1" "${2:?--runs needs a number}"); shift ;;
    --*) bench_options+=("$1") ;;
    *)
      case $positional in
        0) installer=$(realpath -m "$1") ;;
        1) bench=$(realpath -m "$1") ;;
        *) echo "bench-wine: unexpected argument $1" >&2; exit 2 ;;
      esac
      positional=$((positional + 1)) ;;
  esac
  shift
done
for file in "$installer" "$bench" "$(dirname "$bench")/BenchBaseline.exe"; do
  if [ ! -f "$file" ]; then
    echo "bench-wine: $file is missing (build it: cmake --preset win64 && cmake --build --preset win64)" >&2
    exit 2
  fi
done

bench_root=$(realpath -m "${QUORVANE_BENCH_DIR:-$repo/build/bench}")
started=$SECONDS
cleanup() {
  ws_cleanup
  rm -rf "$bench_root/drive-d" "$bench_root/work"
}
trap cleanup EXIT
# timeout stops the run with SIGTERM: leave through the EXIT trap.
trap 'echo "bench-wine: stopped by timeout or signal" >&2; exit 124' TERM INT

ws_start_test_session "$bench_root"

# The prefix settles before anything is timed: QuorvaneBench.exe starts each
# program once, installs once and copies once before its counted runs.
installer_windows=$(winepath -w "$installer")
status=0
(cd "$bench_root/work" && wine "$bench" "$installer_windows" "${bench_options[@]}") || status=$?
echo "bench-wine: QuorvaneBench.exe exit code $status, run took $((SECONDS - started)) s" >&2
exit "$status"
