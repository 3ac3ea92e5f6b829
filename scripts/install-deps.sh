#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need.
# Does nothing when they are all present, so `make run` stays quick.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-gtk-platformtheme
  libzip-dev
  clang libclang-rt-14-dev clang-format
  xvfb xauth # the window tests' second run on a real X server
  fonts-liberation2 # Liberation Sans: Arial's widths, where Arial is missing (the windows are laid out for Arial)
  fonts-dejavu-core # the wider font the window tests lay windows out in, in place of Arial
  mawk # bench/run-all and bench/mawk_baseline.sh only
  libxtst-dev libxdamage-dev # bench/user_open only: a user's keys sent and the program's paints seen through the X server
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
