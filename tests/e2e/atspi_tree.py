# Prints the AT-SPI tree of the running mirebo, one line per object:
# "window role|window name|role|name". Day cells are left out, unless the
# argument "cells" asks for them, with their description: "...|name|description".
import sys

import pyatspi

cells = sys.argv[1:] == ["cells"]

def walk(node, top):
    line = f"{top}|{node.getRoleName()}|{node.name}"
    print(f"{line}|{node.description}" if node.getRole() == pyatspi.ROLE_TABLE_CELL else line)
    for child in node:
        if child is not None and (cells or child.getRole() != pyatspi.ROLE_TABLE_CELL):
            walk(child, top)

for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.name == "mirebo":
        for window in app:
            walk(window, f"{window.getRoleName()}|{window.name}")
