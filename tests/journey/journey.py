#!/usr/bin/env python3
"""Reading the screen for journey_test.sh: the tray icon on a screenshot, and the windows that
window-texts.exe listed (what a screen reader sees). Standard library only."""
import json
import sys
import time
import urllib.request

POPUP_CLASS = "Zandor Wickerlyn Popup Window"
VIEWER_CLASS = "Zandor Wickerlyn Content Viewer Window"
ROW_CLASS = "Zandor Wickerlyn Item Window"
HEADER_CLASS = "Zandor Wickerlyn Header Window"
SEARCH_CLASS = "Zandor Wickerlyn Hint Edit Window Class"


class Window:
    def __init__(self, fields):
        self.kind, self.hwnd, self.second, self.cls, self.flags, rect = fields[:6]
        self.text = fields[6] if len(fields) > 6 else ""
        self.rect = tuple(int(v) for v in rect.split(","))
        self.visible = "v" in self.flags
        self.enabled = "e" in self.flags
        self.checked = "c" in self.flags
        self.children = []

    def centre(self):
        left, top, right, bottom = self.rect
        return (left + right) // 2, (top + bottom) // 2

    def describe(self):
        return "%s %r %s %s" % (self.cls, self.text, self.flags, ",".join(map(str, self.rect)))


class Listing:
    def __init__(self, path):
        self.taskbar = None
        self.tops = []
        self.trees = {}
        by_hwnd = {}
        with open(path, encoding="utf-8", errors="replace") as text:
            for line in text:
                fields = line.rstrip("\r\n").split("\t")
                if fields[0] == "taskbar" and len(fields) >= 3:
                    self.taskbar = tuple(int(v) for v in fields[1].split(",")) + (int(fields[2]),)
                elif fields[0] == "top" and len(fields) >= 6:
                    self.tops.append(Window(fields))
                elif fields[0] == "tree" and len(fields) >= 6:
                    window = Window(fields)
                    self.trees[window.hwnd] = window
                    by_hwnd = {window.hwnd: window}
                elif fields[0] == "child" and len(fields) >= 6:
                    window = Window(fields)
                    parent = by_hwnd.get(window.second)
                    if parent is not None:
                        parent.children.append(window)
                    by_hwnd[window.hwnd] = window

    def top(self, cls, visible_only=False):
        for window in self.tops:
            if window.cls == cls and (window.visible or not visible_only):
                return window
        return None

    def tree(self, cls):
        for window in self.trees.values():
            if window.cls == cls:
                return window
        return None


def descendants(window):
    for child in window.children:
        yield child
        yield from descendants(child)


def overlaps(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def shown_list(listing):
    """The headers and VM rows a person sees in the popup, top to bottom: (kind, window)."""
    popup = listing.tree(POPUP_CLASS)
    if popup is None or not popup.visible:
        return []
    viewer = next((w for w in popup.children if w.cls == VIEWER_CLASS and w.visible), None)
    if viewer is None:
        return []
    shown = [w for w in descendants(viewer)
             if w.cls in (ROW_CLASS, HEADER_CLASS) and w.visible and overlaps(w.rect, viewer.rect)
             and w.rect[2] - w.rect[0] > 20]
    shown.sort(key=lambda w: w.rect[1])
    return [("row" if w.cls == ROW_CLASS else "header", w) for w in shown]


def tray_icon(width, height, rgb, taskbar_top):
    """The right-most icon in the taskbar strip of a screenshot (raw RGB bytes): its centre."""
    stride = width * 3
    pixel = lambda x, y: rgb[y * stride + 3 * x:y * stride + 3 * x + 3]
    top, bottom = taskbar_top + 1, height - 1
    background = pixel(width - 1, (top + bottom) // 2)
    columns = [x for x in range(width - 1, width // 2, -1)
               if any(pixel(x, y) != background for y in range(top, bottom))]
    if not columns:
        return None
    right = columns[0]
    left = right
    for x in columns[1:]:
        if x != left - 1:
            break
        left = x
    rows = [y for y in range(top, bottom) if any(pixel(x, y) != background for x in range(left, right + 1))]
    if right - left < 8 or not rows:
        return None
    return (left + right) // 2, (rows[0] + rows[-1]) // 2, right - left + 1, rows[-1] - rows[0] + 1


def admin_state(port):
    request = urllib.request.Request("http://127.0.0.1:%d/admin/state" % port, data=b"{}",
                                     headers={"Content-Type": "application/json"}, method="POST")
    opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
    with opener.open(request, timeout=10) as answer:
        return json.loads(answer.read().decode("utf-8"))


def prefs_records(path):
    """The prefs.txt records as (key, value) pairs, values unquoted (plain form only)."""
    records = []
    with open(path, encoding="utf-8", errors="replace") as text:
        for line in text:
            key, sep, value = line.partition("=")
            if not sep:
                continue
            value = value.strip()
            if value.startswith('"') and value.endswith('"') and len(value) >= 2:
                value = value[1:-1]
            records.append((key.strip(), value))
    return records


def main(argv):
    command = argv[1] if len(argv) > 1 else ""
    if command == "tray-icon" and len(argv) == 5:
        # tray-icon W H TASKBAR_TOP < RGB: "X Y W H" of the icon.
        found = tray_icon(int(argv[2]), int(argv[3]), sys.stdin.buffer.read(), int(argv[4]))
        if not found:
            raise SystemExit(1)
        print("%d %d %d %d" % found)
    elif command == "popup" and len(argv) == 3:
        # popup LISTING: "visible|hidden L T R B" and the taskbar "L T R B EDGE".
        listing = Listing(argv[2])
        popup = listing.top(POPUP_CLASS)
        if popup is None:
            raise SystemExit(1)
        print("%s %d %d %d %d" % ((("visible" if popup.visible else "hidden"),) + popup.rect))
        if listing.taskbar:
            print("taskbar %d %d %d %d %d" % listing.taskbar)
        tray = listing.top("Shell_TrayWnd", True)
        if tray:
            print("shelltray %d %d %d %d" % tray.rect)
    elif command == "list" and len(argv) == 3:
        # list LISTING: what the popup shows, one "header|row<TAB>text<TAB>flags<TAB>rect" a line.
        for kind, window in shown_list(Listing(argv[2])):
            print("%s\t%s\t%s\t%s" % (kind, window.text, window.flags, ",".join(map(str, window.rect))))
    elif command == "row" and len(argv) == 5:
        # row LISTING SECTION NAME: the VM's row under that section's header and the buttons
        # shown inside it: "row<TAB>flags<TAB>X Y<TAB>height", then "text<TAB>flags<TAB>X Y".
        section = None
        for kind, window in shown_list(Listing(argv[2])):
            if kind == "header":
                section = window.text
            elif section == argv[3] and window.text == argv[4]:
                print("row\t%s\t%d %d\t%d" % (window.flags, *window.centre(), window.rect[3] - window.rect[1]))
                left, top, right, bottom = window.rect
                for child in window.children:
                    x, y = child.centre()
                    if child.visible and child.cls == "Button" and left <= x < right and top <= y < bottom:
                        print("%s\t%s\t%d %d" % (child.text, child.flags, x, y))
                return
        raise SystemExit(1)
    elif command == "search" and len(argv) == 3:
        # search LISTING: the search box's centre, text and flags (k: it has the keyboard).
        popup = Listing(argv[2]).tree(POPUP_CLASS)
        box = next((w for w in popup.children if w.cls == SEARCH_CLASS), None) if popup else None
        if box is None:
            raise SystemExit(1)
        print("%d %d\t%s\t%s" % (*box.centre(), box.text, box.flags))
    elif command == "button" and len(argv) == 5:
        # button LISTING CLASS TEXT: the centre of a visible button of a visible top-level window.
        listing = Listing(argv[2])
        for top in listing.trees.values():
            if top.cls != argv[3] or not top.visible:
                continue
            for child in descendants(top):
                if child.visible and child.cls == "Button" and child.text.replace("&", "") == argv[4]:
                    print("%d %d" % child.centre())
                    return
        raise SystemExit(1)
    elif command == "top" and len(argv) == 4:
        # top LISTING CLASS: "pid flags L T R B<TAB>text" of each top-level window of that class.
        for window in Listing(argv[2]).tops:
            if window.cls == argv[3]:
                print("%s %s %d %d %d %d\t%s" % ((window.second, window.flags) + window.rect + (window.text,)))
    elif command == "power-state" and len(argv) == 4:
        # power-state ADMIN_PORT NAME: the VM's power state in the simulator.
        for vm in admin_state(int(argv[2]))["vms"]:
            if vm["name"] == argv[3]:
                print(vm["powerState"])
                return
        raise SystemExit("journey: no VM named %r on the simulator" % argv[3])
    elif command == "moid" and len(argv) == 4:
        for vm in admin_state(int(argv[2]))["vms"]:
            if vm["name"] == argv[3]:
                print(vm["moid"])
                return
        raise SystemExit(1)
    elif command == "recent" and len(argv) == 4:
        # recent PREFS URL: "name<TAB>id<TAB>lastUse" of each recently used VM saved for that server.
        current, recent, found = None, None, []
        for key, value in prefs_records(argv[2]):
            if key == "server.url":
                current, recent = value, None
            elif current != argv[3]:
                continue
            elif key == "mruItem.name":
                recent = [value, "", ""]
                found.append(recent)
            elif recent is not None and key == "mruItem.id":
                recent[1] = value
            elif recent is not None and key == "mruItem.lastUse":
                recent[2] = value
        for name, moid, last_use in found:
            print("%s\t%s\t%s" % (name, moid, last_use))
    elif command == "now":
        print(int(time.time()))
    else:
        raise SystemExit("usage: journey.py tray-icon W H TASKBAR_TOP < RGB | popup LISTING | list LISTING | "
                         "row LISTING NAME | search LISTING | button LISTING CLASS TEXT | top LISTING CLASS | "
                         "power-state ADMIN_PORT NAME | moid ADMIN_PORT NAME | recent PREFS URL")


if __name__ == "__main__":
    main(sys.argv)
