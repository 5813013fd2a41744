#!/usr/bin/env bash
# Builds Qt 6.4.2 for 64-bit Windows with Debian 12's MinGW-w64, for machines
# without a prebuilt one: Core, Gui, Widgets, Network (TLS through Schannel)
# and Test, the windows, offscreen and minimal platforms, the windowsvista
# style and the JPEG plugin. The source is Debian's own qt6-base 6.4.2, so
# that it matches the host tools (moc, rcc, uic) of qt6-base-dev-tools.
# Result: ~/.cache/varnholt/qt-6.4.2-mingw, where scripts/build-windows.sh
# looks. About an hour on two cores; a finished build is not redone.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/varnholt
prefix=$cache/qt-6.4.2-mingw
work=${WORK:-$cache/qt-mingw-build}
if [ -f "$prefix/lib/cmake/Qt6/Qt6Config.cmake" ]; then
  echo "Qt for Windows is already built: $prefix"
  exit 0
fi
bash "$root/scripts/install-deps.sh" windows
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
# apt-get source needs the source lists: the binary ones, read as source.
if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  for list in /etc/apt/sources.list.d/*.sources; do
    sed 's/^Types: deb$/Types: deb-src/' "$list" |
      $sudo_cmd tee "/etc/apt/sources.list.d/varnholt-src-$(basename "$list")" >/dev/null
  done
  $sudo_cmd apt-get update -qq
fi

mkdir -p "$work" && cd "$work"
[ -f qt6-base_6.4.2+dfsg.orig.tar.xz ] || apt-get source --download-only qt6-base=6.4.2+dfsg-10
[ -d qtbase-everywhere-src-6.4.2 ] || tar -xJf qt6-base_6.4.2+dfsg.orig.tar.xz
# With OpenGL off, 6.4.2 still takes "dynamicgl" for on and then fails to
# build the Windows platform plugin; its software-GL check means nothing
# without OpenGL.
sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
  qtbase-everywhere-src-6.4.2/src/plugins/platforms/windows/qwindowswindow.cpp
cmake -G Ninja -S qtbase-everywhere-src-6.4.2 -B build \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DFEATURE_sql=OFF -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
  -DFEATURE_openssl=OFF -DFEATURE_schannel=ON -DFEATURE_vulkan=OFF -DFEATURE_tabletevent=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
  -DFEATURE_system_jpeg=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF \
  -DFEATURE_system_doubleconversion=OFF
cmake --build build --parallel "$(nproc)"
cmake --install build
# The compiler's runtime beside Qt's DLLs, where the Windows build finds it.
for dll in libstdc++-6.dll libgcc_s_seh-1.dll; do
  cp "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)" "$prefix/bin/"
done
cp /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$prefix/bin/"
touch "$prefix/.unpacked"
echo "built $prefix"
