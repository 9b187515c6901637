#!/usr/bin/env bash
# Runs the end-to-end tests: the harness drives the installer under Wine on a
# private X screen, in a fresh prefix with D: mapped to build/e2e/drive-d.
#
#   tools/e2e.sh [INSTALLER_EXE] [HARNESS_EXE] [--gtest_...]
#
# Defaults: build/win64/app/QuorvaneSetup.exe and
# build/win64/tests/e2e/QuorvaneE2E.exe. Options starting with "--" go to the
# harness. Exits with the harness's exit code; cleans up whatever happens.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$repo/tools/wine-session.sh"
# A hang must never block CI: the whole run is bounded, 900 s unless
# QUORVANE_E2E_TIMEOUT (seconds) says otherwise.
ws_bounded "${QUORVANE_E2E_TIMEOUT:-900}" "$0" "$@"

installer=$repo/build/win64/app/QuorvaneSetup.exe
harness=$repo/build/win64/tests/e2e/QuorvaneE2E.exe
harness_options=()
positional=0
for argument in "$@"; do
  case $argument in
    --*) harness_options+=("$argument") ;;
    *)
      case $positional in
        0) installer=$(realpath -m "$argument") ;;
        1) harness=$(realpath -m "$argument") ;;
        *) echo "e2e: unexpected argument $argument" >&2; exit 2 ;;
      esac
      positional=$((positional + 1)) ;;
  esac
done
for file in "$installer" "$harness"; do
  if [ ! -f "$file" ]; then
    echo "e2e: $file is missing (build it: cmake --preset win64 && cmake --build --preset win64)" >&2
    exit 2
  fi
done

e2e_root=${QUORVANE_E2E_DIR:-$repo/build/e2e}
started=$SECONDS
trap ws_cleanup EXIT
# timeout stops the run with SIGTERM: leave through the EXIT trap.
trap 'echo "e2e: stopped by timeout or signal" >&2; exit 124' TERM INT

ws_start_test_session "$e2e_root"
# --- small drive (begin): F: is a 1 MiB file system, for a disk that fills
# (InstallTest). The payload's first three files fit, the tutorial does not.
ws_mount_small_drive f "$e2e_root/drive-f" 1m ||
  echo "e2e: no small drive F: (mount failed); the full-disk test will fail" >&2
# --- small drive (end) ---

# The harness runs in build/e2e/work and gives each test a folder there.
installer_windows=$(winepath -w "$installer")
status=0
(cd "$e2e_root/work" && wine "$harness" "${harness_options[@]}" "$installer_windows") || status=$?
echo "e2e: harness exit code $status, run took $((SECONDS - started)) s" >&2
exit "$status"
