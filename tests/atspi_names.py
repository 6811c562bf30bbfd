#!/usr/bin/python3
"""Starts Arvelo and reads the names of its lists from outside, over the AT-SPI bus, as a
screen reader does. Needs a desktop and a session bus of its own:
    dbus-run-session -- scripts/with-desktop tests/atspi_names.py path/to/arvelo
"""
import os
import subprocess
import sys
import tempfile
import time

import pyatspi

# Every list the user can reach, named after the frame around it (the drive box's drop-down
# list included); the hidden work list has no name and is not shown.
EXPECTED = sorted(["Select folder", "Files in selected folder", "Select Drive", "Artists",
                   "Selected artist's songs"])


def lists(node):
    for child in node:
        if child is None:
            continue
        if child.getRole() == pyatspi.ROLE_LIST:
            yield child
        yield from lists(child)


def read_names(pid):
    """The names of the program's lists, and how many shown lists have none."""
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            found = list(lists(app))
            named = sorted(item.name for item in found if item.name)
            unnamed = sum(1 for item in found
                          if not item.name and item.getState().contains(pyatspi.STATE_VISIBLE))
            return named, unnamed
    return None, None


def main():
    environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    with tempfile.TemporaryDirectory() as folder:
        program = subprocess.Popen([sys.argv[1], folder], env=environment)
        try:
            named = unnamed = None
            # The program registers on the bus as it starts; a slow start is not a failure.
            deadline = time.monotonic() + 30
            while time.monotonic() < deadline:
                try:
                    named, unnamed = read_names(program.pid)
                except Exception:  # the tree changes while it is read
                    named = unnamed = None
                if named == EXPECTED and unnamed == 0:
                    print("lists named:", ", ".join(named))
                    return 0
                time.sleep(0.2)
            print("expected lists named", EXPECTED, "with none unnamed; read", named,
                  "and", unnamed, "unnamed", file=sys.stderr)
            return 1
        finally:
            program.terminate()
            try:
                program.wait(timeout=10)
            except subprocess.TimeoutExpired:
                program.kill()
                program.wait()


if __name__ == "__main__":
    sys.exit(main())
