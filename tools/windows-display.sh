# A virtual display, a Wine prefix ready for Chinese text, and the window
# helpers the Windows checks drive the library with. Sourced by
# windows-gui-check.sh and windows-zip-check.sh; they define fail() and
# $work, and $host_pid while a host runs.

# The Wine settings of a check, with its prefix in $1, and the clean-up at
# its exit of what it started: the host, the simulator, the display, the
# prefix's Wine server and $work.
start_check() {
    export WINEPREFIX=$1
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
    unset VANTREL_APP_PATH
    sim_pid=""
    xvfb_pid=""
    host_pid=""
    trap end_check EXIT
}

end_check() {
    local pid
    for pid in "$host_pid" "$sim_pid" "$xvfb_pid"; do
        [ -n "$pid" ] && { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
    done
    timeout 30 wineserver -k 2>/dev/null || true
    rm -rf "$work"
}

# Xvfb on the first free display from $1; sets DISPLAY and $xvfb_pid.
start_display() {
    local display
    for display in $(seq "$1" $(($1 + 30))); do
        [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] || break
    done
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$display"
    for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"
}

# Windows programs ask for the fonts of a Chinese Windows by name; Wine finds
# them as Debian's WenQuanYi Micro Hei.
prepare_wine_prefix() {
    mkdir -p "$WINEPREFIX"
    timeout -k 10 300 wineboot -i >/dev/null 2>&1 || fail "wineboot did not finish"
    local face
    for face in SimSun NSimSun "Microsoft YaHei" "MS Song" "SimHei"; do
        timeout 60 wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "WenQuanYi Micro Hei" /f \
            >/dev/null 2>&1 || fail "cannot set the Wine font replacement for $face"
    done
    [ -d "$WINEPREFIX/drive_c/windows/syswow64" ] || fail "the Wine prefix has no 32-bit half (Debian: wine32)"
}

# Every program and DLL in FOLDER (and its plug-in folders) imports only DLLs
# of the folder, system DLLs that Wine provides in SYSTEM, or API sets (Qt 6
# needs Windows 10; the loader maps them to system DLLs).
check_imports() {
    local folder=$1 triple=$2 system=$3 image dll
    while IFS= read -r -d '' image; do
        while IFS= read -r dll; do
            [ -n "$(find "$folder" -maxdepth 1 -iname "$dll" -print -quit)" ] && continue
            [[ "${dll,,}" == api-ms-win-* || "${dll,,}" == ext-ms-win-* ]] && continue
            [ -n "$(find "$system" -maxdepth 1 -iname "$dll" -print -quit)" ] && continue
            fail "${image#$folder/} needs $dll, which is neither in the folder nor a system DLL"
        done < <("$triple-objdump" -p "$image" | sed -n 's/^[[:space:]]*DLL Name: //p')
    done < <(find "$folder" -maxdepth 2 \( -iname '*.exe' -o -iname '*.dll' \) -print0)
}

# The X window whose name is exactly $1, once it is mapped; fails when the
# host ends first.
wait_window() {
    local name=$1 id
    for _ in $(seq 1 300); do
        id=$(xdotool search --onlyvisible --name "^$name\$" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        kill -0 "$host_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# Gives the keyboard to the window named exactly $1, found again at each try:
# Wine may replace a window's X window while it settles.
focus_named() {
    local name=$1 id
    for _ in $(seq 1 50); do
        id=$(xdotool search --onlyvisible --name "^$name\$" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && xdotool windowfocus --sync "$id" 2>/dev/null && return 0
        sleep 0.2
    done
    return 1
}

# After the login: reads and closes each notice box ("系统提示") with Enter
# until the window named $1 shows; prints its id. $2, when given, is the
# picture taken of a notice.
close_notices_until() {
    local name=$1 notice_picture=${2:-} id box
    for _ in $(seq 1 60); do
        id=$(xdotool search --onlyvisible --name "^$name\$" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        box=$(xdotool search --onlyvisible --name '^系统提示$' 2>/dev/null | head -n 1 || true)
        if [ -n "$box" ]; then
            [ -n "$notice_picture" ] && import -window root "$notice_picture" 2>/dev/null
            focus_named "系统提示" && xdotool key Return
        fi
        sleep 0.5
    done
    return 1
}
