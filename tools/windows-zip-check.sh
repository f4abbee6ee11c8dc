#!/usr/bin/env bash
# Checks the 32-bit zip of tools/windows-zip.sh as a vendor receives it: it is
# unpacked into an empty folder, every program and DLL there must need only
# the folder and system DLLs, and the plain Win32 host from that folder logs
# in under 32-bit Wine on a virtual display against the Linux simulator: the
# login dialog typed into (xdotool), its notices closed, the main window shown
# and closed, the export returned. Nothing outside the folder is used but the
# Wine prefix (a fresh one, in a temporary folder).
# Usage: tools/windows-zip-check.sh ZIP [LINUX_BUILD_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
zip="$(realpath "${1:?usage: $0 ZIP [LINUX_BUILD_DIR]}")"
linux="$(cd "${2:-$root/build}" && pwd)"
trade=8001234
password=123456

fail() {
    echo "windows-zip-check: $*" >&2
    exit 1
}

work="$(mktemp -d)"
source "$root/tools/windows-display.sh"
start_check "$work/wine-prefix"

mkdir "$work/unpacked"
unzip -q "$zip" -d "$work/unpacked"
folder=$(find "$work/unpacked" -mindepth 1 -maxdepth 1 -type d -name 'vantrel-*-win32' -print -quit)
[ -n "$folder" ] || fail "the zip holds no vantrel-<version>-win32 folder"
for file in vantrel.dll vantrel-host.exe qtbase_zh_CN.qm Bank.ini vantrel.h README.txt platforms/qwindows.dll; do
    [ -f "$folder/$file" ] || fail "$file is not in the zip"
done
headers=$(i686-w64-mingw32-objdump -p "$folder/vantrel.dll")
grep -q "file format pei-i386" <<<"$headers" || fail "vantrel.dll is not 32-bit"
grep -q "OpenVantrelEx$" <<<"$headers" || fail "vantrel.dll does not export OpenVantrelEx"
readme=$(iconv -f GBK -t UTF-8 "$folder/README.txt") || fail "README.txt is not GBK text"
grep -q "__stdcall" <<<"$readme" || fail "README.txt does not name __stdcall"

# ---- a display and a 32-bit Wine prefix of our own

source "$root/tools/windows-simulator.sh"
start_display 121
prepare_wine_prefix
check_imports "$folder" i686-w64-mingw32 "$WINEPREFIX/drive_c/windows/syswow64"
echo "every program and DLL of the zip needs only the folder and system DLLs"

# ---- the simulator on Linux

start_simulator "$work/simulator"

# ---- the host's login, from the unpacked folder

out="$work/host.out"
(cd "$folder" && exec timeout -k 10 300 wine ./vantrel-host.exe --host 127.0.0.1 --port "$port" \
    --trade "$trade" --open 1 >"$out" 2>&1) &
host_pid=$!
wait_window "银行转账登录" >/dev/null || { cat "$out" >&2; fail "no login dialog"; }
sleep 1
focus_named "银行转账登录" || fail "the login dialog cannot take the keyboard"
xdotool type --delay 80 "$password"
xdotool key Return
close_notices_until "客户端出入金" >/dev/null || { cat "$out" >&2; fail "no main window after the login"; }
echo "logged in from the unpacked folder: the main window is shown"
sleep 1
focus_named "客户端出入金" || fail "the main window cannot take the keyboard"
xdotool key alt+F4
wait "$host_pid" || { cat "$out" >&2; fail "the host ended with a failure"; }
host_pid=""
tr -d '\r' <"$out" | sed 's/^/  /'
grep -q "call 1 returned" "$out" || fail "the export did not return"
[ -d "$folder/logs" ] || fail "the library wrote no logs beside the host"
echo "windows-zip-check passed"
