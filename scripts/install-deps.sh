#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need.
# Skips apt entirely when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build
  qt6-base-dev qt6-base-dev-tools libgl-dev
  ngircd openssl xvfb xdotool x11-utils imagemagick
  dpkg-dev file
  appstream desktop-file-utils
  clang-14 libfuzzer-14-dev
  xclip
  dbus-daemon dbus-bin at-spi2-core # bench_gui_refresh: a session and its accessibility bus
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Debian starts ngircd as a system service on install; the tests run their own
# instances on free ports, so the system one is not needed.
if command -v systemctl >/dev/null 2>&1; then
  systemctl stop ngircd >/dev/null 2>&1 || true
fi
