#!/usr/bin/env bash
# Builds OpenSSL's libcrypto and libssl as static libraries for 32- and 64-bit
# Windows from Debian's own source package (with Debian's patches, its security
# fixes among them), into a cache outside the work tree that later runs and CI
# on this machine reuse.
#
#   tools/build-openssl-windows.sh 32|64          prints the prefix on its last line
#   tools/build-openssl-windows.sh --check 32|64  only says whether it is cached (exit 0)
#
# The version is the one "apt-get source openssl" fetches; a prefix counts as
# built only when its stamp file exists, written after "make install_dev"
# succeeded, so a prefix without it is wiped and installed again.
set -euo pipefail
source "$(dirname "$0")/debian-source.sh"

windows_build_arguments "$@"
cache=${VANTREL_OPENSSL_CACHE:-/var/cache/vantrel/openssl-windows}

# OpenSSL's own targets: mingw is 32-bit x86, mingw64 x86-64.
case $arch in
    32) target=mingw ;;
    64) target=mingw64 ;;
esac

# 3.0.20-1~deb12u2 -> 3.0.20
upstream_version() {
    local v=${1#*:}
    echo "${v%-*}"
}

prefix_of() {
    echo "$cache/openssl-$(upstream_version "$1")-win$arch"
}

reuse() {
    echo "OpenSSL for Windows $arch-bit: cached in $1" >&2
    echo "$1"
    exit 0
}

debian_version=$(debian_source_version openssl)
if [ -n "$debian_version" ]; then
    prefix=$(prefix_of "$debian_version")
    [ -f "$prefix/.vantrel-complete" ] && reuse "$prefix"
else
    # apt knows no source package (no deb-src lines): any complete build serves.
    for stamp in $(ls -d "$cache"/openssl-*-win"$arch"/.vantrel-complete 2>/dev/null | sort -rV); do
        reuse "$(dirname "$stamp")"
    done
fi
[ "$check_only" = 1 ] && exit 1

debian_source_lines
debian_version=$(debian_source_version openssl)
[ -n "$debian_version" ] || { echo "apt knows no source package openssl" >&2; exit 1; }
prefix=$(prefix_of "$debian_version")
stamp=$prefix/.vantrel-complete
[ -f "$stamp" ] && reuse "$prefix"

echo "OpenSSL $debian_version for Windows $arch-bit: not in the cache, building it (about 10 minutes)" >&2
rm -rf "$prefix"

# Unpacked with Debian's patches applied (dpkg-source, of dpkg-dev), but one.
# apt checked the files against the archive's signed index (--no-check: no
# keyring of maintainers needed).
srcdir=$cache/src/openssl-$debian_version
if [ ! -f "$srcdir/.vantrel-unpacked" ]; then
    debian_source_download "openssl=$debian_version" "$cache/src"
    rm -rf "$srcdir"
    dpkg-source --no-check -x "$cache/src/openssl_${debian_version#*:}.dsc" "$srcdir" >&2
    # Debian's pic.patch makes the 32-bit x86 assembler position-independent
    # through the ELF global offset table, which Windows' COFF objects cannot
    # express; OpenSSL's own code is the one for Windows.
    patch -R -p1 -d "$srcdir" <"$srcdir/debian/patches/pic.patch" >&2
    touch "$srcdir/.vantrel-unpacked"
fi

# Built outside the source folder, which both architectures share; always
# from scratch, since a changed configuration rebuilds everything anyway.
builddir=$cache/build-win$arch
rm -rf "$builddir"
mkdir -p "$builddir"
start=$SECONDS
# The -posix compilers, as the project's (OpenSSL uses Windows threads either
# way). Only what a TLS client needs: no shared libraries, no tests, no
# engines, no loadable modules (the default provider is built in), no legacy
# provider, no compression, no loading of shared objects at all (so the
# module and engine folders, paths of this machine, are never used); only the
# libraries are built and installed, so no programs and no manuals either.
# OPENSSLDIR, where libssl looks for openssl.cnf, is the folder only
# administrators may write to, as in OpenSSL's own Windows builds, rather than
# a path of this machine that would mean a folder anyone may create there.
# Configure takes "C:/…" for a relative path: it is set on make's command line.
openssldir="C:/Program Files/Common Files/SSL"
(cd "$builddir" &&
    CC=gcc-posix perl "$srcdir/Configure" "$target" --cross-compile-prefix="$triple-" \
        --prefix="$prefix" --libdir=lib --release \
        no-shared no-tests no-engine no-module no-dso no-legacy no-comp no-ui-console >&2)
make -C "$builddir" -j "$(nproc)" OPENSSLDIR="$openssldir" build_libs >&2
make -C "$builddir" OPENSSLDIR="$openssldir" install_dev >&2
touch "$stamp"
rm -rf "$builddir"
echo "OpenSSL $debian_version for Windows $arch-bit: built in $((SECONDS - start)) s" >&2
echo "$prefix"
