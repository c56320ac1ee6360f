#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Quorvell need.
# Idempotent and quiet when everything is present; must run as root (or via sudo)
# when something is missing.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ clang pkg-config
  qtbase5-dev qttools5-dev qttools5-dev-tools libqt5svg5-dev
  qt5-image-formats-plugins
  libkf5mime-dev libkf5contacts-dev libkf5guiaddons-dev
  libcanberra-dev libasound2-dev
  libgtest-dev libgmock-dev libbenchmark-dev libclang-rt-14-dev
  # running
  dbus dbus-x11 sound-theme-freedesktop fonts-dejavu-core fonts-wqy-microhei fonts-symbola qtwayland5
  # tests
  xvfb xauth trayer xdotool xclip x11-utils imagemagick poppler-utils mblaze khard notmuch neomutt aerc tmux
  # tests of the bus tray and of Wayland (a headless compositor and its clipboard tools)
  haskell-status-notifier-item-utils sway wl-clipboard util-linux
  # the end-to-end test with a real Thunderbird and our extension in it
  thunderbird
  # the Debian package: its build, its checks, and what it recommends (so that
  # installing it needs no download)
  dpkg-dev debhelper lintian appstream desktop-file-utils man-db xdg-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: need root to install: ${missing[*]}" >&2; exit 1; }
  SUDO=sudo
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq >/dev/null
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
