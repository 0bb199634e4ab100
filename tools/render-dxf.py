#!/usr/bin/python3
"""Renders a DXF drawing to a PNG with ezdxf's drawing add-on and matplotlib, on white paper.
Usage: tools/render-dxf.py DRAWING.dxf PICTURE.png"""
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import ezdxf  # noqa: E402
from ezdxf.addons.drawing import Frontend, RenderContext  # noqa: E402
from ezdxf.addons.drawing.matplotlib import MatplotlibBackend  # noqa: E402
from ezdxf.addons.drawing.properties import LayoutProperties  # noqa: E402

doc = ezdxf.readfile(sys.argv[1])
msp = doc.modelspace()
properties = LayoutProperties.from_layout(msp)
properties.set_colors("#ffffff")
figure = plt.figure(figsize=(8, 9))
axes = figure.add_axes([0, 0, 1, 1])
Frontend(RenderContext(doc), MatplotlibBackend(axes)).draw_layout(
    msp, finalize=True, layout_properties=properties)
figure.savefig(sys.argv[2], dpi=110, facecolor="white")
