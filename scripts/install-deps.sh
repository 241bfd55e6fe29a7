#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, only when something is missing.
set -euo pipefail

native=(build-essential cmake pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev
        libsqlite3-dev sqlite3 libusb-1.0-0-dev clang-format python3 clang libclang-rt-14-dev
        libstb-dev)  # stb_image for the picture converter library
windows=(mingw-w64 mingw-w64-tools wine wine32:i386 wine64 libwine-dev xvfb socat)

want=("${native[@]}")
[ "${POS_NATIVE_ONLY:-0}" = 1 ] || want+=("${windows[@]}")

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
