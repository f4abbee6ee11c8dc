# A server started in the background: waiting for its port and ending it,
# sourced by windows-simulator.sh and windows-tls-server.sh.
#
# wait_listening LOG PATTERN PID: prints the port the server PID names in LOG
# on the line that the sed PATTERN matches (the port as \1), within ten
# seconds; fails (status 1) with LOG on standard error when the server ends
# or the time passes first.
wait_listening() {
    local log=$1 pattern=$2 pid=$3 port
    for _ in $(seq 1 100); do
        port=$(sed -n "s/$pattern/\\1/p" "$log")
        if [ -n "$port" ]; then
            echo "$port"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    cat "$log" >&2
    return 1
}

# end_quietly PID: ends the server PID (none when empty) if it still runs,
# however it ends.
end_quietly() {
    [ -n "$1" ] || return 0
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
