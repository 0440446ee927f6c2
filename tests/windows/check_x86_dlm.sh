#!/usr/bin/env bash
# The 32-bit plug-in library cannot run on this machine: check it statically (its image format,
# export directory and resources, see check_dlm.py; its float arithmetic, see check_x86_float.sh).
# Run from the source folder after building the windows-x86 preset, or pass the library's path.
set -euo pipefail
cd "$(dirname "$0")/../.."
library="${1:-build/windows-x86/bin/ambiflex.dlm}"
python3 tests/windows/check_dlm.py i686-w64-mingw32 pei-i386 "$library" .
tests/windows/check_x86_float.sh "$(dirname "$library")/.."
