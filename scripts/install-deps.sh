#!/usr/bin/env bash
# Installs the Debian packages the project needs, and only those missing.
# Safe to run again; works as root or through sudo.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  qtbase5-dev qtbase5-dev-tools libqt5serialport5-dev
  liblzma-dev xz-utils
  libpng-dev libjpeg-dev libtiff-dev libjxr-dev libjbig-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth fonts-wqy-microhei
  dpkg-dev file help2man bash-completion
  ser2net
  qttools5-dev qttools5-dev-tools qttranslations5-l10n
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  SUDO=()
elif command -v sudo >/dev/null 2>&1; then
  SUDO=(sudo)
else
  echo "install-deps: missing packages: ${missing[*]}; run as root or install sudo" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
"${SUDO[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
