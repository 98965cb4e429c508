#!/usr/bin/env bash
# Installs the Debian packages the build, tests, device check and benchmarks need; does nothing
# when all are present. apt-get runs as root directly, otherwise through sudo. The 32-bit build
# takes the i386 packages beside the amd64 ones (all Multi-Arch: same), so the i386 architecture
# is added when one of them is missing; qemu-user runs its programs on kernels that cannot.
set -euo pipefail

packages=(
  build-essential cmake make pkgconf
  android-liblog-dev android-libbase-dev
  libgtest-dev libbenchmark-dev libspdlog-dev
  clang libclang-rt-14-dev clang-format valgrind binutils python3
  libc++-dev libc++abi-dev blueprint-tools g++-multilib qemu-user
  android-liblog-dev:i386 android-libbase-dev:i386 libgtest-dev:i386
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

add_i386=false
if [[ " ${missing[*]}" == *":i386"* ]] && ! dpkg --print-foreign-architectures | grep -qx i386
then
  add_i386=true
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    command="apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
    $add_i386 && command="dpkg --add-architecture i386 && $command"
    echo "install-deps: root or sudo is needed to install the missing packages" \
      "${missing[*]}; as root, run: $command" >&2
    exit 1
  fi
  sudo="sudo"
fi

echo "Installing: ${missing[*]}"
$add_i386 && $sudo dpkg --add-architecture i386
$sudo apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
