#!/usr/bin/python3
"""Blender 3.4 imports velomorph's glTF results, and each shape key equals what apply makes of the
same base and target as OBJ files, within 1e-6. Outside ./run.sh test (it needs Debian's blender):

    /usr/bin/python3 tests/gltf/blender_check.py [build/default/bin/velomorph]

Makes the demo's character.glb, runs apply on it (Mirror, Flip, --derive) and a .gltf copy, writes
each source target as OBJ, runs apply on those, and has Blender compare its shape keys to them.
"""
import os
import subprocess
import sys
import tempfile

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gltf_arrays  # noqa: E402

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
velomorph = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'build/default/bin/velomorph'))
work = tempfile.mkdtemp(prefix='velomorph-blender-')


def run(*args):
    subprocess.run([velomorph, *args], cwd=work, check=True, stdout=subprocess.DEVNULL)


def obj(path, positions, triangles):
    with open(os.path.join(work, path), 'w') as f:
        f.writelines(f'v {p[0]:.9g} {p[1]:.9g} {p[2]:.9g}\n' for p in positions)
        f.writelines(f'f {t[0] + 1} {t[1] + 1} {t[2] + 1}\n' for t in triangles)


def expected_of(source, options, renames):
    """Per target of `source`'s one mesh, apply's OBJ result (primitives stacked)."""
    keys = {}
    for base, triangles, targets in gltf_arrays.shapes(os.path.join(work, source))[0]:
        obj('base.obj', base, triangles)
        for name, shape in targets.items():
            obj('input.obj', shape, triangles)
            run('apply', '--target', 'base.obj', '--input', 'input.obj', '--out', 'result.obj', '--quiet', *options)
            result = np.array([[float(x) for x in line.split()[1:4]] for line in open(os.path.join(work, 'result.obj'))
                               if line.startswith('v ')], np.float32)
            name = renames.get(name, name)
            keys[name] = np.concatenate([keys[name], result]) if name in keys else result
    return keys


def split_glb(glb, gltf):
    """A .glb as a .gltf with its buffer in a .bin beside it."""
    import json
    doc, buffers = gltf_arrays.load(os.path.join(work, glb))
    doc['buffers'][0]['uri'] = gltf.replace('.gltf', '.bin')
    open(os.path.join(work, doc['buffers'][0]['uri']), 'wb').write(buffers[0])
    open(os.path.join(work, gltf), 'w').write(json.dumps(doc))


run('demo', '--out', '.')
split_glb('character.glb', 'character.gltf')
checks = [
    ('mirrored.glb', 'character.glb', ['--direction', 'positive'], {}),
    ('flipped.gltf', 'character.gltf', ['--operation', 'flip'], {}),
    ('derived.glb', 'character.glb', ['--operation', 'flip'], {'sculpt_R': 'sculpt_L', 'sculpt_half_R': 'sculpt_half_L'}),
]
failed = 0
for out, source, options, renames in checks:
    if out == 'derived.glb':
        run('apply', '--target', source, '--out', out, '--derive', '_R=_L', '--quiet')
    else:
        run('apply', '--target', source, '--out', out, '--quiet', *options)
    expected = expected_of(source, options, renames)
    np.savez(os.path.join(work, out + '.npz'), **expected)
    status = subprocess.run(['blender', '-b', '--factory-startup', '--python-exit-code', '1', '--python',
                             os.path.join(root, 'tests/gltf/blender_shape_keys.py'), '--',
                             os.path.join(work, out), os.path.join(work, out + '.npz')],
                            capture_output=True, text=True)
    print('\n'.join(line for line in status.stdout.splitlines() if line.startswith(os.path.join(work, out))))
    if status.returncode != 0:
        print(status.stdout[-2000:], status.stderr[-2000:])
        failed += 1
print('blender check: ' + (f'failed; files kept in {work}' if failed else 'every shape key matches'))
if not failed:
    import shutil
    shutil.rmtree(work)
sys.exit(1 if failed else 0)
