#!/usr/bin/env bash
# Installs everything the build, the program and the tests need on Debian 12.
set -euo pipefail
packages=(
  cmake g++ make pkg-config ccache clang-format clang-tidy
  clang libclang-rt-14-dev # the fuzz targets (clang-tidy brings clang itself)
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libcups2-dev
  libqrencode-dev
  cups-daemon cups-client cups util-linux
  fonts-noto-cjk fonts-liberation2 fonts-dejavu-core
  dpkg-dev file librsvg2-bin lintian desktop-file-utils appstream
  qt6-translations-l10n qt6-l10n-tools qt6-tools-dev qt6-tools-dev-tools
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
      echo "setup: these packages are missing and sudo is not installed; as root run:" >&2
      echo "  apt-get install --no-install-recommends ${missing[*]}" >&2
      exit 1
    fi
    sudo_cmd="sudo"
  fi
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
