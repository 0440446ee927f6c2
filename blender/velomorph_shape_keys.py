"""Velomorph shape keys: Mirror, Flip or Reset a shape key against its basis with the velomorph
module, along any axis, from either side, on the active key or on every key.

Unlike Blender's own Mirror Shape Key, the partners are found as the velomorph modifier finds them:
each vertex's partner is the basis vertex nearest its mirror image, however far off, so a basis that
is symmetric only to within 1e-4 (as after most round trips between tools) still mirrors completely.
Results are bit for bit those of `velomorph apply --as mesh` on the same meshes.

Needs the `velomorph` Python module where Blender's Python finds it (see the README)."""

bl_info = {
    "name": "Velomorph Shape Keys",
    "author": "Velomorph",
    "version": (1, 0, 0),
    "blender": (3, 4, 0),
    "location": "Properties > Object Data > Shape Keys > Velomorph Symmetry",
    "description": "Mirror, flip or reset shape keys against the basis along any axis",
    "category": "Mesh",
}

import bpy
import numpy as np

try:
    import velomorph
except ImportError:  # the panel says so; the operator refuses
    velomorph = None

OPERATIONS = [
    ("MIRROR", "Mirror", "Write one side of the key from the other"),
    ("FLIP", "Flip", "Swap the key's two halves"),
    ("RESET", "Reset", "Return the key to the basis"),
]
AXES = [("X", "X", "Mirror across the YZ plane"), ("Y", "Y", "Mirror across the XZ plane"),
        ("Z", "Z", "Mirror across the XY plane")]
DIRECTIONS = [
    ("NEGATIVE", "Negative", "Mirror writes the negative side (coordinate at most 0 on the basis) from the positive"),
    ("POSITIVE", "Positive", "Mirror writes the positive side from the negative"),
]


def key_positions(key_block, count):
    positions = np.empty((count, 3), np.float32)
    key_block.data.foreach_get("co", positions.ravel())
    return positions


def symmetrize_keys(mesh, key_blocks, operation, axis, direction):
    """Applies the operation to each of key_blocks against the mesh's basis key, in place."""
    count = len(mesh.vertices)
    basis = key_positions(mesh.shape_keys.reference_key, count)
    partners = velomorph.pair(basis, axis) if operation != "RESET" else None
    for key_block in key_blocks:
        sculpt = key_positions(key_block, count)
        if operation == "MIRROR":
            velomorph.mirror(basis, sculpt, partners, axis=axis, direction=direction.lower(), out=sculpt)
        elif operation == "FLIP":
            velomorph.flip(basis, sculpt, partners, axis=axis, out=sculpt)
        else:
            velomorph.reset(basis, sculpt, out=sculpt)
        key_block.data.foreach_set("co", sculpt.ravel())
    mesh.update()


class OBJECT_OT_velomorph_symmetry(bpy.types.Operator):
    """Mirror, flip or reset the active shape key (or every key) against the basis"""

    bl_idname = "object.velomorph_symmetry"
    bl_label = "Velomorph Symmetry"
    bl_options = {"REGISTER", "UNDO"}

    operation: bpy.props.EnumProperty(name="Operation", items=OPERATIONS, default="MIRROR")
    axis: bpy.props.EnumProperty(name="Axis", items=AXES, default="X")
    direction: bpy.props.EnumProperty(name="Direction", items=DIRECTIONS, default="NEGATIVE")
    all_keys: bpy.props.BoolProperty(name="All Keys", description="Every shape key but the basis", default=False)

    @classmethod
    def poll(cls, context):
        obj = context.object
        keys = obj.data.shape_keys if obj is not None and obj.type == "MESH" else None
        return keys is not None and len(keys.key_blocks) > 1

    def execute(self, context):
        if velomorph is None:
            self.report({"ERROR"}, "The velomorph Python module is not installed where Blender finds it")
            return {"CANCELLED"}
        obj = context.object
        mesh = obj.data
        keys = mesh.shape_keys
        if self.all_keys:
            targets = [k for k in keys.key_blocks if k != keys.reference_key]
        else:
            targets = [obj.active_shape_key] if obj.active_shape_key != keys.reference_key else []
        if not targets:
            self.report({"WARNING"}, "The basis is what the other keys are mirrored against: pick another key")
            return {"CANCELLED"}
        # Edit mode keeps its own copy of the mesh; the keys are worked on in object mode.
        mode = obj.mode
        if mode == "EDIT":
            bpy.ops.object.mode_set(mode="OBJECT")
        try:
            symmetrize_keys(mesh, targets, self.operation, "XYZ".index(self.axis), self.direction)
        finally:
            if mode == "EDIT":
                bpy.ops.object.mode_set(mode="EDIT")
        self.report({"INFO"}, f"{self.operation.title()}: {len(targets)} shape key(s)")
        return {"FINISHED"}


class VelomorphSymmetrySettings(bpy.types.PropertyGroup):
    axis: bpy.props.EnumProperty(name="Axis", items=AXES, default="X")
    direction: bpy.props.EnumProperty(name="Direction", items=DIRECTIONS, default="NEGATIVE")
    all_keys: bpy.props.BoolProperty(name="All Keys", description="Every shape key but the basis", default=False)


class DATA_PT_velomorph_symmetry(bpy.types.Panel):
    bl_label = "Velomorph Symmetry"
    bl_space_type = "PROPERTIES"
    bl_region_type = "WINDOW"
    bl_context = "data"
    bl_parent_id = "DATA_PT_shape_keys"

    @classmethod
    def poll(cls, context):
        return context.mesh is not None

    def draw(self, context):
        layout = self.layout
        if velomorph is None:
            layout.label(text="velomorph module not found (see README)", icon="ERROR")
            return
        settings = context.scene.velomorph_symmetry
        row = layout.row()
        row.prop(settings, "axis", expand=True)
        layout.prop(settings, "direction")
        layout.prop(settings, "all_keys")
        row = layout.row(align=True)
        for operation, label, _ in OPERATIONS:
            op = row.operator(OBJECT_OT_velomorph_symmetry.bl_idname, text=label)
            op.operation = operation
            op.axis = settings.axis
            op.direction = settings.direction
            op.all_keys = settings.all_keys


classes = (OBJECT_OT_velomorph_symmetry, VelomorphSymmetrySettings, DATA_PT_velomorph_symmetry)


def register():
    for cls in classes:
        bpy.utils.register_class(cls)
    bpy.types.Scene.velomorph_symmetry = bpy.props.PointerProperty(type=VelomorphSymmetrySettings)


def unregister():
    del bpy.types.Scene.velomorph_symmetry
    for cls in reversed(classes):
        bpy.utils.unregister_class(cls)


if __name__ == "__main__":
    register()
