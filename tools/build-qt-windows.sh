#!/usr/bin/env bash
# Builds Qt 6 (qtbase: Core, Gui, Widgets, PrintSupport, Test and the Windows
# platform plugin) for 32- and 64-bit Windows from Debian's own source package,
# into a cache outside the work tree that later runs and CI on this machine reuse.
#
#   tools/build-qt-windows.sh 32|64          prints the prefix on its last line
#   tools/build-qt-windows.sh --check 32|64  only says whether it is cached (exit 0)
#
# A prefix counts as built only when its stamp file exists; the stamp is written
# after "cmake --install" succeeded, so a prefix without it is wiped and
# installed again.
set -euo pipefail
source "$(dirname "$0")/debian-source.sh"

windows_build_arguments "$@"
cache=${VANTREL_QT_CACHE:-/var/cache/vantrel/qt6-windows}
version=6.4.2
prefix=$cache/qt-$version-win$arch
stamp=$prefix/.vantrel-complete

if [ -f "$stamp" ]; then
    echo "Qt $version for Windows $arch-bit: cached in $prefix" >&2
    echo "$prefix"
    exit 0
fi
[ "$check_only" = 1 ] && exit 1

echo "Qt $version for Windows $arch-bit: not in the cache, building it (about 30 minutes)" >&2
rm -rf "$prefix"
mkdir -p "$cache/src"

# Debian's source package (tools/debian-source.sh adds the deb-src lines).
orig=$cache/src/qt6-base_$version+dfsg.orig.tar.xz
if [ ! -f "$orig" ]; then
    debian_source_download qt6-base "$cache/src"
fi

srcdir=$cache/src/qtbase-$version
if [ ! -f "$srcdir/.vantrel-unpacked" ]; then
    rm -rf "$srcdir"
    mkdir -p "$srcdir"
    tar -xJf "$orig" -C "$srcdir" --strip-components=1
    # Qt 6.4.2 leaves dynamicgl on when opengl is off, and the Windows
    # platform plugin then uses the OpenGL context it left out.
    sed -i '2296s/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
        "$srcdir/src/plugins/platforms/windows/qwindowswindow.cpp"
    grep -q '^#if QT_CONFIG(dynamicgl) && QT_CONFIG(opengl)$' \
        "$srcdir/src/plugins/platforms/windows/qwindowswindow.cpp" ||
        { echo "the OpenGL fix no longer applies to qwindowswindow.cpp" >&2; exit 1; }
    touch "$srcdir/.vantrel-unpacked"
fi

# The -posix compilers (winpthreads): the same ones the project builds with.
toolchain=$cache/toolchain-$triple.cmake
cat > "$toolchain" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR $([ "$arch" = 64 ] && echo AMD64 || echo x86))
set(CMAKE_C_COMPILER $triple-gcc-posix)
set(CMAKE_CXX_COMPILER $triple-g++-posix)
set(CMAKE_RC_COMPILER $triple-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$triple)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

# An interrupted build resumes in its build folder (ninja redoes what is not
# up to date); only the installed prefix needs the stamp.
builddir=$cache/build-win$arch
start=$SECONDS
# Modules this system does not use are off. Debian's source leaves out the
# tablet header wintab.h; the platform plugin needs it only for tablets.
cmake -S "$srcdir" -B "$builddir" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
      -DCMAKE_INSTALL_PREFIX="$prefix" \
      -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
      -DQT_BUILD_TESTS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_BENCHMARKS=OFF \
      -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF \
      -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF \
      -DFEATURE_tabletevent=OFF -DFEATURE_testlib=ON >&2
cmake --build "$builddir" -j "$(nproc)" >&2
cmake --install "$builddir" >&2
touch "$stamp"
rm -rf "$builddir"
echo "Qt $version for Windows $arch-bit: built in $((SECONDS - start)) s" >&2
echo "$prefix"
