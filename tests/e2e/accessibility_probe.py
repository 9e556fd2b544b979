# SPDX-License-Identifier: GPL-2.0-or-later
# Looks at the running window from outside, through the desktop's
# accessibility bus, as a screen reader does.
#
#   accessibility_probe.py measure   opens every page, prints the figures
#   accessibility_probe.py check     opens every page, moves a flag with Enter
#                                    and checks what a screen reader is told
#
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

APP_NAME = "kez-server-config"
WAIT_SECONDS = 20


def find_app():
    deadline = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == APP_NAME and app.childCount > 0:
                return app
        time.sleep(0.2)
    return None


def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def states(node):
    return node.getState()


def role(node):
    return node.getRoleName()


def relation_targets(node, kind):
    targets = []
    for relation in node.getRelationSet():
        if relation.getRelationType() == kind:
            targets += [relation.getTarget(i) for i in range(relation.getNTargets())]
    return targets


def open_every_page(app):
    # A flag page is made when it is first shown: each tab is pressed once.
    tabs = [n for n in walk(app) if role(n) == "page tab"]
    for tab in tabs:
        tab.queryAction().doAction(0)
        time.sleep(0.2)
    tabs[0].queryAction().doAction(0)
    time.sleep(0.3)
    return tabs


def figures(app):
    nodes = list(walk(app))
    items = {"list item", "table cell", "page tab", "menu item"}
    controls = [n for n in nodes if states(n).contains(pyatspi.STATE_FOCUSABLE) and role(n) not in items]
    unnamed = [n for n in controls if not n.name]
    flag_lists = [n for n in controls if role(n) == "list" and n.name != "Map rotation"]
    flag_items = [flag_lists[k].getChildAtIndex(i) for k in range(len(flag_lists))
                  for i in range(flag_lists[k].childCount)]
    undescribed = [n for n in flag_items if not n.description]
    return controls, unnamed, flag_items, undescribed


def measure(app):
    open_every_page(app)
    controls, unnamed, flag_items, undescribed = figures(app)
    kinds = {}
    for n in controls:
        kinds[role(n)] = kinds.get(role(n), 0) + 1
    print(f"controls: {len(controls)} {dict(sorted(kinds.items()))}")
    print(f"unnamed controls: {len(unnamed)} {[role(n) for n in unnamed]}")
    print(f"flag items: {len(flag_items)}")
    print(f"undescribed flag items: {len(undescribed)}")
    nodes = list(walk(app))
    lists = [n for n in controls if role(n) == "list"]
    unlabelled = [n for n in lists if not relation_targets(n, pyatspi.RELATION_LABELLED_BY)]
    texts = [n for n in controls if role(n) == "text"]
    both = [n for n in texts if states(n).contains(pyatspi.STATE_READ_ONLY) and states(n).contains(pyatspi.STATE_EDITABLE)]
    status = [n for n in nodes if role(n) == "status bar"]
    print(f"unnamed fillers: {len([n for n in nodes if role(n) == 'filler' and not n.name])}")
    print(f"lists without labelled-by: {len(unlabelled)} of {len(lists)}")
    print(f"text fields both read-only and editable: {len(both)}")
    print(f"status bar name: {status[0].name!r}")
    return 0


failures = []


def expect(condition, what):
    print(("ok: " if condition else "FAIL: ") + what)
    if not condition:
        failures.append(what)


def named(app, name, wanted_role):
    for node in walk(app):
        if node.name == name and role(node) == wanted_role:
            return node
    return None


def check(app):
    tabs = open_every_page(app)
    controls, unnamed, flag_items, undescribed = figures(app)
    expect(len(flag_items) == 138, f"138 flag items in the eighteen lists ({len(flag_items)})")
    expect(not undescribed, f"every flag item has a description ({len(undescribed)} without)")
    expect(not unnamed, f"every control has a name ({len(unnamed)} without)")

    # What the tooltip shows, read from outside.
    tabs[1].queryAction().doAction(0)
    time.sleep(0.3)
    available = named(app, "Available Flags", "list")
    expect(available is not None, "the DMFLAGS page has a list named Available Flags")
    item = next(available.getChildAtIndex(i) for i in range(available.childCount)
                if available.getChildAtIndex(i).name == "DF_NO_HEALTH")
    expect(item.description == "value 1, bit 0\nNo health items in the level.",
           f"DF_NO_HEALTH is described ({item.description!r})")

    # Captions and lists point at each other.
    caption = [n for n in walk(app) if role(n) == "label" and n.name == "Available Flags"][0]
    expect(caption in relation_targets(available, pyatspi.RELATION_LABELLED_BY),
           "Available Flags is labelled by its caption")
    expect(available in relation_targets(caption, pyatspi.RELATION_LABEL_FOR),
           "the caption Available Flags labels its list")

    # Pages carry their tab's name.
    pages = [n for n in walk(app) if n.name == "Weapon Ban" and role(n) == "filler"]
    expect(len(pages) == 1, "the Weapon Ban page is named after its tab")

    # The mask fields are read-only, and only that.
    mask = [n for n in walk(app) if n.name == "DMFLAGS" and role(n) == "text"][0]
    expect(states(mask).contains(pyatspi.STATE_READ_ONLY), "the DMFLAGS mask field is read-only")
    expect(not states(mask).contains(pyatspi.STATE_EDITABLE), "the DMFLAGS mask field is not editable")

    # Enter on a flag: the screen reader hears the flag, where it went and
    # the new mask.
    heard = []

    def listen(event):
        heard.append((event.type, event.source.name, event.source.description))

    pyatspi.Registry.registerEventListener(listen, "object:property-change:accessible-description",
                                           "object:property-change:accessible-name")
    index = next(i for i in range(available.childCount) if available.getChildAtIndex(i).name == "DF_NO_ITEMS")
    box = available.getChildAtIndex(index).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2), str(box.y + box.height // 2),
                    "click", "1"], check=True)
    time.sleep(0.3)
    subprocess.run(["xdotool", "key", "Return"], check=True)
    wanted = "DF_NO_ITEMS moved to Set Flags. DMFLAGS mask: 2"
    listen_for(5, lambda: any(d == wanted for _, _, d in heard))
    expect(("object:property-change:accessible-description", "Available Flags", wanted) in heard,
           f"Enter on DF_NO_ITEMS is announced on its list ({heard})")

    # One Ctrl+S passes through several texts of the status bar, and is
    # told once, with where the files went.
    heard.clear()
    subprocess.run(["xdotool", "key", "ctrl+s"], check=True)
    listen_for(3, lambda: False)
    told = [name for kind, name, _ in heard if kind == "object:property-change:accessible-name"]
    expect(told == ["Finished generating files"], f"one Ctrl+S is told once ({told})")
    status = [n for n in walk(app) if role(n) == "status bar"][0]
    expect("Save writes and Open reads server.cfg, motd.txt and maplist.txt in " in status.description,
           f"the status bar's description names the folder ({status.description!r})")
    return 1 if failures else 0


def listen_for(seconds, done):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline and not done():
        # Events reach the listeners from the main loop.
        GLib.MainContext.default().iteration(False)
        time.sleep(0.05)


def main():
    app = find_app()
    if app is None:
        print("the window did not appear on the accessibility bus", file=sys.stderr)
        return 1
    return measure(app) if sys.argv[1:] == ["measure"] else check(app)


if __name__ == "__main__":
    sys.exit(main())
