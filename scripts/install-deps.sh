#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running need; only the missing ones.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang pkg-config ccache
    libgtest-dev libgmock-dev libbenchmark-dev
    libcairo2-dev libfontconfig-dev fonts-liberation2 fonts-dejavu-core
    libjpeg62-turbo-dev libpng-dev libtiff-dev libopenjp2-7-dev zlib1g-dev
    libavformat-dev libavcodec-dev libavutil-dev libswresample-dev
    libopencore-amrnb-dev libsdl2-dev ffmpeg imagemagick
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
