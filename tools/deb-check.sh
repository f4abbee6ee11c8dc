#!/usr/bin/env bash
# Builds the Debian package into build-deb/, checks it with lintian, installs
# it as a user would (apt-get install ./vantrel_<version>_amd64.deb), runs the
# installed client against the installed simulator and the installed demo
# host's login under Xvfb, all from their installed paths, then removes it.
# Needs root (or sudo) for apt-get. Usage: tools/deb-check.sh [BUILD_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$root/build-deb}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

start=$SECONDS
# The test build's type and flags, so that ccache serves most objects.
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_CORE_ONLY=OFF \
      -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF -DCMAKE_INSTALL_PREFIX=/usr
cmake --build "$dir" -j 2
rm -f "$dir"/vantrel_*.deb
(cd "$dir" && cpack -G DEB)
deb=$(ls "$dir"/vantrel_*_amd64.deb)
echo "Package: $deb ($((SECONDS - start)) s)"
dpkg-deb -I "$deb"
dpkg-deb -c "$deb"

fail() { echo "deb-check: $*" >&2; exit 1; }

# The files a user expects, in Debian's places.
contents=$(dpkg-deb -c "$deb")
for path in ./usr/lib/x86_64-linux-gnu/libvantrel.so.0 ./usr/include/vantrel.h ./usr/bin/vantrel \
            ./usr/bin/vantrel-middleware ./usr/bin/vantrel-host ./usr/share/vantrel/Bank.ini \
            ./usr/share/doc/vantrel/copyright ./usr/share/doc/vantrel/README.md; do
    grep -q " $path\( \|$\)" <<<"$contents" || fail "$path is not in the package"
done
unpacked="$(mktemp -d)"
dpkg-deb -x "$deb" "$unpacked"
soname=$(objdump -p "$unpacked"/usr/lib/x86_64-linux-gnu/libvantrel.so.0.* | awk '/SONAME/ {print $2}')
rm -rf "$unpacked"
[ "$soname" = libvantrel.so.0 ] || fail "the library's soname is '$soname'"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libsqlite3-0 fonts-wqy-microhei qt6-qpa-plugins; do
    grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

echo "== lintian"
lintian --fail-on error "$deb"

work="$(mktemp -d)"
sim_pid=""
installed=0
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    if [ "$installed" = 1 ]; then
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q vantrel >/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

echo "== apt-get install ./$(basename "$deb")"
# A copy outside the tree: apt's sandbox user must be able to read it.
cp "$deb" "$work/"
chmod 755 "$work"
installed=1
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$work/$(basename "$deb")"
for program in vantrel vantrel-middleware vantrel-host; do
    [ "$(command -v "$program")" = "/usr/bin/$program" ] || fail "$program is not installed in /usr/bin"
done

# The user's own folder for Bank.ini and logs/, from the installed sample,
# with a free port for the simulator.
port=$((20000 + RANDOM % 10000))
sed "s/^\(Port\)=17990/\1=$port/" /usr/share/vantrel/Bank.ini >"$work/Bank.ini"
/usr/bin/vantrel-middleware --listen "127.0.0.1:$port" --db "$work/ledger.db" --reset >"$work/middleware.log" 2>&1 &
sim_pid=$!
for _ in $(seq 1 50); do
    kill -0 "$sim_pid" 2>/dev/null || { cat "$work/middleware.log" >&2; fail "the installed simulator did not start"; }
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then break; fi
    sleep 0.1
done

trade=8001234
client() { printf '123456\n' | /usr/bin/vantrel --app-path "$work" --trade "$trade" --password-stdin "$@"; }
echo "== installed client: login, deposit, details"
client login | tee "$work/login.out"
grep -q 6222020200112345678 "$work/login.out" || fail "login did not list the signed account"
client deposit --bank 005 --account 6222020200112345678 --amount 12.34 --memo deb-check
client transfers --bank 005 --account 6222020200112345678 | tee "$work/transfers.out"
grep -q "12.34" "$work/transfers.out" || fail "the details do not show the deposit"

echo "== installed demo host and library: the login dialog, then a login and deposit under Xvfb"
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    mkdir -m 700 "$work/runtime"
    export XDG_RUNTIME_DIR="$work/runtime"
fi
on_xvfb() { VANTREL_APP_PATH="$work/" xvfb-run -a -s "-screen 0 1280x1024x24" "$@"; }
on_xvfb /usr/bin/vantrel-host --ex --trade "$trade" --screenshot "$work/login.png"
[ -s "$work/login.png" ] || fail "the installed host showed no login dialog"
# The scripted walk-through is a test tool, not shipped: the built one drives
# the installed library.
on_xvfb "$dir/bin/vantrel-walkthrough" --lib /usr/lib/x86_64-linux-gnu/libvantrel.so.0 \
    --ex --trade "$trade" --walkthrough "$work/pictures"
ls "$work/pictures"/*.png >/dev/null 2>&1 || fail "the walk-through left no pictures"

echo "== apt-get remove vantrel"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q vantrel
installed=0
[ ! -e /usr/bin/vantrel ] && [ ! -e /usr/lib/x86_64-linux-gnu/libvantrel.so.0 ] || fail "files remain after removal"
echo "deb-check: passed ($((SECONDS - start)) s)"
