#!/usr/bin/env bash
# Vantrel: the two set-up commands, and the Windows builds.
#   ./run.sh test      install what is missing, build into build/, run every test
#   ./run.sh demo      build and start the demonstration
#   ./run.sh windows   Qt 6 for Windows from Debian's source (cached outside the tree,
#                      built when missing), then the whole library, the hosts, the
#                      client and the tests for 64- and 32-bit Windows (build-win64/,
#                      build-win32/), checked under Wine against the Linux simulator;
#                      also vantrel-<version>-win32.zip and -win64.zip, the 32-bit
#                      one unpacked and run under Wine
#   ./run.sh windows-core  the same without Qt: the core, the client and the core
#                      tests only
#   ./run.sh package   the Debian package vantrel_<version>_amd64.deb in build-deb/,
#                      checked with lintian, installed, run and removed again
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ pkg-config libasio-dev libgtest-dev libgmock-dev
          libbenchmark-dev libsqlite3-dev libxlsxwriter-dev qt6-base-dev libgl-dev xvfb xauth
          qt6-translations-l10n fonts-wqy-microhei
          poppler-utils libreoffice-calc-nogui libreoffice-writer-nogui unrtf
          libssl-dev openssl stunnel4)

# The Debian package: CPack's DEB generator needs dpkg-shlibdeps (dpkg-dev)
# and file; objdump (binutils) reads the soname; lintian checks the result.
PACKAGE_PACKAGES=(dpkg-dev file binutils lintian)

# The Windows builds: the compilers, Wine (both halves), GoogleTest's sources
# (built for the target), what the Linux simulator needs (libssl-dev: it
# serves TLS in the checks), what builds OpenSSL for the target from Debian's
# source (dpkg-source, patch, perl, make) and the openssl program (the TLS
# checks' certificates and server); for the windows also Debian's Qt host
# tools (moc, rcc, uic of the same Qt version), Qt's translations, a display,
# a Chinese font and xdotool to drive them.
WINDOWS_PACKAGES=(cmake ninja-build g++ pkg-config libasio-dev libsqlite3-dev googletest
                  g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 tmux
                  dpkg-dev patch perl make openssl libssl-dev)
WINDOWS_GUI_PACKAGES=(qt6-base-dev qt6-base-dev-tools qt6-translations-l10n dpkg-dev xz-utils
                      xvfb xauth xdotool x11-utils fonts-wqy-microhei imagemagick zip unzip)

# 32-bit Wine is Debian's wine32, of the i386 architecture.
install_wine32() {
    dpkg --print-foreign-architectures | grep -qx i386 && dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null |
        grep -q 'install ok installed' && return 0
    echo "Installing: wine32:i386"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo dpkg --add-architecture i386
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends wine32:i386
}

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

# build-win64 and build-win32: the core, the client, the core tests, the TLS
# test and the plain Win32 host, with OpenSSL for Windows (cached outside the
# tree, built when missing); with Qt (with_qt=1) also vantrel.dll, the
# walk-through host and the window tests, with the Qt and runtime DLLs
# deployed beside them.
# The simulator runs on Linux: only its two programs are built in build/,
# which is configured core-only (no Qt needed) when it does not exist yet.
windows() {
    local with_qt=$1
    local start=$SECONDS
    if [ ! -f build/CMakeCache.txt ]; then
        cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_CORE_ONLY=ON
    fi
    cmake --build build -j 2 --target vantrel_middleware vantrel-cli
    echo "Linux simulator and client: $((SECONDS - start)) s"

    local arch dir qt openssl
    local -a config targets
    for arch in 64 32; do
        dir=build-win$arch
        # The link flags are given each time: the toolchain's are only the
        # first configuration's, and a folder may switch between the two.
        local static="-static -static-libgcc -static-libstdc++"
        config=(-DVANTREL_CORE_ONLY=ON -DVANTREL_CLIENT_ONLY=ON -UVANTREL_WINDOWS_QT
                -DCMAKE_EXE_LINKER_FLAGS="$static" -DCMAKE_SHARED_LINKER_FLAGS="$static")
        targets=(vantrel-cli vantrel_core_tests vantrel-host vantrel_export_probe vantrel_windows_tls_tests)
        if [ "$with_qt" = 1 ]; then
            # With Qt's C++ runtime DLLs, which tools/windows-deploy.sh copies.
            qt=$(tools/build-qt-windows.sh "$arch")
            config=(-DVANTREL_CORE_ONLY=OFF -DVANTREL_CLIENT_ONLY=ON -DVANTREL_WINDOWS_QT="$qt"
                    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
                    -DCMAKE_EXE_LINKER_FLAGS= -DCMAKE_SHARED_LINKER_FLAGS=)
            targets=(all)
        fi
        # The prefix's name holds OpenSSL's version: FindOpenSSL's results
        # are found again in it each time.
        openssl=$(tools/build-openssl-windows.sh "$arch")
        config+=(-DOPENSSL_ROOT_DIR="$openssl" -DOPENSSL_USE_STATIC_LIBS=TRUE
                 -UOPENSSL_INCLUDE_DIR -ULIB_EAY -USSL_EAY)
        start=$SECONDS
        cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
              -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-mingw$arch.cmake" "${config[@]}"
        cmake --build "$dir" -j 2 --target "${targets[@]}"
        if [ "$with_qt" = 1 ]; then
            tools/windows-deploy.sh "$dir/bin" "$qt" "$arch"
            tools/windows-zip.sh "$dir" "$arch"
        fi
        echo "Windows $arch-bit build: $((SECONDS - start)) s"
    done
    start=$SECONDS
    tools/windows-check.sh build-win64 build-win32 build
    if [ "$with_qt" = 1 ]; then
        tools/windows-gui-check.sh build-win64 build-win32 build
        tools/windows-zip-check.sh "vantrel-$(project_version)-win32.zip" build
    fi
    echo "Windows checks: $((SECONDS - start)) s"
}

project_version() {
    sed -n 's/^project(Vantrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt
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
        install_list "${WINDOWS_PACKAGES[@]}" "${WINDOWS_GUI_PACKAGES[@]}"
        install_wine32
        windows 1
        ;;
    package)
        install_missing "${PACKAGE_PACKAGES[@]}"
        tools/deb-check.sh
        ;;
    windows-core)
        install_list "${WINDOWS_PACKAGES[@]}"
        install_wine32
        windows 0
        ;;
    *)
        echo "usage: $0 test|demo|package|windows|windows-core" >&2
        exit 2
        ;;
esac
