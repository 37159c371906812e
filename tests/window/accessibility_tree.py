#!/usr/bin/python3
"""Prints what a screen reader sees of one window of a running program, read from the AT-SPI
accessibility bus: one line an object on screen, "role|name|description|state|value|labelled by", indented
by depth. Waits until the program with that process id shows a window of that name; fails when
the program ends first, or when a control in the window has no name.

Usage: accessibility_tree.py PID WINDOW_NAME
"""
import os
import sys
import time

import pyatspi

# What takes no name of its own: containers a screen reader passes through (a message box's row
# of buttons is a panel); a named panel, such as the installer's frame, is checked by name.
UNNAMED_ROLES = {"filler", "panel", "scroll pane", "viewport"}


def escaped(text):
    return (text or "").replace("\r", "\\r").replace("\n", "\\n")


def program_running(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:  # there, but another user's: a program run as root
        return True
    return True


def window_of(pid, name):
    desktop = pyatspi.Registry.getDesktop(0)
    for application in desktop:
        if application is None:
            continue
        try:
            if application.get_process_id() != pid:
                continue
            for window in application:
                if window is not None and window.name == name and window.getState().contains(
                        pyatspi.STATE_SHOWING):
                    return window
        except Exception:  # an application that went away while being read
            continue
    return None


def state_of(node):
    states = node.getState()
    shown = [word for state, word in ((pyatspi.STATE_CHECKED, "checked"),
                                      (pyatspi.STATE_SELECTED, "selected"),
                                      (pyatspi.STATE_FOCUSABLE, "focusable"))
             if states.contains(state)]
    return ",".join(shown)


def value_of(node):
    role = node.getRoleName()
    if role == "text":
        text = node.queryText()
        return text.getText(0, text.characterCount)
    if role in ("combo box", "list"):
        chosen = []
        for child in node:
            if child is None:
                continue
            if child.getRoleName() == "list":
                chosen += [item.name for item in child
                           if item is not None and item.getState().contains(pyatspi.STATE_SELECTED)]
            elif child.getState().contains(pyatspi.STATE_SELECTED):
                chosen.append(child.name)
        return ";".join(chosen)
    return ""


def labelled_by(node):
    names = []
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            names += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return ";".join(names)


def dump(node, depth, unnamed):
    # What is not on screen, such as a box's hidden picture, a screen reader passes over.
    if not node.getState().contains(pyatspi.STATE_SHOWING):
        return
    role = node.getRoleName()
    fields = [role, node.name, node.description, state_of(node), value_of(node), labelled_by(node)]
    print("  " * depth + "|".join(escaped(field) for field in fields))
    if not node.name and role not in UNNAMED_ROLES:
        unnamed.append(role)
    for child in node:
        if child is not None:
            dump(child, depth + 1, unnamed)


def main():
    pid, name = int(sys.argv[1]), sys.argv[2]
    # No time limit: the test's own bounds it; a program that ends stops the wait.
    window = window_of(pid, name)
    while window is None:
        if not program_running(pid):
            print(f"FAIL: the program ended before it showed {name!r}")
            return 1
        time.sleep(0.1)
        window = window_of(pid, name)
    unnamed = []
    dump(window, 0, unnamed)
    if unnamed:
        print(f"FAIL: {len(unnamed)} object(s) without a name: {', '.join(unnamed)}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
