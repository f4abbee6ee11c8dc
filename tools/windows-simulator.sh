# The Linux simulator for the Windows checks and the demo, sourced by
# windows-check.sh, windows-gui-check.sh, windows-zip-check.sh and demo.sh;
# they define fail() and $linux (the Linux build folder).
#
# start_simulator FOLDER [OPTION...]: a freshly seeded ledger in FOLDER,
# listening on 127.0.0.1:$port (0 lets it pick a free port), with the
# simulator's further options (--tls-cert FILE --tls-key FILE); sets $port and
# $sim_pid.
source "$(dirname "${BASH_SOURCE[0]}")/background-server.sh"
port=0
sim_pid=""
start_simulator() {
    local folder=$1 listening
    shift
    mkdir -p "$folder"
    "$linux/bin/vantrel-middleware" --listen "127.0.0.1:$port" --db "$folder/ledger.db" --reset "$@" \
        >"$folder/middleware.out" 2>&1 &
    sim_pid=$!
    # $port stays as it was until the simulator names it: fail() may print it.
    listening=$(wait_listening "$folder/middleware.out" '^listening on 127\.0\.0\.1:\([0-9]*\)$' "$sim_pid") ||
        fail "the simulator did not start"
    port=$listening
}

# For an exit trap: ends the simulator if one still runs, however it ends.
kill_simulator() { end_quietly "$sim_pid"; }

stop_simulator() {
    kill "$sim_pid"
    wait "$sim_pid" || fail "the simulator did not stop cleanly"
    sim_pid=""
}
