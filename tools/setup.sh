#!/usr/bin/env bash
# Installs what Stillpress needs on Debian 12 (only the packages that are missing) and builds it into build/.
# Safe to run again: a second run installs nothing and only rebuilds what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

# Building; the tests and their independent decoders (ffmpeg, ImageMagick, Pillow) and PNG checker (pngcheck); the Debian package
# (cpack runs file and dpkg-shlibdeps) and its checks (desktop-file-validate, appstreamcli, groff for the
# manual page, Xvfb and xwininfo to see the installed window); GNU parallel for the many-machines recipe;
# the sanitizer and fuzzing build (clang); the benchmark (numpy); strace, to see which files a run opens;
# zimg brings HDR pictures to linear light as the README's chain (ffmpeg's zscale and tonemap) does;
# libavfilter's bwdif deinterlaces.
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev
          libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libavfilter-dev libzimg-dev
          libturbojpeg0-dev libjpeg62-turbo-dev libdeflate-dev zlib1g-dev libgif-dev libimagequant-dev libtiff-dev
          libgtest-dev ffmpeg imagemagick pngcheck python3 python3-pil python3-numpy fonts-liberation2
          file dpkg-dev desktop-file-utils appstream groff-base xvfb xauth x11-utils
          parallel strace
          clang libclang-rt-14-dev)
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
