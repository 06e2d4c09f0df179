#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need; does nothing when they are there.
set -euo pipefail
# e2fsprogs, dosfstools and fusefat make the unlike disks some engine tests copy to (an ext4 image with
# small inodes, a FAT image mounted through FUSE where the kernel has no FAT driver).
packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-x11-0
          libxcb-cursor0 fonts-vlgothic e2fsprogs dosfstools fusefat)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  echo "Installing: ${missing[*]}"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
