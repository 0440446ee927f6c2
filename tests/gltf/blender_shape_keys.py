"""Inside Blender: imports a glTF file and checks each shape key against expected positions.

    blender -b --factory-startup --python-exit-code 1 --python tests/gltf/blender_shape_keys.py -- OUT.glb EXPECTED.npz

EXPECTED.npz holds one (n, 3) array per shape key name, in glTF coordinates, for a file of one
mesh (primitives in order). Exits 1 when a key is missing or a position differs by more than 1e-6.
"""
import sys

import numpy
numpy.bool = bool  # Blender 3.4's glTF importer still uses the alias numpy removed
import bpy

path, expected_path = sys.argv[sys.argv.index('--') + 1:][:2]
bpy.ops.wm.read_factory_settings(use_empty=True)
bpy.ops.import_scene.gltf(filepath=path)
meshes = [o for o in bpy.context.scene.objects if o.type == 'MESH']
assert len(meshes) == 1, f'{path}: {len(meshes)} mesh objects'
keys = meshes[0].data.shape_keys.key_blocks
expected = numpy.load(expected_path)
worst = 0.0
for name in expected.files:
    if name not in keys:
        print(f'{path}: no shape key {name}')
        sys.exit(1)
    co = numpy.empty(len(keys[name].data) * 3, numpy.float32)
    keys[name].data.foreach_get('co', co)
    co = co.reshape(-1, 3)
    # glTF is Y up, Blender Z up: (x, y, z) becomes (x, -z, y).
    gltf = numpy.stack([co[:, 0], co[:, 2], -co[:, 1]], axis=1)
    if gltf.shape != expected[name].shape:
        print(f'{path}: shape key {name} has {len(gltf)} vertices, expected {len(expected[name])}')
        sys.exit(1)
    difference = float(numpy.abs(gltf - expected[name]).max())
    worst = max(worst, difference)
    print(f'{path}: {name}: largest difference {difference:.3g}')
    if difference > 1e-6:
        sys.exit(1)
print(f'{path}: {len(expected.files)} shape keys within 1e-6 (largest difference {worst:.3g})')
