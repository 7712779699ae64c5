#!/usr/bin/env python3
"""Draws the programs' artwork as SVG files, one per resource id.

Output: <id>.svg beside this script for pictures without text, kor/<id>.svg and eng/<id>.svg for
pictures that carry a label. Run it after changing a design and commit the result; the build
only packs the SVG files. The loading animation (177.gif) is made by make_loading_gif.sh.
"""
import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))
FONT = "NanumGothic, 'Nanum Gothic', sans-serif"

# The dark family of the pad remote's windows.
CLIENT = "#1d2434"      # RGB(29,36,52)
BAND = "#181e2b"        # RGB(24,30,43)
PANEL = "#242b3a"       # RGB(36,43,58)
EDGE = "#343e52"
CYAN = "#03cfe3"        # RGB(3,207,227)
BLUE = "#0f8ee6"        # RGB(15,142,230)
TEXT = "#96a2a3"

# The note palette's red and white family.
P_RED = "#771818"       # RGB(119,24,24)
P_PINK = "#dea0a5"
P_GREY = "#e1e1e1"


def svg(w, h, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" '
            f'viewBox="0 0 {w} {h}">\n{body}</svg>\n')


def write(path, w, h, body):
    full = os.path.join(HERE, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "w", encoding="utf-8") as f:
        f.write(svg(w, h, body))


def text_width(text, size, bold=True):
    width = 0.0
    for ch in text:
        if ord(ch) >= 0x1100:
            width += size * 0.9
        elif ch == " ":
            width += size * 0.3
        elif ch.isupper():
            width += size * (0.68 if bold else 0.64)
        else:
            width += size * (0.56 if bold else 0.52)
    return width


def label(text, cx, baseline, size, fill, room, bold=True, min_size=7.5):
    while size > min_size and text_width(text, size, bold) > room:
        size -= 0.5
    weight = "bold" if bold else "normal"
    return (f'<text x="{cx}" y="{baseline}" font-family="{FONT}" font-size="{size}" '
            f'font-weight="{weight}" fill="{fill}" text-anchor="middle">{text}</text>\n')


# ---------------------------------------------------------------------------------------------
# Icons of the main window, drawn into a 24 x 24 box and placed with a transform.

def icon_remote(c):
    return (f'<rect x="2" y="3" width="20" height="13" rx="1.5" fill="none" stroke="{c}" stroke-width="1.8"/>'
            f'<path d="M8 20h8M12 16v4" stroke="{c}" stroke-width="1.8" stroke-linecap="round"/>'
            f'<path d="M11 6.5l6 4.2-2.7.5 1.6 3-1.4.7-1.6-3-1.9 1.9z" fill="{c}"/>')


def icon_screen_up(c):
    return (f'<rect x="5" y="2" width="14" height="20" rx="2" fill="none" stroke="{c}" stroke-width="1.8"/>'
            f'<path d="M12 17V8M8.5 11.5L12 8l3.5 3.5" fill="none" stroke="{c}" stroke-width="1.9" '
            f'stroke-linecap="round" stroke-linejoin="round"/>')


def icon_touch_lock(c):
    return (f'<rect x="4" y="11" width="16" height="11" rx="2" fill="{c}"/>'
            f'<path d="M8 11V7.5a4 4 0 0 1 8 0V11" fill="none" stroke="{c}" stroke-width="2"/>'
            f'<circle cx="12" cy="16" r="1.6" fill="{CLIENT}"/>'
            f'<path d="M12 16v3" stroke="{CLIENT}" stroke-width="1.4"/>')


def icon_broadcast(c):
    return (f'<rect x="6" y="9" width="12" height="8" rx="1" fill="none" stroke="{c}" stroke-width="1.7"/>'
            f'<path d="M10 21h4M12 17v4" stroke="{c}" stroke-width="1.7" stroke-linecap="round"/>'
            f'<path d="M7 5.5a7 7 0 0 1 10 0M4.5 3a10.5 10.5 0 0 1 15 0" fill="none" stroke="{c}" '
            f'stroke-width="1.7" stroke-linecap="round"/>')


def icon_keyboard(c):
    keys = "".join(f'<rect x="{4 + 4 * i}" y="9" width="2.4" height="2.4" fill="{c}"/>' for i in range(4))
    keys += "".join(f'<rect x="{6 + 4 * i}" y="13" width="2.4" height="2.4" fill="{c}"/>' for i in range(3))
    return (f'<rect x="1.5" y="5.5" width="21" height="14" rx="2" fill="none" stroke="{c}" stroke-width="1.7"/>'
            + keys + f'<rect x="7" y="17" width="10" height="1.2" fill="{c}"/>')


def icon_monitor(c):
    return (f'<rect x="1.5" y="4" width="13" height="9" rx="1" fill="none" stroke="{c}" stroke-width="1.6"/>'
            f'<rect x="9.5" y="10" width="13" height="9" rx="1" fill="{CLIENT}" stroke="{c}" stroke-width="1.6"/>'
            f'<path d="M14 22h4" stroke="{c}" stroke-width="1.6" stroke-linecap="round"/>')


def icon_note(c):
    return (f'<path d="M4 20l1.2-4.6L15.8 4.8a2 2 0 0 1 2.8 0l.6.6a2 2 0 0 1 0 2.8L8.6 18.8z" '
            f'fill="none" stroke="{c}" stroke-width="1.7" stroke-linejoin="round"/>'
            f'<path d="M14 6.6l3.4 3.4" stroke="{c}" stroke-width="1.7"/>'
            f'<path d="M12 21h8" stroke="{c}" stroke-width="1.7" stroke-linecap="round"/>')


def icon_sound(c):
    return (f'<path d="M3 9.5h4l5-4.5v14l-5-4.5H3z" fill="{c}"/>'
            f'<path d="M15.5 8.5a5 5 0 0 1 0 7M18.5 5.5a9 9 0 0 1 0 13" fill="none" stroke="{c}" '
            f'stroke-width="1.7" stroke-linecap="round"/>')


def place(icon, x, y, size):
    s = size / 24.0
    return f'<g transform="translate({x} {y}) scale({s:.4f})">{icon}</g>\n'


# Four looks of a main-window button: normal, hover, disabled, checked (feature on).
STATES = {
    "normal": dict(fill=PANEL, edge=EDGE, ink="#a9b7c6", text=TEXT, glow=False),
    "hover": dict(fill="#2d3850", edge="#3d7fa8", ink="#e3f1f8", text="#d5e3ea", glow=False),
    "disabled": dict(fill="#1f2533", edge="#2a3142", ink="#4d586a", text="#4d586a", glow=False),
    "checked": dict(fill="#0b5f97", edge=CYAN, ink="#ffffff", text="#ffffff", glow=True),
}


def tile(w, h, st):
    body = f'<rect x="0.5" y="0.5" width="{w - 1}" height="{h - 1}" rx="5" fill="{st["fill"]}" stroke="{st["edge"]}"/>\n'
    if st["glow"]:
        body += (f'<rect x="{w / 2 - 8}" y="{h - 4}" width="16" height="2" rx="1" fill="{CYAN}"/>\n')
    return body


def big_button(icon, text, st):
    w, h = 50, 64
    body = tile(w, h, st)
    body += place(icon(st["ink"]), 11, 9, 28)
    body += label(text, w / 2, 50, 10, st["text"], w - 6)
    return w, h, body


def small_button(icon, text, st):
    w, h = 56, 28
    body = tile(w, h, st)
    body += place(icon(st["ink"]), 3, 7, 14)
    body += label(text, 36.5, 18, 10, st["text"], 35)
    return w, h, body


# ---------------------------------------------------------------------------------------------

def main_window():
    feature_buttons = [
        # ids in the order normal, hover, disabled, checked
        ((142, 151, 179, 150), icon_remote, "원격제어", "Remote", big_button),
        ((143, 153, 180, 152), icon_screen_up, "화면올림", "Share", big_button),
        ((145, 157, 181, 156), icon_touch_lock, "터치잠금", "Lock", big_button),
        ((139, 147, 178, 146), icon_broadcast, "화면전송", "Cast", big_button),
        ((140, None, None, None), icon_keyboard, "키보드", "Keys", small_button),
        ((186, 187, None, None), icon_monitor, "모니터", "Monitor", small_button),
        ((141, None, None, None), icon_note, "판서", "Note", small_button),
        ((144, None, None, 154), icon_sound, "소리올림", "Sound", small_button),
    ]
    for ids, icon, kor, eng, make in feature_buttons:
        for state, rid in zip(("normal", "hover", "disabled", "checked"), ids):
            if rid is None:
                continue
            for lang, text in (("kor", kor), ("eng", eng)):
                w, h, body = make(icon, text, STATES[state])
                write(f"{lang}/{rid}.svg", w, h, body)

    # 137 close (header band), 174/175 compact and expand.
    def band_button(glyph, hot=False):
        bg = "#222b3d" if hot else BAND
        return f'<rect width="39" height="34" fill="{bg}"/>\n' + glyph

    x_glyph = f'<path d="M14 11l11 11M25 11L14 22" stroke="#b9c6d3" stroke-width="2.2" stroke-linecap="round"/>\n'
    write("137.svg", 39, 34, band_button(x_glyph))
    write("174.svg", 39, 34, band_button(
        f'<rect x="12" y="10" width="15" height="14" rx="2" fill="none" stroke="#b9c6d3" stroke-width="1.8"/>'
        f'<path d="M15.5 20.5h8" stroke="{CYAN}" stroke-width="2.2" stroke-linecap="round"/>\n'))
    write("175.svg", 39, 34, band_button(
        f'<rect x="12" y="10" width="15" height="14" rx="2" fill="none" stroke="{CYAN}" stroke-width="1.8"/>'
        f'<path d="M16 19l3.5-4 3.5 4" fill="none" stroke="{CYAN}" stroke-width="2" stroke-linecap="round"/>\n', True))

    # 138 panel behind the feature buttons (160 x 225), three rows.
    body = f'<rect x="0.5" y="0.5" width="159" height="224" rx="8" fill="#202838" stroke="{EDGE}"/>\n'
    for y in (77, 152):
        body += f'<path d="M10 {y}.5h140" stroke="#2c3548"/>\n'
    write("138.svg", 160, 225, body)

    # 183 the floating icon of the compact window (70 x 70, transparent outside the disc).
    write("183.svg", 70, 70, logo_disc(70))
    write("128.svg", 64, 64, app_icon(64))


def logo_mark(cx, cy, r, ring=CYAN):
    return (f'<circle cx="{cx}" cy="{cy}" r="{r}" fill="none" stroke="{ring}" stroke-width="{r * 0.28:.2f}"/>'
            f'<rect x="{cx - r * 0.38:.2f}" y="{cy - r * 0.52:.2f}" width="{r * 0.76:.2f}" height="{r * 1.04:.2f}" '
            f'rx="{r * 0.12:.2f}" fill="#ffffff"/>'
            f'<circle cx="{cx}" cy="{cy + r * 0.36:.2f}" r="{r * 0.07:.2f}" fill="{BLUE}"/>\n')


def logo_disc(size):
    c = size / 2
    return (f'<defs><linearGradient id="g" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="#27344c"/><stop offset="1" stop-color="#141a26"/></linearGradient></defs>'
            f'<circle cx="{c}" cy="{c}" r="{c - 1.5}" fill="url(#g)" stroke="{CYAN}" stroke-width="2"/>\n'
            + logo_mark(c, c, size * 0.26))


def app_icon(size):
    return (f'<defs><linearGradient id="g" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="#2b3a55"/><stop offset="1" stop-color="#151b28"/></linearGradient></defs>'
            f'<rect x="2" y="2" width="{size - 4}" height="{size - 4}" rx="{size * 0.2}" fill="url(#g)"/>\n'
            + logo_mark(size / 2, size / 2, size * 0.3))


def dialog_button(text, primary, hot):
    w, h = 67, 34
    if primary:
        fill, edge, ink = ("#1aa3ff", "#7fd2ff", "#ffffff") if hot else (BLUE, "#3aa7f0", "#ffffff")
    else:
        fill, edge, ink = ("#46536e", "#7f93b5", "#ffffff") if hot else ("#353f55", "#4b5774", "#cfd8e3")
    body = f'<rect x="0.5" y="0.5" width="{w - 1}" height="{h - 1}" rx="4" fill="{fill}" stroke="{edge}"/>\n'
    body += label(text, w / 2, 21.5, 13, ink, w - 8)
    return w, h, body


def dialogs():
    buttons = [
        # id, Korean, English, primary, hover look
        (169, "확인", "OK", True, False), (170, "확인", "OK", True, True),
        (160, "확인", "OK", True, False), (161, "확인", "OK", True, True),
        (171, "예", "Yes", True, False),
        (168, "아니오", "No", False, False),
        (166, "취소", "Cancel", False, False), (167, "취소", "Cancel", False, True),
        (184, "취소", "Cancel", False, False), (185, "취소", "Cancel", False, True),
    ]
    for rid, kor, eng, primary, hot in buttons:
        for lang, text in (("kor", kor), ("eng", eng)):
            w, h, body = dialog_button(text, primary, hot)
            write(f"{lang}/{rid}.svg", w, h, body)

    # 172 message panel, 173 notice mark, 162 input field, 163 login banner, 164 separator.
    write("172.svg", 470, 124,
          f'<rect x="0.5" y="0.5" width="469" height="123" rx="8" fill="{CLIENT}" stroke="{EDGE}"/>\n'
          f'<rect x="1" y="1" width="4" height="122" rx="2" fill="{CYAN}" opacity="0.75"/>\n')
    write("173.svg", 55, 50,
          f'<circle cx="27.5" cy="25" r="21" fill="#0f2f45" stroke="{CYAN}" stroke-width="3"/>\n'
          f'<rect x="25.5" y="12" width="4" height="17" rx="2" fill="{CYAN}"/>\n'
          f'<circle cx="27.5" cy="35" r="2.6" fill="{CYAN}"/>\n')
    write("162.svg", 252, 29,
          f'<rect x="0.5" y="0.5" width="251" height="28" rx="4" fill="#141a26" stroke="#3a4660"/>\n')
    write("164.svg", 341, 2, f'<rect width="341" height="1" fill="#0d1118"/><rect y="1" width="341" height="1" fill="#2e384c"/>\n')
    write("163.svg", 376, 89,
          '<defs><linearGradient id="g" x1="0" y1="0" x2="1" y2="0">'
          '<stop offset="0" stop-color="#1c2a40"/><stop offset="1" stop-color="#1d2434"/></linearGradient></defs>'
          '<rect width="376" height="89" fill="url(#g)"/>\n'
          + logo_mark(62, 44, 24)
          + f'<text x="104" y="52" font-family="{FONT}" font-size="26" font-weight="bold" fill="#ffffff">Tavelon '
          f'<tspan fill="{CYAN}">Orvane</tspan></text>\n'
          f'<rect x="104" y="62" width="60" height="2" rx="1" fill="{BLUE}"/>\n')


def updater():
    write("129.svg", 541, 249,
          f'<rect x="0.5" y="0.5" width="540" height="248" rx="6" fill="#201c19" stroke="#4a4038"/>\n'
          f'<rect x="3" y="3" width="535" height="243" rx="4" fill="none" stroke="#2c2622"/>\n')
    for rid, text, hot in ((130, "바로 실행 하기", False), (131, "바로 실행 하기", True),
                           (430, "Run now", False), (431, "Run now", True)):
        fill, edge = ("#1aa3ff", "#7fd2ff") if hot else (BLUE, "#3aa7f0")
        body = f'<rect x="0.5" y="0.5" width="110" height="33" rx="4" fill="{fill}" stroke="{edge}"/>\n'
        body += label(text, 55.5, 21.5, 13, "#ffffff", 100)
        write(f"{rid}.svg", 111, 34, body)


# ---------------------------------------------------------------------------------------------
# The note palette: red band, pink body, grey tool band.

P_STATES = {
    "normal": dict(fill="#ffffff", edge="#c9a5a8", ink=P_RED),
    "hover": dict(fill="#fff3f4", edge="#b23a3a", ink="#b01e1e"),
    "checked": dict(fill=P_RED, edge="#4d0d0d", ink="#ffffff"),
}


def palette_tile(w, h, st, glyph24, icon_size):
    body = f'<rect x="1" y="1" width="{w - 2}" height="{h - 2}" rx="6" fill="{st["fill"]}" stroke="{st["edge"]}" stroke-width="1.2"/>\n'
    body += place(glyph24(st["ink"]), (w - icon_size) / 2, (h - icon_size) / 2, icon_size)
    return body


def g_touch(c):
    return (f'<path d="M9 12V4.5a1.5 1.5 0 0 1 3 0V11l5.2 1a2 2 0 0 1 1.6 2.3L18 20H9.5l-4-5.2a1.4 1.4 0 0 1 2-2z" '
            f'fill="none" stroke="{c}" stroke-width="1.7" stroke-linejoin="round"/>')


def g_write(c):
    return (f'<rect x="2" y="3" width="20" height="14" rx="1.5" fill="none" stroke="{c}" stroke-width="1.6"/>'
            f'<path d="M6 13c2-3 3.5-5 5-3s2.5 1.5 4-1.5 2.2-1 3 .5" fill="none" stroke="{c}" stroke-width="1.6" stroke-linecap="round"/>'
            f'<path d="M9 21h6" stroke="{c}" stroke-width="1.6" stroke-linecap="round"/>')


def g_board(c):
    return (f'<rect x="2.5" y="3" width="19" height="14" rx="1" fill="none" stroke="{c}" stroke-width="1.8"/>'
            f'<path d="M7 21l3-4M17 21l-3-4M12 3V1.5" stroke="{c}" stroke-width="1.6" stroke-linecap="round"/>')


def g_pen(c):
    return icon_note(c)


def g_eraser(c):
    return (f'<path d="M3.5 15.5l9-9a2 2 0 0 1 2.8 0l3.7 3.7a2 2 0 0 1 0 2.8L12 20H7.5z" fill="none" stroke="{c}" stroke-width="1.7" stroke-linejoin="round"/>'
            f'<path d="M8.5 10.5l6.5 6.5M12 20h9" stroke="{c}" stroke-width="1.7" stroke-linecap="round"/>')


def g_clear(c):
    return (f'<path d="M5 7h14M9.5 7V4.5h5V7M7 7l1 13h8l1-13" fill="none" stroke="{c}" stroke-width="1.7" stroke-linejoin="round" stroke-linecap="round"/>'
            f'<path d="M10.5 10.5v6.5M13.5 10.5v6.5" stroke="{c}" stroke-width="1.5" stroke-linecap="round"/>')


def g_semi(c):
    return (f'<circle cx="9" cy="12" r="6" fill="{c}" opacity="0.9"/>'
            f'<circle cx="15" cy="12" r="6" fill="{c}" opacity="0.4"/>')


def g_save(c):
    return (f'<path d="M4 4h13l3 3v13H4z" fill="none" stroke="{c}" stroke-width="1.7" stroke-linejoin="round"/>'
            f'<rect x="8" y="4" width="7" height="5" fill="none" stroke="{c}" stroke-width="1.5"/>'
            f'<rect x="7" y="13" width="10" height="7" rx="1" fill="{c}"/>')


def palette():
    def tri(ids, w, h, glyph, size):
        for state, rid in zip(("normal", "hover", "checked"), ids):
            write(f"{rid}.svg", w, h, palette_tile(w, h, P_STATES[state], glyph, size))

    tri((616, 618, 617), 46, 46, g_touch, 28)
    tri((619, 621, 620), 46, 46, g_write, 28)
    tri((622, 624, 623), 46, 46, g_board, 28)
    tri((650, 652, 651), 39, 38, g_pen, 24)
    tri((647, 649, 648), 39, 38, g_eraser, 24)
    tri((683, 685, 684), 39, 38, g_clear, 24)
    tri((626, 628, 627), 40, 40, g_semi, 26)
    tri((665, 667, 666), 40, 40, g_save, 26)

    write("625.svg", 39, 34, f'<rect width="39" height="34" fill="{P_RED}"/>'
          f'<path d="M14 11l11 11M25 11L14 22" stroke="#ffffff" stroke-width="2.2" stroke-linecap="round"/>\n')

    # Pen sizes 1..4 draw widths 2, 5, 8 and 11 pixels.
    for (n, h_, c), width in zip(((653, 655, 654), (656, 658, 657), (659, 661, 660), (662, 664, 663)), (2, 5, 8, 11)):
        for state, rid in zip(("normal", "hover", "checked"), (n, h_, c)):
            st = P_STATES[state]
            stroke = min(width, 11) * 0.8 + 0.4
            body = (f'<rect x="1" y="1" width="75" height="28" rx="6" fill="{st["fill"]}" stroke="{st["edge"]}" stroke-width="1.2"/>\n'
                    f'<path d="M14 15h49" stroke="{st["ink"]}" stroke-width="{stroke:.1f}" stroke-linecap="round"/>\n')
            write(f"{rid}.svg", 77, 30, body)

    colours = [((629, 631, 630), "#141414"), ((635, 637, 636), "#e60000"), ((632, 634, 633), "#0000e6"),
               ((638, 640, 639), "#e6e6e6"), ((680, 682, 681), "#e6e600"), ((677, 679, 678), "#e633cc"),
               ((674, 676, 675), "#00e600"), ((671, 673, 672), "#1bb7c7")]
    for ids, colour in colours:
        for state, rid in zip(("normal", "hover", "checked"), ids):
            body = ""
            if state == "checked":
                body += f'<circle cx="19.5" cy="19.5" r="18" fill="#ffffff" stroke="{P_RED}" stroke-width="3"/>\n'
            elif state == "hover":
                body += f'<circle cx="19.5" cy="19.5" r="18" fill="#ffffff" stroke="#b23a3a" stroke-width="1.5"/>\n'
            body += f'<circle cx="19.5" cy="19.5" r="12.5" fill="{colour}" stroke="#8c8c8c" stroke-width="1"/>\n'
            if state == "checked":
                ink = "#ffffff" if colour not in ("#e6e6e6", "#e6e600", "#00e600") else "#141414"
                body += f'<path d="M14 19.5l4 4 7-8" fill="none" stroke="{ink}" stroke-width="2.4" stroke-linecap="round" stroke-linejoin="round"/>\n'
            write(f"{rid}.svg", 39, 39, body)


if __name__ == "__main__":
    main_window()
    dialogs()
    updater()
    palette()
