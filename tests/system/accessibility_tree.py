"""Walks the AT-SPI tree of the main window and checks that every input
field, selector and button has a name, and that no two share one.

Run by accessibility_tree.sh inside a session bus and a virtual X server.
The program runs from a scratch copy of its folder, in the administrator's
mode so that more tabs are there. Exit 0: all named; 1: a finding; 77:
the window never showed up on the bus (skipped, with the reason).
With ZH_A11Y_LIST set, every control is listed with its name and description."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi

INPUT_ROLES = {
    pyatspi.ROLE_TEXT: "text field",
    pyatspi.ROLE_ENTRY: "text field",
    pyatspi.ROLE_COMBO_BOX: "selector",
    pyatspi.ROLE_PUSH_BUTTON: "button",
    pyatspi.ROLE_TOGGLE_BUTTON: "button",
    pyatspi.ROLE_SLIDER: "slider",
}


def scratch_copy(program):
    source = os.path.dirname(os.path.abspath(program))
    folder = tempfile.mkdtemp(prefix="zh-a11y-")
    for name in (os.path.basename(program), "libhartlink.so", "Config-125.ini", "Config.ini"):
        if os.path.exists(os.path.join(source, name)):
            shutil.copy2(os.path.join(source, name), folder)
    for sub in ("Language", "Images"):
        shutil.copytree(os.path.join(source, sub), os.path.join(folder, sub))
    for profile in ("Config-125.ini", "Config.ini"):
        path = os.path.join(folder, profile)
        if os.path.exists(path):
            with open(path, "rb") as f:
                text = f.read()
            with open(path, "wb") as f:
                f.write(text.replace(b"UserMode=user", b"UserMode=administrator"))
    return folder, os.path.join(folder, os.path.basename(program))


def find_application(name, seconds):
    desktop = pyatspi.Registry.getDesktop(0)
    end = time.time() + seconds
    while time.time() < end:
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name and app.name.lower() == name.lower():
                for j in range(app.childCount):
                    window = app.getChildAtIndex(j)
                    if window is not None and window.childCount > 0:
                        return app
        time.sleep(0.5)
    return None


def inputs(node, found):
    role = node.getRole()
    if role in INPUT_ROLES:
        found.append((INPUT_ROLES[role], node))
    if role == pyatspi.ROLE_COMBO_BOX:
        return  # its list of choices
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            inputs(child, found)


def main():
    program = sys.argv[1]
    folder, copy = scratch_copy(program)
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
               QT_ACCESSIBILITY="1", NO_AT_BRIDGE="0")
    process = subprocess.Popen([copy], cwd=folder, env=env)
    try:
        app = find_application(os.path.basename(program), 40)
        if app is None:
            print("SKIPPED: the window never appeared on the accessibility bus")
            return 77
        found = []
        inputs(app, found)
        fields = [n for kind, n in found if kind != "button"]
        print("%d controls, %d of them text fields and selectors" % (len(found), len(fields)))
        problems = []
        owners = {}
        for kind, node in found:
            name = node.name or ""
            if not name.strip():
                problems.append("a %s without a name (description %r)" % (kind, node.description))
                continue
            if name in owners:
                problems.append("two controls called %r" % name)
            owners[name] = kind
        if os.environ.get("ZH_A11Y_LIST"):
            for kind, node in found:
                print("%s: %s | %s" % (kind, node.name, node.description))
        if len(fields) < 30:
            problems.append("only %d text fields and selectors found" % len(fields))
        for p in problems:
            print(p)
        return 1 if problems else 0
    finally:
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
