#!/usr/bin/python3
# atspi_tree.py TARVEL_EXECUTABLE
#
# The window as a screen reader reaches it: through AT-SPI, on a display of
# its own. Run under a session bus and an X server of its own, as CTest does:
#   dbus-run-session -- xvfb-run -a -s "-screen 0 1280x800x24" \
#       /usr/bin/python3 tests/window/atspi_tree.py build/bin/tarvel
# It starts the window, finds it on the accessibility bus and checks the
# names, roles, states, values and actions a reader gets, then the format
# list opened with Alt+Down: a list with the focus on its current item.
import os
import subprocess
import sys
import tempfile
import time

import pyatspi

FAILURES = []


def check(condition, what):
    if not condition:
        FAILURES.append(what)
        print("FAILED:", what)


def walk(node, depth=0):
    yield node, depth
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def find_application(name, seconds=20):
    end = time.time() + seconds
    while time.time() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == name and app.childCount > 0:
                return app
        time.sleep(0.2)
    return None


def states(node):
    return node.getState()


def main():
    executable = sys.argv[1]
    env = dict(os.environ)
    env.update({"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_QPA_PLATFORM": "xcb", "LC_ALL": "zh_CN.UTF-8",
                "QT_ACCESSIBILITY": "1"})
    home = tempfile.mkdtemp()
    env["XDG_CONFIG_HOME"] = home
    env["XDG_RUNTIME_DIR"] = home
    window = subprocess.Popen([executable], env=env)
    try:
        app = find_application("tarvel")
        check(app is not None, "tarvel is on the accessibility bus")
        if app is None:
            return
        frame = app.getChildAtIndex(0)
        check(frame.getRoleName() == "frame", "the window is a frame, not %s" % frame.getRoleName())
        check(frame.name.startswith("Tarvel"), "the window has its title as name: %r" % frame.name)

        nodes = [node for node, _ in walk(frame)]
        by_name = {}
        for node in nodes:
            by_name.setdefault((node.getRoleName(), node.name), node)
        panels = [node.name for node in nodes if node.getRoleName() == "panel"]
        check("单张转换" in panels, "the single panel is a named panel: %r" % panels)
        for node in nodes:
            check("(" not in node.name or node.getRoleName() == "label",
                  "no Alt letter in a name: %r" % node.name)

        check(("push button", "转换设置与预设") in by_name,
              "the emblem is a button that opens the settings: %r"
              % [key for key in by_name if "设置" in key[1]])

        combos = [node for node in nodes if node.getRoleName() == "combo box" and node.name == "格式"]
        check(len(combos) == 1, "one format box in the single panel: %d" % len(combos))
        if combos:
            combo = combos[0]
            check(combo.name == "格式", "the combo's name: %r" % combo.name)
            roles = [combo.getChildAtIndex(i).getRoleName() for i in range(combo.childCount)]
            check("text" in roles and "list" in roles, "the combo's parts are a text and a list: %r" % roles)
            field = [combo.getChildAtIndex(i) for i in range(combo.childCount)
                     if combo.getChildAtIndex(i).getRoleName() == "text"]
            if field:
                text = field[0].queryText()
                check(text.getText(0, -1) == ".bmp", "the combo's text reads .bmp: %r" % text.getText(0, -1))

        for name in ("要转换的图片",):
            node = by_name.get(("text", name))
            check(node is not None, "the picture field is there")
            if node is not None:
                state = states(node)
                check(not state.contains(pyatspi.STATE_EDITABLE), "the read-only field is not editable")

        bars = [node for node in nodes if node.getRoleName() == "progress bar"]
        check(len(bars) == 1, "one progress bar")
        if bars:
            # Its value as a number, idle at its minimum; readers cannot move it.
            try:
                value = bars[0].queryValue()
            except NotImplementedError:
                value = None
            check(value is not None, "the bar has a value")
            if value is not None:
                check(value.currentValue == value.minimumValue == 0, "the idle bar's value is 0: %r"
                      % ((value.currentValue, value.minimumValue, value.maximumValue),))
                try:
                    action = bars[0].queryAction()
                    for i in range(action.nActions):
                        action.doAction(i)
                except NotImplementedError:
                    pass
                time.sleep(0.3)
                check(value.currentValue == 0, "the bar's actions leave its value: %r" % value.currentValue)
            check(bars[0].description == "", "the bar's value is not its description: %r" % bars[0].description)

        # The format box carries its own value, the chosen item's place.
        if combos:
            try:
                value = combos[0].queryValue()
            except NotImplementedError:
                value = None
            check(value is not None, "the format box has a value")
            if value is not None:
                check(value.currentValue == 0 and value.maximumValue == 13,
                      "the format box's value is its first of 14 items: %r"
                      % ((value.currentValue, value.maximumValue),))

        # Only the focused control claims the focus; the closed list's items do not.
        focused = [node for node, _ in walk(app) if states(node).contains(pyatspi.STATE_FOCUSED)]
        check(not any(node.getRoleName() == "list item" for node in focused),
              "no item of a closed list claims the focus: %r" % [(node.getRoleName(), node.name) for node in focused])
        check(len(focused) <= 1, "at most one object claims the focus: %r"
              % [(node.getRoleName(), node.name) for node in focused])

        extents = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        check((extents.width, extents.height) == (439, 322), "the window's size: %r" % ((extents.width, extents.height),))

        # Alt+Down in the format box opens its list; the reader's focus is on
        # the current item of that list.
        if combos:
            field = [combos[0].getChildAtIndex(i) for i in range(combos[0].childCount)
                     if combos[0].getChildAtIndex(i).getRoleName() == "text"][0]
            field.queryComponent().grabFocus()
            subprocess.run(["xdotool", "key", "alt+Down"], check=False)
            time.sleep(1.5)
            focused = [node for node in walk(app) if states(node[0]).contains(pyatspi.STATE_FOCUSED)]
            check(any(node.getRoleName() == "list item" and node.name == ".bmp" for node, _ in focused),
                  "the open list's current item has the focus: %r"
                  % [(node.getRoleName(), node.name) for node, _ in focused])
            subprocess.run(["xdotool", "key", "Escape"], check=False)
            time.sleep(0.5)

        # The reader's own action on the batch option shows the batch panel,
        # and its output format box, named by its caption, showing its first
        # item.
        batch = by_name.get(("radio button", "批量转换"))
        check(batch is not None, "the batch option is a radio button")
        if batch is not None:
            batch.queryAction().doAction(0)
        time.sleep(1.5)
        shown = [node for node, _ in walk(frame) if node.getRoleName() == "combo box" and node.name == "输出格式"
                 and states(node).contains(pyatspi.STATE_SHOWING)]
        check(len(shown) == 1, "the batch panel shows its output format box: %d" % len(shown))
        if shown:
            texts = [shown[0].getChildAtIndex(i) for i in range(shown[0].childCount)
                     if shown[0].getChildAtIndex(i).getRoleName() == "text"]
            check(bool(texts) and texts[0].queryText().getText(0, -1) == "保持原格式",
                  "the output format box reads 保持原格式")
    finally:
        window.terminate()
        window.wait(10)
    print("%d passed, %d failed" % (0 if FAILURES else 1, 1 if FAILURES else 0))
    sys.exit(1 if FAILURES else 0)


if __name__ == "__main__":
    main()
