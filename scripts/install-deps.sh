#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Corvane need, when missing.
# Works as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git ccache gobjc gobjc++ doxygen
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libpng-dev libpixman-1-dev libvorbis-dev
  libfluidsynth-dev timgm6mb-soundfont
  clang clang-tidy llvm libclang-rt-14-dev python3
  xvfb xdotool x11-apps x11-utils imagemagick xauth
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "install-deps: need root or sudo to install: ${missing[*]}" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
