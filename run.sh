#!/usr/bin/env bash
# Vantrel: the two set-up commands, and the Windows builds.
#   ./run.sh test      install what is missing, build into build/, run every test
#   ./run.sh demo      build and start the demonstration
#   ./run.sh windows   cross-compile the core, the command-line client and the core
#                      tests for Windows (build-win64/, build-win32/) and check them
#                      under Wine against the Linux simulator
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ pkg-config libasio-dev libgtest-dev libgmock-dev
          libbenchmark-dev libsqlite3-dev qt6-base-dev libgl-dev xvfb xauth
          qt6-translations-l10n fonts-wqy-microhei
          poppler-utils libreoffice-calc-nogui libreoffice-writer-nogui unrtf)

# The Windows builds need no Qt: the compilers, Wine, GoogleTest's sources
# (built for the target) and what the Linux simulator needs.
WINDOWS_PACKAGES=(cmake ninja-build g++ pkg-config libasio-dev libsqlite3-dev googletest
                  g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 tmux)

install_missing() {
    install_list "${PACKAGES[@]}" "$@"
}

install_list() {
    local missing=()
    for p in "$@"; do
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
    # Explicit: ./run.sh windows may have made build/ core-only.
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_CORE_ONLY=OFF "$@"
    cmake --build build
}

# build-win64: core, client and core tests; build-win32: core and client;
# both: a DLL with the library's export table.
# The simulator runs on Linux: only its two programs are built in build/,
# which is configured core-only (no Qt needed) when it does not exist yet.
windows() {
    local start=$SECONDS
    if [ ! -f build/CMakeCache.txt ]; then
        cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_CORE_ONLY=ON
    fi
    cmake --build build -j 2 --target vantrel_middleware vantrel-cli
    echo "Linux simulator and client: $((SECONDS - start)) s"

    local arch dir targets
    for arch in 64 32; do
        dir=build-win$arch
        targets=(vantrel-cli vantrel_export_probe)
        [ "$arch" = 64 ] && targets+=(vantrel_core_tests)
        start=$SECONDS
        cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
              -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-mingw$arch.cmake" \
              -DVANTREL_CORE_ONLY=ON -DVANTREL_CLIENT_ONLY=ON
        cmake --build "$dir" -j 2 --target "${targets[@]}"
        echo "Windows $arch-bit build: $((SECONDS - start)) s"
    done
    start=$SECONDS
    tools/windows-check.sh build-win64 build-win32 build
    echo "Windows checks: $((SECONDS - start)) s"
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
    windows)
        install_list "${WINDOWS_PACKAGES[@]}"
        windows
        ;;
    *)
        echo "usage: $0 test|demo|windows" >&2
        exit 2
        ;;
esac
