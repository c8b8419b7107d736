#!/usr/bin/env python3
"""Mock-ups of the skinned windows, composed from resources/images/.

Places every piece where README.md says the windows draw it, so the whole look
can be judged at 100 %. Writes PNGs into build/skin-preview/ (not committed).

    tools/skin/preview.py     # after make_skin.py; or make_skin.py --preview
"""

import os
import subprocess
import sys

sys.dont_write_bytecode = True  # keep the source folder free of caches
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_skin as sk  # noqa: E402

# Main window: background pieces in drawing order, as README.md lists them.
# (id, x, y, width, height); width None means a positioned image at natural size.
MAIN_BACKGROUND = [
    ("144", 0, 0, 884, 579),
    ("153", 1, 505, 882, 73),
    ("147", 251, 56, 628, 446),
    ("151", 1, 30, 882, 4),
    ("149", 4, 33, 246, 469),
    ("148", 6, 35, 242, 465),
    ("150", 7, 67, None, None),
    ("146", 825, 14, None, None),
]

# Main window buttons: (id, x, y).
MAIN_BUTTONS = {
    "161": (305, 28), "136": (420, 28), "160": (535, 28), "137": (15, 44),
    "138": (264, 32), "140": (755, 10), "132": (790, 10), "134": (830, 15),
    "129": (855, 10), "142": (8, 470), "131": (127, 470), "135": (14, 554),
    "141": (700, 517),
}
STATE_COUNTS = {"141": 3}

PREVIEW = None
DPI = 96


def img(name):
    for ext in (".png", ".gif"):
        p = os.path.join(sk.OUT, name + ext)
        if os.path.exists(p):
            return p
    raise FileNotFoundError(name)


def out(name):
    return os.path.join(PREVIEW, name)


def nine_slice(name, w, h, tag):
    """The image drawn over w x h: corners natural, edges and centre repeated.

    Insets are the centre lines, (size - 1) / 2, as the windows use them.
    """
    src = img(name)
    iw, ih = sk.size_of(src)
    t = b = (ih - 1) // 2
    left = right = (iw - 1) // 2
    cw, ch = iw - left - right, ih - t - b
    mw, mh = w - left - right, h - t - b
    rows = []
    for (y, hh, th) in ((0, t, t), (t, ch, mh), (ih - b, b, b)):
        cols = []
        for (x, ww, tw) in ((0, left, left), (left, cw, mw), (iw - right, right, right)):
            p = sk.work("ns-%s-%s-%d-%d.png" % (tag, name, x, y))
            sk.im(src, "-crop", "%dx%d+%d+%d" % (ww, hh, x, y), "+repage", "-sample",
                  "%dx%d!" % (tw, th), p)
            cols.append(p)
        rows.append(sk.hstrip(cols, sk.work("ns-%s-%s-row%d.png" % (tag, name, y))))
    return sk.vstrip(rows, sk.work("ns-%s-%s.png" % (tag, name)))


def slice_of(name, state, count=4):
    src = img(name)
    iw, ih = sk.size_of(src)
    sw = iw // count
    p = sk.work("sl-%s-%d.png" % (name, state))
    sk.im(src, "-crop", "%dx%d+%d+0" % (sw, ih, sw * state), "+repage", p)
    return p


def text(label, pt, colour, tag, underline=False, font=sk.FONT):
    """Text as a window would draw it at `pt` points on a 96-DPI screen."""
    p = sk.work("tx-%s.png" % tag)
    ops = ["-background", "none", "-font", font, "-density", str(DPI), "-pointsize", str(pt),
           "-fill", colour]
    if underline:
        ops += ["-undercolor", "none"]
    sk.im(*ops, "label:" + label, p)
    if underline:
        w, h = sk.size_of(p)
        sk.im(p, "-fill", colour, "-draw", "line 0,%d %d,%d" % (h - 3, w - 1, h - 3), p)
    return p


def gif_frame(name, index):
    p = sk.work("gf-%s-%d.png" % (name, index))
    sk.im(img(name) + "[%d]" % index, p)
    return p


def main_window(tag, view, tab="161", states=None):
    """The 884 x 579 main window in one of its left-panel views."""
    states = states or {}
    layers = []
    for name, x, y, w, h in MAIN_BACKGROUND:
        if w is None:
            layers.append((img(name), x, y))
        else:
            layers.append((nine_slice(name, w, h, tag), x, y))
    layers.append((text("VaelTessel插件 V1.2", 11, sk.CREAM, tag + "title"), 35, 7))
    layers.append((text("我的插件", 11, sk.NAVY, tag + "mine"), 35, 45))
    count = 5 if view == "list" else 0
    layers.append((text("共    个", 10, sk.NAVY, tag + "total"), 180, 47))
    layers.append((text("%d" % count, 12, sk.ORANGE, tag + "count"), 188, 44))

    if view == "list":
        names = ["大脚任务助手", "战斗统计 Recount", "背包整合", "团队框架 Grid2", "地图坐标"]
        upgradable = [1, 0, 1, 0, 0]
        for i, n in enumerate(names):
            top = 69 + 44 * i
            layers.append((sk.shape(240, 44, ["line 0,42 239,42"], "#CFDEE3", "row-l%d" % i),
                           7, top))
            layers.append((sk.shape(240, 44, ["line 0,43 239,43"], "#FFFFFF", "row-w%d" % i),
                           7, top))
            layers.append((text(n, 10, "#303030", "%s-n%d" % (tag, i)), 13, top + 5))
            if upgradable[i]:
                layers.append((text("可升级", 9, "#FF6000", "%s-b%d" % (tag, i), True), 12,
                               top + 25))
    elif view == "loading":
        layers.append((gif_frame("155", 3), 90, 195))
        layers.append((text("正在加载本地插件信息...", 10, sk.NAVY, tag + "load"), 55, 300))
    elif view == "nopath":
        layers.append((text("当前未设置游戏路径", 13, sk.NAVY, tag + "np1"), 46, 203))
        layers.append((text("请        游戏路径", 10, sk.NAVY, tag + "np2"), 74, 255))
        layers.append((text("设置", 10, sk.ORANGE, tag + "np3", True), 105, 255))

    # A stand-in for the web page: header picture, a few blocks of text.
    page = sk.work("page-%s.png" % tag)
    sk.im("-size", "622x440", "xc:white", "-fill", "#EEF1F7", "-draw", "rectangle 12,12 609,118",
          "-fill", "#D9DFEB", "-draw", "rectangle 24,24 180,94", "-fill", "#C3CBDB",
          "-draw", "rectangle 200,34 460,44", "-draw", "rectangle 200,56 400,64",
          "-draw", "rectangle 200,76 430,84", "-fill", "#E4E7EE",
          *sum([["-draw", "rectangle %d,%d %d,%d" % (24 + 200 * (i % 3), 142 + 96 * (i // 3),
                                                     24 + 200 * (i % 3) + 176,
                                                     142 + 96 * (i // 3) + 78)]
                for i in range(9)], []), page)
    layers.append((page, 254, 59))

    for name, (x, y) in MAIN_BUTTONS.items():
        count = STATE_COUNTS.get(name, 4)
        state = states.get(name, 0)
        if name == tab:
            state = 2
        layers.append((slice_of(name, state, count), x, y))
    return sk.compose(884, 579, layers, out("main-%s.png" % tag), background="white")


def dialog(tag, w, h, bg, layers_after):
    layers = [(nine_slice(bg, w, h, tag), 0, 0)] + layers_after
    return sk.compose(w, h, layers, out(tag + ".png"), background="white")


def button_caption(name, state, label, tag, count=4):
    base = slice_of(name, state, count)
    bw, bh = sk.size_of(base)
    t = text(label, 9, "#1F2233", tag)
    tw, th = sk.size_of(t)
    shift = 1 if state == 2 else 0
    return sk.compose(bw, bh, [(base, 0, 0), (t, (bw - tw) // 2 + shift,
                                              (bh - th) // 2 + shift)], sk.work(tag + ".png"))


def dialog_close(w, right=12):
    """The close button layer of a dialog w pixels wide: `right` pixels from its edge."""
    close = slice_of("129", 0)
    cw, _ = sk.size_of(close)
    return close, w - cw - right, 10


def message_box():
    w, h = 347, 211
    ok = button_caption("157", 0, "确定", "mb-ok")
    cancel = button_caption("157", 1, "取消", "mb-cancel")
    msg = sk.work("mb-msg.png")
    sk.im("-background", "none", "-font", sk.FONT, "-density", str(DPI), "-pointsize", "9",
          "-fill", "#272621", "-size", "287x", "caption:确定删除所有插件?", msg)
    return dialog("msgbox", w, h, "143", [
        (nine_slice("152", w - 2, 47, "mb"), 1, 163),
        (text("提示", 10, sk.CREAM, "mb-title"), 10, 10), dialog_close(w),
        (msg, 30, 74), (ok, 95, 175), (cancel, 180, 175)])


def about_box():
    w, h = 348, 215
    close = slice_of("129", 1)
    shut = button_caption("130", 0, "关闭", "ab-close")
    return dialog("about", w, h, "143", [
        (text("关于Tessel", 11, sk.CREAM, "ab-title"), 10, 10), (close, 315, 10),
        (img("145"), 22, 43),
        (text("VaelTessel插件V1.2", 10, sk.NAVY, "ab-1"), 140, 55),
        (text("版权所有 (C) VaelTessel", 9, "#555B75", "ab-2"), 140, 75),
        (text("官网：", 9, "#555B75", "ab-3"), 140, 95),
        (text("vaeltessel.example", 9, sk.ORANGE, "ab-4", True), 175, 95),
        (text("VaelTessel 开发组", 9, "#555B75", "ab-5"), 140, 115),
        (shut, 247, 166)])


def path_dialog():
    w, h = 406, 190
    browse = button_caption("130", 1, "浏览", "pd-browse")
    save = button_caption("130", 0, "保存设置", "pd-save")
    edit = sk.work("pd-edit.png")
    sk.im("-size", "235x20", "xc:white", "-fill", "none", "-stroke", "#7F8AA6", "-draw",
          "rectangle 0,0 234,19", edit)
    path = text("C:\\\\Games\\\\Vael\\\\vaelpatchchinese.exe", 9, "#222222", "pd-path",
                font=sk.FONT)
    return dialog("pathdlg", w, h, "143", [
        (nine_slice("152", w - 2, 41, "pd"), 1, 148),
        (text("路径设置", 10, sk.CREAM, "pd-title"), 10, 10), dialog_close(w),
        (text("Vael路径设置", 10, "#24315D", "pd-1"), 124, 58),
        (text("位置：", 10, "#272F60", "pd-2"), 22, 97),
        (edit, 69, 93), (path, 72, 96), (browse, 315, 90), (save, 162, h - 24 - 9)])


def popup():
    w, h = 589, 381
    close = dialog_close(w, right=10)
    cw, _ = sk.size_of(close[0])
    maxi = slice_of("133", 1)
    mw, _ = sk.size_of(maxi)
    spin = gif_frame("163", 5)
    sw, sh = sk.size_of(spin)
    return dialog("popup", w, h, "164", [
        (text("插件说明", 11, sk.CREAM, "pp-title"), 10, 10), close,
        (maxi, w - mw - cw - 20, 10), (spin, (w - sw) // 2, (h - sh) // 2)])


def strips():
    """Every strip at 100 % and at 300 % (nearest neighbour) on the panel colour."""
    rows = []
    names = ["129", "134", "133", "139", "140", "132", "161", "136", "160", "137", "138",
             "142", "131", "135", "141", "130", "157"]
    for name in names:
        p = img(name)
        w, h = sk.size_of(p)
        bg = sk.CAP_BOTTOM if name in ("129", "134", "133", "139", "140", "132") else sk.BODY
        label = text(name, 9, "#FFFFFF" if bg == sk.CAP_BOTTOM else "#444444", "st-" + name,
                     font=sk.FONT)
        row = sk.work("st-row-%s.png" % name)
        sk.im("-size", "%dx%d" % (w * 4 + 80, h * 3 + 8), "xc:" + bg,
              "(", p, ")", "-geometry", "+40+4", "-compose", "over", "-composite",
              "(", p, "-sample", "300%", ")", "-geometry", "+%d+4" % (w + 60),
              "-compose", "over", "-composite",
              "(", label, ")", "-geometry", "+4+4", "-compose", "over", "-composite", row)
        rows.append(row)
    return sk.vstrip(rows, out("strips.png"), gap=4, background="#FFFFFF")


def splash_on_desktops():
    tiles = []
    for i, bg in enumerate(["#1F6FB2", "#F0F0F0", "#202020"]):
        t = sk.work("sp-%d.png" % i)
        sk.im("-size", "460x300", "gradient:%s-%s" % (bg, sk.mix(bg, "#000000", 0.3)),
              img("159"), "-geometry", "+20+20", "-compose", "over", "-composite", t)
        tiles.append(t)
    return sk.hstrip(tiles, out("splash.png"))


def icons():
    p = os.path.join(sk.OUT, "128.ico")
    frames = []
    for i in range(5):
        f = sk.work("ic-%d.png" % i)
        sk.im(p + "[%d]" % i, f)
        frames.append(f)
    tiles = []
    for bg in ("#FFFFFF", "#1E1E1E", sk.CAP_BOTTOM):
        t = sk.work("ic-row-%s.png" % bg[1:])
        ops = ["-size", "560x270", "xc:" + bg]
        x = 8
        for f in frames:
            w, h = sk.size_of(f)
            ops += [f, "-geometry", "+%d+8" % x, "-compose", "over", "-composite"]
            x += w + 10
        sk.im(*ops, t)
        tiles.append(t)
    return sk.vstrip(tiles, out("icons.png"))


def build(root):
    global PREVIEW
    PREVIEW = os.path.join(root, "build", "skin-preview")
    os.makedirs(PREVIEW, exist_ok=True)
    os.makedirs(sk.WORK, exist_ok=True)
    main_window("list", "list")
    main_window("loading", "loading", tab="136",
                states={"142": 3, "131": 3, "141": 1, "138": 1, "140": 1})
    main_window("nopath", "nopath", tab="160", states={"142": 3, "131": 3, "129": 1})
    message_box()
    about_box()
    path_dialog()
    popup()
    strips()
    splash_on_desktops()
    icons()
    print("preview: mock-ups in %s" % os.path.relpath(PREVIEW, root))


if __name__ == "__main__":
    sk.check_tools()
    build(sk.ROOT)
