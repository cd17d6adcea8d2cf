#!/usr/bin/env bash
# Installs the Debian 12 packages Kelvra needs to build, run and test,
# skipping those already present.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config      # build
  qt6-base-dev qt6-svg-dev              # Qt 6 Core, Gui, Widgets, PrintSupport, Svg
  libqt6svg6 qt6-qpa-plugins            # SVG glyphs at run time, offscreen/xcb platforms
  libqscintilla2-qt6-dev                # the NC text editor widget
  libgl1-mesa-dev                       # Qt6Gui's CMake config asks for OpenGL headers
  googletest libgtest-dev libgmock-dev  # tests
  fonts-vlgothic                        # Japanese captions
  xvfb xauth imagemagick                # run without a display, screenshots
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
