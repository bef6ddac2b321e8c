#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config ccache
  libsqlite3-dev libgtest-dev libgmock-dev libbenchmark-dev
  libfreetype-dev libfontconfig-dev libpng-dev fonts-dejavu-core fonts-ipafont fonts-liberation fonts-urw-base35 poppler-data
  g++-multilib libsqlite3-dev:i386 qemu-user ghostscript python3
  libsnmp-dev snmpd snmp
  libx11-dev xvfb xdotool x11-apps
  clang libclang-rt-dev
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ] || [ -n "${need_update:-}" ]; then
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update
  if [ "${#missing[@]}" -gt 0 ]; then
    "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
  fi
fi
