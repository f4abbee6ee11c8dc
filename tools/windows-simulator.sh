# The Linux simulator for the Windows checks and the demo, sourced by
# windows-check.sh, windows-gui-check.sh, windows-zip-check.sh and demo.sh;
# they define fail() and $linux (the Linux build folder).
#
# start_simulator FOLDER [OPTION...]: a freshly seeded ledger in FOLDER,
# listening on 127.0.0.1:$port (0 lets it pick a free port), with the
# simulator's further options (--tls-cert FILE --tls-key FILE); sets $port and
# $sim_pid.
port=0
sim_pid=""
start_simulator() {
    local folder=$1 listening
    shift
    mkdir -p "$folder"
    "$linux/bin/vantrel-middleware" --listen "127.0.0.1:$port" --db "$folder/ledger.db" --reset "$@" \
        >"$folder/middleware.out" 2>&1 &
    sim_pid=$!
    for _ in $(seq 1 100); do
        listening=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$folder/middleware.out")
        if [ -n "$listening" ]; then
            port=$listening
            return 0
        fi
        kill -0 "$sim_pid" 2>/dev/null || break
        sleep 0.1
    done
    cat "$folder/middleware.out" >&2
    fail "the simulator did not start"
}

# For an exit trap: ends the simulator if one still runs, however it ends.
kill_simulator() {
    [ -n "$sim_pid" ] || return 0
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
}

stop_simulator() {
    kill "$sim_pid"
    wait "$sim_pid" || fail "the simulator did not stop cleanly"
    sim_pid=""
}
