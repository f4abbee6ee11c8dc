#!/usr/bin/env bash
# ctest's windows_tls_handshake in a Windows build folder: certificates made
# for this run, "openssl s_server" on the Linux side, and the test program
# under Wine (wine64 for a 64-bit build, wine for a 32-bit one) in $WINEPREFIX,
# else in the build folder's own prefix.
# Usage: tests/windows/tls-handshake.sh TEST_PROGRAM.exe 32|64
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
program=${1:?usage: $0 TEST_PROGRAM.exe 32|64}
bits=${2:?usage: $0 TEST_PROGRAM.exe 32|64}

fail() {
    echo "tls-handshake: $*" >&2
    exit 1
}
source "$root/tools/windows-tls-server.sh"
source "$root/tools/wine-loader.sh"

choose_wine "$bits" || fail "wine64 is not installed"
export WINEPREFIX=${WINEPREFIX:-$(cd "$(dirname "$program")/.." && pwd)/wine-prefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
mkdir -p "$WINEPREFIX"

work="$(mktemp -d)"
cleanup() {
    stop_tls_server
    rm -rf "$work"
}
trap cleanup EXIT

make_test_certificates "$work"
start_tls_server "$work"
export VANTREL_TLS_SERVER="127.0.0.1:$tls_port"
VANTREL_TLS_CA=$(timeout 120 winepath -w "$work/ca.pem") || fail "winepath failed"
VANTREL_TLS_WRONG_CA=$(timeout 60 winepath -w "$work/wrong-ca.pem") || fail "winepath failed"
export VANTREL_TLS_CA VANTREL_TLS_WRONG_CA
(cd "$(dirname "$program")" && timeout -k 10 300 "${wine[@]}" "$program" --gtest_brief=1) ||
    fail "$(basename "$program") ($bits-bit) failed against openssl s_server on port $tls_port"
