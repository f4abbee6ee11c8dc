#!/usr/bin/env bash
# Checks the library for Windows, built with Qt by ./run.sh windows, under Wine
# on a virtual display, for the 32-bit and the 64-bit build:
#   1. the bin/ folder is what a market hands out: every program and DLL in it
#      imports only DLLs of the folder and system DLLs;
#   2. vantrel.dll is an image of the architecture (its exports are checked by
#      tools/windows-check.sh);
#   3. the window tests (Qt Test) pass;
#   4. the walk-through host logs in as a customer would, opens the account
#      picker, deposits 100.00, reads the details and the log, a picture per
#      step in build-winNN/demo/; the ledger, read with the Linux client, holds
#      the deposit;
#   5. the plain Win32 host: the login dialog owned by the host window, typed
#      into through the display (xdotool); two calls with the library kept
#      loaded, then two with FreeLibrary and LoadLibraryW between them.
# Usage: tools/windows-gui-check.sh [WIN64_BUILD_DIR [WIN32_BUILD_DIR [LINUX_BUILD_DIR]]]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
win64="$(cd "${1:-$root/build-win64}" && pwd)"
win32="$(cd "${2:-$root/build-win32}" && pwd)"
linux="$(cd "${3:-$root/build}" && pwd)"

trade=8001234
password=123456
bank=005
account=6222020200112345678

fail() {
    echo "windows-gui-check: $*" >&2
    exit 1
}

work="$(mktemp -d)"
source "$root/tools/windows-display.sh"
start_check "$win64/wine-prefix"

# ---- a display of our own, and the prefix

start_display 90
prepare_wine_prefix
system64="$WINEPREFIX/drive_c/windows/system32"
system32="$WINEPREFIX/drive_c/windows/syswow64"

# ---- the simulator: a fresh one on a free port for each run

source "$root/tools/windows-simulator.sh"
fresh_simulator() {
    port=0
    start_simulator "$1"
}

# The deposits in the ledger, read with the Linux client.
ledger_transfers() {
    local app=$1
    printf '%s\n' "$password" | "$linux/bin/vantrel" --app-path "$app" --server "127.0.0.1:$port" \
        --trade "$trade" --password-stdin --format tsv transfers --bank "$bank" --account "$account"
}

# ---- 3. the window tests

run_window_tests() {
    local bin=$1 wine=$2 test name failed=()
    for test in "$bin"/gui_*.exe; do
        name=$(basename "$test" .exe)
        if (cd "$bin" && timeout -k 10 300 "$wine" "./$name.exe" -silent >"$work/$name.out" 2>&1); then
            echo "  $name: passed"
        else
            echo "  $name: FAILED"
            tail -n 30 "$work/$name.out" | sed 's/^/    /'
            failed+=("$name")
        fi
    done
    [ ${#failed[@]} -eq 0 ] || fail "window tests failed under Wine: ${failed[*]}"
}

# ---- 4. the walk-through

run_walkthrough() {
    local build=$1 wine=$2 label=$3
    local app="$work/$label-app" demo="$build/demo"
    mkdir -p "$app"
    cp "$root/examples/Bank.ini" "$app/Bank.ini"
    fresh_simulator "$work/$label-sim"
    (cd "$build/bin" && VANTREL_APP_PATH="$(winepath -w "$app")\\" timeout -k 10 300 "$wine" \
        ./vantrel-walkthrough.exe --host 127.0.0.1 --port "$port" --trade "$trade" \
        --walkthrough "$(winepath -w "$demo")" >"$work/$label-walk.out" 2>&1) ||
        { cat "$work/$label-walk.out" >&2; fail "$label: the walk-through did not complete"; }
    sed "s/^/  /" "$work/$label-walk.out" | tr -d '\r'
    ledger_transfers "$app" >"$work/$label-ledger.tsv" || fail "$label: the Linux client cannot read the ledger"
    tr -d '\r' <"$work/$label-ledger.tsv" | grep '演示划转' | grep '100\.00' >/dev/null ||
        { cat "$work/$label-ledger.tsv" >&2; fail "$label: the ledger has no deposit of 100.00 from the walk-through"; }
    stop_simulator
    echo "$label: the walk-through's deposit is in the ledger; pictures in $demo"
}

# ---- 5. the plain Win32 host, typed into through the display

wait_gone() {
    local id=$1
    for _ in $(seq 1 300); do
        xdotool getwindowname "$id" >/dev/null 2>&1 || return 0
        xwininfo -id "$id" 2>/dev/null | grep 'IsViewable' >/dev/null || return 0
        sleep 0.1
    done
    return 1
}

wait_output() {
    local file=$1 text=$2
    for _ in $(seq 1 300); do
        grep -qF "$text" "$file" 2>/dev/null && return 0
        kill -0 "$host_pid" 2>/dev/null || { grep -qF "$text" "$file" 2>/dev/null; return; }
        sleep 0.1
    done
    return 1
}

picture() {
    import -window root "$1" 2>/dev/null || echo "  (no picture: $1)"
}

# One export call as a person makes it: the login dialog, owned by the host
# window; the password typed and Enter; each notice box ("系统提示") read and
# closed with Enter; the main window, owned by the host too, closed with Alt+F4.
drive_one_call() {
    local label=$1 call=$2 host_window=$3 out=$4 demo=$5
    local dialog owner main
    dialog=$(wait_window "银行转账登录") || { cat "$out" >&2; fail "$label call $call: no login dialog"; }
    owner=$(xprop -id "$dialog" WM_TRANSIENT_FOR 2>/dev/null | grep -o '0x[0-9a-f]*' || true)
    [ -n "$owner" ] && [ "$((owner))" = "$((host_window))" ] ||
        fail "$label call $call: the login dialog is owned by '${owner:-nothing}', not the host window $host_window"
    sleep 1
    focus_named "银行转账登录" || fail "$label call $call: the login dialog cannot take the keyboard"
    picture "$demo/host-call$call-1-login.png"
    xdotool type --delay 80 "$password"
    xdotool key Return
    main=$(close_notices_until "客户端出入金" "$demo/host-call$call-notice.png" || true)
    [ -n "$main" ] || { cat "$out" >&2; fail "$label call $call: no main window after the login"; }
    owner=$(xprop -id "$main" WM_TRANSIENT_FOR 2>/dev/null | grep -o '0x[0-9a-f]*' || true)
    [ -n "$owner" ] && [ "$((owner))" = "$((host_window))" ] ||
        fail "$label call $call: the main window is owned by '${owner:-nothing}', not the host window"
    sleep 2
    picture "$demo/host-call$call-2-main-window.png"
    focus_named "客户端出入金" || fail "$label call $call: the main window cannot take the keyboard"
    xdotool key alt+F4
    wait_gone "$main" || fail "$label call $call: the main window did not close on Alt+F4"
    wait_output "$out" "call $call returned" || { cat "$out" >&2; fail "$label call $call: the export did not return"; }
}

run_host() {
    local build=$1 wine=$2 label=$3
    shift 3
    local app="$work/$label-host-app" demo="$build/demo/$label" out="$work/$label-host.out" host_window
    mkdir -p "$app" "$demo"
    cp "$root/examples/Bank.ini" "$app/Bank.ini"
    fresh_simulator "$work/$label-host-sim"
    (cd "$build/bin" && VANTREL_APP_PATH="$(winepath -w "$app")\\" exec timeout -k 10 300 "$wine" \
        ./vantrel-host.exe --host 127.0.0.1 --port "$port" --trade "$trade" "$@" >"$out" 2>&1) &
    host_pid=$!
    host_window=$(wait_window "交易客户端") || { cat "$out" >&2; fail "$label: the host window did not show"; }
    for call in 1 2; do
        drive_one_call "$label" "$call" "$host_window" "$out" "$demo"
    done
    wait "$host_pid" || { cat "$out" >&2; fail "$label: the host ended with a failure"; }
    host_pid=""
    stop_simulator
    tr -d '\r' <"$out" | sed 's/^/  /'
}

check_build() {
    local build=$1 arch=$2 triple=$3 format=$4 wine=$5 system=$6
    local label="win$arch"
    echo "== $label"
    local header
    header=$("$triple-objdump" -p "$build/bin/vantrel.dll")
    grep -q "file format $format" <<<"$header" || fail "$build/bin/vantrel.dll is not a $format image"
    check_imports "$build/bin" "$triple" "$system"
    echo "$label: every program and DLL needs only the folder and system DLLs"
    rm -rf "$build/demo"
    mkdir -p "$build/demo"
    echo "-- window tests"
    run_window_tests "$build/bin" "$wine"
    echo "-- walk-through"
    run_walkthrough "$build" "$wine" "$label"
    echo "-- plain Win32 host, two calls, library kept loaded"
    run_host "$build" "$wine" "$label" --open 2
    echo "-- plain Win32 host, two calls, FreeLibrary and LoadLibraryW between them"
    run_host "$build" "$wine" "$label-unload" --open 2 --unload
}

wine64=wine64
command -v wine64 >/dev/null || wine64=/usr/lib/wine/wine64
# VANTREL_WINDOWS_ARCHS="64" checks one architecture only (while working on it).
for arch in ${VANTREL_WINDOWS_ARCHS:-32 64}; do
    case $arch in
        32) check_build "$win32" 32 i686-w64-mingw32 pei-i386 wine "$system32" ;;
        64) check_build "$win64" 64 x86_64-w64-mingw32 pei-x86-64 "$wine64" "$system64" ;;
        *) fail "unknown architecture $arch" ;;
    esac
done
echo "windows-gui-check passed"
