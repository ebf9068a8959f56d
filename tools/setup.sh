#!/usr/bin/env bash
# Installs what Stillpress needs on Debian 12 (only the packages that are missing) and builds it into build/.
# Safe to run again: a second run installs nothing and only rebuilds what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev
          libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
          libturbojpeg0-dev libdeflate-dev zlib1g-dev libgif-dev libimagequant-dev libtiff-dev
          libgtest-dev ffmpeg xvfb xauth python3 python3-pil python3-numpy
          clang libclang-rt-14-dev fonts-liberation2)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -G Ninja ${STILLPRESS_CMAKE_ARGS:-}
cmake --build build
