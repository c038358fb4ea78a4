#!/usr/bin/env bash
# Installs everything the build, the program and the tests need on Debian 12.
#   setup.sh         everything;
#   setup.sh build   only what configuring and compiling the trees needs (the
#                    test command installs the rest while its first tree
#                    builds).
set -euo pipefail
build_packages=(
  cmake g++ make pkg-config ccache clang-format
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libcups2-dev
  libqrencode-dev zlib1g-dev
  qt6-l10n-tools qt6-tools-dev qt6-tools-dev-tools
)
other_packages=(
  clang-tidy
  clang libclang-rt-14-dev # the fuzz targets (clang-tidy brings clang itself)
  cups-daemon cups-client cups util-linux
  fonts-noto-cjk fonts-liberation2 fonts-dejavu-core
  dpkg-dev file librsvg2-bin lintian desktop-file-utils appstream
  qt6-translations-l10n
)
packages=("${build_packages[@]}")
[ "${1:-}" = build ] || packages+=("${other_packages[@]}")
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
  # (Unpacked without a sync after every file: what a crash would lose is
  # installed again by the next run.)
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends \
    -o Dpkg::Options::=--force-unsafe-io "${missing[@]}"
fi
