# The Wine loader for the Windows checks, sourced by windows-check.sh and
# tests/windows/tls-handshake.sh.
#
# choose_wine 32|64: sets the array $wine to the loader for programs of that
# width; fails (status 1) when the 64-bit one is not installed.
choose_wine() {
    if [ "$1" = 32 ]; then
        wine=(wine)
    elif command -v wine64 >/dev/null; then
        wine=(wine64)
    elif [ -x /usr/lib/wine/wine64 ]; then
        wine=(/usr/lib/wine/wine64)  # Debian 12 keeps the 64-bit loader here
    else
        return 1
    fi
}
