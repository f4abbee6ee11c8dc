# What build-qt-windows.sh and build-openssl-windows.sh share, sourced by
# both: their arguments and Debian's source packages of the libraries they
# build for Windows. apt's messages go to standard error: the scripts print
# only the prefix on standard output.

# windows_build_arguments [--check] 32|64: sets $check_only (1 with --check),
# $arch and $triple, the prefix of the cross compiler's tools; a wrong call
# ends the script.
windows_build_arguments() {
    check_only=0
    if [ "${1:-}" = "--check" ]; then
        check_only=1
        shift
    fi
    arch=${1:?usage: $0 [--check] 32|64}
    case $arch in
        32) triple=i686-w64-mingw32 ;;
        64) triple=x86_64-w64-mingw32 ;;
        *) echo "usage: $0 [--check] 32|64" >&2; exit 2 ;;
    esac
}

# A deb-src line for bookworm and its updates, added when apt reads no
# source packages of bookworm. (Debian's security archive serves no source
# packages to this network: the newest source is bookworm's point release.)
debian_source_lines() {
    apt-get indextargets --no-release-info --format '$(RELEASE)' 'Created-By: Sources' 2>/dev/null |
        grep -qx bookworm && return 0
    cat > /etc/apt/sources.list.d/vantrel-debian-src.sources <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    apt-get update -q >&2
}

# debian_source_version PACKAGE: the version "apt-get source PACKAGE" would
# fetch; empty when apt knows no source package of that name.
debian_source_version() {
    apt-get source --print-uris "$1" 2>/dev/null |
        sed -n "s/^'[^']*' $1_\(.*\)\.dsc .*/\1/p" | head -n 1
}

# debian_source_download PACKAGE[=VERSION] FOLDER: the .dsc, the upstream
# tarball and Debian's changes into FOLDER, not unpacked.
debian_source_download() {
    debian_source_lines
    mkdir -p "$2"
    (cd "$2" && apt-get source --download-only "$1" >&2)
}
