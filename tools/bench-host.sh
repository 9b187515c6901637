#!/usr/bin/env bash
# Host benchmark of the banner decoding: the installer's DecodePicture against
# libjpeg's own plain decode loop of the same bytes (tests/bench/host).
#
#   tools/bench-host.sh [--runs N]
#
# Builds quorvane_banner_bench in $QUORVANE_HOST_BUILD (default build/host,
# configured with the host preset only when it is not configured yet), runs
# N randomly interleaved repetitions of each (default 20) and prints on
# stdout, tab-separated:
#
#   BENCH  banner decode  <subject>  <median> <p25> <p75> <min> <max>  us  <runs>
#   RATIO  banner decode  DecodePicture / libjpeg loop  <value>  <= 1.1
#
# The figures are the CPU time per decode of each repetition. Both decodes
# are pure computation on bytes already in memory, so their CPU time is the
# work they do; the wall-clock time also counts whatever time the thread sat
# preempted by other processes on a shared machine, which says nothing about
# the decoders. The wall-clock medians go to stderr for comparison.
# Everything but the rows goes to stderr.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
runs=20
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) [ $# -ge 2 ] || { echo "--runs needs a number" >&2; exit 2; }; runs=$2; shift 2 ;;
    --runs=*) runs=${1#--runs=}; shift ;;
    -h|--help) sed -n '2,/^set -e/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2; exit 0 ;;
    *) echo "unknown argument: $1 (usage: tools/bench-host.sh [--runs N])" >&2; exit 2 ;;
  esac
done
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "--runs: not a positive number: $runs" >&2; exit 2; }

build=${QUORVANE_HOST_BUILD:-build/host}
if [ ! -f "$build/CMakeCache.txt" ]; then
  if [ "$build" = build/host ]; then
    cmake --preset host >&2
  else
    cmake --preset host -B "$build" >&2
  fi
fi
cmake --build "$build" --target quorvane_banner_bench -j2 >&2

json=$(mktemp)
trap 'rm -f "$json"' EXIT
"$build/tests/bench/host/quorvane_banner_bench" \
  --benchmark_repetitions="$runs" --benchmark_enable_random_interleaving=true \
  --benchmark_out="$json" --benchmark_out_format=json >&2

python3 - "$json" "$runs" <<'PY'
import json
import statistics
import sys

path, runs = sys.argv[1], int(sys.argv[2])
with open(path) as f:
    results = json.load(f)["benchmarks"]

SUBJECTS = ["DecodePicture", "libjpeg loop"]
SCALE = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}  # to microseconds


def times(subject, key):
    rows = [r for r in results
            if r.get("run_name") == subject and r.get("run_type") == "iteration"]
    for r in rows:
        if r.get("error_occurred"):
            sys.exit("%s: %s" % (subject, r.get("error_message")))
    if len(rows) != runs:
        sys.exit("%s: %d repetitions in the results, %d asked for" % (subject, len(rows), runs))
    return [r[key] * SCALE[r["time_unit"]] for r in rows]


def quartiles(values):
    if len(values) == 1:
        return values * 3
    return statistics.quantiles(values, n=4, method="inclusive")


medians = {}
for subject in SUBJECTS:
    cpu = times(subject, "cpu_time")
    p25, median, p75 = quartiles(cpu)
    medians[subject] = median
    print("BENCH\tbanner decode\t%s\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\tus\t%d"
          % (subject, median, p25, p75, min(cpu), max(cpu), runs))
    print("%s: wall-clock median %.1f us" % (subject, statistics.median(times(subject, "real_time"))),
          file=sys.stderr)
print("RATIO\tbanner decode\tDecodePicture / libjpeg loop\t%.3f\t<= 1.1"
      % (medians["DecodePicture"] / medians["libjpeg loop"]))
PY
