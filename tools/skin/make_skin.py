#!/usr/bin/env python3
"""Draws the skin images of VaelTessel.exe into resources/images/.

Every image is drawn from scratch with Debian's ImageMagick 6 (/usr/bin/convert)
and the WenQuanYi Zen Hei font; nothing is read from elsewhere. Text is rendered
at its final pixel size (never scaled down) with a coverage curve that keeps
12-14 pixel Chinese strokes dark and crisp. Shapes without text are drawn at
eight times their size and box-averaged down, which gives exact edge coverage.

    tools/skin/make_skin.py            # images into resources/images/
    tools/skin/make_skin.py --preview  # also mock-ups into build/skin-preview/

README.md beside this script lists every image, its size and where the windows
draw it.
"""

import hashlib
import math
import os
import shutil
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
OUT = os.path.join(ROOT, "resources", "images")
WORK = os.path.join(ROOT, "build", "skin-work")
CONVERT = "/usr/bin/convert"
IDENTIFY = "/usr/bin/identify"
FONT = "WenQuanYi-Zen-Hei"

# Colours of the look.
NAVY = "#272F5D"  # text
ORANGE = "#FF5518"  # links, accents
CREAM = "#FFF7EE"  # caption text
CAP_TOP, CAP_BOTTOM = "#37427E", "#252D5C"  # caption band gradient
CAP_HIGHLIGHT = "#4B5693"  # first row of the caption band
CAP_EDGE = "#1C2249"  # last row of the caption band
FRAME_EDGE = "#1A2047"  # one-pixel window border
BODY = "#E1E4EA"  # window body around the panels
PANEL = "#EFEFEF"  # left panel and list background
PANEL_LINE = "#C6CAD3"  # left panel border
PAGE_LINE = "#B6BDCC"  # border of the page area and the tabs
GLYPH = "#CBD1EA"  # caption buttons
GLYPH_HOVER = "#FFFFFF"
GLYPH_PRESSED = "#9AA2C8"
GLYPH_DISABLED = "#646B94"


# ---------------------------------------------------------------- plumbing


def run(*args):
    subprocess.run([str(a) for a in args], check=True)


def im(*args):
    """One convert call; PNG output carries no time stamps, so reruns match."""
    *ops, out = args
    target = str(out)
    if target.lower().endswith(".png"):
        ops += ["-define", "png:exclude-chunks=date,time", "-strip"]
        target = "PNG32:" + target
    run(CONVERT, *ops, target)
    return out


def size_of(path):
    text = subprocess.run([IDENTIFY, "-format", "%w %h", path], check=True,
                          capture_output=True, text=True).stdout.split()
    return int(text[0]), int(text[1])


def work(name):
    return os.path.join(WORK, name)


def key(*parts):
    return hashlib.sha1(repr(parts).encode()).hexdigest()[:16]


def check_tools():
    try:
        version = subprocess.run([CONVERT, "-version"], check=True, capture_output=True,
                                 text=True).stdout
    except (OSError, subprocess.CalledProcessError):
        sys.exit("make_skin: /usr/bin/convert missing: apt-get install imagemagick")
    if "ImageMagick 6." not in version:
        sys.exit("make_skin: /usr/bin/convert is not ImageMagick 6 (Debian's imagemagick)")
    fonts = subprocess.run([CONVERT, "-list", "font"], check=True, capture_output=True,
                           text=True).stdout
    if "Font: " + FONT + "\n" not in fonts:
        sys.exit("make_skin: font %s missing: apt-get install fonts-wqy-zenhei" % FONT)


def geometry(x, y):
    return "%+d%+d" % (x, y)


def compose(w, h, layers, out, background="none"):
    """Stacks (path, x, y) layers over a w x h canvas."""
    ops = ["-size", "%dx%d" % (w, h), "xc:" + background]
    for path, x, y in layers:
        ops += [path, "-geometry", geometry(x, y), "-compose", "over", "-composite"]
    im(*ops, out)
    return out


def hstrip(paths, out):
    im(*paths, "+append", out)
    return out


def vstrip(paths, out, gap=0, background="none"):
    ops = ["-background", background]
    for i, p in enumerate(paths):
        if i and gap:
            ops += ["-size", "1x%d" % gap, "xc:" + background]
        ops.append(p)
    im(*ops, "-append", out)
    return out


# ---------------------------------------------------------------- layers


def fill_spec(w, h, fill):
    """ImageMagick operands for a w x h fill: a colour, or ("v", top, bottom[, mid])."""
    if isinstance(fill, tuple):
        if len(fill) == 3:
            return ["-size", "%dx%d" % (w, h), "gradient:%s-%s" % (fill[1], fill[2])]
        top_h = h // 2
        return ["(", "-size", "%dx%d" % (w, top_h), "gradient:%s-%s" % (fill[1], fill[3]),
                "-size", "%dx%d" % (w, h - top_h), "gradient:%s-%s" % (fill[3], fill[2]),
                "-append", ")"]
    return ["-size", "%dx%d" % (w, h), "xc:" + fill]


def shape(w, h, draw, fill, name, opacity=1.0, scale=1):
    """A w x h layer: `fill` shown where the white `draw` primitives cover.

    With scale > 1 the mask is drawn that many times larger and box-averaged down,
    the coordinates in `draw` being in the larger grid.
    """
    out = work(name + ".png")
    mask = ["(", "-size", "%dx%d" % (w * scale, h * scale), "xc:black", "-fill", "white",
            "-stroke", "none"]
    for d in draw:
        mask += ["-draw", d]
    if scale > 1:
        mask += ["-scale", "%dx%d!" % (w, h)]
    mask += [")"]
    ops = fill_spec(w, h, fill) + mask + ["-alpha", "off", "-compose", "copyopacity",
                                           "-composite"]
    if opacity < 1.0:
        ops += ["-channel", "A", "-evaluate", "multiply", "%.3f" % opacity, "+channel"]
    im(*ops, out)
    return out


def rrect(x0, y0, x1, y1, r):
    """Rounded rectangle covering the pixels x0..x1, y0..y1 inclusive."""
    if r <= 0:
        return "rectangle %g,%g %g,%g" % (x0, y0, x1, y1)
    return "roundrectangle %g,%g %g,%g %g,%g" % (x0, y0, x1, y1, r, r)


def arc(cx, cy, r, a0, a1, step=4.0):
    """-draw operands for an open arc from a0 to a1 (degrees, clockwise on screen).

    Drawn as short round-capped lines: ImageMagick 6 closes a stroked polyline or
    path arc with a chord, single lines stay open.
    """
    n = max(1, int(math.ceil(abs(a1 - a0) / step)))
    pts = [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * i / n)),
            cy + r * math.sin(math.radians(a0 + (a1 - a0) * i / n))) for i in range(n + 1)]
    ops = ["-draw", "stroke-linecap round"]
    for p, q in zip(pts, pts[1:]):
        ops += ["-draw", "line %.2f,%.2f %.2f,%.2f" % (p[0], p[1], q[0], q[1])]
    return ops


def poly(points):
    return "polygon " + " ".join("%.3f,%.3f" % p for p in points)


def text_mask(text, px, bold=0.0):
    """White-on-black mask of `text` trimmed to its ink, rendered at its final size.

    The coverage curve (gamma 0.7) darkens the grey fringes of small strokes, as
    a screen rasteriser with gamma-aware blending would; `bold` thickens strokes.
    """
    out = work("t-" + key(text, px, bold) + ".png")
    if not os.path.exists(out):
        ops = ["-size", "%dx%d" % (px * (len(text) + 4), px * 3), "xc:black", "-font", FONT,
               "-density", "72", "-pointsize", str(px), "-fill", "white"]
        if bold:
            ops += ["-stroke", "white", "-strokewidth", str(bold)]
        ops += ["-annotate", "+%d+%d" % (px, px * 2), text, "-gamma", "0.7", "-trim",
                "+repage"]
        im(*ops, out)
    w, h = size_of(out)
    return out, w, h


def ink(text, px, colour, bold=0.0):
    """`text` in `colour` on a transparent image trimmed to its ink."""
    mask, w, h = text_mask(text, px, bold)
    out = work("i-" + key(text, px, bold, colour) + ".png")
    im("-size", "%dx%d" % (w, h), "xc:" + colour, mask, "-alpha", "off", "-compose",
       "copyopacity", "-composite", out)
    return out, w, h


def text_layer(w, h, text, px, colour, cx, cy, name, bold=0.0, shadow=None):
    """A w x h layer with `text` in `colour`, its ink centred on (cx, cy).

    The ink box lands on whole pixels, so the glyphs are never resampled.
    """
    mask, tw, th = text_mask(text, px, bold)
    x = int(math.floor(cx - tw / 2.0 + 0.5))
    y = int(math.floor(cy - th / 2.0 + 0.5))
    out = work(name + ".png")
    ops = ["-size", "%dx%d" % (w, h), "xc:none"]
    if shadow:
        colour_s, dx, dy, alpha = shadow
        ops += ["(", "-size", "%dx%d" % (tw, th), "xc:" + colour_s, mask, "-alpha", "off",
                "-compose", "copyopacity", "-composite", "-channel", "A", "-evaluate",
                "multiply", str(alpha), "+channel", ")", "-geometry", geometry(x + dx, y + dy),
                "-compose", "over", "-composite"]
    ops += ["(", "-size", "%dx%d" % (tw, th), "xc:" + colour, mask, "-alpha", "off",
            "-compose", "copyopacity", "-composite", ")", "-geometry", geometry(x, y),
            "-compose", "over", "-composite"]
    im(*ops, out)
    return out, (x, y, tw, th)


# ---------------------------------------------------------------- the emblem


def cube_faces(cx, cy, r):
    """The three rhombi of an isometric block (pointy top), centre (cx, cy), radius r."""
    hw = r * math.sqrt(3) / 2
    top = (cx, cy - r)
    ur, lr = (cx + hw, cy - r / 2), (cx + hw, cy + r / 2)
    bottom = (cx, cy + r)
    ll, ul = (cx - hw, cy + r / 2), (cx - hw, cy - r / 2)
    c = (cx, cy)
    return [top, ur, c, ul], [ul, c, bottom, ll], [c, ur, lr, bottom]


CUBE_COLOURS = ("#FFF4E6", "#FF5518", "#C2410F")  # top, left, right face


def cube_draw(cx, cy, r, seam=0.0, colours=CUBE_COLOURS):
    """-draw operands for a block; `seam` draws dark joints between the faces."""
    ops = []
    for face, colour in zip(cube_faces(cx, cy, r), colours):
        ops += ["-fill", colour, "-stroke", "none", "-draw", poly(face)]
    if seam:
        hw = r * math.sqrt(3) / 2
        c = (cx, cy)
        ops += ["-fill", "none", "-stroke", "#1E2550", "-strokewidth", "%.2f" % seam,
                "-draw", "line %.2f,%.2f %.2f,%.2f" % (c[0], c[1], cx - hw, cy - r / 2),
                "-draw", "line %.2f,%.2f %.2f,%.2f" % (c[0], c[1], cx + hw, cy - r / 2),
                "-draw", "line %.2f,%.2f %.2f,%.2f" % (c[0], c[1], cx, cy + r),
                "-stroke", "none"]
    return ops


def emblem(size, name, tile=True):
    """The program's emblem: an orange block on a navy rounded tile.

    The block's half-width is a whole number of pixels at every size, so its
    upright edges fall on pixel boundaries and stay sharp at 16 pixels.
    """
    s = 8
    big = size * s
    half_width = {16: 5, 20: 7, 24: 8, 32: 11, 48: 16}.get(size, round(size * 0.335))
    r = half_width * 2 / math.sqrt(3) * s
    cx = cy = big / 2.0
    ops = ["-size", "%dx%d" % (big, big), "xc:none"]
    if tile:
        radius = max(3, round(size * 0.22)) * s
        tile_mask = ["(", "-size", "%dx%d" % (big, big), "xc:black", "-fill", "white",
                     "-draw", rrect(0, 0, big - 1, big - 1, radius), ")"]
        ops += ["(", "-size", "%dx%d" % (big, big), "gradient:#44509A-#20285A"] + tile_mask + \
               ["-alpha", "off", "-compose", "copyopacity", "-composite", ")", "-compose",
                "over", "-composite"]
        if size >= 32:
            # A faint rim of light along the top edge of the tile.
            ring = ["(", "-size", "%dx%d" % (big, big), "xc:none", "-fill", "none", "-stroke",
                    "#8A96D8", "-strokewidth", str(s), "-draw",
                    rrect(s / 2, s / 2, big - 1 - s / 2, big - 1 - s / 2, radius - s / 2),
                    "(", "-size", "%dx%d" % (big, big), "gradient:white-black", ")",
                    "-compose", "multiply", "-channel", "A", "-composite", "+channel",
                    "-channel", "A", "-evaluate", "multiply", "0.55", "+channel", ")",
                    "-compose", "over", "-composite"]
            ops += ring
    seam = (size / 64.0) * s if size >= 48 else 0.0
    ops += cube_draw(cx, cy, r, seam)
    ops += ["-scale", "%dx%d" % (size, size)]
    out = work(name + ".png")
    im(*ops, out)
    return out


# ---------------------------------------------------------------- buttons


def face(w, h, r, border, fill, name, highlight=None, inner_shadow=False):
    """A w x h button face: 1-pixel `border`, `fill` inside, optional top highlight
    (colour, opacity) or, for the pressed look, a shadow under the top edge."""
    layers = [(shape(w, h, [rrect(0, 0, w - 1, h - 1, r)], border, name + "-b"), 0, 0),
              (shape(w, h, [rrect(1, 1, w - 2, h - 2, max(r - 1, 0))], fill, name + "-f"), 0,
               0)]
    if highlight:
        layers.append((shape(w, h, ["line %d,1 %d,1" % (r, w - 1 - r)], highlight[0],
                             name + "-h", opacity=highlight[1]), 0, 0))
    if inner_shadow:
        layers.append((shape(w, h, [rrect(1, 1, w - 2, 2, max(r - 1, 0))], "#000000",
                             name + "-s", opacity=0.10), 0, 0))
    return compose(w, h, layers, work(name + ".png"))


LIGHT = {
    0: dict(border="#A9B1C4", fill=("v", "#FFFFFF", "#E5E8EF"), text=NAVY, hi=("#FFFFFF", 0.9)),
    1: dict(border="#8F9AB6", fill=("v", "#FFFFFF", "#EFF2F8"), text=NAVY, hi=("#FFFFFF", 1.0)),
    2: dict(border="#7E89A8", fill=("v", "#D8DDE7", "#E8EBF1"), text=NAVY, inner=True),
    3: dict(border="#CDD1D9", fill="#EDEEF1", text="#A6ABB8"),
}
DARK = {
    0: dict(border="#1E2653", fill=("v", "#4A56A0", "#2D3671"), text=CREAM, hi=("#8490D6", 0.7)),
    1: dict(border="#232C60", fill=("v", "#5965B3", "#38438A"), text="#FFFFFF", hi=("#98A3E6", 0.7)),
    2: dict(border="#181E45", fill=("v", "#252D5E", "#333D7A"), text="#E7E2DA", inner=True),
    3: LIGHT[3],
}
START = {
    0: dict(border="#C63F0B", fill=("v", "#FF8B4E", "#F24E12", "#FF6A2E"), text="#FFFFFF",
            hi=("#FFC3A0", 0.9)),
    1: dict(border="#CF470F", fill=("v", "#FF9C66", "#FA5A1D", "#FF7A42"), text="#FFFFFF",
            hi=("#FFD7BF", 1.0)),
    2: dict(border="#A93509", fill=("v", "#D9450E", "#F0561A", "#E24D14"), text="#FFF1E8",
            inner=True),
}


def text_button(name, w, h, label, px, palette, states=4, bold=0.0, radius=3, icon=None,
                text_shadow=None):
    """A strip of `states` faces of a bordered button with its label (and icon)."""
    slices = []
    for state in range(states):
        p = palette[state]
        n = "%s-%d" % (name, state)
        base = face(w, h, radius, p["border"], p["fill"], n, highlight=p.get("hi"),
                    inner_shadow=p.get("inner", False))
        shift = 1 if state == 2 else 0
        mask, tw, th = text_mask(label, px, bold)
        gap = 5 if icon else 0
        iw = icon[1] if icon else 0
        total = iw + gap + tw
        x0 = (w - total) / 2.0
        layers = [(base, 0, 0)]
        if icon:
            draw_icon, _, ih = icon
            ipath = draw_icon(p["text"], n + "-i", state)
            layers.append((ipath, int(round(x0)) + shift, (h - ih) // 2 + shift))
        tl, _ = text_layer(w, h, label, px, p["text"], x0 + iw + gap + tw / 2.0 + shift,
                           h / 2.0 + shift, n + "-t", bold,
                           shadow=text_shadow if state != 3 else None)
        layers.append((tl, 0, 0))
        slices.append(compose(w, h, layers, work(n + "-all.png")))
    return hstrip(slices, os.path.join(OUT, name + ".png"))


def plain_button(name, w, h):
    """A strip of four faces without a label: the program draws the caption."""
    slices = [face(w, h, 3, LIGHT[s]["border"], LIGHT[s]["fill"], "%s-%d" % (name, s),
                   highlight=LIGHT[s].get("hi"), inner_shadow=LIGHT[s].get("inner", False))
              for s in range(4)]
    return hstrip(slices, os.path.join(OUT, name + ".png"))


GLYPH_STATES = [GLYPH, GLYPH_HOVER, GLYPH_PRESSED, GLYPH_DISABLED]


def glyph_button(name, w, h, draw, hover=GLYPH_HOVER, pressed=GLYPH_PRESSED):
    """A caption-band button: a light glyph on transparent ground, brighter on hover."""
    colours = [GLYPH, hover, pressed, GLYPH_DISABLED]
    slices = []
    s = 8
    for state, colour in enumerate(colours):
        shift = s if state == 2 else 0
        ops = ["-size", "%dx%d" % (w * s, h * s), "xc:none", "-fill", colour, "-stroke", "none"]
        ops += draw(colour, s, shift)
        ops += ["-scale", "%dx%d" % (w, h)]
        out = work("%s-%d.png" % (name, state))
        im(*ops, out)
        slices.append(out)
    return hstrip(slices, os.path.join(OUT, name + ".png"))


def caption_text_button(name, w, h, label):
    """A caption-band text button ("设置", "帮助"): light text, a soft pill on hover."""
    slices = []
    for state, colour in enumerate(GLYPH_STATES):
        n = "%s-%d" % (name, state)
        layers = []
        if state in (1, 2):
            pill = shape(w, h, [rrect(0, 0, w - 1, h - 1, 4)],
                         "#FFFFFF" if state == 1 else "#000000", n + "-p",
                         opacity=0.16 if state == 1 else 0.22)
            layers.append((pill, 0, 0))
        shift = 1 if state == 2 else 0
        tl, _ = text_layer(w, h, label, 12, colour, w / 2.0 + shift, h / 2.0 + shift, n + "-t")
        layers.append((tl, 0, 0))
        slices.append(compose(w, h, layers, work(n + ".png")))
    return hstrip(slices, os.path.join(OUT, name + ".png"))


TAB_W, TAB_H = 110, 31


def tab_button(name, label):
    """A tab: rounded top, its lower edge on the page frame's top line.

    Slice 2 (selected) is white like the page, carries an orange top bar, stands three
    pixels taller than the others and has no bottom edge, so it opens into the page.
    """
    w, h = TAB_W, TAB_H
    r = 4
    slices = []
    for state in range(4):
        n = "%s-%d" % (name, state)
        if state == 2:
            top = 3
            border = shape(w, h, [rrect(0, top, w - 1, h + r, r)], PAGE_LINE, n + "-b")
            inner = shape(w, h, [rrect(1, top + 1, w - 2, h + r, r - 1)], "#FFFFFF", n + "-f")
            bar = shape(w, h, [rrect(0, top, w - 1, top + 6, r)], ORANGE, n + "-o")
            cut = shape(w, h, ["rectangle 1,%d %d,%d" % (top + 3, w - 2, top + 6)], "#FFFFFF",
                        n + "-c")
            text, _ = text_layer(w, h, label, 14, NAVY, w / 2.0, (top + 3 + h) / 2.0 + 0.5,
                                 n + "-t", bold=0.45)
            layers = [(border, 0, 0), (inner, 0, 0), (bar, 0, 0), (cut, 0, 0), (text, 0, 0)]
        else:
            top = 6
            fills = {0: ("v", "#F7F8FB", "#E0E4EC"), 1: ("v", "#FFFFFF", "#EEF1F6"),
                     3: "#E6E8EC"}
            colours = {0: "#4B5478", 1: NAVY, 3: "#A7ACB8"}
            borders = {0: PAGE_LINE, 1: "#9AA5BE", 3: "#CBCFD7"}
            border = shape(w, h, [rrect(0, top, w - 1, h + r, r)], borders[state], n + "-b")
            inner = shape(w, h, [rrect(1, top + 1, w - 2, h - 2, r - 1),
                                 "rectangle 1,%d %d,%d" % (top + r, w - 2, h - 2)],
                          fills[state], n + "-f")
            line = shape(w, h, ["line 0,%d %d,%d" % (h - 1, w - 1, h - 1)], PAGE_LINE, n + "-l")
            text, _ = text_layer(w, h, label, 14, colours[state], w / 2.0,
                                 (top + h - 1) / 2.0 + 0.5, n + "-t", bold=0.2)
            layers = [(border, 0, 0), (inner, 0, 0), (line, 0, 0), (text, 0, 0)]
            if state == 1:
                hi = shape(w, h, ["line %d,%d %d,%d" % (r, top + 1, w - 1 - r, top + 1)],
                           ORANGE, n + "-h", opacity=0.55)
                layers.insert(3, (hi, 0, 0))
        slices.append(compose(w, h, layers, work(n + ".png")))
    return hstrip(slices, os.path.join(OUT, name + ".png"))


# ---------------------------------------------------------------- glyphs and icons


def draw_close(colour, s, shift):
    w = 1.7 * s
    x0, y0, x1, y1 = 7 * s + shift, 6 * s + shift, 15 * s + shift, 14 * s + shift
    return ["-fill", "none", "-stroke", colour, "-strokewidth", str(w), "-draw",
            "stroke-linecap round", "-draw", "line %d,%d %d,%d" % (x0, y0, x1, y1), "-draw",
            "line %d,%d %d,%d" % (x0, y1, x1, y0)]


def draw_minimise(colour, s, shift):
    return ["-draw", "rectangle %d,%d %d,%d" % (6 * s + shift, 4 * s + shift,
                                                  16 * s - 1 + shift, 6 * s - 1 + shift)]


def draw_maximise(colour, s, shift):
    x0, y0, x1, y1 = 6 * s + shift, 5 * s + shift, 16 * s + shift, 15 * s + shift
    return ["-draw", "rectangle %d,%d %d,%d" % (x0, y0, x1 - 1, y0 + 2 * s - 1),
            "-draw", "rectangle %d,%d %d,%d" % (x0, y0, x0 + s - 1, y1 - 1),
            "-draw", "rectangle %d,%d %d,%d" % (x1 - s, y0, x1 - 1, y1 - 1),
            "-draw", "rectangle %d,%d %d,%d" % (x0, y1 - s, x1 - 1, y1 - 1)]


def draw_restore(colour, s, shift):
    ops = []
    # Back window: top bar and right side peeking out behind the front one.
    bx0, by0, bx1, by1 = 8 * s + shift, 4 * s + shift, 17 * s + shift, 12 * s + shift
    ops += ["-draw", "rectangle %d,%d %d,%d" % (bx0, by0, bx1 - 1, by0 + 2 * s - 1),
            "-draw", "rectangle %d,%d %d,%d" % (bx1 - s, by0, bx1 - 1, by1 - 1)]
    fx0, fy0, fx1, fy1 = 5 * s + shift, 7 * s + shift, 14 * s + shift, 16 * s + shift
    ops += ["-draw", "rectangle %d,%d %d,%d" % (fx0, fy0, fx1 - 1, fy0 + 2 * s - 1),
            "-draw", "rectangle %d,%d %d,%d" % (fx0, fy0, fx0 + s - 1, fy1 - 1),
            "-draw", "rectangle %d,%d %d,%d" % (fx1 - s, fy0, fx1 - 1, fy1 - 1),
            "-draw", "rectangle %d,%d %d,%d" % (fx0, fy1 - s, fx1 - 1, fy1 - 1)]
    return ops


def refresh_arrow(size, colour, name, stroke=1.8):
    """A circular arrow: an open ring whose upper end carries a head pointing clockwise."""
    s = 8
    big = size * s
    c = big / 2.0
    rad = (size / 2.0 - 3.0) * s
    sw = stroke * s
    start, end = -15, 245  # degrees, clockwise from +x in screen coordinates
    ops = ["-size", "%dx%d" % (big, big), "xc:none", "-fill", "none", "-stroke", colour,
           "-strokewidth", "%.1f" % sw] + arc(c, c, rad, start, end)
    a = math.radians(end)
    px, py = c + rad * math.cos(a), c + rad * math.sin(a)
    tx, ty = -math.sin(a), math.cos(a)  # direction of travel (clockwise)
    nx, ny = math.cos(a), math.sin(a)  # outward normal
    ahead, half = 3.2 * s, 2.6 * s
    tip = (px + tx * ahead, py + ty * ahead)
    p1 = (px + nx * half - tx * 0.4 * s, py + ny * half - ty * 0.4 * s)
    p2 = (px - nx * half - tx * 0.4 * s, py - ny * half - ty * 0.4 * s)
    ops += ["-stroke", "none", "-fill", colour, "-draw", poly([tip, p1, p2])]
    ops += ["-scale", "%dx%d" % (size, size)]
    out = work(name + ".png")
    im(*ops, out)
    return out


def icon_button(name, size, draw_icon, colours):
    slices = []
    for state, colour in enumerate(colours):
        icon = draw_icon(colour, "%s-%d-i" % (name, state))
        shift = 1 if state == 2 else 0
        slices.append(compose(size, size, [(icon, shift, shift)],
                              work("%s-%d.png" % (name, state))))
    return hstrip(slices, os.path.join(OUT, name + ".png"))


def folder_icon(colour, name, state):
    """A small folder (14 x 11) in the brand orange, greyed when disabled."""
    body = "#B4B9C4" if state == 3 else ORANGE
    tab = "#C9CDD6" if state == 3 else "#FF8A55"
    s = 8
    ops = ["-size", "%dx%d" % (14 * s, 11 * s), "xc:none", "-stroke", "none",
           "-fill", tab, "-draw", rrect(0, 0, 6 * s - 1, 3 * s - 1, s),
           "-fill", body, "-draw", rrect(0, 2 * s, 14 * s - 1, 11 * s - 1, s),
           "-fill", "#FFFFFF", "-draw", "rectangle %d,%d %d,%d" % (s, 3 * s, 13 * s - 1,
                                                                     4 * s - 1),
           "-scale", "14x11"]
    out = work(name + ".png")
    im(*ops, out)
    return out


def play_icon(colour, name, state):
    s = 8
    ops = ["-size", "%dx%d" % (14 * s, 16 * s), "xc:none", "-stroke", "none", "-fill", colour,
           "-draw", poly([(1 * s, 1 * s), (13 * s, 8 * s), (1 * s, 15 * s)]), "-scale", "14x16"]
    out = work(name + ".png")
    im(*ops, out)
    return out


# ---------------------------------------------------------------- backgrounds


def rows_image(w, rows, name):
    """A w-wide image whose rows are uniform: rows is a list of (colour, count)."""
    ops = ["-background", "none"]
    for colour, count in rows:
        ops += ["-size", "%dx%d" % (w, count), "xc:" + colour if not isinstance(colour, tuple)
                else "gradient:%s-%s" % colour]
    ops += ["-append"]
    out = work(name + ".png")
    im(*ops, out)
    return out


def clip(src, w, h, draw, name):
    """`src` (opaque, w x h) kept only where the white `draw` primitives cover."""
    return im(src, "(", "-size", "%dx%d" % (w, h), "xc:black", "-fill", "white", "-draw",
              *draw, ")", "-alpha", "off", "-compose", "copyopacity", "-composite",
              work(name + ".png"))


def bordered(w, h, body, edge_colour, name, radius=0):
    """`body` (an opaque w x h image) inside a 1-pixel edge of `edge_colour`."""
    edge = shape(w, h, [rrect(0, 0, w - 1, h - 1, radius)], edge_colour, name + "-edge")
    inside = clip(body, w, h, [rrect(1, 1, w - 2, h - 2, max(radius - 1, 0))],
                  name + "-inside")
    return compose(w, h, [(edge, 0, 0), (inside, 0, 0)], work(name + "-bordered.png"))


def caption_body(w, h, cap, body_colour, name):
    """A w x h body of `body_colour` under a caption band `cap` rows high."""
    # Row 0 lies under the window's edge; row 1 catches the light.
    band = rows_image(w, [(FRAME_EDGE, 1), (CAP_HIGHLIGHT, 1), ((CAP_TOP, CAP_BOTTOM), cap - 3),
                          (CAP_EDGE, 1)], name + "-band")
    return compose(w, h, [(band, 0, 0)], work(name + "-body.png"), background=body_colour)


def frame_144():
    """Main window frame, 65 x 81, centre lines: caption band 30 rows, emblem, body."""
    w, h, cap = 65, 81, 30
    framed = bordered(w, h, caption_body(w, h, cap, BODY, "144"), FRAME_EDGE, "144")
    # A lit inner edge along the top and left of the body.
    lit = shape(w, h, ["line 1,%d %d,%d" % (cap, w - 2, cap), "line 1,%d 1,%d" % (cap, h - 2)],
                "#F2F4F8", "144-lit")
    mark = emblem(20, "144-mark", tile=False)
    return compose(w, h, [(framed, 0, 0), (lit, 0, 0), (mark, 8, 5)],
                   os.path.join(OUT, "144.png"))


def dialog_143():
    """Dialog background (message box, about box, path dialog), 41 x 71, centre lines."""
    w, h, cap = 41, 71, 30
    framed = bordered(w, h, caption_body(w, h, cap, "#F4F5F8", "143"), FRAME_EDGE, "143")
    lit = shape(w, h, ["line 1,%d %d,%d" % (cap, w - 2, cap)], "#FFFFFF", "143-lit")
    return compose(w, h, [(framed, 0, 0), (lit, 0, 0)], os.path.join(OUT, "143.png"))


def popup_164():
    """Popup web window background, 21 x 81, centre lines; caption band 34 rows."""
    w, h, cap = 21, 81, 34
    return im(bordered(w, h, caption_body(w, h, cap, "#FFFFFF", "164"), FRAME_EDGE, "164"),
              os.path.join(OUT, "164.png"))


def band_152():
    """Lower band of the path dialog, 9 x 41 (drawn over 404 x 41, no vertical stretch)."""
    w = 9
    return im(rows_image(w, [("#D3D8E2", 1), ("#FFFFFF", 1), (("#EEF0F4", "#E4E7EE"), 39)],
                         "152-rows"), os.path.join(OUT, "152.png"))


def panel_148():
    """Left panel, 41 x 75, centre lines: border, header gradient, lower button band.

    Over its rectangle (6,35) 242 x 465 the top 37 rows hold the header (y 35-66)
    and the bottom 37 rows the line under the list (y 469) and the button band.
    """
    w, h = 41, 75
    # Rows 0..31: header; 32..43: panel; 44: line under the list (y 469); 45..74: band.
    rows = [(("#FAFAFB", "#EFEFF0"), 32), (PANEL, 12), ("#D7DAE1", 1), ("#F7F7F8", 1),
            (("#EFEFEF", "#E7E8EB"), h - 46)]
    return im(bordered(w, h, rows_image(w, rows, "148-rows"), PANEL_LINE, "148", radius=3),
              os.path.join(OUT, "148.png"))


def shadow_ring(name, inner_colour=None, border=None):
    """9 x 9 card edge, centre lines: two rows of soft shadow, optional border and fill.

    Without a fill the inside is left clear: the card drawn next covers it.
    """
    w = h = 9
    layers = []
    for i, a in enumerate([0.05, 0.11]):
        layers.append((shape(w, h, [rrect(i, i, w - 1 - i, h - 1 - i, 3 - i)], "#10183A",
                             "%s-s%d" % (name, i), opacity=a), 0, 0))
    if border:
        layers.append((shape(w, h, ["rectangle 2,2 6,6"], border, name + "-b"), 0, 0))
    if inner_colour:
        layers.append((shape(w, h, ["rectangle 3,3 5,5"], inner_colour, name + "-f"), 0, 0))
    ring = compose(w, h, layers, work(name + "-ring.png"))
    out = os.path.join(OUT, name + ".png")
    if inner_colour or border:
        return im(ring, out)
    return im(ring, "(", "-size", "5x5", "xc:none", ")", "-geometry", "+2+2", "-compose",
              "copy", "-composite", out)


def caption_shadow_151():
    """A 4-row shadow under the caption band: 3 x 4, drawn over (1,30) 882 x 4."""
    out = os.path.join(OUT, "151.png")
    ops = ["-background", "none"]
    for a in (0.20, 0.10, 0.05, 0.02):
        ops += ["(", "-size", "3x1", "xc:#0C1230", "-alpha", "set", "-channel", "A",
                "-evaluate", "set", "%d%%" % round(a * 100), "+channel", ")"]
    im(*ops, "-append", out)
    return out


def footer_153():
    """Footer band, 9 x 73, drawn over (1,505) 882 x 73: top line, soft gradient."""
    return im(rows_image(9, [("#C9CED8", 1), ("#F7F8FA", 1), (("#E9ECF1", "#DADEE6"), 71)],
                         "153-rows"), os.path.join(OUT, "153.png"))


def separator_150():
    """Etched line under the left panel header, 240 x 2, placed at (7,67)."""
    return im(rows_image(240, [("#D5D9E0", 1), ("#FFFFFF", 1)], "150-rows"),
              os.path.join(OUT, "150.png"))


def separator_146():
    """Etched upright line between the caption's text buttons and window buttons, 2 x 12."""
    return im("-size", "1x12", "xc:#1A2047", "-size", "1x12", "xc:#505B98", "+append",
              os.path.join(OUT, "146.png"))


# ---------------------------------------------------------------- splash, about picture


def splash_159():
    """Splash, 420 x 260 with alpha: a rounded card with a soft shadow."""
    W, H = 420, 260
    cx0, cy0, cw, ch = 14, 10, 392, 232
    r = 12
    top_h = 150
    # Shadow: the card's shape, blurred, offset downwards.
    shadow = work("159-shadow.png")
    im("-size", "%dx%d" % (W, H), "xc:black", "-fill", "white", "-draw",
       rrect(cx0, cy0 + 4, cx0 + cw - 1, cy0 + ch - 1 + 4, r), "-blur", "0x6", "(",
       "-size", "%dx%d" % (W, H), "xc:#0A0F28", ")", "+swap", "-alpha", "off", "-compose",
       "copyopacity", "-composite", "-channel", "A", "-evaluate", "multiply", "0.45",
       "+channel", shadow)
    # Card face: navy upper part with a faint pattern of blocks, light lower part.
    pattern = work("159-pattern.png")
    ops = ["-size", "%dx%d" % (cw, top_h), "xc:none"]
    step_x = 2 * 15 * math.sqrt(3) / 2
    row = 0
    y = -10.0
    while y < top_h + 20:
        x = -step_x if row % 2 else -step_x / 2
        while x < cw + step_x:
            ops += cube_draw(x, y, 15, 0, ("#FFFFFF", "#8C98E0", "#10163A"))
            x += step_x
        y += 15 * 1.5
        row += 1
    ops += ["-channel", "A", "-evaluate", "multiply", "0.07", "+channel"]
    im(*ops, pattern)
    upper = work("159-upper.png")
    im("-size", "%dx%d" % (cw, top_h), "gradient:#3D4989-#222A58", pattern, "-compose",
       "over", "-composite", upper)
    accent = im("-size", "%dx3" % cw, "xc:" + ORANGE, work("159-accent.png"))
    mark = emblem(88, "159-mark", tile=False)
    name_l, _, nh = ink("VaelTessel插件 V1.2", 24, CREAM, 0.5)
    sub_l, _, _ = ink("Vael 游戏插件管理", 14, "#AEB7E0")
    start_l, _, sth = ink("正在启动...", 13, NAVY)
    name_x, name_y = 128, 50
    layers = [(upper, 0, 0), (accent, 0, top_h)]
    # Three dots after the text line: a still hint of progress.
    dots = work("159-dots.png")
    s = 8
    dops = ["-size", "%dx%d" % (60 * s, 8 * s), "xc:none", "-stroke", "none"]
    for i, colour in enumerate([ORANGE, "#FF9A70", "#FFD0BC"]):
        dops += ["-fill", colour, "-draw", "circle %d,%d %d,%d" % ((4 + 12 * i) * s, 4 * s,
                                                                   (4 + 12 * i) * s, 1 * s)]
    im(*dops, "-scale", "60x8", dots)
    layers += [(mark, 24, (top_h - 88) // 2), (name_l, name_x, name_y), (sub_l, name_x + 1,
                                                                          name_y + nh + 12),
               (start_l, 26, top_h + 3 + (ch - top_h - 3 - sth) // 2),
               (dots, cw - 26 - 32, top_h + 3 + (ch - top_h - 3 - 8) // 2)]
    card = compose(cw, ch, layers, work("159-card-face.png"), background="#F6F7FA")
    card = clip(card, cw, ch, [rrect(0, 0, cw - 1, ch - 1, r)], "159-card")
    return compose(W, H, [(shadow, 0, 0), (card, cx0, cy0)], os.path.join(OUT, "159.png"))


def about_145():
    """About-box picture, 100 x 100: the emblem on its tile."""
    return im(emblem(100, "145-mark"), os.path.join(OUT, "145.png"))


def icon_128():
    sizes = [16, 24, 32, 48, 256]
    paths = [emblem(n, "128-%d" % n) for n in sizes]
    out = os.path.join(OUT, "128.ico")
    run(CONVERT, *paths, out)
    return out


# ---------------------------------------------------------------- animations


def spinner(name, size, ring, stroke, background, frames=12, delay=7):
    """A ring with an orange comet turning clockwise; full opaque frames.

    Every frame covers the whole picture on `background` (the colour the control
    sits on), so the picture looks the same whatever the control fills between
    frames; disposal "none" keeps each frame until the next replaces it.
    """
    s = 4
    big = size * s
    c = big / 2.0
    rad = ring / 2.0 * s - stroke * s / 2.0
    paths = []
    tail = 270
    pieces = 36
    for f in range(frames):
        ops = ["-size", "%dx%d" % (big, big), "xc:" + background, "-fill", "none",
               "-stroke", "#DCE0E8", "-strokewidth", str(stroke * s), "-draw",
               "ellipse %.1f,%.1f %.1f,%.1f 0,360" % (c, c, rad, rad)]
        head = f * 360.0 / frames - 90
        for i in range(pieces):
            a0 = head - tail + i * tail / pieces
            a1 = a0 + tail / pieces
            t = (i + 1) / float(pieces)
            colour = mix("#DCE0E8", ORANGE, t ** 1.6)
            ops += ["-stroke", colour] + arc(c, c, rad, a0, a1)
        # Round head.
        a = math.radians(head)
        hx, hy = c + rad * math.cos(a), c + rad * math.sin(a)
        ops += ["-stroke", "none", "-fill", ORANGE, "-draw",
                "circle %.1f,%.1f %.1f,%.1f" % (hx, hy, hx + stroke * s / 2.0, hy)]
        ops += ["-scale", "%dx%d" % (size, size), "-alpha", "off"]
        p = work("%s-f%02d.png" % (name, f))
        im(*ops, p)
        paths.append(p)
    # One palette for all frames, so the file carries a single global colour table.
    palette = work(name + "-palette.gif")
    run(CONVERT, *paths, "+append", "-dither", "None", "-colors", "128", "-unique-colors",
        palette)
    out = os.path.join(OUT, name + ".gif")
    run(CONVERT, "-dispose", "None", "-delay", str(delay), *paths, "-loop", "0", "-dither",
        "None", "-remap", palette, out)
    return out, paths


def mix(a, b, t):
    ca = [int(a[i:i + 2], 16) for i in (1, 3, 5)]
    cb = [int(b[i:i + 2], 16) for i in (1, 3, 5)]
    return "#%02X%02X%02X" % tuple(int(round(x + (y - x) * t)) for x, y in zip(ca, cb))


# ---------------------------------------------------------------- all images


def build():
    os.makedirs(OUT, exist_ok=True)
    os.makedirs(WORK, exist_ok=True)

    # Backgrounds.
    frame_144()
    dialog_143()
    popup_164()
    band_152()
    panel_148()
    shadow_ring("147", inner_colour="#FFFFFF", border=PAGE_LINE)
    shadow_ring("149")
    caption_shadow_151()
    footer_153()
    separator_150()
    separator_146()

    # Caption buttons.
    glyph_button("129", 22, 20, draw_close, hover="#FF7A45", pressed="#E0521C")
    glyph_button("134", 22, 15, draw_minimise)
    glyph_button("133", 22, 20, draw_maximise)
    glyph_button("139", 22, 20, draw_restore)
    caption_text_button("140", 32, 19, "设置")
    caption_text_button("132", 32, 19, "帮助")

    # Tabs.
    tab_button("161", "首页")
    tab_button("136", "插件库")
    tab_button("160", "宏仓库")

    # Panel and page buttons.
    icon_button("137", 16, lambda colour, n: refresh_arrow(16, colour, n),
                ["#566089", ORANGE, "#D9440C", "#B7BBC5"])
    text_button("138", 36, 24, "刷新", 12, LIGHT)
    text_button("142", 116, 27, "全部升级", 13, DARK)
    text_button("131", 116, 27, "全部删除", 13, LIGHT)
    text_button("135", 88, 22, "插件目录", 12, LIGHT, icon=(folder_icon, 14, 11))
    text_button("141", 176, 46, "启动游戏", 18, START, states=3, bold=0.6, radius=6,
                icon=(play_icon, 14, 16), text_shadow=("#A8360A", 0, 1, 0.55))
    plain_button("130", 72, 24)
    plain_button("157", 72, 24)

    # Pictures and animations.
    about_145()
    splash_159()
    icon_128()
    spinner("155", 72, 44, 5, PANEL)
    spinner("163", 48, 40, 4, "#FFFFFF")


def main():
    check_tools()
    if os.path.isdir(WORK):
        shutil.rmtree(WORK)
    build()
    if "--preview" in sys.argv[1:]:
        sys.dont_write_bytecode = True  # keep the source folder free of caches
        sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
        import preview
        preview.build(ROOT)
    print("make_skin: images in %s" % os.path.relpath(OUT, ROOT))


if __name__ == "__main__":
    main()
