#!/usr/bin/env bash
# One entry point for a fresh machine:
#   ./run.sh demo   installs what the build needs, builds, and runs velomorph on its bundled sample
#   ./run.sh test   installs what the build needs, builds, and runs every test
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev)

install_packages() {
  local missing=()
  for p in "$@"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

build() {
  cmake --preset default >/dev/null
  cmake --build --preset default -j"$(nproc)"
}

case "${1:-}" in
  demo)
    install_packages "${packages[@]}"
    build
    build/default/bin/velomorph demo --out velomorph-demo
    ;;
  test)
    install_packages "${packages[@]}"
    build
    ctest --preset default -j"$(nproc)"
    ;;
  *)
    echo "usage: ./run.sh demo | test" >&2
    exit 2
    ;;
esac
