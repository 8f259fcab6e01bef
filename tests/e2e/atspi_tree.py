# Prints the AT-SPI tree of the running mirebo, one line per object: "window role|window name|role|name",
# roles as the API names them (AT-SPI 2.56 says "button" for a push button). Day cells are left out,
# unless the argument "cells" asks for them, with their description: "...|name|description".
import sys

import pyatspi

cells = sys.argv[1:] == ["cells"]

def walk(node, top):
    line = f"{top}|{node.getRole().value_nick.replace('-', ' ')}|{node.name}"
    print(f"{line}|{node.description}" if node.getRole() == pyatspi.ROLE_TABLE_CELL else line)
    for child in node:
        if child is not None and (cells or child.getRole() != pyatspi.ROLE_TABLE_CELL):
            walk(child, top)

for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.name == "mirebo":
        for window in app:
            walk(window, f"{window.getRole().value_nick.replace('-', ' ')}|{window.name}")
