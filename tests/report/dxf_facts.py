#!/usr/bin/python3
"""Reads a DXF with ezdxf (an independent reader) and prints what the tests check, as JSON:
what ezdxf.recover had to fix, what the strict reader's audit finds, $INSUNITS, the layers, the "ASSENTO" inserts by colour, the lines of
the screen, the eye points and the texts."""
import json
import sys

import ezdxf
from ezdxf import recover

doc, auditor = recover.readfile(sys.argv[1])
# The strict reader as well, which refuses a file whose structure it cannot follow, and its audit
# of handles, owners and references.
strict = ezdxf.readfile(sys.argv[1])
audit = strict.audit()
msp = doc.modelspace()
inserts = msp.query('INSERT[name=="ASSENTO"]')
colours = {}
for insert in inserts:
    key = str(insert.dxf.color)
    colours[key] = colours.get(key, 0) + 1
block = doc.blocks.get("ASSENTO")
corners = [] if block is None else [
    [line.dxf.start.x, line.dxf.start.y] for line in block.query("LINE")]

def handle_facts(path):
    """Every handle (group 5, or 105 of a DIMSTYLE) as written, and $HANDSEED, which must lie
    above all of them."""
    with open(path, "rb") as f:
        lines = f.read().split(b"\r\n")
    pairs = list(zip(lines[0::2], lines[1::2]))
    # The pair after a header variable's name is its value, not a handle.
    handles = [int(v, 16) for (c, v), (before, kind) in zip(pairs, [(b"", b"")] + pairs)
               if before.strip() != b"9" and
               (c.strip() == b"5" or (c.strip() == b"105" and kind == b"DIMSTYLE"))]
    seed = None
    for k, (c, v) in enumerate(pairs):
        if c.strip() == b"9" and v == b"$HANDSEED":
            seed = int(pairs[k + 1][1], 16)
    return {"count": len(handles), "distinct": len(set(handles)),
            "seed_above": seed is not None and all(h < seed for h in handles)}


facts = {
    "handles": handle_facts(sys.argv[1]),
    "version": doc.dxfversion,
    "fixes": [str(f.message) for f in auditor.fixes],
    "errors": [str(e.message) for e in auditor.errors],
    "insunits": doc.header.get("$INSUNITS"),
    "units": strict.units,
    "audit_errors": [str(e.message) for e in audit.errors],
    "audit_fixes": [str(f.message) for f in audit.fixes],
    "encoding": strict.encoding,
    "layers": sorted(layer.dxf.name for layer in doc.layers),
    "inserts": len(inserts),
    "insert_layers": sorted({i.dxf.layer for i in inserts}),
    "insert_colours": colours,
    "insert_points": [[i.dxf.insert.x, i.dxf.insert.y] for i in inserts],
    "seat_block_corners": corners,
    "screen_lines": [[l.dxf.start.x, l.dxf.start.y, l.dxf.end.x, l.dxf.end.y]
                     for l in msp.query('LINE[layer=="TELA"]')],
    "room_lines": [[l.dxf.start.x, l.dxf.start.y, l.dxf.end.x, l.dxf.end.y]
                   for l in msp.query('LINE[layer=="SALA"]')],
    "eyes": [[p.dxf.location.x, p.dxf.location.y] for p in msp.query('POINT[layer=="OLHOS"]')],
    "sight_lines": len(msp.query('LINE[layer=="VISADAS"]')),
    "field_lines": len(msp.query('LINE[layer=="CAMPOS"]')),
    # As a reader shows them: "%%d" becomes the degree sign.
    "texts": [[t.plain_text(), t.dxf.layer, t.dxf.height] for t in msp.query("TEXT")],
    "text_points": [[t.dxf.insert.x, t.dxf.insert.y] for t in msp.query("TEXT")],
    "extmin": list(doc.header.get("$EXTMIN", (0, 0, 0)))[:2],
    "extmax": list(doc.header.get("$EXTMAX", (0, 0, 0)))[:2],
    "projector_lines": [[l.dxf.start.x, l.dxf.start.y, l.dxf.end.x, l.dxf.end.y, l.dxf.color]
                        for l in msp.query('LINE[layer=="PROJETOR"]')],
    "degraus_lines": [[l.dxf.start.x, l.dxf.start.y, l.dxf.end.x, l.dxf.end.y]
                      for l in msp.query('LINE[layer=="DEGRAUS"]')],
    "discas_lines": [[l.dxf.start.x, l.dxf.start.y, l.dxf.end.x, l.dxf.end.y]
                     for l in msp.query('LINE[layer=="DISCAS"]')],
    "accessibility_lines": [[l.dxf.start.x, l.dxf.start.y, l.dxf.end.x, l.dxf.end.y, l.dxf.color]
                            for l in msp.query('LINE[layer=="ACESSIBILIDADE"]')],
    "projector_circles": [[c.dxf.center.x, c.dxf.center.y]
                          for c in msp.query('CIRCLE[layer=="PROJETOR"]')],
}
print(json.dumps(facts, ensure_ascii=False))
