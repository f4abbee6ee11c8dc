#!/usr/bin/env bash
# Vantrel: the two set-up commands.
#   ./run.sh test   install what is missing, build into build/, run every test
#   ./run.sh demo   build and start the demonstration
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ pkg-config libasio-dev libgtest-dev libgmock-dev
          libbenchmark-dev libsqlite3-dev qt6-base-dev libgl-dev xvfb xauth
          fonts-wqy-microhei poppler-utils libreoffice-calc-nogui libreoffice-writer-nogui unrtf)

install_missing() {
    local missing=()
    for p in "${PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

build() {
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build build
}

# Window tests need a display; without one they run under Xvfb.
with_display() {
    if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
        xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
    else
        "$@"
    fi
}

case "${1:-}" in
    test)
        install_missing
        build
        cd build
        with_display ctest --output-on-failure -j 2 --timeout 300
        ;;
    demo)
        install_missing
        build
        exec tools/demo.sh
        ;;
    *)
        echo "usage: $0 test|demo" >&2
        exit 2
        ;;
esac
