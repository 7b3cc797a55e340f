#!/usr/bin/env python3
"""Data for scripts/demo: the small server's inventory, the simulators' admin state, and the
prefs.txt that saves both demo servers (a new one, or the demo servers added to one the user
has). Standard library only."""
import json
import sys
import time
import urllib.request

# Names that sort in tricky ways: case, numbers (web-2 before web-10), leading blank and
# punctuation, non-ASCII. 8 = powered on, 32 = suspended, 2 = powered off.
SMALL_INVENTORY = [
    ("web-1", 8), ("web-2", 8), ("web-10", 32), ("web-11", 2), ("Web-3", 2), ("WEB-20", 8),
    ("webmail", 32), ("web.corp.local", 2), ("web frontend", 8), (" Leading Space", 2),
    ("_build-cache", 2), ("(test) sandbox", 32), ("#ops-console", 8), ("!urgent", 2),
    ("Büro-Server", 8), ("Ärzte-DB", 2), ("Zürich-Gateway", 32), ("Ωmega", 2), ("alpha", 8),
    ("Alpha-2", 2), ("alpha-10", 2), ("beta", 32), ("DB-01", 8), ("db-2", 2), ("db-10", 2),
    ("mail", 32), ("MAIL-Gateway", 2), ("x", 2), ("Zeta", 2), ("zeta-9", 32), ("vm 100", 2),
    ("vm 20", 2), ("vm 3", 8), ("01-first", 2), ("9-lives", 32), ("Build Agent (Win11)", 2),
    ("dev~scratch", 2), ("Москва-DC", 8), ("Old Test", 32), ("printer-queue", 2),
]


def inventory(path):
    vms = [{"name": name, "powerState": state} for name, state in SMALL_INVENTORY]
    with open(path, "w", encoding="utf-8") as out:
        json.dump({"vms": vms}, out, ensure_ascii=False, indent=1)


def admin(port, command, body=None):
    request = urllib.request.Request(
        "http://127.0.0.1:%d/admin/%s" % (port, command),
        data=json.dumps(body or {}).encode("utf-8"),
        headers={"Content-Type": "application/json"}, method="POST")
    # Never through a proxy from the environment: the admin interface is local.
    opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
    with opener.open(request, timeout=10) as answer:
        return json.loads(answer.read().decode("utf-8"))


def prefs_line(key, value):
    # The program's marked form for values the plain form cannot carry (state/PrefsLine.h).
    plain = not value or (value[0] not in " =" and '"' not in value
                          and all(ord(c) >= 0x20 and ord(c) != 0x7F for c in value))
    if not plain:
        escaped = "".join("%%%02X" % ord(c) if c in '"%' or ord(c) < 0x20 or ord(c) == 0x7F else c
                          for c in value)
        value = "=" + escaped
    return '%s = "%s"\r\n' % (key, value)


def vm_by_name(vms, name):
    for vm in vms:
        if vm["name"] == name:
            return vm
    raise SystemExit("demo-data: no VM named %r on the simulator" % name)


def server_block(url, user, password, favorites, recent, now):
    text = prefs_line("server.url", url) + prefs_line("server.type", "1")
    text += prefs_line("server.username", user) + prefs_line("server.password", password)
    for vm in favorites:
        text += prefs_line("favoritesItem.name", vm["name"])
        text += prefs_line("favoritesItem.cfxPath", vm["path"])
        text += prefs_line("favoritesItem.id", vm["moid"])
    for vm, hours in recent:
        text += prefs_line("mruItem.name", vm["name"])
        text += prefs_line("mruItem.cfxPath", vm["path"])
        text += prefs_line("mruItem.id", vm["moid"])
        text += prefs_line("mruItem.lastUse", str(int(now - hours * 3600)))
    return text


def demo_blocks(small_url, small_admin, large_url, large_admin, user, password):
    """The record of each demo server, by URL: credentials, favorites and recently used VMs."""
    now = time.time()
    small = admin(small_admin, "state")["vms"]
    large = admin(large_admin, "state")["vms"]
    if len(large) < 1100:
        raise SystemExit("demo-data: the large simulator lists only %d VMs" % len(large))
    return {
        small_url: server_block(small_url, user, password,
                                [vm_by_name(small, n) for n in ("web-10", "Büro-Server", " Leading Space")],
                                [(vm_by_name(small, "web-2"), 2), (vm_by_name(small, "DB-01"), 5)], now),
        large_url: server_block(large_url, user, password, [large[4], large[611]],
                                [(large[41], 3), (large[1099], 26)], now),
    }


def prefs(out_path, small_url, small_admin, large_url, large_admin, user, password):
    blocks = demo_blocks(small_url, small_admin, large_url, large_admin, user, password)
    with open(out_path, "w", encoding="utf-8", newline="") as out:
        out.write("".join(blocks.values()))


def record_value(line):
    """(key, plain value) of a prefs.txt line given as bytes; the value unquoted."""
    key, _, value = line.decode("utf-8", errors="replace").partition("=")
    return key.strip(), value.strip().strip('"')


def merge(in_path, out_path, small_url, small_admin, large_url, large_admin, user, password):
    """Writes in_path to out_path with what the demo needs added and every other byte kept:
    a demo server that is not saved gets its whole record at the end; one saved without a
    user name or password gets the demo's after its URL. Prints what was added."""
    with open(in_path, "rb") as source:
        lines = source.read().splitlines(keepends=True)
    # Where each saved server's record starts, and which credentials it has.
    records, current = {}, None
    for index, line in enumerate(lines):
        key, value = record_value(line)
        if key == "server.url":
            current = records.setdefault(value, {"at": index, "keys": set()})
        elif current is not None and key in ("server.username", "server.password") and value:
            current["keys"].add(key)
    urls = (small_url, large_url)
    missing = [url for url in urls if url not in records]
    lacking = [url for url in urls if url in records and len(records[url]["keys"]) < 2]
    if not missing and not lacking:
        return
    blocks = demo_blocks(small_url, small_admin, large_url, large_admin, user, password)
    credentials = (prefs_line("server.username", user) + prefs_line("server.password", password)).encode("utf-8")
    # From the last record up, so that earlier insertion points stay where they are.
    for url in sorted(lacking, key=lambda u: records[u]["at"], reverse=True):
        at = records[url]["at"]
        # Whichever of the two it has goes: the record gets both anew.
        end = next((i for i in range(at + 1, len(lines)) if record_value(lines[i])[0] == "server.url"), len(lines))
        kept = [line for line in lines[at + 1:end]
                if record_value(line)[0] not in ("server.username", "server.password")]
        lines[at + 1:end] = [credentials] + kept
        print("credentials for %s" % url)
    if lines and not lines[-1].endswith(b"\n"):
        lines[-1] += b"\r\n"
    for url in missing:
        lines.append(blocks[url].encode("utf-8"))
        print("the server %s" % url)
    with open(out_path, "wb") as out:
        out.write(b"".join(lines))


def saved_with_credentials(path, urls):
    """Whether prefs.txt saves each URL with a user name and password (plain values only)."""
    servers, current = {}, None
    with open(path, encoding="utf-8", errors="replace") as text:
        for line in text:
            key, _, value = line.partition("=")
            key, value = key.strip(), value.strip().strip('"')
            if key == "server.url":
                current = servers.setdefault(value, set())
            elif current is not None and key in ("server.username", "server.password") and value:
                current.add(key)
    return all(len(servers.get(url, ())) == 2 for url in urls)


def power_state(port, name):
    return vm_by_name(admin(port, "state")["vms"], name)["powerState"]


def set_power(port, name, state):
    admin(port, "setPower", {"moid": vm_by_name(admin(port, "state")["vms"], name)["moid"], "powerState": state})


def popup_box(width, height, rgb):
    """The popup on a screenshot (raw RGB bytes): the box of what is not desktop background
    above the taskbar, down to the one-pixel bar at the screen's bottom edge, where the popup
    is docked."""
    stride = width * 3
    if len(rgb) < stride * height:
        raise SystemExit("demo-data: the screenshot is shorter than %dx%d" % (width, height))
    pixel = lambda x, y: rgb[y * stride + 3 * x:y * stride + 3 * x + 3]
    background = pixel(5, 5)
    bar_top = height
    while bar_top > 0 and pixel(2, bar_top - 1) != background:
        bar_top -= 1
    empty_row = background * width
    left, top, right = width, None, -1
    for y in range(bar_top):
        row = rgb[y * stride:(y + 1) * stride]
        if row == empty_row:
            continue
        xs = [x for x in range(width) if row[3 * x:3 * x + 3] != background]
        top = y if top is None else top
        left, right = min(left, xs[0]), max(right, xs[-1])
    if top is None or right - left < 100:
        return None
    return "%dx%d+%d+%d" % (right - left + 1, height - 1 - top, left, top)


def main(argv):
    if len(argv) == 3 and argv[1] == "inventory":
        inventory(argv[2])
    elif len(argv) == 9 and argv[1] == "prefs":
        prefs(argv[2], argv[3], int(argv[4]), argv[5], int(argv[6]), argv[7], argv[8])
    elif len(argv) == 10 and argv[1] == "merge":
        merge(argv[2], argv[3], argv[4], int(argv[5]), argv[6], int(argv[7]), argv[8], argv[9])
    elif len(argv) == 4 and argv[1] == "popup-box":
        box = popup_box(int(argv[2]), int(argv[3]), sys.stdin.buffer.read())
        if not box:
            raise SystemExit(1)
        print(box)
    elif len(argv) >= 4 and argv[1] == "saved":
        raise SystemExit(0 if saved_with_credentials(argv[2], argv[3:]) else 1)
    elif len(argv) == 4 and argv[1] == "power-state":
        print(power_state(int(argv[2]), argv[3]))
    elif len(argv) == 5 and argv[1] == "set-power":
        set_power(int(argv[2]), argv[3], int(argv[4]))
    else:
        raise SystemExit("usage: demo-data.py inventory FILE | prefs OUT SMALL_URL SMALL_ADMIN "
                         "LARGE_URL LARGE_ADMIN USER PROTECTED_PASSWORD | merge PREFS OUT SMALL_URL "
                         "SMALL_ADMIN LARGE_URL LARGE_ADMIN USER PROTECTED_PASSWORD | saved PREFS URL... | "
                         "popup-box W H < RGB | "
                         "power-state ADMIN NAME | set-power ADMIN NAME STATE")


if __name__ == "__main__":
    main(sys.argv)
