# Makes the workshop's test models with Blender itself, as a teacher would get
# them from its File > Export menu with the default settings:
#   chasseur_blender.obj/.mtl  OBJ: "o" and "usemtl" lines, no "g" (three materials)
#   chasseur_blender.glb       glTF binary, the same craft, with what an OBJ
#                              cannot hold: an image on the body, an animation
#   cible_blender.stl          STL (binary), a target, in the same axes as the
#                              OBJ export (y up), which the STL exporter offers
# make_models.sh runs it with Debian's blender package.
# The chaser: a grey body, blue solar panels spanning twice its length and a
# narrow red probe at its +z end, sized so that it docks as the shipped one.
import os

import bpy

HERE = os.path.dirname(os.path.abspath(__file__))


def clear_scene():
    bpy.ops.object.select_all(action="SELECT")
    bpy.ops.object.delete()
    for material in list(bpy.data.materials):
        bpy.data.materials.remove(material)


def material(name, rgb):
    m = bpy.data.materials.new(name)
    m.use_nodes = True
    m.node_tree.nodes["Principled BSDF"].inputs["Base Color"].default_value = (*rgb, 1.0)
    m.diffuse_color = (*rgb, 1.0)
    return m


def box(name, centre, size, mat):
    """A box from its centre and full size, in the exported axes (x, y, z)."""
    # Blender's OBJ and glTF exporters turn its z-up into y-up: exported
    # (x, y, z) is Blender (x, -z, y), so the box is placed in Blender's axes.
    x, y, z = centre
    sx, sy, sz = size
    bpy.ops.mesh.primitive_cube_add(location=(x, -z, y))
    obj = bpy.context.active_object
    obj.name = name
    obj.scale = (sx / 2, sz / 2, sy / 2)
    bpy.ops.object.transform_apply(scale=True)
    obj.data.materials.append(mat)
    return obj


def chaser():
    clear_scene()
    box("Corps", (0, 0, -0.05), (0.4, 0.4, 0.9), material("Coque", (0.7, 0.7, 0.72)))
    box("Panneaux", (0, 0, -0.05), (2.0, 0.04, 0.3), material("Panneaux", (0.1, 0.2, 0.9)))
    box("Sonde", (0, 0, 0.45), (0.06, 0.06, 0.1), material("Sonde", (0.9, 0.1, 0.1)))


def add_texture_and_animation():
    """An image on the body's material and a probe that moves: the glTF keeps both."""
    image = bpy.data.images.new("motif", width=4, height=4)
    image.pixels = [0.5, 0.5, 0.5, 1.0] * 16
    image.pack()
    nodes = bpy.data.materials["Coque"].node_tree.nodes
    texture = nodes.new("ShaderNodeTexImage")
    texture.image = image
    bpy.data.materials["Coque"].node_tree.links.new(
        texture.outputs["Color"], nodes["Principled BSDF"].inputs["Base Color"]
    )
    probe = bpy.data.objects["Sonde"]
    probe.keyframe_insert("location", frame=1)
    probe.location.z += 0.05
    probe.keyframe_insert("location", frame=10)
    probe.location.z -= 0.05


def target():
    clear_scene()
    box("Station", (0, 0, 0), (0.5, 0.5, 2.0), material("Station", (0.2, 0.8, 0.3)))


chaser()
bpy.ops.wm.obj_export(filepath=os.path.join(HERE, "chasseur_blender.obj"))
add_texture_and_animation()
bpy.ops.export_scene.gltf(filepath=os.path.join(HERE, "chasseur_blender.glb"))
target()
bpy.ops.export_mesh.stl(
    filepath=os.path.join(HERE, "cible_blender.stl"), axis_forward="-Z", axis_up="Y"
)
