#!/usr/bin/env bash
# One entry point for a fresh machine:
#   ./run.sh demo   installs what the build needs, builds velomorph and the plug-in, and runs it on its
#                   bundled sample
#   ./run.sh test   installs what the build needs, builds, and runs every test: the default suite,
#                   a short soak, every fuzzer for 30 seconds, the suite again under the sanitizers,
#                   and the Windows stage below
#   ./run.sh windows  only the Windows stage: cross-builds the Windows libraries, runs the 64-bit
#                   suite under Wine and checks the 32-bit library
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake g++ make clang libgtest-dev libgmock-dev libbenchmark-dev libtinygltf-dev)
# The Python module (python/) and its tests: Debian's interpreter, its headers, pybind11, numpy, pytest.
python_packages=(python3-dev python3-pybind11 pybind11-dev python3-numpy python3-pytest)
# The Khronos glTF validator (npm's gltf-validator), which the glTF tests run on their results. Node
# and npm come from Debian unless the machine already has an npm (a Node.js build that carries its
# own npm conflicts with Debian's npm package).
validator_packages=()
command -v npm >/dev/null 2>&1 || validator_packages=(nodejs npm)
# Installed into build/npm, inside the checkout; the tests find it there.
gltf_validator() {
  [ -d build/npm/node_modules/gltf-validator ] ||
    npm install --prefix build/npm --no-audit --no-fund --no-save gltf-validator@2.0.0-dev.3.10 >/dev/null
}

# The fuzzers are built with clang, whose sanitizer and libFuzzer runtimes come separately.
fuzz_packages=(clang libclang-rt-14-dev)

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

jobs=2
[ "$(nproc)" -lt 2 ] && jobs=1

build() {
  cmake --preset default >/dev/null
  cmake --build --preset default -j"$jobs"
}

default_suite() {
  ctest --preset default -j"$jobs"
}

# 200 cycles on a 20k-vertex mesh; README.md (Reliability) gives the long form.
short_soak() {
  build/default/bin/velomorph_soak --cycles 200 --vertices 20000 --tolerance-mb 1
}

fuzzers() {
  fuzz/run_fuzzers.sh 30
}

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer (no benchmarks).
sanitize_suite() {
  cmake --preset sanitize >/dev/null
  cmake --build --preset sanitize -j"$jobs"
  ctest --preset sanitize -j"$jobs"
}

# The Windows libraries from the mingw-w64 cross compilers: only what the checks need is built
# (no benchmarks). The 64-bit suite runs under Wine in a prefix of its own, once without a display
# (the rollout tests skip, saying why) and once on a virtual one, where the rollout is made of real
# windows. Nothing here runs 32-bit programs, so the 32-bit library is checked statically: its image,
# exports and resources, and that it does its float arithmetic in SSE registers.
windows_packages=(g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine64 python3 xvfb xauth)
windows_libraries() (
  install_packages "${windows_packages[@]}"
  cmake --preset windows-x64 >/dev/null
  cmake --build --preset windows-x64 -j"$jobs" --target ambiflex velomorph host_tests engine_tests plugin_tests \
    app_tests windows_tests topology_tests
  cmake --preset windows-x86 >/dev/null
  cmake --build --preset windows-x86 -j"$jobs" --target ambiflex
  export WINEPREFIX="$PWD/build/wine" WINEDEBUG=fixme-all WINEDLLOVERRIDES="mscoree,mshtml="
  unset DISPLAY
  # The prefix is made once, before tests start side by side.
  /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
  wineserver -w
  ctest --preset windows-x64 -j"$jobs"
  # A new Wine session, which finds the display; the rollout tests must then run, not skip. The
  # session ends before the display does.
  wineserver -w
  VELOMORPH_REQUIRE_WINDOWS=1 xvfb-run -a -s "-screen 0 1024x768x24" bash -c \
    "ctest --preset windows-x64 -j$jobs -R '^(host|plugin|windows)_tests\$'; status=\$?; wineserver -w; exit \$status"
  tests/windows/check_x86_dlm.sh
)

# Runs one stage and says how long it took, so a slow stage shows in the log.
stage() {
  local started=$SECONDS
  "$@"
  echo "run.sh: $1 took $((SECONDS - started)) s"
}

case "${1:-}" in
  demo)
    install_packages "${packages[@]}"
    # Only the program and the plug-in it loads; the tests and benchmarks wait for ./run.sh test.
    cmake --preset default >/dev/null
    cmake --build --preset default -j"$jobs" --target velomorph ambiflex
    build/default/bin/velomorph demo --out velomorph-demo
    ;;
  test)
    install_packages "${packages[@]}" "${python_packages[@]}" "${fuzz_packages[@]}" "${validator_packages[@]}"
    stage gltf_validator
    stage build
    stage default_suite
    stage short_soak
    stage fuzzers
    stage sanitize_suite
    stage windows_libraries
    ;;
  windows)
    install_packages "${packages[@]}"
    windows_libraries
    ;;
  *)
    echo "usage: ./run.sh demo | test | windows" >&2
    exit 2
    ;;
esac
