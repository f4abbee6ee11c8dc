#!/usr/bin/env bash
# Makes a Windows bin/ folder self-contained, as a market hands it out: the Qt
# DLLs and plug-ins the programs need, the compiler's runtime DLLs Qt was built
# against, and Qt's Simplified Chinese translation beside the library.
#
#   tools/windows-deploy.sh BIN_DIR QT_PREFIX 32|64
#
# The DLLs to copy are found by following the import tables (objdump -p) of
# every program and DLL in the folder, until nothing new is needed. A DLL
# found in none of the folders searched is taken for a system DLL; the Windows
# check then proves that it is one.
set -euo pipefail

bin=$(cd "${1:?usage: $0 BIN_DIR QT_PREFIX 32|64}" && pwd)
qt=${2:?usage: $0 BIN_DIR QT_PREFIX 32|64}
arch=${3:?usage: $0 BIN_DIR QT_PREFIX 32|64}
case $arch in
    32) triple=i686-w64-mingw32 ;;
    64) triple=x86_64-w64-mingw32 ;;
    *) echo "usage: $0 BIN_DIR QT_PREFIX 32|64" >&2; exit 2 ;;
esac
objdump=$triple-objdump
search=("$qt/bin" "/usr/lib/gcc/$triple/12-posix" "/usr/$triple/lib" "/usr/$triple/bin")

# Qt finds its plug-ins in the host program's folder: platforms/ is required,
# styles/ gives the native look.
mkdir -p "$bin/platforms"
cp -u "$qt/plugins/platforms/qwindows.dll" "$bin/platforms/"
if [ -f "$qt/plugins/styles/qwindowsvistastyle.dll" ]; then
    mkdir -p "$bin/styles"
    cp -u "$qt/plugins/styles/qwindowsvistastyle.dll" "$bin/styles/"
fi
# The library loads Qt's own texts in Chinese from its folder.
translations=/usr/share/qt6/translations
[ -f "$translations/qtbase_zh_CN.qm" ] || { echo "no $translations/qtbase_zh_CN.qm (Debian: qt6-translations-l10n)" >&2; exit 1; }
cp -u "$translations/qtbase_zh_CN.qm" "$bin/"

imports() {
    "$objdump" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p'
}

find_dll() {
    local name=$1 dir found
    for dir in "${search[@]}"; do
        found=$(find "$dir" -maxdepth 1 -iname "$name" -print -quit 2>/dev/null)
        [ -n "$found" ] && { echo "$found"; return 0; }
    done
    return 1
}

copied=1
while [ "$copied" -gt 0 ]; do
    copied=0
    while IFS= read -r -d '' image; do
        while IFS= read -r dll; do
            [ -n "$(find "$bin" -maxdepth 1 -iname "$dll" -print -quit)" ] && continue
            if source=$(find_dll "$dll"); then
                cp "$source" "$bin/"
                echo "deployed $(basename "$source")"
                copied=$((copied + 1))
            fi
        done < <(imports "$image")
    done < <(find "$bin" -maxdepth 2 \( -iname '*.exe' -o -iname '*.dll' \) -print0)
done
