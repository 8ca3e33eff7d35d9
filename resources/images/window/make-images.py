#!/usr/bin/env python3
"""Writes the pictures of the main window's actions, menus, toolbars and keyword states as SVG
(svg/ beside this script) and renders each at 16 and 32 pixels (16/, 32/) with ImageMagick; it
also writes the program's own icon and the icon of its catalog files (resources/icons). Run it
after changing a picture (ImageMagick reads SVG through librsvg2-bin); the build uses the PNG
files it leaves behind. The seven fixed pictures of the item image lists are drawn elsewhere
(resources/images/make-images)."""
import os
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))

# Colours shared by the pictures.
INK = "#3c4350"
PAPER = "#fbfbf8"
FOLD = "#dfe3e8"
FOLDER = "#f2c14e"
FOLDER_DARK = "#b48419"
FOLDER_OPEN = "#f7d57c"
BLUE = "#3f7fd8"
BLUE_DARK = "#1f4f99"
GREEN = "#2f9e55"
GREEN_DARK = "#1d6b38"
RED = "#d8443a"
RED_DARK = "#8f241d"
VIOLET = "#8a63d2"
VIOLET_DARK = "#5b3b9c"
GREY = "#9aa3ad"

S = 'stroke-linejoin="round" stroke-linecap="round"'


def svg(body, size=16):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" '
            f'viewBox="0 0 {size} {size}">{body}</svg>\n')


def paper(x=3.5, y=1.5, w=9, h=13, fold=3):
    return (f'<path d="M{x} {y} h{w - fold} l{fold} {fold} v{h - fold} h-{w} z" fill="{PAPER}" '
            f'stroke="{INK}" {S}/>'
            f'<path d="M{x + w - fold} {y} v{fold} h{fold}" fill="{FOLD}" stroke="{INK}" {S}/>')


def folder(fill=FOLDER, dark=FOLDER_DARK, open_=False, mark=""):
    back = (f'<path d="M1.5 3.5 h4.5 l1.5 1.5 h7 v8.5 h-13 z" fill="{dark}" stroke="{dark}" {S}/>')
    if open_:
        front = (f'<path d="M1.5 13.5 l2.5 -6.5 h11 l-2.5 6.5 z" fill="{FOLDER_OPEN if fill == FOLDER else fill}" '
                 f'stroke="{dark}" {S}/>')
    else:
        front = f'<path d="M1.5 6.5 h13 v7 h-13 z" fill="{fill}" stroke="{dark}" {S}/>'
    return back + front + mark


def arrow_up(color, dark):
    return (f'<path d="M8 2.5 l5 5 h-3 v6 h-4 v-6 h-3 z" fill="{color}" stroke="{dark}" {S}/>')


PICTURES = {
    # Actions, menus and toolbars (ImageList1).
    "new": paper() + (f'<circle cx="12" cy="12" r="3.3" fill="{GREEN}" stroke="{GREEN_DARK}"/>'
                      f'<path d="M12 10.3 v3.4 M10.3 12 h3.4" stroke="{PAPER}" stroke-width="1.3" {S}/>'),
    "open": folder(open_=True) + f'<path d="M10.5 1.5 l3 2.5 l-3 2.5 z" fill="{GREEN}" stroke="{GREEN_DARK}" {S}/>',
    "save": (f'<path d="M2.5 2.5 h9 l2 2 v9 h-11 z" fill="{BLUE}" stroke="{BLUE_DARK}" {S}/>'
             f'<rect x="4.5" y="2.5" width="6" height="4" fill="{PAPER}" stroke="{BLUE_DARK}" {S}/>'
             f'<rect x="4.5" y="9.5" width="7" height="4" fill="{FOLD}" stroke="{BLUE_DARK}" {S}/>'),
    "save-as": (f'<path d="M1.5 3.5 h8 l2 2 v8 h-10 z" fill="{BLUE}" stroke="{BLUE_DARK}" {S}/>'
                f'<rect x="3.5" y="3.5" width="5" height="3" fill="{PAPER}" stroke="{BLUE_DARK}" {S}/>'
                f'<path d="M9 12.5 l5 -5 l1.5 1.5 l-5 5 h-1.5 z" fill="{FOLDER}" stroke="{INK}" {S}/>'),
    "up": folder() + arrow_up(GREEN, GREEN_DARK).replace('M8 2.5', 'M10.5 0.8').replace(
        'l5 5 h-3 v6 h-4 v-6 h-3', 'l4 4 h-2.4 v4.5 h-3.2 v-4.5 h-2.4'),
    "delete": (f'<path d="M3.5 3.5 l9 9 M12.5 3.5 l-9 9" stroke="{RED_DARK}" stroke-width="3.6" {S}/>'
               f'<path d="M3.5 3.5 l9 9 M12.5 3.5 l-9 9" stroke="{RED}" stroke-width="2" {S}/>'),
    "properties": paper() + (f'<path d="M5.5 6.5 h5 M5.5 8.5 h5 M5.5 10.5 h5" stroke="{GREY}" {S}/>'
                             f'<circle cx="11.5" cy="11.5" r="3.2" fill="{BLUE}" stroke="{BLUE_DARK}"/>'
                             f'<path d="M11.5 10.9 v2.3" stroke="{PAPER}" stroke-width="1.2" {S}/>'
                             f'<circle cx="11.5" cy="9.6" r="0.6" fill="{PAPER}"/>'),
    "sort-ascending": f'<path d="M8 4.5 l4 6 h-8 z" fill="{INK}" stroke="{INK}" {S}/>',
    "sort-descending": f'<path d="M8 11.5 l4 -6 h-8 z" fill="{INK}" stroke="{INK}" {S}/>',
    "large-icons": ''.join(
        f'<rect x="{x}" y="{y}" width="5" height="5" fill="{BLUE}" stroke="{BLUE_DARK}" {S}/>'
        for x in (2.5, 8.5) for y in (2.5, 8.5)),
    "small-icons": ''.join(
        f'<rect x="{x}" y="{y}" width="2" height="2" fill="{BLUE}" stroke="{BLUE_DARK}" {S}/>'
        f'<path d="M{x + 3.5} {y + 1} h2" stroke="{INK}" {S}/>'
        for x in (1.5, 8.5) for y in (2.5, 7, 11.5)),
    "list": ''.join(
        f'<rect x="2.5" y="{y}" width="2" height="2" fill="{BLUE}" stroke="{BLUE_DARK}" {S}/>'
        f'<path d="M6.5 {y + 1} h7" stroke="{INK}" {S}/>' for y in (2.5, 7, 11.5)),
    "details": (f'<rect x="1.5" y="2.5" width="13" height="11" fill="{PAPER}" stroke="{INK}" {S}/>'
                f'<path d="M1.5 5.5 h13" stroke="{INK}" {S}/>'
                f'<path d="M1.5 2.5 h13 v3 h-13 z" fill="{FOLD}" stroke="{INK}" {S}/>'
                f'<path d="M6.5 2.5 v11 M10.5 2.5 v11" stroke="{INK}" {S}/>'
                f'<path d="M3 8 h2 M3 10.5 h2 M8 8 h1.5 M8 10.5 h1.5 M12 8 h1.5 M12 10.5 h1.5" stroke="{GREY}" {S}/>'),
    "rename": (f'<rect x="1.5" y="5.5" width="13" height="5" fill="{PAPER}" stroke="{INK}" {S}/>'
               f'<path d="M3.5 8 h4" stroke="{GREY}" stroke-width="1.3" {S}/>'
               f'<path d="M9.5 3.5 v9 M8 3.5 h3 M8 12.5 h3" stroke="{BLUE_DARK}" {S}/>'),
    "refresh": (f'<path d="M12.6 6 A5 5 0 1 0 13 9.5" fill="none" stroke="{GREEN_DARK}" stroke-width="3" {S}/>'
                f'<path d="M12.6 6 A5 5 0 1 0 13 9.5" fill="none" stroke="{GREEN}" stroke-width="1.6" {S}/>'
                f'<path d="M10 5.5 h4 v-4 z" fill="{GREEN}" stroke="{GREEN_DARK}" {S}/>'),
    "revert": (f'<path d="M4 6.5 h6 a3.5 3.5 0 0 1 0 7 h-4" fill="none" stroke="{BLUE_DARK}" stroke-width="3" {S}/>'
               f'<path d="M4 6.5 h6 a3.5 3.5 0 0 1 0 7 h-4" fill="none" stroke="{BLUE}" stroke-width="1.6" {S}/>'
               f'<path d="M5.5 3 l-4 3.5 l4 3.5 z" fill="{BLUE}" stroke="{BLUE_DARK}" {S}/>'),
    "exit": (f'<rect x="2.5" y="1.5" width="7" height="13" fill="{FOLDER_OPEN}" stroke="{FOLDER_DARK}" {S}/>'
             f'<path d="M9.5 8 h5 M12.5 5.5 l2.5 2.5 l-2.5 2.5" fill="none" stroke="{RED}" stroke-width="1.6" {S}/>'
             f'<circle cx="7.5" cy="8" r="0.7" fill="{FOLDER_DARK}"/>'),
    "folders-bar": (f'<rect x="1.5" y="2.5" width="13" height="11" fill="{PAPER}" stroke="{INK}" {S}/>'
                    f'<rect x="1.5" y="2.5" width="5" height="11" fill="{FOLDER}" stroke="{INK}" {S}/>'),
    "keywords-bar": (f'<rect x="1.5" y="2.5" width="13" height="11" fill="{PAPER}" stroke="{INK}" {S}/>'
                     f'<rect x="9.5" y="2.5" width="5" height="11" fill="{GREEN}" stroke="{INK}" {S}/>'),
    "results-bar": (f'<rect x="1.5" y="2.5" width="13" height="11" fill="{PAPER}" stroke="{INK}" {S}/>'
                    f'<rect x="1.5" y="9.5" width="13" height="4" fill="{BLUE}" stroke="{INK}" {S}/>'),
    "add-keyword": (f'<path d="M1.5 5.5 h8 l3 3 l-3 3 h-8 z" fill="{GREEN}" stroke="{GREEN_DARK}" {S}/>'
                    f'<circle cx="4" cy="8.5" r="0.9" fill="{PAPER}"/>'
                    f'<path d="M13 1.5 v4 M11 3.5 h4" stroke="{GREEN_DARK}" stroke-width="1.4" {S}/>'),
    "select-all": ''.join(
        f'<rect x="{x}" y="{y}" width="5" height="5" fill="{BLUE}" stroke="{BLUE_DARK}" {S}/>'
        for x in (2.5, 8.5) for y in (2.5, 8.5)) +
        f'<rect x="1" y="1" width="14" height="14" fill="none" stroke="{INK}" stroke-dasharray="1.5 1"/>',

    # The add commands, synchronise, options, and the properties dialog's own buttons.
    "add-virtual-folder": folder(VIOLET, VIOLET_DARK) + (
        f'<circle cx="12" cy="12" r="3.3" fill="{GREEN}" stroke="{GREEN_DARK}"/>'
        f'<path d="M12 10.3 v3.4 M10.3 12 h3.4" stroke="{PAPER}" stroke-width="1.3" {S}/>'),
    "add-file-folder": folder() + (
        f'<circle cx="8" cy="10" r="2.6" fill="{PAPER}" stroke="{FOLDER_DARK}"/>'
        f'<circle cx="8" cy="10" r="0.8" fill="{FOLDER_DARK}"/>'
        f'<circle cx="12.5" cy="12.5" r="3" fill="{GREEN}" stroke="{GREEN_DARK}"/>'
        f'<path d="M12.5 11 v3 M11 12.5 h3" stroke="{PAPER}" stroke-width="1.2" {S}/>'),
    "add-file": paper() + (f'<path d="M5.5 5.5 h4 M5.5 7.5 h4" stroke="{GREY}" {S}/>'
                           f'<circle cx="12" cy="12" r="3.3" fill="{GREEN}" stroke="{GREEN_DARK}"/>'
                           f'<path d="M12 10.3 v3.4 M10.3 12 h3.4" stroke="{PAPER}" stroke-width="1.3" {S}/>'),
    "synchronize": (f'<path d="M3 7 A5 5 0 0 1 12.5 5" fill="none" stroke="{BLUE}" stroke-width="1.8" {S}/>'
                    f'<path d="M13 9 A5 5 0 0 1 3.5 11" fill="none" stroke="{BLUE}" stroke-width="1.8" {S}/>'
                    f'<path d="M10.5 2.5 l3.5 2.5 l-3.5 2 z" fill="{BLUE}" stroke="{BLUE_DARK}" {S}/>'
                    f'<path d="M5.5 13.5 l-3.5 -2.5 l3.5 -2 z" fill="{BLUE}" stroke="{BLUE_DARK}" {S}/>'),
    "options": (f'<path d="M2.5 4.5 h11 M2.5 8 h11 M2.5 11.5 h11" stroke="{INK}" {S}/>'
                f'<rect x="9" y="3" width="3" height="3" fill="{BLUE}" stroke="{BLUE_DARK}" {S}/>'
                f'<rect x="4" y="6.5" width="3" height="3" fill="{GREEN}" stroke="{GREEN_DARK}" {S}/>'
                f'<rect x="7.5" y="10" width="3" height="3" fill="{FOLDER}" stroke="{FOLDER_DARK}" {S}/>'),
    "arrow-up": arrow_up(BLUE, BLUE_DARK),
    "arrow-down": arrow_up(BLUE, BLUE_DARK).replace('M8 2.5 l5 5 h-3 v6 h-4 v-6 h-3',
                                                    'M8 13.5 l5 -5 h-3 v-6 h-4 v6 h-3'),
    "note-import": paper(6.5, 1.5, 8, 13) + (
        f'<path d="M1 8 h6 M5 5.5 l2.5 2.5 l-2.5 2.5" fill="none" stroke="{GREEN}" stroke-width="1.6" {S}/>'),
    "note-export": paper(1.5, 1.5, 8, 13) + (
        f'<path d="M8 8 h6.5 M12.5 5.5 l2.5 2.5 l-2.5 2.5" fill="none" stroke="{BLUE}" stroke-width="1.6" {S}/>'),
    # Searching: find, keyword search, report, goto, clear results.
    "find": (f'<circle cx="6.5" cy="6.5" r="4.3" fill="{PAPER}" stroke="{INK}" stroke-width="1.4"/>'
             f'<path d="M4.5 5.2 a2.3 2.3 0 0 1 2.2 -1.4" fill="none" stroke="{BLUE}" {S}/>'
             f'<path d="M9.7 9.7 l4.3 4.3" stroke="{INK}" stroke-width="2.4" {S}/>'),
    "keyword-search": (f'<path d="M1.5 2.5 h6 l2.5 2.5 l-2.5 2.5 h-6 z" fill="{GREEN}" stroke="{GREEN_DARK}" {S}/>'
                       f'<circle cx="3.5" cy="5" r="0.8" fill="{PAPER}"/>'
                       f'<circle cx="9" cy="10" r="3.3" fill="{PAPER}" stroke="{INK}" stroke-width="1.3"/>'
                       f'<path d="M11.4 12.4 l2.8 2.8" stroke="{INK}" stroke-width="2.2" {S}/>'),
    "report": paper(x=2.5, y=1.5, w=11, h=13) + (
        f'<path d="M4.5 4.5 h5" stroke="{INK}" stroke-width="1.3" {S}/>'
        f'<path d="M4.5 7.5 h7 M4.5 9.5 h7 M4.5 11.5 h5" stroke="{GREY}" {S}/>'),
    "goto": folder() + (f'<path d="M4.5 10 h5" stroke="{BLUE_DARK}" stroke-width="3" {S}/>'
                        f'<path d="M4.5 10 h5" stroke="{BLUE}" stroke-width="1.4" {S}/>'
                        f'<path d="M9 7 l3.5 3 l-3.5 3 z" fill="{BLUE}" stroke="{BLUE_DARK}" {S}/>'),
    "clear-results": (f'<rect x="1.5" y="2.5" width="13" height="11" fill="{PAPER}" stroke="{INK}" {S}/>'
                      f'<path d="M3.5 5.5 h9 M3.5 8 h9 M3.5 10.5 h9" stroke="{GREY}" {S}/>'
                      f'<path d="M8.5 7.5 l5 5 M13.5 7.5 l-5 5" stroke="{RED_DARK}" stroke-width="3" {S}/>'
                      f'<path d="M8.5 7.5 l5 5 M13.5 7.5 l-5 5" stroke="{RED}" stroke-width="1.6" {S}/>'),

    # Keyword states (ImageList2): normal, include, exclude.
    "keyword-normal": (f'<path d="M1.5 4.5 h9 l4 3.5 l-4 3.5 h-9 z" fill="{FOLD}" stroke="{INK}" {S}/>'
                       f'<circle cx="4" cy="8" r="1" fill="{INK}"/>'),
    "keyword-include": (f'<path d="M1.5 4.5 h9 l4 3.5 l-4 3.5 h-9 z" fill="{GREEN}" stroke="{GREEN_DARK}" {S}/>'
                        f'<path d="M5 8 h5 M7.5 5.5 v5" stroke="{PAPER}" stroke-width="1.5" {S}/>'),
    "keyword-exclude": (f'<path d="M1.5 4.5 h9 l4 3.5 l-4 3.5 h-9 z" fill="{RED}" stroke="{RED_DARK}" {S}/>'
                        f'<path d="M5 8 h5" stroke="{PAPER}" stroke-width="1.5" {S}/>'),
}

# The program's own icon and the icon of its catalog files, drawn larger.
APP_ICON = svg(
    f'<rect x="6" y="10" width="36" height="32" rx="3" fill="{BLUE}" stroke="{BLUE_DARK}" stroke-width="2"/>'
    f'<rect x="11" y="15" width="26" height="9" rx="1" fill="{PAPER}" stroke="{BLUE_DARK}" stroke-width="1.5"/>'
    f'<rect x="11" y="28" width="26" height="9" rx="1" fill="{PAPER}" stroke="{BLUE_DARK}" stroke-width="1.5"/>'
    f'<path d="M20 19.5 h8 M20 32.5 h8" stroke="{INK}" stroke-width="2" {S}/>'
    f'<path d="M44 3 C 34 6, 27 14, 24 27 C 30 20, 36 14, 44 3 z" fill="{PAPER}" stroke="{INK}" stroke-width="1.5" {S}/>'
    f'<path d="M24 27 L 21 33" stroke="{INK}" stroke-width="2" {S}/>', 48)
MIME_ICON = svg(
    f'<path d="M8 3 h22 l10 10 v32 h-32 z" fill="{PAPER}" stroke="{INK}" stroke-width="1.5" {S}/>'
    f'<path d="M30 3 v10 h10" fill="{FOLD}" stroke="{INK}" stroke-width="1.5" {S}/>'
    f'<rect x="13" y="20" width="22" height="18" rx="2" fill="{BLUE}" stroke="{BLUE_DARK}" stroke-width="1.5"/>'
    f'<rect x="16" y="23" width="16" height="5" fill="{PAPER}" stroke="{BLUE_DARK}"/>'
    f'<rect x="16" y="30" width="16" height="5" fill="{PAPER}" stroke="{BLUE_DARK}"/>', 48)


def render(source, target, size):
    # Rendered large and scaled down, which keeps thin strokes crisp at 16 pixels.
    subprocess.run(["convert", "-background", "none", "-density", str(int(96 * size / 16 * 4)),
                    source, "-resize", f"{size}x{size}", "-strip",
                    "-define", "png:exclude-chunks=date,time", f"PNG32:{target}"],
                   check=True)


def main():
    svg_dir = os.path.join(HERE, "svg")
    os.makedirs(svg_dir, exist_ok=True)
    for size in (16, 32):
        os.makedirs(os.path.join(HERE, str(size)), exist_ok=True)
    for name, body in PICTURES.items():
        path = os.path.join(svg_dir, name + ".svg")
        with open(path, "w") as f:
            f.write(svg(body))
        for size in (16, 32):
            render(path, os.path.join(HERE, str(size), name + ".png"), size)
    icons = os.path.join(HERE, "..", "..", "icons")
    os.makedirs(icons, exist_ok=True)
    for name, text in (("quillmark", APP_ICON), ("application-x-quillmark-catalog", MIME_ICON)):
        with open(os.path.join(icons, name + ".svg"), "w") as f:
            f.write(text)
    render(os.path.join(icons, "quillmark.svg"), os.path.join(icons, "quillmark.png"), 48)


if __name__ == "__main__":
    main()
