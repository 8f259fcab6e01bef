# Prints the AT-SPI tree of the running mirebo, one line per object:
# "window role|window name|role|name". Day cells are left out.
import pyatspi

def walk(node, top):
    print(f"{top}|{node.getRoleName()}|{node.name}")
    for child in node:
        if child is not None and child.getRole() != pyatspi.ROLE_TABLE_CELL:
            walk(child, top)

for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.name == "mirebo":
        for window in app:
            walk(window, f"{window.getRoleName()}|{window.name}")
