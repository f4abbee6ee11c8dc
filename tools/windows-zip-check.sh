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
sim_pid=""
xvfb_pid=""
host_pid=""
export WINEPREFIX="$work/wine-prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
unset VANTREL_APP_PATH
cleanup() {
    for pid in "$host_pid" "$sim_pid" "$xvfb_pid"; do
        [ -n "$pid" ] && { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
    done
    timeout 30 wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

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

for display in $(seq 121 150); do
    [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] || break
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"
timeout -k 10 300 wineboot -i >/dev/null 2>&1 || fail "wineboot did not finish"
for face in SimSun NSimSun "Microsoft YaHei" "MS Song" "SimHei"; do
    timeout 60 wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "WenQuanYi Micro Hei" /f \
        >/dev/null 2>&1 || fail "cannot set the Wine font replacement for $face"
done
system="$WINEPREFIX/drive_c/windows/syswow64"
[ -d "$system" ] || fail "the Wine prefix has no 32-bit half (Debian: wine32)"

while IFS= read -r -d '' image; do
    while IFS= read -r dll; do
        # API sets are names the loader maps to system DLLs, not files.
        case ${dll,,} in api-ms-win-* | ext-ms-win-*) continue ;; esac
        [ -n "$(find "$folder" -maxdepth 1 -iname "$dll" -print -quit)" ] && continue
        [ -n "$(find "$system" -maxdepth 1 -iname "$dll" -print -quit)" ] && continue
        fail "${image#$folder/} needs $dll, which is neither in the zip nor a system DLL"
    done < <(i686-w64-mingw32-objdump -p "$image" | sed -n 's/^[[:space:]]*DLL Name: //p')
done < <(find "$folder" -maxdepth 2 \( -iname '*.exe' -o -iname '*.dll' \) -print0)
echo "every program and DLL of the zip needs only the folder and system DLLs"

# ---- the simulator on Linux

"$linux/bin/vantrel-middleware" --listen "127.0.0.1:0" --db "$work/ledger.db" --reset >"$work/middleware.out" 2>&1 &
sim_pid=$!
port=""
for _ in $(seq 1 100); do
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/middleware.out")
    [ -n "$port" ] && break
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
done
[ -n "$port" ] || { cat "$work/middleware.out" >&2; fail "the simulator did not start"; }

# ---- the host's login, from the unpacked folder

window() {
    local name=$1 id
    for _ in $(seq 1 300); do
        id=$(xdotool search --onlyvisible --name "^$name\$" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        kill -0 "$host_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

out="$work/host.out"
(cd "$folder" && exec timeout -k 10 300 wine ./vantrel-host.exe --host 127.0.0.1 --port "$port" \
    --trade "$trade" --open 1 >"$out" 2>&1) &
host_pid=$!
dialog=$(window "银行转账登录") || { cat "$out" >&2; fail "no login dialog"; }
sleep 1
xdotool windowfocus --sync "$dialog"
xdotool type --delay 80 "$password"
xdotool key Return
main=""
for _ in $(seq 1 60); do
    main=$(xdotool search --onlyvisible --name '^客户端出入金$' 2>/dev/null | head -n 1 || true)
    [ -n "$main" ] && break
    box=$(xdotool search --onlyvisible --name '^系统提示$' 2>/dev/null | head -n 1 || true)
    if [ -n "$box" ]; then
        xdotool windowfocus --sync "$box"
        xdotool key Return
    fi
    sleep 0.5
done
[ -n "$main" ] || { cat "$out" >&2; fail "no main window after the login"; }
echo "logged in from the unpacked folder: the main window is shown"
sleep 1
xdotool windowfocus --sync "$main"
xdotool key alt+F4
wait "$host_pid" || { cat "$out" >&2; fail "the host ended with a failure"; }
host_pid=""
tr -d '\r' <"$out" | sed 's/^/  /'
grep -q "call 1 returned" "$out" || fail "the export did not return"
[ -d "$folder/logs" ] || fail "the library wrote no logs beside the host"
echo "windows-zip-check passed"
