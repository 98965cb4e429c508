#!/usr/bin/env bash
# Installs the Debian packages the build, tests and benchmarks need; does nothing when all are
# present. apt-get runs as root directly, otherwise through sudo.
set -euo pipefail

packages=(
  build-essential cmake make pkgconf
  android-liblog-dev android-libbase-dev
  libgtest-dev libbenchmark-dev libspdlog-dev
  clang libclang-rt-14-dev clang-format valgrind binutils python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
