#!/usr/bin/env bash
# Installs the Debian 12 packages of the sets named, skipping apt entirely
# when everything is already there:
#   run    building and running the program: compiler, CMake, Ninja, Qt
#   demo   the demo network's IRC server (scripts/run.sh --demo)
#   test   the tests, benchmarks, fuzzing and packaging checks: all of the
#          above and more (the default)
#   windows  the Windows cross build, its installer and its tests under Wine
#   scripts/install-deps.sh [run|demo|test|windows]...
set -euo pipefail

run=(build-essential cmake ninja-build qt6-base-dev qt6-base-dev-tools libgl-dev)
demo=(ngircd)
test=(
  "${run[@]}" "${demo[@]}"
  openssl xvfb xdotool x11-utils imagemagick
  dpkg-dev file
  appstream desktop-file-utils
  clang-14 libfuzzer-14-dev
  xclip
  dbus-daemon dbus-bin at-spi2-core # bench_gui_refresh: a session and its accessibility bus
  curl jq python3 # examples/discord-webhook.sh and its test's local webhook
)

# Qt's host tools (moc, rcc, uic) come from qt6-base-dev-tools; the offscreen
# window tests under Wine measure text in DejaVu Sans; the program under Wine
# draws with Wine's own fonts.
windows=(cmake ninja-build qt6-base-dev-tools xz-utils g++-mingw-w64-x86-64-posix
  wine wine64 nsis fonts-dejavu-core fonts-wine)

packages=()
for set in "${@:-test}"; do
  case $set in
  run) packages+=("${run[@]}") ;;
  demo) packages+=("${demo[@]}") ;;
  test) packages+=("${test[@]}") ;;
  windows) packages+=("${windows[@]}") ;;
  *) echo "usage: scripts/install-deps.sh [run|demo|test|windows]..." >&2; exit 2 ;;
  esac
done

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

# Debian starts ngircd as a system service on install; the tests and the demo
# run their own instances on free ports, so the system one is not needed.
if [[ " ${packages[*]} " == *" ngircd "* ]] && command -v systemctl >/dev/null 2>&1; then
  systemctl stop ngircd >/dev/null 2>&1 || true
fi
