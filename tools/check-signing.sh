#!/usr/bin/env bash
# Checks the signing step of the build (cmake/Sign.cmake) with a throwaway
# self-signed code signing certificate, in build/signing-test:
#
#   1. the 32-bit installer built without a certificate carries no signature
#   2. the same build folder configured with QUORVANE_SIGN_CERT/_KEY/_PASS_FILE
#      relinks and signs it
#   3. osslsigncode verifies the signature against that certificate, and
#      rejects it against another certificate and in a tampered copy
#   4. with the signature removed, the file equals the unsigned build, and the
#      static checks pass on the signed file: payload and resources intact
#   5. a time stamp server that cannot be reached (QUORVANE_TIMESTAMP_URL)
#      fails the build and leaves no unsigned installer behind
#   6. a configuration with a missing or unset certificate, key or password
#      file stops with an error naming the variable
#
#   tools/check-signing.sh
#
# Prints one line per check and "signing: N passed, N failed"; the exit status
# is 1 if any check failed.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$repo/build/signing-test
build=$work/build
exe=$build/app/QuorvaneSetup.exe

passed=0
failed=0
check() {  # check NAME COMMAND...: passes when COMMAND succeeds
  local name=$1
  shift
  if "$@" >>"$work/checks.log" 2>&1; then
    echo "ok   $name"
    passed=$((passed + 1))
  else
    echo "FAIL $name (see ${work#"$repo"/}/checks.log)"
    failed=$((failed + 1))
  fi
}
rejected() {  # rejected FILE CAFILE: FILE has a signature, and it does not verify
  ! osslsigncode verify -in "$1" -CAfile "$2" >"$work/verify.log" 2>&1 &&
    grep -q "Signature verification: failed" "$work/verify.log"
}
stop() {  # stop MESSAGE: a build failed, nothing more to check
  echo "signing: $1 (see ${work#"$repo"/}/build.log)"
  failed=$((failed + 1))
  echo "signing: $passed passed, $failed failed"
  exit 1
}
configure() {  # configure BUILD_DIR [CMAKE_ARGS...]
  local dir=$1
  shift
  cmake -S "$repo" -B "$dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-i686-mingw.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DQUORVANE_DEPS_DIR="$repo/build/deps" "$@"
}
signature_bytes() {  # the size of FILE's certificate table (0: unsigned)
  python3 - "$repo/tests/static" "$1" <<'EOF'
import sys
sys.path.insert(0, sys.argv[1])
from check_installer import PE
print(PE(open(sys.argv[2], "rb").read()).directory(4)[1])
EOF
}
unsigned() { [ "$(signature_bytes "$1")" = 0 ]; }
signed() { [ "$(signature_bytes "$1")" != 0 ]; }
unreachable_time_stamp_fails() {  # nothing listens on port 9 (discard) here
  configure "$build" -DQUORVANE_TIMESTAMP_URL=http://127.0.0.1:9/ &&
    ! cmake --build "$build" && [ ! -e "$exe" ]
}
configure_fails_saying() {  # configure_fails_saying TEXT CMAKE_ARGS...
  local text=$1 dir=$work/bad-config
  shift
  ! configure "$dir" "$@" >"$dir.log" 2>&1 && grep -qF -- "$text" "$dir.log"
}

rm -rf "$work"
mkdir -p "$work"
cd "$work"

echo "signing: making a throwaway certificate in ${work#"$repo"/}"
printf 'throwaway-%s\n' "$RANDOM$RANDOM" >pass.txt
openssl req -x509 -newkey rsa:2048 -days 2 -subj "/CN=Quorvane signing test" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  -keyout key.pem -passout file:pass.txt -out cert.pem 2>>openssl.log
openssl req -x509 -newkey rsa:2048 -days 2 -subj "/CN=Someone else" -noenc \
  -keyout other-key.pem -out other-cert.pem 2>>openssl.log

echo "signing: building the unsigned installer in ${build#"$repo"/}"
configure "$build" >build.log 2>&1 && cmake --build "$build" >>build.log 2>&1 \
  || stop "the unsigned build failed"
cp "$exe" unsigned.exe
check "without a certificate the installer is not signed" unsigned unsigned.exe

echo "signing: configuring the same folder with the certificate and relinking"
configure "$build" -DQUORVANE_SIGN_CERT="$work/cert.pem" -DQUORVANE_SIGN_KEY="$work/key.pem" \
  -DQUORVANE_SIGN_PASS_FILE="$work/pass.txt" >>build.log 2>&1 \
  && cmake --build "$build" >>build.log 2>&1 \
  || stop "the signed build failed"
cp "$exe" signed.exe
check "with a certificate the installer is signed" signed signed.exe
check "osslsigncode verify accepts it with the certificate as CA file" \
  osslsigncode verify -in signed.exe -CAfile cert.pem
check "osslsigncode verify rejects it with another certificate as CA file" \
  rejected signed.exe other-cert.pem
python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read()); d[len(d) // 2] ^= 1
open(sys.argv[2], "wb").write(d)' signed.exe tampered.exe
check "osslsigncode verify rejects a copy with one byte changed" rejected tampered.exe cert.pem

check "osslsigncode remove-signature works" \
  osslsigncode remove-signature -in signed.exe -out removed.exe
check "without its signature the file equals the unsigned build" cmp unsigned.exe removed.exe
check "static checks pass on the signed installer" \
  "$repo/tests/static/check_installer.py" signed.exe \
  --payload-program "$build/payload/VelkTest.exe" --standin-size 612370
check "an unreachable time stamp server fails the build, leaving no installer" \
  unreachable_time_stamp_fails

# Configurations that must stop: certificate | key | password file | the error
bad_configs=(
  "no-such-cert.pem|key.pem||QUORVANE_SIGN_CERT: no such file"
  "cert.pem|no-such-key.pem||QUORVANE_SIGN_KEY: no such file"
  "cert.pem|key.pem|no-such-pass.txt|QUORVANE_SIGN_PASS_FILE: no such file"
  "|key.pem||QUORVANE_SIGN_CERT is not set"
  "cert.pem|||QUORVANE_SIGN_KEY is not set"
)
for row in "${bad_configs[@]}"; do
  IFS='|' read -r cert key pass text <<<"$row"
  check "configuring with certificate '$cert', key '$key', password file '$pass' stops: $text" \
    configure_fails_saying "$text" -DQUORVANE_SIGN_CERT="${cert:+$work/$cert}" \
    -DQUORVANE_SIGN_KEY="${key:+$work/$key}" -DQUORVANE_SIGN_PASS_FILE="${pass:+$work/$pass}"
done

echo "signing: $passed passed, $failed failed"
[ "$failed" = 0 ]
