#!/usr/bin/env bash
# Packs a deployed Windows folder (tools/windows-deploy.sh) into the zip a
# market hands to trading program vendors: vantrel.dll, the Qt and runtime
# DLLs and plug-ins it needs, qtbase_zh_CN.qm, the plain Win32 demo host, the
# sample Bank.ini, vantrel.h and a README.txt in Chinese.
#
#   tools/windows-zip.sh BUILD_DIR 32|64 [OUT_DIR]
#
# Writes OUT_DIR/vantrel-<version>-win32.zip (or -win64); OUT_DIR defaults to
# the repository's top folder. The DLLs are those vantrel.dll, the host and
# the plug-ins import, followed through the folder, so no test program or
# test-only DLL is packed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
usage="usage: $0 BUILD_DIR 32|64 [OUT_DIR]"
build="$(cd "${1:?$usage}" && pwd)"
arch=${2:?$usage}
out="$(cd "${3:-$root}" && pwd)"
case $arch in
    32) triple=i686-w64-mingw32 ;;
    64) triple=x86_64-w64-mingw32 ;;
    *) echo "$usage" >&2; exit 2 ;;
esac
bin="$build/bin"
[ -f "$bin/vantrel.dll" ] || { echo "no $bin/vantrel.dll: run ./run.sh windows first" >&2; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "no project version in $build/CMakeCache.txt" >&2; exit 1; }
name="vantrel-$version-win$arch"

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
dest="$stage/$name"
mkdir -p "$dest"

# The images to pack, then every DLL of the folder they import, transitively.
images=("$bin/vantrel.dll" "$bin/vantrel-host.exe")
for plugin in "$bin"/platforms/*.dll "$bin"/styles/*.dll; do
    [ -f "$plugin" ] || continue
    mkdir -p "$dest/$(basename "$(dirname "$plugin")")"
    cp "$plugin" "$dest/$(basename "$(dirname "$plugin")")/"
    images+=("$plugin")
done
cp "$bin/vantrel.dll" "$bin/vantrel-host.exe" "$dest/"
while [ ${#images[@]} -gt 0 ]; do
    image=${images[0]}
    images=("${images[@]:1}")
    while IFS= read -r dll; do
        found=$(find "$bin" -maxdepth 1 -iname "$dll" -print -quit)
        [ -n "$found" ] || continue  # a system DLL
        [ -e "$dest/$(basename "$found")" ] && continue
        cp "$found" "$dest/"
        images+=("$found")
    done < <("$triple-objdump" -p "$image" | sed -n 's/^[[:space:]]*DLL Name: //p')
done

# Bank.ini is GBK already, as the library reads it.
cp "$bin/qtbase_zh_CN.qm" "$root/include/vantrel.h" "$root/examples/Bank.ini" "$dest/"
if [ "$arch" = 32 ]; then convention="__stdcall(32 位 Windows 的标准调用约定:参数从右到左压栈,由被调函数清栈)"
else convention="x64 的标准调用约定(64 位 Windows 只有这一种)"; fi
iconv -f UTF-8 -t GBK <<EOF | sed 's/$/\r/' >"$dest/README.txt"
Vantrel 银行转账客户端库 $version($arch 位 Windows)

本目录的文件:
  vantrel.dll          客户端库
  Qt6*.dll、lib*.dll   vantrel.dll 需要的 Qt 和运行库,须与 vantrel.dll 放在同一目录
  platforms\\、styles\\  Qt 的插件,须放在宿主程序(exe)所在目录下
  qtbase_zh_CN.qm      Qt 自身文字的中文翻译,放在 vantrel.dll 旁边
  Bank.ini             配置示例(服务器地址、表格设置等),放在宿主程序所在目录
  vantrel.h            两个导出函数的声明
  vantrel-host.exe     演示宿主程序:vantrel-host.exe --host 127.0.0.1 --port 17990 --trade 8001234

宿主程序的加载方法:
  把本目录的全部文件复制到宿主程序(exe)所在目录,用 LoadLibraryW(L"vantrel.dll")
  加载,再用 GetProcAddress 按名字取得下面两个导出函数(名字不带修饰)。
  调用约定为 $convention。

  void __stdcall OpenVantrel(uintptr_t hostWindow, const char* host, int32_t port,
                             const char* tradeId);
      登录指定的服务器(主机名或点分地址、端口)。

  void __stdcall OpenVantrelEx(uintptr_t hostWindow, const char* tradeId);
      登录从 Bank.ini 服务器列表中选出的服务器。

  hostWindow 为宿主窗口的 HWND(0 表示没有所有者窗口);字符串均为以 0 结尾的 GBK 文本。
  两个函数都在调用线程上以模态方式显示登录窗口和主窗口,窗口都关闭后才返回。
  请在宿主的界面线程上调用,一次只调用一个。

  示例:
    HMODULE lib = LoadLibraryW(L"vantrel.dll");
    VantrelOpenExFn openEx = (VantrelOpenExFn)GetProcAddress(lib, "OpenVantrelEx");
    if (openEx) openEx((uintptr_t)hwnd, "8001234");

日志写在宿主程序所在目录的 logs\\ 文件夹中。
EOF

rm -f "$out/$name.zip"
(cd "$stage" && zip -q -r -X "$out/$name.zip" "$name")
echo "$out/$name.zip: $(find "$dest" -type f | wc -l) files"
