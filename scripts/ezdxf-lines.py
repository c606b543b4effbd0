#!/usr/bin/python3
# Writes a drawing of lines and lightweight polylines with ezdxf, a third-party DXF library:
#   scripts/ezdxf-lines.py MEGABYTES FILE
# About MEGABYTES MiB in AutoCAD 2000 form (some 7,300 entities a MiB), half lines and half
# three-vertex polylines on a few layers, at random places (the same ones on every run).
import random
import sys

import ezdxf

megabytes, path = float(sys.argv[1]), sys.argv[2]
doc = ezdxf.new("R2000")
space = doc.modelspace()
rng = random.Random(1)
for i in range(int(megabytes * 1024 * 1024 / 143)):
    x, y = round(rng.uniform(0, 1e4), 3), round(rng.uniform(0, 1e4), 3)
    if i % 2 == 0:
        space.add_line((x, y), (x + 10.5, y + 3.25), dxfattribs={"layer": "L%d" % (i % 8)})
    else:
        space.add_lwpolyline([(x, y), (x + 5, y), (x + 5, y + 5)], dxfattribs={"layer": "P"})
doc.saveas(path)
