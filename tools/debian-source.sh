# Debian's source packages for the libraries built for Windows, sourced by
# build-qt-windows.sh and build-openssl-windows.sh. apt's messages go to
# standard error: the scripts print only the prefix on standard output.

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
