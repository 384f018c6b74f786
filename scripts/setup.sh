#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the demo and the packaging check need, when any is missing.
# The print tests read printed PDFs back with poppler-utils and start a private cupsd of their own.
# The Python package is tested with pytest (Pillow optional) and installed into a virtual
# environment by the packaging check, which also runs lintian on the packages. GTK 4, Qt 6
# and xdotool are for the embedding examples that the display stage drives; the library
# itself uses neither toolkit.
set -euo pipefail
packages=(build-essential cmake ninja-build ccache pkg-config clang-14 libclang-rt-14-dev
  libcairo2-dev libfreetype-dev libfontconfig-dev fonts-liberation fonts-ipafont-gothic zlib1g-dev libjpeg62-turbo-dev
  libx11-dev xvfb xauth xclip xdotool libgtk-4-dev qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev libpng-dev libgif-dev python3
  dpkg-dev file libcups2-dev poppler-utils cups-daemon cups-client
  python3-venv python3-pytest python3-pil lintian)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
