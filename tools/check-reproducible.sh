#!/usr/bin/env bash
# Builds the 32-bit installer twice from the same sources and compares the two
# QuorvaneSetup.exe byte for byte.
#
#   build A: sources in the repository,        build folder build/repro-a
#   build B: a copy of them in build/repro-src-b, build folder build/repro-b
#
# The two builds differ in every absolute path (sources and build folder), so
# equal bytes also show that no path reaches the installer. The copy holds the
# files git knows about or would add (tracked, and untracked but not ignored),
# as they are in the working tree. All three folders are made afresh.
#
#   tools/check-reproducible.sh
#
# Prints "reproducible: 1 passed, 0 failed" or the first differing offsets and
# "reproducible: 0 passed, 1 failed"; the exit status follows.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_a=$repo/build/repro-a
build_b=$repo/build/repro-b
source_b=$repo/build/repro-src-b

build() {  # build SOURCE_DIR BUILD_DIR; the output goes to BUILD_DIR/build.log
  mkdir -p "$2"
  cmake -S "$1" -B "$2" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-i686-mingw.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DQUORVANE_DEPS_DIR="$repo/build/deps" >"$2/build.log" 2>&1 &&
  cmake --build "$2" >>"$2/build.log" 2>&1 || { tail -n 30 "$2/build.log"; return 1; }
}

failed() {
  echo "reproducible: $1"
  echo "reproducible: 0 passed, 1 failed"
  exit 1
}

rm -rf "$build_a" "$build_b" "$source_b"
mkdir -p "$source_b"
echo "reproducible: copying the sources to ${source_b#"$repo"/}"
(cd "$repo" && git ls-files -z --cached --others --exclude-standard \
   | tar --null -T - --ignore-failed-read -cf -) | tar -xf - -C "$source_b"

echo "reproducible: building A in ${build_a#"$repo"/}"
build "$repo" "$build_a" || failed "build A failed (see ${build_a#"$repo"/}/build.log)"
echo "reproducible: building B in ${build_b#"$repo"/} from ${source_b#"$repo"/}"
build "$source_b" "$build_b" || failed "build B failed (see ${build_b#"$repo"/}/build.log)"

exe_a=$build_a/app/QuorvaneSetup.exe
exe_b=$build_b/app/QuorvaneSetup.exe
if cmp -s "$exe_a" "$exe_b"; then
  echo "reproducible: $(stat -c %s "$exe_a") bytes, identical"
  echo "reproducible: 1 passed, 0 failed"
  exit 0
fi

echo "reproducible: the installers differ ($(stat -c %s "$exe_a") vs $(stat -c %s "$exe_b") bytes)"
echo "reproducible: first differing offsets (offset, section, byte in A, byte in B):"
python3 - "$repo" "$exe_a" "$exe_b" <<'EOF'
import os, sys
sys.path.insert(0, os.path.join(sys.argv[1], "tests", "static"))
from check_installer import PE, PEError

a, b = (open(path, "rb").read() for path in sys.argv[2:4])
try:
    sections = PE(a).sections
except (PEError, ValueError):
    sections = []

def where(offset):
    for s in sections:
        if s.raw_offset <= offset < s.raw_offset + s.raw_size:
            return "%s+0x%x" % (s.name, offset - s.raw_offset)
    return "headers" if not sections or offset < sections[0].raw_offset else "overlay"

shown = 0
for offset in range(min(len(a), len(b))):
    if a[offset] != b[offset]:
        print("  0x%08x  %-18s %02x %02x" % (offset, where(offset), a[offset], b[offset]))
        shown += 1
        if shown == 20:
            break
EOF
# A difference can also come from someone editing the sources meanwhile.
changed=$(cd "$source_b" && find . -type f -printf '%P\n' | while read -r f; do
  cmp -s "$f" "$repo/$f" || echo "$f"; done)
if [ -n "$changed" ]; then
  echo "reproducible: note: these sources changed while the check ran: $changed"
fi
failed "the installers differ"
