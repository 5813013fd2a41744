#!/usr/bin/env bash
# Cross-builds the Windows program on Debian 12 and leaves two artefacts:
#   build-windows/Varnholt-<version>-win64.zip        unpack and run
#   build-windows/Varnholt-<version>-win64-setup.exe  per-user installer
# Installs what is missing (MinGW-w64, Wine, NSIS). Qt for Windows comes from,
# in this order: $VARNHOLT_QT_MINGW (an unpacked Qt folder); the prebuilt
# archive in ../shared/toolchains/; ~/.cache/varnholt/qt-6.4.2-mingw as
# scripts/build-qt-mingw.sh leaves it.
#   scripts/build-windows.sh [--no-tests]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tests=ON
[ "${1:-}" = "--no-tests" ] && tests=OFF

bash scripts/install-deps.sh windows

cache=${XDG_CACHE_HOME:-$HOME/.cache}/varnholt
qt=${VARNHOLT_QT_MINGW:-}
archive=$root/../shared/toolchains/qt-6.4.2-mingw-w64-x86_64.tar.xz
if [ -z "$qt" ]; then
  qt=$cache/qt-6.4.2-mingw
  # Unpacked again when the archive is newer than the folder.
  if [ -f "$archive" ] && { [ ! -f "$qt/.unpacked" ] || [ "$archive" -nt "$qt/.unpacked" ]; }; then
    rm -rf "$qt" && mkdir -p "$cache"
    tar -C "$cache" -xJf "$archive"
    touch "$qt/.unpacked"
  fi
fi
if [ ! -f "$qt/lib/cmake/Qt6/Qt6Config.cmake" ]; then
  echo "build-windows.sh: no Qt for Windows at $qt; build it with scripts/build-qt-mingw.sh (about an hour)" >&2
  exit 1
fi

build=$root/build-windows
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$root/tests/windows/wine-run.sh;$qt/bin" \
  -DBUILD_TESTING=$tests
cmake --build "$build" --parallel "$(nproc)"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=Varnholt-$version-win64
stage=$build/stage
rm -rf "$stage" "$build/$name.zip" "$build/$name-setup.exe"
cmake --install "$build" --prefix "$stage/Varnholt" --strip >/dev/null
# The runtime and Qt DLLs come with their symbols; a player needs none of them.
find "$stage/Varnholt" -name '*.dll' -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
(cd "$stage" && cmake -E tar cf "$build/$name.zip" --format=zip Varnholt)

# The installer's file lists: what it puts there is what its uninstaller removes.
files=$stage/files.nsh unfiles=$stage/unfiles.nsh
: >"$files"
: >"$unfiles"
(cd "$stage/Varnholt" && find . -type f | sort) | while read -r file; do
  rel=${file#./}
  dir=$(dirname "$rel")
  win=${rel//\//\\}
  if [ "$dir" = . ]; then echo "SetOutPath \"\$INSTDIR\"" >>"$files"
  else echo "SetOutPath \"\$INSTDIR\\${dir//\//\\}\"" >>"$files"; fi
  echo "File \"$stage/Varnholt/$rel\"" >>"$files"
  echo "Delete \"\$INSTDIR\\$win\"" >>"$unfiles"
done
echo "SetOutPath \"\$INSTDIR\"" >>"$files"
(cd "$stage/Varnholt" && find . -mindepth 1 -type d | sort -r) | while read -r dir; do
  rel=${dir#./}
  echo "RMDir \"\$INSTDIR\\${rel//\//\\}\"" >>"$unfiles"
done
makensis -V2 -DVERSION="$version" -DFILES="$files" -DUNFILES="$unfiles" \
  -DICON="$root/packaging/windows/varnholt.ico" -DOUTFILE="$build/$name-setup.exe" \
  packaging/windows/installer.nsi
rm -rf "$stage"
echo "built $build/$name.zip"
echo "built $build/$name-setup.exe"
