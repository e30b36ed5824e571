#!/usr/bin/env python3
"""Writes samples/rig.json: a standing figure made of the standard rig's
joints, for the stand-in host. Every joint item hangs under the joint before
it in its chain, so the rig skeleton the module builds from these items looks
like a person. Lengths are in metres; Y is up, the figure faces +Z and its
left side is +X. The feet are bones of a small foot object; everything else
is a null. The thighs and arms swing over two seconds so that a playback
shows motion.

    python3 scripts/make_rig_scene.py > samples/rig.json
"""
import json

items = []


def add(name, parent, position=(0, 0, 0), kind="null", **channels):
    item = {"name": name, "type": kind, "parent": parent, "position": list(position)}
    item.update(channels)
    items.append(item)


def swing(amplitude, phase):
    """Pitch keys (degrees) for a swing over 0..2 s."""
    return [[t, [0, phase * amplitude * s, 0]] for t, s in ((0, 1), (1, -1), (2, 1))]


def chain(parent, links):
    """links: (name, offset from the previous joint[, extra fields])."""
    for link in links:
        name, offset = link[0], link[1]
        extra = link[2] if len(link) > 2 else {}
        add(name, parent, offset, **extra)
        parent = name
    return parent


add("Figure", None, kind="object")
add("Root", "Figure", (0, 1.0, 0))
add("RootSpin", "Root")

for side, x, phase in (("L", 1, 1), ("R", -1, -1)):
    ankle = chain("RootSpin", [
        (f"{side}_Hip_a", (0.02 * x, -0.02, 0)),
        (f"{side}_Hip", (0.04 * x, 0, 0)),
        (f"{side}_HipCtr", (0.03 * x, 0, 0)),
        (f"{side}_HipNull", (0, 0, 0)),
        (f"{side}_HipNFS_IK1", (0, 0, 0)),
        (f"{side}_HipNFS_IK2", (0, 0, 0)),
        (f"{side}_Hip2", (0, 0, 0)),
        (f"{side}_LegDir", (0, -0.02, 0)),
        (f"{side}_Thigh", (0, -0.03, 0), {"rotation": swing(20, phase)}),
        (f"{side}_Knee", (0, -0.42, 0)),
        (f"{side}_Shin", (0, -0.02, 0)),
        (f"{side}_AnkleEff", (0, -0.40, 0)),
    ])
    # The foot: bones of an object that sits at the ankle.
    mesh = f"{side}_FootMesh"
    add(mesh, ankle, kind="object")
    parent = mesh
    for name, offset in ((f"{side}_FootDir", (0, -0.02, 0)), (f"{side}_Foot", (0, -0.04, 0.03)),
                         (f"{side}_FootTip", (0, -0.02, 0.12)), (f"{side}_FootTipEff", (0, 0, 0.04))):
        add(name, parent, offset, kind="bone", object=mesh)
        parent = name

spine3 = chain("Root", [
    ("SpineNull", (0, 0.05, 0)),
    ("Spine1", (0, 0.12, 0)),
    ("Spine2", (0, 0.12, 0)),
    ("Spine3", (0, 0.12, 0)),
])

for side, x, phase in (("L", 1, -1), ("R", -1, 1)):
    chain(spine3, [
        (f"{side}_Shoulder_a", (0.04 * x, 0.06, 0)),
        (f"{side}_Shoulder", (0.08 * x, 0.02, 0)),
        (f"{side}_ShoulderCtr", (0.03 * x, 0, 0)),
        (f"{side}_NFS_IK1", (0, 0, 0)),
        (f"{side}_NFS_IK2", (0, 0, 0)),
        (f"{side}_Shoulder2", (0.04 * x, 0, 0)),
        (f"{side}_ArmDir", (0, 0, 0)),
        (f"{side}_Arm", (0.01 * x, -0.02, 0), {"rotation": swing(15, phase)}),
        (f"{side}_Elbow", (0.03 * x, -0.27, 0)),
        (f"{side}_ForeArm", (0, -0.02, 0)),
        (f"{side}_ForearmDir", (0, 0, 0)),
        (f"{side}_ArmEff", (0.01 * x, -0.24, 0.02)),
        (f"{side}_HandDir", (0, 0, 0)),
        (f"{side}_HandDirEff", (0, -0.02, 0)),
        (f"{side}_Hand", (0, -0.02, 0)),
        (f"{side}_HandEff", (0, -0.08, 0)),
    ])

chain(spine3, [
    ("NeckNull", (0, 0.10, 0)),
    ("Neck", (0, 0.04, 0)),
    ("Head", (0, 0.08, 0)),
    ("HeadEff", (0, 0.22, 0)),
])

# One item per line keeps the file easy to read and to diff.
print('{"items": [')
print(",\n".join("  " + json.dumps(item) for item in items))
print("]}")
