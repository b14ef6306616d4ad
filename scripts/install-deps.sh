#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Vellograph
# need, and only those that are missing.
# Usage: scripts/install-deps.sh [PACKAGE...]   (those as well, when a script
# needs more than the build does: scripts/cross-test.sh its cross compiler)
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev
  libwayland-dev qt6-base-private-dev  # boxes marked as dialogs on Wayland
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth x11-utils xdotool imagemagick fonts-dejavu-core
  qt6-gtk-platformtheme
  qt6-translations-l10n
  desktop-file-utils shared-mime-info
  appstream
  man-db groff-base
  bash-completion
  ffmpeg
  librsvg2-bin
  weston qt6-wayland
  xcompmgr
  gnome-shell gjs kwin-wayland kwin-style-breeze kde-spectacle qtwayland5 python3
  clang libclang-rt-14-dev
  emscripten nodejs chromium  # the html player: its WebAssembly build and its browser test
)
packages+=("$@")

# One query for all of them, so that a run with nothing missing is quick.
installed=$(dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' "${packages[@]}" 2>/dev/null |
  awk '$1 == "ii" { print $2 }' || true)
missing=()
for p in "${packages[@]}"; do
  grep -qxF "$p" <<<"$installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
