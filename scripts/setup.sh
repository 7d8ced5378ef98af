#!/usr/bin/env bash
# Installs every Debian package that building, running and testing vlrun needs.
# Idempotent; run as root (or through sudo) on Debian 12.
set -euo pipefail
packages=(
  build-essential cmake ninja-build ccache pkg-config git
  zlib1g-dev libpng-dev libjpeg-dev libgif-dev
  libsdl2-dev libgl-dev libegl-dev libgl1-mesa-dri
  libfreetype-dev libfontconfig-dev fonts-dejavu-core libffi-dev
  libsndfile1-dev libspeexdsp-dev libfluidsynth-dev timgm6mb-soundfont
  nlohmann-json3-dev libfmt-dev libcli11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang clang-format libclang-rt-14-dev lua5.4
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
