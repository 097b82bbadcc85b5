#!/usr/bin/env python3
"""Builds the two spacecraft models of Orvanel from simple solids.

Run from the repository root:  python3 tools/make_spacecraft.py
Writes data/chasseur.obj, data/chasseur.mtl, data/cible.obj and data/cible.mtl,
then reads them back and prints what the simulator will see after fitting.

Conventions of the models (the scene turns them into place when drawing):
- the long axis is model z and "up" is model +y;
- chaser: docking probe tip at the +z end, solar panels spanning model x about
  twice the body length, so that fitting leaves the probe tip at z = +0.5;
- target: docking port at the +z end, z the widest axis, so that fitting puts
  the port face at z = +1 and the hull stays well inside the contact box.
Every solid is closed or backed by another one, its faces are wound
counter-clockwise seen from outside, and solids that meet at a sharp edge do
not share vertices: the program smooths normals across anything up to
90 degrees, so shared vertices would round off every cylinder rim.
Python 3 standard library only.
"""

import math
import os
import sys

GENERATOR = "tools/make_spacecraft.py"
DATA_DIR = "data"
DECIMALS = 6

# Facet normals must agree with the solid's own outward direction at least
# this much (cosine), and no triangle may be smaller than this (area).
MIN_OUTWARD_COSINE = 0.2
MIN_TRIANGLE_AREA = 1e-9

SEGMENTS_BODY = 24      # around the main hulls
SEGMENTS_SMALL = 16     # probe, collars, nozzles
SEGMENTS_ROD = 8        # booms and antennas


# ---------------------------------------------------------------- vectors

def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(u, v):
    return (u[1] * v[2] - u[2] * v[1],
            u[2] * v[0] - u[0] * v[2],
            u[0] * v[1] - u[1] * v[0])


def length(a):
    return math.sqrt(dot(a, a))


def unit(a):
    n = length(a)
    return (a[0] / n, a[1] / n, a[2] / n)


def facet_normal(p0, p1, p2):
    """The renderer's facet normal: cross(v1 - v0, v2 - v0)."""
    return cross(sub(p1, p0), sub(p2, p0))


# ------------------------------------------------------------------ meshes
# A mesh is a dict: "v" vertex positions, "t" triangles (0-based, local to the
# mesh), "n" the expected outward direction of each triangle, used only to
# check the winding.

def empty_mesh():
    return {"v": [], "t": [], "n": []}


def merge(*meshes):
    out = empty_mesh()
    for mesh in meshes:
        base = len(out["v"])
        out["v"].extend(mesh["v"])
        out["t"].extend((a + base, b + base, c + base) for a, b, c in mesh["t"])
        out["n"].extend(mesh["n"])
    return out


def lathe(profile, segments, closed=False, phase=0.0):
    """Surface of revolution about z of a smooth profile of (r, z) points.

    Walk the profile from the -z end to the +z end around the outside (or,
    for a hollow, so that the visible side is on the right of the walk in the
    (r, z) plane): the faces then point outward. A point with r = 0 becomes a
    single pole vertex closed by a fan. closed=True joins the last point back
    to the first (a torus).
    """
    mesh = empty_mesh()
    rings = []
    for r, z in profile:
        if r == 0.0:
            rings.append([len(mesh["v"])])
            mesh["v"].append((0.0, 0.0, z))
            continue
        ring = []
        for j in range(segments):
            a = phase + 2.0 * math.pi * j / segments
            ring.append(len(mesh["v"]))
            mesh["v"].append((r * math.cos(a), r * math.sin(a), z))
        rings.append(ring)
    spans = len(profile) if closed else len(profile) - 1
    for i in range(spans):
        k = (i + 1) % len(profile)
        lower, upper = rings[i], rings[k]
        dr = profile[k][0] - profile[i][0]
        dz = profile[k][1] - profile[i][1]
        for j in range(segments):
            j1 = (j + 1) % segments
            a_mid = phase + 2.0 * math.pi * (j + 0.5) / segments
            outward = (dz * math.cos(a_mid), dz * math.sin(a_mid), -dr)
            if len(lower) == 1:
                tris = [(lower[0], upper[j1], upper[j])]
            elif len(upper) == 1:
                tris = [(lower[j], lower[j1], upper[0])]
            else:
                tris = [(lower[j], lower[j1], upper[j1]),
                        (lower[j], upper[j1], upper[j])]
            mesh["t"].extend(tris)
            mesh["n"].extend([outward] * len(tris))
    return mesh


def disc(radius, z, facing_up, segments):
    if facing_up:
        return lathe([(radius, z), (0.0, z)], segments)
    return lathe([(0.0, z), (radius, z)], segments)


def annulus(inner, outer, z, facing_up, segments):
    if facing_up:
        return lathe([(outer, z), (inner, z)], segments)
    return lathe([(inner, z), (outer, z)], segments)


def tube(radius, z0, z1, segments, bands=1):
    """Open cylinder side from z0 to z1, split into bands for smoother light."""
    return lathe([(radius, z0 + (z1 - z0) * i / bands) for i in range(bands + 1)],
                 segments)


def cylinder(radius, z0, z1, segments, bands=1):
    """Closed cylinder along z: bottom disc, side, top disc, edges kept sharp."""
    return merge(disc(radius, z0, False, segments),
                 tube(radius, z0, z1, segments, bands),
                 disc(radius, z1, True, segments))


def ellipsoid(radius, half_height, zc, segments, stacks):
    profile = []
    for i in range(stacks + 1):
        a = -math.pi / 2 + math.pi * i / stacks
        r = 0.0 if i in (0, stacks) else radius * math.cos(a)
        profile.append((r, zc + half_height * math.sin(a)))
    return lathe(profile, segments)


def sphere(radius, zc, segments, stacks):
    return ellipsoid(radius, radius, zc, segments, stacks)


def torus(major, minor, zc, segments, steps):
    profile = []
    for i in range(steps):
        # Starting at the bottom and turning outward first keeps the outside
        # on the right of the walk.
        a = -math.pi / 2 + 2.0 * math.pi * i / steps
        profile.append((major + minor * math.cos(a), zc + minor * math.sin(a)))
    return lathe(profile, segments, closed=True)


def box(x0, x1, y0, y1, z0, z1):
    """Axis-aligned box, four vertices per face so that its edges stay sharp."""
    lo, hi = (x0, y0, z0), (x1, y1, z1)
    mesh = empty_mesh()
    for axis in range(3):
        a, b = (axis + 1) % 3, (axis + 2) % 3   # e_a x e_b = e_axis
        for side, level in ((1.0, hi[axis]), (-1.0, lo[axis])):
            corners = [(lo[a], lo[b]), (hi[a], lo[b]), (hi[a], hi[b]), (lo[a], hi[b])]
            if side < 0:
                corners.reverse()
            base = len(mesh["v"])
            for ca, cb in corners:
                p = [0.0, 0.0, 0.0]
                p[axis], p[a], p[b] = level, ca, cb
                mesh["v"].append(tuple(p))
            normal = [0.0, 0.0, 0.0]
            normal[axis] = side
            mesh["t"].extend([(base, base + 1, base + 2), (base, base + 2, base + 3)])
            mesh["n"].extend([tuple(normal)] * 2)
    return mesh


# -------------------------------------------------------------- placement

def frame_along(direction):
    """Rotation (three columns) taking local z onto the given direction."""
    w = unit(direction)
    helper = (1.0, 0.0, 0.0) if abs(w[0]) < 0.9 else (0.0, 1.0, 0.0)
    u = unit(cross(helper, w))
    v = cross(w, u)                      # u x v = w: a proper rotation
    return (u, v, w)


def placed(mesh, frame, offset=(0.0, 0.0, 0.0)):
    """The mesh turned by the frame (local x, y, z onto its columns) and moved."""
    u, v, w = frame

    def turn(p):
        return tuple(p[0] * u[i] + p[1] * v[i] + p[2] * w[i] for i in range(3))

    return {"v": [tuple(c + o for c, o in zip(turn(p), offset)) for p in mesh["v"]],
            "t": list(mesh["t"]),
            "n": [turn(n) for n in mesh["n"]]}


def moved(mesh, offset):
    return placed(mesh, ((1.0, 0.0, 0.0), (0.0, 1.0, 0.0), (0.0, 0.0, 1.0)), offset)


def rod(start, end, radius, segments=SEGMENTS_ROD):
    """Closed thin cylinder from one point to another."""
    axis = sub(end, start)
    return placed(cylinder(radius, 0.0, length(axis), segments), frame_along(axis), start)


# ------------------------------------------------------------- the chaser
# Body along z from the engine (z = -0.5) to the probe tip (z = +0.5); the
# panels reach x = +-1.0, twice the body length.

CHASER_HALF_LENGTH = 0.5
CHASER_PANEL_TIP = 1.0
SERVICE_RADIUS = 0.17


def chaser_parts():
    parts = []

    def add(group, material, mesh):
        parts.append((group, material, mesh))

    add("tuyere", "tuyere", merge(
        disc(0.05, -CHASER_HALF_LENGTH, False, SEGMENTS_SMALL),
        lathe([(0.05, -0.5), (0.04, -0.49), (0.031, -0.48), (0.026, -0.47)],
              SEGMENTS_SMALL)))

    # Service module: wide pressurised section at the back, then a shoulder
    # down to the narrower instrument section under the capsule.
    add("module_service", "radiateur", merge(
        disc(SERVICE_RADIUS, -0.47, False, SEGMENTS_BODY),
        tube(SERVICE_RADIUS, -0.47, -0.24, SEGMENTS_BODY, bands=3)))
    add("compartiment_instruments", "gris_vert", merge(
        lathe([(SERVICE_RADIUS, -0.24), (0.14, -0.20)], SEGMENTS_BODY),
        tube(0.14, -0.20, -0.14, SEGMENTS_BODY),
        disc(0.14, -0.14, True, SEGMENTS_BODY)))

    # Descent capsule: a bell, heat shield down, rounded top.
    add("bouclier_thermique", "bouclier", lathe(
        [(0.0, -0.148), (0.06, -0.147), (0.11, -0.144), (0.15, -0.14)], SEGMENTS_BODY))
    bell = [(0.15, -0.14), (0.149, -0.11), (0.145, -0.08), (0.138, -0.05),
            (0.128, -0.02), (0.116, 0.01), (0.103, 0.04), (0.09, 0.07),
            (0.078, 0.095), (0.066, 0.112), (0.05, 0.122), (0.03, 0.128),
            (0.0, 0.131)]
    add("capsule", "capsule", lathe(bell, SEGMENTS_BODY))
    add("sas", "gris_vert", tube(0.045, 0.125, 0.15, SEGMENTS_SMALL))

    # Orbital module: an ellipsoid carrying the docking collar and probe.
    add("module_orbital", "coque_verte", ellipsoid(0.12, 0.14, 0.28, SEGMENTS_BODY, 18))
    add("collier_amarrage", "gris_vert", merge(
        tube(0.05, 0.40, 0.44, SEGMENTS_SMALL),
        annulus(0.03, 0.05, 0.44, True, SEGMENTS_SMALL)))
    add("sonde_amarrage", "metal", merge(
        lathe([(0.03, 0.44), (0.03, 0.45)], SEGMENTS_SMALL),
        lathe([(0.03, 0.45), (0.018, 0.465), (0.006, 0.485)], SEGMENTS_SMALL),
        tube(0.006, 0.485, 0.494, SEGMENTS_SMALL),
        lathe([(0.006, 0.494), (0.0045, 0.4985), (0.0, CHASER_HALF_LENGTH)],
              SEGMENTS_SMALL)))

    # Solar panels along +-x at the back of the service module.
    panel_z = -0.30
    panel_half_width = 0.07
    panel_half_thickness = 0.004
    root, gap, count = 0.30, 0.01, 4
    span = (CHASER_PANEL_TIP - root - gap * (count - 1)) / count
    cells, spars = [], []
    for side in (1.0, -1.0):
        for i in range(count):
            a = root + i * (span + gap)
            x0, x1 = sorted((side * a, side * (a + span)))
            cells.append(box(x0, x1, -panel_half_thickness, panel_half_thickness,
                             panel_z - panel_half_width, panel_z + panel_half_width))
        x0, x1 = sorted((side * root, side * (CHASER_PANEL_TIP - 0.01)))
        spars.append(box(x0, x1, -0.0065, 0.0065, panel_z - 0.006, panel_z + 0.006))
    add("panneaux_solaires", "cellules", merge(*cells))
    add("longerons_panneaux", "cadre", merge(*spars))
    add("bras_panneaux", "cadre", merge(
        rod((0.16, 0.0, panel_z), (0.31, 0.0, panel_z), 0.012),
        rod((-0.16, 0.0, panel_z), (-0.31, 0.0, panel_z), 0.012)))

    # Two whip antennas on the orbital module, straight up and down, so the
    # model stays symmetric about its axis.
    whips = []
    for side in (1.0, -1.0):
        whips.append(rod((0.0, side * 0.10, 0.30), (0.0, side * 0.20, 0.33), 0.004))
        ball = sphere(0.009, 0.0, SEGMENTS_ROD, 6)
        whips.append(moved(ball, (0.0, side * 0.20, 0.33)))
    add("antennes", "antenne", merge(*whips))
    return parts


CHASER_MATERIALS = [
    # name, Kd, Ks, Ns (Ka follows from Kd, see AMBIENT_SHARE)
    ("coque_verte", (0.38, 0.47, 0.30), (0.10, 0.10, 0.10), 40),
    ("capsule", (0.48, 0.43, 0.30), (0.12, 0.12, 0.10), 40),
    ("bouclier", (0.25, 0.20, 0.15), (0.05, 0.05, 0.05), 20),
    ("gris_vert", (0.52, 0.56, 0.50), (0.20, 0.20, 0.20), 80),
    ("radiateur", (0.82, 0.82, 0.78), (0.30, 0.30, 0.30), 120),
    ("tuyere", (0.16, 0.15, 0.14), (0.40, 0.40, 0.40), 150),
    ("metal", (0.70, 0.70, 0.72), (0.90, 0.90, 0.90), 600),
    ("cellules", (0.10, 0.18, 0.62), (0.55, 0.60, 0.75), 400),
    ("cadre", (0.48, 0.48, 0.50), (0.40, 0.40, 0.40), 200),
    ("antenne", (0.85, 0.85, 0.85), (0.60, 0.60, 0.60), 300),
]


# ------------------------------------------------------------- the target
# A small station module along z from the engine (z = -1) to the docking
# port (z = +1); hull radius 0.3, nothing beyond 0.38 from the axis.

TARGET_HALF_LENGTH = 1.0
HULL_RADIUS = 0.3


def target_parts():
    parts = []

    def add(group, material, mesh):
        parts.append((group, material, mesh))

    add("tuyere", "tuyere", merge(
        disc(0.10, -TARGET_HALF_LENGTH, False, SEGMENTS_SMALL),
        lathe([(0.10, -1.0), (0.085, -0.985), (0.066, -0.965), (0.05, -0.94)],
              SEGMENTS_SMALL)))
    add("jupe_arriere", "gris", merge(
        disc(0.22, -0.94, False, SEGMENTS_BODY),
        lathe([(0.22, -0.94), (HULL_RADIUS, -0.86)], SEGMENTS_BODY)))

    add("coque_arriere", "coque_blanche", tube(HULL_RADIUS, -0.86, -0.22, SEGMENTS_BODY, 6))
    add("ceinture", "gris", tube(HULL_RADIUS, -0.22, -0.16, SEGMENTS_BODY))
    add("coque_avant", "coque_blanche", tube(HULL_RADIUS, -0.16, 0.40, SEGMENTS_BODY, 5))
    add("cone_avant", "coque_blanche", lathe(
        [(HULL_RADIUS, 0.40), (0.245, 0.51), (0.19, 0.62)], SEGMENTS_BODY))

    # Docking port: transfer tunnel, collar, ring (its top is the port face at
    # z = +1) and the receiving cone that guides the chaser's probe.
    add("tunnel", "gris", merge(
        tube(0.19, 0.62, 0.86, SEGMENTS_BODY, 2),
        annulus(0.15, 0.19, 0.86, True, SEGMENTS_BODY),
        tube(0.15, 0.86, 0.96, SEGMENTS_BODY)))
    add("anneau_amarrage", "metal", torus(0.15, 0.03, 0.97, SEGMENTS_BODY, 16))
    add("cone_reception", "cone_sombre", lathe(
        [(0.125, 0.985), (0.075, 0.9425), (0.025, 0.90)], SEGMENTS_BODY))
    add("fond_cone", "noir", disc(0.025, 0.90, True, SEGMENTS_BODY))

    # Aiming mark on top of the tunnel, inside the hull's outline: a white
    # plate facing the chaser with a black cross and a short stalk.
    add("mire_plaque", "blanc", box(-0.04, 0.04, 0.205, 0.285, 0.70, 0.71))
    add("mire_croix", "noir", merge(
        box(-0.035, 0.035, 0.241, 0.249, 0.71, 0.714),
        box(-0.004, 0.004, 0.21, 0.28, 0.71, 0.714),
        box(-0.004, 0.004, 0.241, 0.249, 0.714, 0.76),
        box(-0.006, 0.006, 0.18, 0.205, 0.695, 0.715)))

    # Radiators along +-x, antennas up and down (+-y): symmetric about the axis.
    add("radiateurs", "radiateur", merge(
        box(0.29, 0.38, -0.006, 0.006, -0.72, -0.28),
        box(-0.38, -0.29, -0.006, 0.006, -0.72, -0.28)))
    masts, dishes = [], []
    for side in (1.0, -1.0):
        masts.append(rod((0.0, side * 0.29, -0.55), (0.0, side * 0.345, -0.55), 0.006))
        dish = merge(lathe([(0.0, 0.0), (0.02, 0.002), (0.04, 0.008)], SEGMENTS_SMALL),
                     lathe([(0.04, 0.008), (0.02, 0.01), (0.0, 0.011)], SEGMENTS_SMALL))
        dishes.append(placed(dish, frame_along((0.0, side, 0.0)),
                             (0.0, side * 0.345, -0.55)))
    add("mats_antennes", "cadre", merge(*masts))
    add("antennes", "antenne", merge(*dishes))

    # Four portholes round the front of the hull.
    windows = []
    for k in range(4):
        a = math.pi / 4 + k * math.pi / 2
        direction = (math.cos(a), math.sin(a), 0.0)
        pane = cylinder(0.028, -0.01, 0.004, SEGMENTS_SMALL)
        windows.append(placed(pane, frame_along(direction),
                              tuple(HULL_RADIUS * c + (0.0, 0.0, 0.22)[i]
                                    for i, c in enumerate(direction))))
    add("hublots", "hublot", merge(*windows))
    return parts


TARGET_MATERIALS = [
    ("coque_blanche", (0.86, 0.86, 0.82), (0.20, 0.20, 0.20), 80),
    ("gris", (0.52, 0.53, 0.56), (0.30, 0.30, 0.30), 150),
    ("tuyere", (0.16, 0.15, 0.14), (0.40, 0.40, 0.40), 150),
    ("metal", (0.75, 0.75, 0.76), (0.90, 0.90, 0.90), 600),
    ("cone_sombre", (0.25, 0.25, 0.27), (0.50, 0.50, 0.50), 300),
    ("noir", (0.05, 0.05, 0.05), (0.10, 0.10, 0.10), 50),
    ("blanc", (0.95, 0.95, 0.95), (0.10, 0.10, 0.10), 30),
    ("radiateur", (0.92, 0.92, 0.92), (0.50, 0.50, 0.50), 250),
    ("cadre", (0.48, 0.48, 0.50), (0.40, 0.40, 0.40), 200),
    ("antenne", (0.80, 0.64, 0.25), (0.70, 0.60, 0.30), 350),
    ("hublot", (0.05, 0.09, 0.18), (0.90, 0.90, 0.95), 900),
]


# ---------------------------------------------------------------- writing

def number(value):
    # Adding 0.0 turns a rounded -0.0 into 0.0.
    return "%.*f" % (DECIMALS, round(value, DECIMALS) + 0.0)


def centred(parts):
    """The parts moved so that their bounding box is centred on the origin."""
    points = [p for _, _, mesh in parts for p in mesh["v"]]
    centre = tuple((max(p[i] for p in points) + min(p[i] for p in points)) / 2.0
                   for i in range(3))
    back = tuple(-c for c in centre)
    return [(g, m, moved(mesh, back)) for g, m, mesh in parts], centre


def write_obj(path, mtl_name, title, parts):
    lines = ["# %s" % title,
             "# Generated by %s for the Orvanel project; do not edit by hand." % GENERATOR,
             "# Long axis z, up +y; faces counter-clockwise seen from outside.",
             "",
             "mtllib %s" % mtl_name]
    base = 1
    offsets = []
    for group, _, mesh in parts:
        lines.append("")
        lines.append("# %s: %d vertices" % (group, len(mesh["v"])))
        lines.extend("v %s %s %s" % tuple(number(c) for c in p) for p in mesh["v"])
        offsets.append(base)
        base += len(mesh["v"])
    for (group, material, mesh), first in zip(parts, offsets):
        lines.append("")
        lines.append("g %s" % group)
        lines.append("usemtl %s" % material)
        lines.extend("f %d %d %d" % (a + first, b + first, c + first)
                     for a, b, c in mesh["t"])
    write_text(path, lines)


# The scene's single light is dim (ambient and diffuse 0.2), so a small Ka would
# leave the sides turned away from it black; an ambient colour close to the
# diffuse one keeps every part readable.
AMBIENT_SHARE = 0.8


def write_mtl(path, title, materials):
    lines = ["# Materials of %s" % title,
             "# Generated by %s for the Orvanel project; do not edit by hand." % GENERATOR]
    for name, kd, ks, ns in materials:
        lines.append("")
        lines.append("newmtl %s" % name)
        lines.append("Ka %.2f %.2f %.2f" % tuple(AMBIENT_SHARE * c for c in kd))
        lines.append("Kd %.2f %.2f %.2f" % kd)
        lines.append("Ks %.2f %.2f %.2f" % ks)
        lines.append("Ns %d" % ns)
    write_text(path, lines)


def write_text(path, lines):
    text = "\n".join(lines) + "\n"
    text.encode("ascii")                 # the data files stay plain ASCII
    with open(path, "w", encoding="ascii", newline="\n") as out:
        out.write(text)


# --------------------------------------------------------------- checking

class CheckFailed(Exception):
    pass


def require(condition, message):
    if not condition:
        raise CheckFailed(message)


def check_winding(name, parts):
    """Every facet normal must point the way its solid says is outward."""
    for group, _, mesh in parts:
        for (a, b, c), outward in zip(mesh["t"], mesh["n"]):
            n = facet_normal(mesh["v"][a], mesh["v"][b], mesh["v"][c])
            cosine = dot(n, outward) / (length(n) * length(outward))
            require(cosine > MIN_OUTWARD_COSINE,
                    "%s: group %s has an inward face (%d %d %d)" % (name, group, a, b, c))


def read_mtl_names(path):
    names = []
    with open(path, "rb") as f:
        raw = f.read()
    require(b"\r" not in raw, "%s: CR in line ends" % path)
    current = None
    seen = {}
    for line in raw.decode("ascii").splitlines():
        words = line.split()
        if not words or words[0].startswith("#"):
            continue
        key = words[0]
        require(key in ("newmtl", "Ka", "Kd", "Ks", "Ns"), "%s: statement %s" % (path, key))
        if key == "newmtl":
            require(len(words) == 2, "%s: newmtl takes one name" % path)
            current = words[1]
            names.append(current)
            seen[current] = set()
            continue
        require(current is not None, "%s: %s before newmtl" % (path, key))
        values = [float(w) for w in words[1:]]
        if key == "Ns":
            require(len(values) == 1 and 0.0 <= values[0] <= 1000.0, "%s: Ns" % path)
        else:
            require(len(values) == 3 and all(0.0 <= v <= 1.0 for v in values),
                    "%s: %s" % (path, key))
        seen[current].add(key)
    require(len(set(names)) == len(names), "%s: duplicate material" % path)
    for name, keys in seen.items():
        require(keys == {"Ka", "Kd", "Ks", "Ns"}, "%s: %s lacks a colour" % (path, name))
    return names


def read_obj(path, expected_mtl):
    """Reads the file back as the program's reader will and checks the subset."""
    with open(path, "rb") as f:
        raw = f.read()
    require(b"\r" not in raw, "%s: CR in line ends" % path)
    vertices, groups, order = [], {}, []
    mtllibs, current = [], None
    for line in raw.decode("ascii").splitlines():
        require(len(line) < 128, "%s: line longer than the reader's buffer" % path)
        words = line.split()
        if not words or words[0].startswith("#"):
            continue
        key = words[0]
        require(key in ("v", "mtllib", "g", "usemtl", "f"), "%s: statement %s" % (path, key))
        if key == "v":
            require(len(words) == 4, "%s: vertex needs three numbers" % path)
            vertices.append(tuple(float(w) for w in words[1:]))
        elif key == "mtllib":
            mtllibs.append(words[1:])
        elif key == "g":
            require(len(words) == 2 and words[1] not in groups, "%s: group %s" % (path, line))
            current = words[1]
            groups[current] = {"material": None, "faces": []}
            order.append(current)
        elif key == "usemtl":
            require(current is not None and groups[current]["material"] is None
                    and not groups[current]["faces"],
                    "%s: one usemtl right after each g" % path)
            require(len(words) == 2, "%s: usemtl takes one name" % path)
            groups[current]["material"] = words[1]
        else:
            require(current is not None, "%s: face outside a group" % path)
            require(len(words) == 4 and all(w.isdigit() for w in words[1:]),
                    "%s: faces are 'f a b c'" % path)
            groups[current]["faces"].append(tuple(int(w) for w in words[1:]))
    require(mtllibs == [[expected_mtl]], "%s: needs exactly 'mtllib %s'" % (path, expected_mtl))
    return vertices, groups, order


def fitted(vertices):
    """The vertices as the program fits them: extents |max| + |min|, scale 2 / largest."""
    lo = [min(p[i] for p in vertices) for i in range(3)]
    hi = [max(p[i] for p in vertices) for i in range(3)]
    extents = [abs(hi[i]) + abs(lo[i]) for i in range(3)]
    centre = [(hi[i] + lo[i]) / 2.0 for i in range(3)]
    scale = 2.0 / max(extents)
    return [tuple((p[i] - centre[i]) * scale for i in range(3)) for p in vertices], scale


def check_model(name, obj_path, mtl_name):
    mtl_path = os.path.join(os.path.dirname(obj_path), mtl_name)
    materials = read_mtl_names(mtl_path)
    vertices, groups, order = read_obj(obj_path, mtl_name)
    used = [False] * (len(vertices) + 1)
    triangles = 0
    for group in order:
        info = groups[group]
        require(info["material"] in materials,
                "%s: group %s uses an undefined material" % (name, group))
        require(info["faces"], "%s: group %s is empty" % (name, group))
        for face in info["faces"]:
            for index in face:
                require(1 <= index <= len(vertices), "%s: index %d out of range" % (name, index))
                used[index] = True
            p = [vertices[i - 1] for i in face]
            area = length(facet_normal(*p)) / 2.0
            require(area > MIN_TRIANGLE_AREA, "%s: degenerate face %s" % (name, face))
        triangles += len(info["faces"])
    require(all(used[1:]), "%s: a vertex belongs to no face" % name)
    points, scale = fitted(vertices)
    return {"vertices": len(vertices), "triangles": triangles, "groups": len(order),
            "materials": len({groups[g]["material"] for g in order}),
            "defined": len(materials), "points": points, "scale": scale}


def axis_tip(points):
    """The vertex farthest along +z among those on the axis."""
    on_axis = [p for p in points if abs(p[0]) < 1e-6 and abs(p[1]) < 1e-6]
    return max(on_axis, key=lambda p: p[2])


def report(name, stats):
    pts = stats["points"]
    lo = [min(p[i] for p in pts) for i in range(3)]
    hi = [max(p[i] for p in pts) for i in range(3)]
    print("%s: %d vertices, %d triangles, %d groups, %d materials used (%d defined)"
          % (name, stats["vertices"], stats["triangles"], stats["groups"],
             stats["materials"], stats["defined"]))
    print("  fitted box x %.4f..%.4f  y %.4f..%.4f  z %.4f..%.4f  (scale %.4f)"
          % (lo[0], hi[0], lo[1], hi[1], lo[2], hi[2], stats["scale"]))
    return lo, hi


def check_and_report(chaser_path, target_path):
    chaser = check_model("chasseur", chaser_path, "chasseur.mtl")
    lo, hi = report("chasseur", chaser)
    tip = axis_tip(chaser["points"])
    body = max(math.hypot(p[0], p[1]) for p in chaser["points"] if abs(p[0]) < 0.2)
    print("  probe tip at fitted z = %.4f; chaser centre at scene y = -1.5 puts it at y = %.4f"
          % (tip[2], -1.5 + tip[2]))
    print("  radius off the panels, antennas included, %.4f (panel span %.4f)"
          % (body, hi[0] - lo[0]))
    require(hi[0] - lo[0] > max(hi[1] - lo[1], hi[2] - lo[2]), "chaser: x is not the widest")
    require(abs(tip[2] - 0.5) < 0.01, "chaser: probe tip is not at z = +0.5")

    target = check_model("cible", target_path, "cible.mtl")
    lo, hi = report("cible", target)
    port = axis_tip(target["points"])
    reach = max(math.hypot(p[0], p[1]) for p in target["points"])
    print("  port face at fitted z = %.4f (scene y = %.4f); radius %.4f, |x| <= %.4f, |y| <= %.4f"
          % (hi[2], -hi[2], reach, max(-lo[0], hi[0]), max(-lo[1], hi[1])))
    print("  receiving cone bottom on the axis at fitted z = %.4f" % port[2])
    require(abs(hi[2] - 1.0) < 1e-5 and abs(lo[2] + 1.0) < 1e-5, "target: z is not the widest")
    require(max(-lo[0], hi[0], -lo[1], hi[1]) < 0.4, "target: wider than the contact box")


# ------------------------------------------------------------------- main

def build(name, title, parts, materials, obj_name, mtl_name):
    parts, offset = centred(parts)
    print("%s: bounding box centre moved by (%.6f, %.6f, %.6f)" % ((name,) + offset))
    check_winding(name, parts)
    defined = {m[0] for m in materials}
    for group, material, _ in parts:
        require(material in defined, "%s: group %s: no material %s" % (name, group, material))
    write_obj(os.path.join(DATA_DIR, obj_name), mtl_name, title, parts)
    write_mtl(os.path.join(DATA_DIR, mtl_name), obj_name, materials)


def main():
    if not os.path.isdir(DATA_DIR):
        sys.exit("%s: run me from the repository root (no %s/ here)" % (GENERATOR, DATA_DIR))
    try:
        build("chasseur", "Chaser of Orvanel: orbital module, descent capsule, service module",
              chaser_parts(), CHASER_MATERIALS, "chasseur.obj", "chasseur.mtl")
        build("cible", "Target of Orvanel: station module with its docking port",
              target_parts(), TARGET_MATERIALS, "cible.obj", "cible.mtl")
        check_and_report(os.path.join(DATA_DIR, "chasseur.obj"),
                         os.path.join(DATA_DIR, "cible.obj"))
    except CheckFailed as failure:
        sys.exit("%s: check failed: %s" % (GENERATOR, failure))
    print("ok")


if __name__ == "__main__":
    main()
