#!/usr/bin/env bash
# The benchmark command: builds what it needs, measures the installer against
# its limits and prints one table (Markdown).
#
#   tools/benchmark.sh [--runs N] [--write]
#
#   first paint    the installer's window drawn on the screen, against a plain
#                  400 x 200 window (Wine, tests/bench/wine)
#   install time   from the click on 安装 to the completion panel on the
#                  screen, against CopyFileA of the same four files (Wine)
#   memory         the installer's private bytes after start and after an
#                  install, against the plain window (Wine)
#   size           each installer's bytes beyond the payload, by section and
#                  resource (tools/bench-size.py)
#   banner decode  the installer's decoding against libjpeg's own plain loop
#                  (Google Benchmark on the host, tools/bench-host.sh)
#
# Each timed figure is the median of N runs (default 20), interleaved with
# its reference. --write also puts the table, with the machine it ran on,
# into BENCHMARKS.md. Exits non-zero if a measurement could not be taken.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
runs=20
table_options=()
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=${2:?--runs needs a number}; shift ;;
    --write) table_options=(--write BENCHMARKS.md) ;;
    *) echo "benchmark: unknown argument $1 (usage: tools/benchmark.sh [--runs N] [--write])" >&2; exit 2 ;;
  esac
  shift
done

tools/install-deps.sh >&2
# The host benchmark is built by tools/bench-host.sh itself.
for preset in win32 win64; do
  [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset" >&2
done
cmake --build --preset win32 --target QuorvaneSetup >&2
cmake --build --preset win64 --target QuorvaneSetup QuorvaneBench BenchBaseline >&2

rows=$(mktemp)
trap 'rm -f "$rows"' EXIT
tools/bench-wine.sh --runs "$runs" >>"$rows"
tools/bench-host.sh --runs "$runs" >>"$rows"
python3 tools/bench-size.py build/win32/app/QuorvaneSetup.exe build/win64/app/QuorvaneSetup.exe >>"$rows"

machine="$(date -u +%Y-%m-%d), $(nproc) cores ($(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1)),"
machine+=" $(. /etc/os-release && echo "$PRETTY_NAME"), $(wine --version 2>/dev/null) (64-bit) under Xvfb 1920x1080x24,"
machine+=" load average $(cut -d ' ' -f 1-3 /proc/loadavg) at the end"
python3 tools/bench-table.py "$rows" --machine "$machine" "${table_options[@]}"
