#!/usr/bin/env bash
# The demonstration: starts the middleware simulator with the sample Bank.ini
# in a temporary application folder, runs a short command-line session, then
# the library itself through the demo host. With a display the customer logs
# in and uses the windows; without one a scripted walk-through drives them
# under Xvfb and leaves a picture of each step in build/demo/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
linux="$root/build"
bin="$linux/bin"

if [ ! -x "$bin/vantrel" ]; then
    echo "The command-line client is not built (expected $bin/vantrel); run ./run.sh demo." >&2
    exit 1
fi
if [ ! -x "$bin/vantrel-middleware" ]; then
    echo "The middleware simulator is not built yet ($bin/vantrel-middleware is missing)."
    echo "Without a server there is nothing to talk to; showing the client's help instead:"
    echo
    exec "$bin/vantrel" --help
fi

fail() {
    echo "demo: $* (is port $port in use?)" >&2
    exit 1
}
source "$root/tools/windows-simulator.sh"
# The port of the sample Bank.ini.
port=17990

work="$(mktemp -d)"
cleanup() {
    kill_simulator
    rm -rf "$work"
}
trap cleanup EXIT

cp "$root/examples/Bank.ini" "$work/Bank.ini"
start_simulator "$work/simulator"

trade=8001234
password=123456
bank=005
account=6222020200112345678

step() {
    echo
    echo "== $1"
    shift
    echo "\$ vantrel $*"
}
run() {
    # The fund password goes through standard input, never the command line.
    printf '%s\n' "$password" | "$bin/vantrel" --app-path "$work" --trade "$trade" --password-stdin "$@"
}

echo "Simulator on 127.0.0.1:$port; application folder $work"

step "Probe the servers listed in Bank.ini and pick the fastest" probe
"$bin/vantrel" --app-path "$work" probe

step "Log in as $trade and list the signed bank accounts" login
run login

step "Deposit 100.00 yuan from bank $bank account $account" \
    deposit --bank $bank --account $account --amount 100.00
run deposit --bank "$bank" --account "$account" --amount 100.00 --memo "demo"

step "Transfer details of that account" transfers --bank $bank --account $account
run transfers --bank "$bank" --account "$account"

step "Funds in the market account" market-funds
run market-funds

echo
echo "Transfer log written by the session:"
cat "$work"/logs/*.mlog | iconv -f GBK -t UTF-8 | tail -n 8

# The library itself, as a trading program loads it: the demo host calls
# OpenVantrelEx, which takes the server from Bank.ini (the simulator above).
host_args=(--ex --trade "$trade")
echo
if [ ! -x "$bin/vantrel-host" ]; then
    echo "The demo host is not built (expected $bin/vantrel-host; it needs Qt): run ./run.sh demo." >&2
    exit 1
fi
if [ -n "${DISPLAY:-}" ]; then
    echo "== The login dialog of the library (fund password $password); close the windows to end the demo"
    VANTREL_APP_PATH="$work/" "$bin/vantrel-host" "${host_args[@]}"
elif command -v xvfb-run >/dev/null; then
    pictures="$root/build/demo"
    echo "== No display: a scripted walk-through of the library's windows under Xvfb"
    echo "   (log in, choose the bank $bank account, deposit 100.00, details, log); pictures in $pictures"
    # Qt wants a private runtime folder; root sessions often have none.
    if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
        mkdir -m 700 "$work/runtime"
        export XDG_RUNTIME_DIR="$work/runtime"
    fi
    VANTREL_APP_PATH="$work/" xvfb-run -a -s "-screen 0 1280x1024x24" \
        "$bin/vantrel-walkthrough" "${host_args[@]}" --walkthrough "$pictures"
else
    echo "No display and no xvfb-run: the library's windows cannot be shown (run ./run.sh demo to install Xvfb)." >&2
    exit 1
fi
