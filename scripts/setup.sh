#!/usr/bin/env bash
# Installs, from Debian's packages only, whatever the console and its tests need
# and is not installed yet. Safe to run again: it does nothing when all is present.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  qt6-base-dev qt6-serialport-dev libgl-dev
  fonts-dejavu-core
  xvfb xauth faketime socat
  # the sanitizer build and libFuzzer
  clang
  # the Debian package: its icon sizes, CPack's dependency lookup, the menu entry check
  librsvg2-bin dpkg-dev file desktop-file-utils
  # the Windows syntax check (scripts/windows-syntax.sh)
  g++-mingw-w64-x86-64-posix
  # the service: sd_notify and the journal; the unit's check; the package's check
  libsystemd-dev systemd lintian
  # static checks of src/
  clazy clang-tidy
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
