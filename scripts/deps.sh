#!/usr/bin/env bash
# Installs everything VELMIR needs to build, test and run on Debian (as root).
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev
  libjpeg-dev libtiff-dev
  libpng-dev libgif-dev libwebp-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth imagemagick libjpeg-turbo-progs time
  fonts-ipafont-gothic
  libsane-dev libsane1 sane-utils
  poppler-utils chromium gsettings-desktop-schemas libglib2.0-bin
  desktop-file-utils appstream dpkg-dev fakeroot
  libexiv2-dev exiv2
)
# Fuzzing (scripts/fuzz.sh) also needs clang and libclang-rt-14-dev; the
# normal build does not, so they are not installed here:
#   apt-get install -y clang libclang-rt-14-dev
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
