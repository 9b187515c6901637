#!/usr/bin/env bash
# The test command: installs what is missing, builds the three builds, then
# runs every test: the host unit tests, the static checks of the shipped
# 32-bit installer (with its reproducibility and signing), and the
# end-to-end suite under Wine. Ends with one summary line.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
logs=build/logs
started=$(date +%s)

tools/install-deps.sh
for preset in host win32 win64; do
  [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset" >/dev/null
  echo "== building $preset"
  cmake --build --preset "$preset"
done
mkdir -p "$logs"

total_passed=0
total_failed=0
summary=()

# Runs one part of the suite, shows its output and adds up its closing
# counts: ctest's "N tests failed out of M", GoogleTest's "[  PASSED  ] N" /
# "[  FAILED  ] N", or a plain "name: N passed, N failed". A part that
# reports no count, or fails without a failed count, counts as one failure.
run_part() {
  local name=$1
  shift
  echo "== $name"
  local log="$logs/$name.log" status=0
  "$@" 2>&1 | tee "$log" || status=$?
  local passed failed
  if grep -qE 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log"; then
    failed=$(grep -oE '[0-9]+ tests failed out of' "$log" | tail -n 1 | grep -oE '^[0-9]+')
    passed=$(( $(grep -oE 'failed out of [0-9]+' "$log" | tail -n 1 | grep -oE '[0-9]+$') - failed ))
  elif grep -qE '^\[  PASSED  \] [0-9]+ test' "$log"; then
    passed=$(grep -E '^\[  PASSED  \] [0-9]+ test' "$log" | tail -n 1 | grep -oE '[0-9]+' | head -n 1)
    failed=$(grep -E '^\[  FAILED  \] [0-9]+ test' "$log" | tail -n 1 | grep -oE '[0-9]+' | head -n 1 || true)
    failed=${failed:-0}
  elif grep -qE '[0-9]+ passed, [0-9]+ failed' "$log"; then
    passed=$(grep -oE '[0-9]+ passed, [0-9]+ failed' "$log" | tail -n 1 | grep -oE '^[0-9]+')
    failed=$(grep -oE '[0-9]+ passed, [0-9]+ failed' "$log" | tail -n 1 | grep -oE '[0-9]+ failed' | grep -oE '[0-9]+')
  else
    passed=0
    failed=1
  fi
  if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
  summary+=("$name: $passed passed, $failed failed (exit $status)")
}

win32=build/win32
run_part host ctest --preset host
run_part static python3 tests/static/check_installer.py "$win32/app/QuorvaneSetup.exe" \
  --expect-machine i386 --payload-program "$win32/payload/VelkTest.exe" --standin-size 612370 \
  --banner resources/banner.jpg --tutorial payload/Help.avi \
  --answer payload/Answer.ini --install payload/Install.ini
run_part reproducible tools/check-reproducible.sh
run_part signing tools/check-signing.sh
run_part e2e tools/e2e.sh

echo "== summary ($(( $(date +%s) - started )) s)"
printf '  %s\n' "${summary[@]}"
echo "$total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ]
