#!/usr/bin/env bash
# The 32-bit library must do its float arithmetic in SSE registers, as the real host's 32-bit build
# does: the x87 unit computes in extended precision, which changes squared-distance comparisons and
# so the partners pairing picks on near ties. Checked statically after building the windows-x86
# preset (run from the source folder, or pass the build folder):
#  1. every plug-in source was compiled with -msse2 -mfpmath=sse (the recorded compile commands);
#  2. the plug-in's own object code, pairing included, holds no x87 arithmetic. Loads and stores of
#     the x87 stack (fld, fstp) stay: a float result is returned in st(0) on 32-bit Windows.
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build/windows-x86}"
objdump=i686-w64-mingw32-objdump

commands="$build/compile_commands.json"
[ -f "$commands" ] || { echo "check_x86_float: no $commands (configure the windows-x86 preset)" >&2; exit 1; }
python3 - "$commands" "$PWD" <<'PY'
import json, sys
commands, root = sys.argv[1], sys.argv[2]
folders = ("plugin/", "params/", "modifier/", "symmetry/", "persist/", "script/")
plugin = [c for c in json.load(open(commands))
          if c["file"].startswith(root + "/") and c["file"][len(root) + 1:].startswith(folders)]
if not plugin:
    sys.exit("check_x86_float: no plug-in source among the compile commands")
bad = [c["file"] for c in plugin
       if "-msse2" not in c["command"].split() or "-mfpmath=sse" not in c["command"].split()]
if bad:
    sys.exit("check_x86_float: compiled without -msse2 -mfpmath=sse:\n  " + "\n  ".join(bad))
print(f"check_x86_float: {len(plugin)} plug-in sources compiled with -msse2 -mfpmath=sse")
PY

mapfile -t objects < <(find "$build/plugin/CMakeFiles/ambiflex.dir" "$build/plugin/CMakeFiles/ambiflex_engine.dir" \
  -name '*.obj' | sort)
for pairing in vertex_pairing nearest_point_index; do
  printf '%s\n' "${objects[@]}" | grep -q "/$pairing\.cpp\.obj$" ||
    { echo "check_x86_float: no object of $pairing.cpp under $build/plugin" >&2; exit 1; }
done
# x87 arithmetic and comparisons (the SSE forms are addss, mulss, comiss and so on).
x87='\s(f(i?add|i?mul|i?sub|i?subr|i?div|i?divr)p?|f(i?com|ucom)(i|p|pp|ip)?|fsqrt|fprem1?|fscale|frndint|ftst)\s'
if found=$("$objdump" -d --no-show-raw-insn "${objects[@]}" | grep -P "$x87"); then
  echo "check_x86_float: x87 arithmetic in the plug-in's 32-bit code:" >&2
  echo "$found" | head -20 >&2
  exit 1
fi
echo "check_x86_float: ${#objects[@]} plug-in objects, pairing included, free of x87 arithmetic"
