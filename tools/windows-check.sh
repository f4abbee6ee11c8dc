#!/usr/bin/env bash
# Checks the Windows builds made by ./run.sh windows (or windows-core):
#   - both clients are self-contained PE images of the right architecture;
#   - the library's export table holds exactly the two exports;
#   - the 64-bit and the 32-bit core tests pass under Wine;
#   - both make a TLS handshake with the OpenSSL built for Windows against a
#     Linux TLS server, verifying its certificate against a test CA;
#   - the 64-bit and the 32-bit vantrel.exe, under Wine, log in, deposit and
#     list the transfer details against the Linux simulator, and write the
#     same GBK transfer log, byte for byte apart from the time stamps, as the
#     Linux client does for the same session;
#   - the 32-bit vantrel.exe logs in through TLS to the simulator serving a
#     certificate made for the run, and refuses it with a CA that did not sign it.
# Usage: tools/windows-check.sh [WIN64_BUILD_DIR [WIN32_BUILD_DIR [LINUX_BUILD_DIR]]]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
win64="$(cd "${1:-$root/build-win64}" && pwd)"
win32="$(cd "${2:-$root/build-win32}" && pwd)"
linux="$(cd "${3:-$root/build}" && pwd)"

fail() {
    echo "windows-check: $*" >&2
    exit 1
}

for file in "$win64/bin/vantrel.exe" "$win64/bin/vantrel_core_tests.exe" "$win32/bin/vantrel.exe" \
            "$win32/bin/vantrel_core_tests.exe" \
            "$linux/bin/vantrel" "$linux/bin/vantrel-middleware"; do
    [ -f "$file" ] || fail "$file is missing; run ./run.sh windows"
done

# ---- the images: architecture, and the compiler's DLLs only where deployed

check_image() {
    local objdump=$1 exe=$2 format=$3
    local header imports
    header=$("$objdump" -p "$exe")
    grep -q "file format $format" <<<"$header" || fail "$exe is not a $format image"
    imports=$(grep 'DLL Name:' <<<"$header" | awk '{print $3}' | tr '\n' ' ')
    # Built with Qt, the programs share Qt's C++ runtime DLLs, deployed beside them.
    local dll
    for dll in $(grep -oiE '(libstdc|libgcc|libwinpthread)[^ ]*' <<<"$imports"); do
        [ -f "$(dirname "$exe")/$dll" ] || fail "$exe needs the compiler's $dll, which is not beside it"
    done
    echo "$(basename "$(dirname "$(dirname "$exe")")")/$(basename "$exe"): file format $format; imports $imports"
}
check_image x86_64-w64-mingw32-objdump "$win64/bin/vantrel.exe" pei-x86-64
check_image x86_64-w64-mingw32-objdump "$win64/bin/vantrel_core_tests.exe" pei-x86-64
check_image i686-w64-mingw32-objdump "$win32/bin/vantrel.exe" pei-i386
check_image i686-w64-mingw32-objdump "$win32/bin/vantrel_core_tests.exe" pei-i386

# The export table a host sees: the two names, undecorated, nothing else.
check_exports() {
    local objdump=$1 dll=$2 names
    [ -f "$dll" ] || fail "$dll is missing; run ./run.sh windows"
    names=$("$objdump" -p "$dll" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
            sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | tr '\n' ' ')
    [ "$names" = "OpenVantrel OpenVantrelEx " ] || fail "$dll exports: $names"
    echo "$(basename "$(dirname "$(dirname "$dll")")")/$(basename "$dll"): exports $names"
}
# The library itself when it was built with Qt, else the probe linked the same way.
exporting_dll() {
    if [ -f "$1/bin/vantrel.dll" ]; then echo "$1/bin/vantrel.dll"; else echo "$1/bin/vantrel_export_probe.dll"; fi
}
check_exports x86_64-w64-mingw32-objdump "$(exporting_dll "$win64")"
check_exports i686-w64-mingw32-objdump "$(exporting_dll "$win32")"

# ---- the Win32 branches of the window code, which needs Qt for Windows to be
# built. Syntax and warnings only, against the distribution's (Linux) Qt
# headers taken as a static Qt: no object code, no link.
# With Qt for Windows they are built for real (tools/windows-gui-check.sh).
qt_headers=/usr/include/x86_64-linux-gnu/qt6
if [ -f "$win32/bin/vantrel.dll" ] && [ -f "$win64/bin/vantrel.dll" ]; then
    echo "Win32 branches of the window code: built with Qt for Windows"
elif [ -d "$qt_headers/QtWidgets" ]; then
    for source in src/widgets/OwnerWindow.cpp src/entry/QtTranslation.cpp src/widgets/UserPrompts.cpp \
                  src/widgets/TfFormSK.cpp src/entry/Exports.cpp tools/host/main.cpp; do
        for compiler in x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix; do
            "$compiler" -std=c++20 -fsyntax-only -Wall -Wextra -Werror -Wno-attributes \
                -DQT_STATIC -DNOMINMAX -D_WIN32_WINNT=0x0601 -DVANTREL_BUILDING_LIBRARY \
                -I"$root/src" -I"$root/include" -I"$win64/asio-include" -I"$qt_headers" \
                -I"$qt_headers/QtCore" -I"$qt_headers/QtGui" -I"$qt_headers/QtWidgets" \
                "$root/$source" || fail "the Win32 branch of $source does not compile ($compiler)"
        done
    done
    echo "Win32 branches of the window code: syntax checked for both architectures"
else
    echo "Win32 branches of the window code: not checked (no Qt headers; Debian: qt6-base-dev)"
fi

# ---- Wine: a private prefix in the build folder, no debug output, no display

source "$root/tools/wine-loader.sh"
choose_wine 64 || fail "wine64 is not installed"
export WINEPREFIX="$win64/wine-prefix"
export WINEDEBUG=-all
# No Mono or Gecko installer at the first start: nothing here needs them.
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
unset VANTREL_APP_PATH
mkdir -p "$WINEPREFIX"

work="$(mktemp -d)"
source "$root/tools/windows-simulator.sh"
cleanup() {
    kill_simulator
    [ -n "${tmux_socket:-}" ] && tmux -L "$tmux_socket" kill-server 2>/dev/null
    # Only this prefix's server.
    timeout 30 wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A hung Wine must not hold the run: every Wine call is bounded.
in_wine() {
    local limit=$1
    shift
    timeout -k 10 "$limit" "${wine[@]}" "$@"
}
# 32-bit programs run in the same prefix through Wine's 32-bit loader (wine32).
in_wine32() {
    local limit=$1
    shift
    timeout -k 10 "$limit" wine "$@"
}

start=$SECONDS
timeout -k 10 300 wineboot -i >/dev/null 2>&1 || fail "wineboot did not finish"
echo "Wine prefix ready in $((SECONDS - start)) s ($WINEPREFIX)"

# ---- the core tests

echo "== vantrel_core_tests.exe under Wine"
start=$SECONDS
(cd "$win64/bin" && in_wine 900 ./vantrel_core_tests.exe --gtest_brief=1) || fail "core tests failed under Wine"
echo "64-bit core tests under Wine: $((SECONDS - start)) s"
echo "== 32-bit vantrel_core_tests.exe under Wine (wine32)"
start=$SECONDS
(cd "$win32/bin" && in_wine32 900 ./vantrel_core_tests.exe --gtest_brief=1) || fail "32-bit core tests failed under Wine"
echo "32-bit core tests under Wine: $((SECONDS - start)) s"

# ---- TLS: asio's SSL layer with the OpenSSL built for Windows, a handshake
# from each Wine process against openssl s_server on Linux (ctest runs
# tests/windows/tls-handshake.sh, in this script's Wine prefix)

for build in "$win64" "$win32"; do
    echo "== TLS handshake under Wine: $(basename "$build")"
    start=$SECONDS
    ctest --test-dir "$build" -R '^windows_tls_handshake$' --output-on-failure --no-tests=error ||
        fail "the TLS handshake failed under Wine ($(basename "$build"))"
    echo "TLS handshake ($(basename "$build")): $((SECONDS - start)) s"
done

# ---- one session, once with each client, each against a fresh simulator

trade=8001234
password=123456
bank=005
account=6222020200112345678

# The first session lets the simulator pick a free port; the second uses the
# same one, since the transfer log names the server.

# run_session NAME APP_PATH_AS_THE_CLIENT_SEES_IT CLIENT...
run_session() {
    local name=$1 app=$2
    shift 2
    local folder="$work/$name"
    start_simulator "$folder"
    local common=(--app-path "$app" --server "127.0.0.1:$port" --trade "$trade" --password-stdin)
    printf '%s\n' "$password" | "$@" "${common[@]}" login >"$folder/login.out" ||
        fail "$name: login failed"
    printf '%s\n' "$password" | "$@" "${common[@]}" deposit --bank "$bank" --account "$account" \
        --amount 100.00 --memo 工资 >"$folder/deposit.out" || fail "$name: deposit failed"
    printf '%s\n' "$password" | "$@" "${common[@]}" --format tsv transfers --bank "$bank" \
        --account "$account" >"$folder/transfers.out" || fail "$name: transfers failed"
    stop_simulator
    grep -q $'\t工资$' <(tr -d '\r' <"$folder/transfers.out") ||
        fail "$name: the deposit is not among the transfer details"
    [ -z "$(ls "$folder/app/logs"/*.log 2>/dev/null)" ] ||
        fail "$name: the client wrote an error log: $(cat "$folder/app/logs"/*.log)"
    ls "$folder/app/logs"/*.mlog >/dev/null 2>&1 || fail "$name: no transfer log written"
}

for name in linux wine wine32; do
    mkdir -p "$work/$name/app"
    cp "$root/examples/Bank.ini" "$work/$name/app/Bank.ini"
done

echo "== the same session with build/bin/vantrel and, under Wine, vantrel.exe"
start=$SECONDS
run_session linux "$work/linux/app" "$linux/bin/vantrel"
wine_app=$(timeout 60 winepath -w "$work/wine/app")
run_session wine "$wine_app" in_wine 120 "$win64/bin/vantrel.exe"
run_session wine32 "$(timeout 60 winepath -w "$work/wine32/app")" in_wine32 120 "$win32/bin/vantrel.exe"
echo "sessions: $((SECONDS - start)) s"

# Time stamps are the only difference allowed. The patterns are ASCII below
# 0x40, so they never match inside a two-byte GBK character.
mask() {
    LC_ALL=C sed -E 's/[0-9]{4}-[0-9]{2}-[0-9]{2}/YYYY-MM-DD/g; s/[0-9]{2}:[0-9]{2}:[0-9]{2}/HH:MM:SS/g'
}
for name in linux wine wine32; do
    cat "$work/$name/app/logs"/*.mlog | mask >"$work/$name.mlog"
    for out in login transfers; do tr -d '\r' <"$work/$name/$out.out" | mask >"$work/$name.$out"; done
done

iconv -f GBK -t UTF-8 "$work/wine.mlog" >/dev/null || fail "the Wine client's transfer log is not GBK"
grep -q "入金成功" <(iconv -f GBK -t UTF-8 "$work/wine.mlog") || fail "the Wine transfer log has no deposit"
if ! cmp "$work/linux.mlog" "$work/wine.mlog"; then
    diff <(iconv -f GBK -t UTF-8 "$work/linux.mlog") <(iconv -f GBK -t UTF-8 "$work/wine.mlog") >&2 || true
    fail "the transfer logs differ"
fi
cmp "$work/linux.mlog" "$work/wine32.mlog" || fail "the 32-bit client's transfer log differs"
for out in login transfers; do
    diff "$work/linux.$out" "$work/wine.$out" >&2 || fail "the $out output differs"
    diff "$work/linux.$out" "$work/wine32.$out" >&2 || fail "the 32-bit client's $out output differs"
done
echo "transfer log: $(wc -c <"$work/wine.mlog") bytes, identical for the Linux, 64-bit and 32-bit clients (time stamps masked)"

# ---- TLS: the 32-bit client logs in through TLS to the simulator, which
# serves it with a certificate made for this run; with a CA that signed
# nothing here it refuses the server

source "$root/tools/windows-tls-server.sh"
echo "== the 32-bit vantrel.exe logs in through TLS"
make_test_certificates "$work/certificates"
mkdir -p "$work/tls/app"
cp "$root/examples/Bank.ini" "$work/tls/app/Bank.ini"
start_simulator "$work/tls" --tls-cert "$work/certificates/server.pem" --tls-key "$work/certificates/server.key"
tls_app=$(timeout 60 winepath -w "$work/tls/app")
tls_ca=$(timeout 60 winepath -w "$work/certificates/ca.pem")
wrong_ca=$(timeout 60 winepath -w "$work/certificates/wrong-ca.pem")
tls_login() {
    printf '%s\n' "$password" | in_wine32 120 "$win32/bin/vantrel.exe" --app-path "$tls_app" \
        --server "127.0.0.1:$port" --trade "$trade" --password-stdin --tls-ca "$1" login
}
tls_login "$tls_ca" >"$work/tls/login.out" 2>"$work/tls/login.err" ||
    fail "the TLS login failed: $(cat "$work/tls/login.err")"
diff "$work/linux.login" <(tr -d '\r' <"$work/tls/login.out" | mask) >&2 ||
    fail "the TLS login's output differs from the plain one's"
if tls_login "$wrong_ca" >"$work/tls/wrong.out" 2>"$work/tls/wrong.err"; then
    fail "the client trusted a server whose certificate the given CA did not sign"
fi
grep -q "not trusted" "$work/tls/wrong.err" || fail "the refusal does not say why: $(cat "$work/tls/wrong.err")"
stop_simulator
echo "TLS: the 32-bit client's login through TLS matches the plain one; with the wrong CA: $(tr -d '\r' <"$work/tls/wrong.err" | head -n 1)"

# ---- the client on a console (a Wine console on a tmux pane): the password
# typed without echo, the answer's Chinese shown as such

wait_for_pane() {
    local text=$1
    for _ in $(seq 1 300); do
        tmux -L "$tmux_socket" capture-pane -p -t check >"$work/pane" 2>/dev/null || true
        grep -qF "$text" "$work/pane" && return 0
        sleep 0.2
    done
    cat "$work/pane" >&2
    fail "the console never showed '$text'"
}

if command -v tmux >/dev/null; then
    mkdir -p "$work/console/app"
    cp "$root/examples/Bank.ini" "$work/console/app/Bank.ini"
    start_simulator "$work/console"
    console_app=$(timeout 60 winepath -w "$work/console/app")
    tmux_socket="vantrel-windows-check-$$"
    # A private tmux server; the pane's terminal speaks UTF-8. The client must
    # stay in the terminal's foreground to read from it (timeout --foreground).
    tmux -L "$tmux_socket" new-session -d -s check -x 200 -y 30 \
        "LC_ALL=C.UTF-8 WINEPREFIX='$WINEPREFIX' WINEDEBUG=-all WINEDLLOVERRIDES='$WINEDLLOVERRIDES' \
         timeout --foreground -k 10 120 ${wine[*]} '$win64/bin/vantrel.exe' --app-path '$console_app' \
         --server 127.0.0.1:$port --trade $trade login 2>&1; echo EXIT=\$?; sleep 600"
    wait_for_pane "Fund password:"
    tmux -L "$tmux_socket" send-keys -t check "$password" Enter
    wait_for_pane "EXIT="
    stop_simulator
    grep -q "EXIT=0" "$work/pane" || { cat "$work/pane" >&2; fail "the console login failed"; }
    grep -q "中国工商银行" "$work/pane" || { cat "$work/pane" >&2; fail "the console shows the bank names garbled"; }
    # Echoed, it would follow the prompt (the account numbers hold the same digits).
    ! grep -qE "(^|password: *)$password *\$" "$work/pane" || { cat "$work/pane" >&2; fail "the password was echoed"; }
    tmux -L "$tmux_socket" kill-server
    tmux_socket=""
    echo "console: password prompt without echo, Chinese shown as such"
else
    echo "console: not checked (no tmux)"
fi
echo "windows-check passed"
