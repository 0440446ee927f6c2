"""Reads the arrays of a glTF 2.0 file (.glb, or .gltf with embedded or external buffers) with
numpy only, for the scripts beside it: an independent reader, not velomorph's."""
import base64
import json
import os
import struct

import numpy as np


def load(path):
    """The JSON document and the bytes of each buffer."""
    data = open(path, 'rb').read()
    chunks = []
    if data[:4] == b'glTF':
        at = 12
        while at < len(data):
            length, kind = struct.unpack_from('<II', data, at)
            chunks.append((kind, data[at + 8:at + 8 + length]))
            at += 8 + length
        doc = json.loads(chunks[0][1])
    else:
        doc = json.loads(data)
    buffers = []
    for buffer in doc.get('buffers', []):
        uri = buffer.get('uri')
        if uri is None:
            buffers.append(chunks[1][1])
        elif uri.startswith('data:'):
            buffers.append(base64.b64decode(uri.split(',', 1)[1]))
        else:
            buffers.append(open(os.path.join(os.path.dirname(path), uri), 'rb').read())
    return doc, buffers


def accessor(doc, buffers, index):
    """A float accessor as an (count, components) float32 array, sparse values applied."""
    a = doc['accessors'][index]
    components = {'SCALAR': 1, 'VEC2': 2, 'VEC3': 3, 'VEC4': 4}[a['type']]
    kinds = {5121: np.uint8, 5123: np.uint16, 5125: np.uint32, 5126: np.float32}
    kind = kinds[a['componentType']]
    out = np.zeros((a['count'], components), kind)
    if 'bufferView' in a:
        view = doc['bufferViews'][a['bufferView']]
        size = np.dtype(kind).itemsize * components
        stride = view.get('byteStride', size)
        raw = buffers[view['buffer']]
        start = view.get('byteOffset', 0) + a.get('byteOffset', 0)
        for k in range(a['count']):
            out[k] = np.frombuffer(raw, kind, components, start + k * stride)
    if 'sparse' in a:
        s = a['sparse']
        iv, vv = doc['bufferViews'][s['indices']['bufferView']], doc['bufferViews'][s['values']['bufferView']]
        idx = np.frombuffer(buffers[iv['buffer']], kinds[s['indices']['componentType']], s['count'],
                            iv.get('byteOffset', 0) + s['indices'].get('byteOffset', 0))
        out[idx] = np.frombuffer(buffers[vv['buffer']], kind, s['count'] * components,
                                 vv.get('byteOffset', 0) + s['values'].get('byteOffset', 0)).reshape(-1, components)
    return out


def shapes(path):
    """Per mesh, per primitive: (base positions, triangles, {target name: base + displacement})."""
    doc, buffers = load(path)
    meshes = []
    for mesh in doc['meshes']:
        names = mesh.get('extras', {}).get('targetNames', [])
        primitives = []
        for prim in mesh['primitives']:
            base = accessor(doc, buffers, prim['attributes']['POSITION'])
            triangles = accessor(doc, buffers, prim['indices']).reshape(-1, 3)
            targets = {}
            for t, target in enumerate(prim.get('targets', [])):
                name = names[t] if t < len(names) else str(t)
                targets[name] = base + accessor(doc, buffers, target['POSITION'])
            primitives.append((base, triangles, targets))
        meshes.append(primitives)
    return meshes
