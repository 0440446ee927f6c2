#!/usr/bin/env python3
"""Static checks of a built ambiflex.dlm, for builds nothing here can run (the 32-bit one).

The library must be a PE of the expected format whose export directory names it "ambiflex" and
carries exactly LibDescription, LibNumberClasses, LibClassDesc, LibVersion and CanAutoDefer at
ordinals 1 to 5, and whose resources are those of plugin/ambiflex.rc: every string of its string
table with its text and no other, its dialogs with their controls, its manifest, and no version
resource. The expected resources are read from the script and resource.h, not written here.

usage: check_dlm.py TRIPLET FORMAT LIBRARY SOURCE_DIR
  e.g. check_dlm.py i686-w64-mingw32 pei-i386 build/windows-x86/bin/ambiflex.dlm .
"""
import re
import subprocess
import sys

EXPORTS = ["LibDescription", "LibNumberClasses", "LibClassDesc", "LibVersion", "CanAutoDefer"]

failures = []


def check(condition, what):
    print(("ok    " if condition else "FAIL  ") + what)
    if not condition:
        failures.append(what)


def run(*command):
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"FAIL  {' '.join(command)}: {done.stderr.strip()}")
    return done.stdout


def rc_string(quoted):
    """The text of a resource-script string literal: "" is a quote; \\n, \\t, \\\\ as in C."""
    body = quoted[1:-1].replace('""', '"')
    return re.sub(r'\\(.)', lambda m: {'n': '\n', 't': '\t', 'r': '\r'}.get(m.group(1), m.group(1)), body)


def script_resources(source_dir):
    ids = {}
    for name, value in re.findall(r'^#define\s+(\w+)\s+(\d+)\s*$', open(f"{source_dir}/plugin/resource.h").read(), re.M):
        ids[name] = int(value)
    script = open(f"{source_dir}/plugin/ambiflex.rc", encoding="utf-8").read()
    script = re.sub(r'//[^\n]*', '', script)
    table = re.search(r'^STRINGTABLE\s*\nBEGIN\n(.*?)^END', script, re.S | re.M).group(1)
    strings = {ids[name]: rc_string(text) for name, text in re.findall(r'^\s*(\w+)\s+("(?:[^"]|"")*")\s*$', table, re.M)}
    dialogs = {}
    for name, body in re.findall(r'^(\w+)\s+DIALOGEX\b.*?^BEGIN\n(.*?)^END', script, re.S | re.M):
        dialogs[ids[name]] = [rc_string(t) for t in re.findall(r'^\s*\w+\s+("(?:[^"]|"")*")', body, re.M)]
    manifest = re.search(r'RT_MANIFEST\s+"([^"]+)"', script).group(1)
    return strings, dialogs, open(f"{source_dir}/plugin/{manifest}", encoding="utf-8").read()


def library_resources(triplet, library):
    text = run(f"{triplet}-windres", "--input", library, "--output-format", "rc")
    strings = {}
    for block in re.findall(r'^STRINGTABLE\s*\nBEGIN\n(.*?)^END', text, re.S | re.M):
        for number, literal in re.findall(r'^\s*(\d+),\s*("(?:[^"]|"")*")\s*$', block, re.M):
            strings[int(number)] = rc_string(literal)
    dialogs = {}
    for number, body in re.findall(r'^(\d+)\s+DIALOGEX\b.*?^BEGIN\n(.*?)^END', text, re.S | re.M):
        dialogs[int(number)] = [rc_string(t) for t in re.findall(r'^\s*\w+\s+("(?:[^"]|"")*")', body, re.M)]
    manifests = re.findall(r'^\d+\s+24\b.*?\nBEGIN\n(.*?)^END', text, re.S | re.M)
    manifest = "".join(rc_string(line.strip()) for line in manifests[0].splitlines()) if manifests else None
    types = [int(t) for t in re.findall(r'^\d+\s+(\d+)\b', text, re.M)]
    versioned = "VERSIONINFO" in text or 16 in types
    return strings, dialogs, manifest, versioned


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    triplet, form, library, source_dir = sys.argv[1:]

    header = run(f"{triplet}-objdump", "-f", library)
    check(f"file format {form}" in header, f"{library} is a {form} image")

    private = run(f"{triplet}-objdump", "-p", library)
    exports = private[private.find("The Export Tables"):]
    name = re.search(r'^Name\s+[0-9a-fA-F]+\s+(\S+)\s*$', exports, re.M)
    check(name is not None and name.group(1) == "ambiflex", "the export directory names the library \"ambiflex\"")
    base = re.search(r'^Ordinal Base\s+(\d+)', exports, re.M)
    table = exports[exports.find("[Ordinal/Name Pointer] Table"):].split("\n\n")[0]
    by_ordinal = {int(index) + int(base.group(1) if base else 0): export
                  for index, export in re.findall(r'^\s*\[\s*(\d+)\]\s+(\S+)\s*$', table, re.M)}
    wanted = {k + 1: e for k, e in enumerate(EXPORTS)}
    check(by_ordinal == wanted, "exports " + ", ".join(f"{k} {e}" for k, e in wanted.items()) + " and nothing else" +
          ("" if by_ordinal == wanted else f" (found {dict(sorted(by_ordinal.items()))})"))

    want_strings, want_dialogs, want_manifest = script_resources(source_dir)
    strings, dialogs, manifest, versioned = library_resources(triplet, library)
    check(sorted(want_strings) == list(range(1, 24)), "the script's string table holds ids 1 to 23")
    check(strings == want_strings, "the library's string table is the script's, ids 1 to 23 with their texts")
    for dialog_id, captions in sorted(want_dialogs.items()):
        check(dialogs.get(dialog_id) == captions,
              f"dialog {dialog_id} holds the script's {len(captions)} controls in order")
    check(sorted(dialogs) == sorted(want_dialogs), f"the library's dialogs are {sorted(want_dialogs)}")
    check(manifest == want_manifest and 'level="asInvoker"' in (manifest or ""),
          "the manifest is the script's asInvoker manifest")
    check(not versioned, "there is no version resource")

    if failures:
        sys.exit(f"{len(failures)} check(s) of {library} failed")


main()
