#!/usr/bin/env bash
# Installs everything Kelo needs to build, run and test on Debian 12.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  # build
  g++ cmake make pkg-config git
  # PNG export
  libpng-dev
  # GUI layer
  libgtk-3-dev
  # real mouse clicks in the GUI tests (X test extension)
  libxtst-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth
  # menu clicks for the screenshots of the editor windows
  xdotool
  # formatting and static checks
  clang-format clang-tidy
  # fuzzing (libFuzzer ships with clang)
  clang libclang-rt-14-dev
  # interoperability checks: other programs must read what we write
  imagemagick giflib-tools libgif-dev python3 python3-pil netpbm
  # independent orbit propagator for the geolocation cross-check, and an
  # independent AVHRR navigation for the precise orbit model's
  python3-sgp4 python3-pyorbital
  # GeoTIFF export (libtiff + libgeotiff); GDAL's tools read it back in tests
  libtiff-dev libgeotiff-dev gdal-bin
  # the screenshot script opens windows with real pointer and keys
  xdotool x11-utils
  # install and package checks: desktop-file-validate, man -l, dpkg-shlibdeps
  desktop-file-utils man-db dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
