#!/usr/bin/env bash
# Installs what building, testing and demonstrating vrastex needs on Debian.
set -euo pipefail
packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev libstb-dev
  g++-multilib qemu-user
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 wine64
  zip
  xvfb xauth libsdl2-dev libx11-dev
)
# --list prints the packages, one a line, for callers that install them themselves.
if [ "${1:-}" = "--list" ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q "${missing[@]}"
