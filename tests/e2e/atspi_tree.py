# Prints the AT-SPI tree of the running mirebo, one line per object:
# "window role|window name|role|name". Day cells are left out.
import sys
import pyatspi

def walk(node, top):
    for child in node:
        if child is None or child.getRole() == pyatspi.ROLE_TABLE_CELL:
            continue
        print(f"{top}|{child.getRoleName()}|{child.name}")
        walk(child, top)

for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.name == "mirebo":
        for window in app:
            top = f"{window.getRoleName()}|{window.name}"
            print(f"{top}|{window.getRoleName()}|{window.name}")
            walk(window, top)
