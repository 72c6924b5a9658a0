"""Reads the running Kolvar over the accessibility bus, as a screen reader would.

Finds the case list, reads the sender of the third case and checks it against the example
register's source, and hears the move to the fifth case announced; opens the calendar and reads
its current day; opens the editor and reads the names of its fields. Every wait has a deadline. Prints what it read; exits non-zero on a failure.
"""

import datetime
import os
import sys
import time

import pyatspi
from gi.repository import GLib

DEADLINE = 60.0
WEEKDAYS = ["poniedziałek", "wtorek", "środa", "czwartek", "piątek", "sobota", "niedziela"]
MONTHS = ["stycznia", "lutego", "marca", "kwietnia", "maja", "czerwca", "lipca", "sierpnia",
          "września", "października", "listopada", "grudnia"]
EDITOR_FIELDS = {"Wpłynęło:", "Nadawca:", "Dotyczy:", "Tryb załatwienia kolvar:",
                 "Dane szczegółowe kolvar", "Adnotacje urzędowe.", "Tryb udzielenia odpowiedzi:"}
FIELD_ROLES = {pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_COMBO_BOX,
               pyatspi.ROLE_PASSWORD_TEXT}


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def wait_for(what, probe):
    """Polls probe() until it gives something, or fails after the deadline."""
    end = time.monotonic() + DEADLINE
    while time.monotonic() < end:
        try:
            found = probe()
        except Exception:  # the tree changes under us while windows appear
            found = None
        if found:
            return found
        time.sleep(0.5)
    fail("no " + what + " within %d s" % DEADLINE)


def walk(node, depth=0):
    """Every accessible below node, without descending into tables (their cells are many)."""
    if depth > 30:
        return
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is None:
            continue
        yield child
        if child.getRole() != pyatspi.ROLE_TABLE:
            yield from walk(child, depth + 1)


def find(root, role, name):
    for node in walk(root):
        if node.getRole() == role and node.name == name:
            return node
    return None


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name.lower() == "kolvar":
            return app
    return None


def press(app, item_name):
    item = wait_for("menu item " + item_name,
                    lambda: find(app, pyatspi.ROLE_MENU_ITEM, item_name))
    action = item.queryAction()
    names = [action.getName(i).lower() for i in range(action.nActions)]
    index = next((i for i, n in enumerate(names) if n in ("press", "click", "activate")), 0)
    action.doAction(index)


def example_cases():
    """The cases of the example register's source, as field dictionaries."""
    cases = []
    with open(os.environ["KOLVAR_EXAMPLE_SOURCE"], encoding="utf-8") as source:
        for line in source:
            line = line.rstrip("\n")
            if line == "---":
                cases.append({})
            elif cases and ": " in line and not line.startswith((" ", "#")):
                key, value = line.split(": ", 1)
                cases[-1][key] = value
    return cases


def read_third_sender(app):
    table = wait_for("case list", lambda: find(app, pyatspi.ROLE_TABLE, "Lista spraw"))
    cells = table.queryTable()
    wait_for("cases in the list", lambda: cells.nRows >= 3)
    titles = [cells.getColumnDescription(c) for c in range(cells.nColumns)]
    # The example register is listed by sender; that column's title says so.
    if titles != ["Termin", "Nadawca, uporządkowano rosnąco", "Dotyczy"]:
        fail("list column titles are %r" % titles)
    sender = cells.getAccessibleAt(2, 1).name
    subject = cells.getAccessibleAt(2, titles.index("Dotyczy")).name
    print("third case: sender %r, subject %r" % (sender, subject))
    matching = [c for c in example_cases() if c.get("Dotyczy") == subject]
    if not matching or matching[0].get("Nadawca") != sender:
        fail("the third row's sender %r is not the sender of %r" % (sender, subject))
    return table


def hear_row_move(table):
    """Moves the current case to the fifth row through the table, as a reader's command does, and
    waits for the list to announce the cell it landed on."""
    cells = table.queryTable()
    expected = cells.getAccessibleAt(4, 0).name
    heard = []

    def listen(event):
        if event.detail1 == 1 and event.source is not None:
            heard.append(event.source.name)
            pyatspi.Registry.stop()

    pyatspi.Registry.registerEventListener(listen, "object:state-changed:selected")
    GLib.timeout_add(200, lambda: cells.addRowSelection(4) and False)
    GLib.timeout_add(int(DEADLINE * 1000) // 4, lambda: pyatspi.Registry.stop() or False)
    pyatspi.Registry.start()
    pyatspi.Registry.deregisterEventListener(listen, "object:state-changed:selected")
    print("moving to the fifth case announced: %r" % heard)
    if expected not in heard:
        fail("no announcement of the fifth case's cell %r" % expected)


def read_calendar_day(app):
    press(app, "Kalendarz")
    table = wait_for("calendar", lambda: find(app, pyatspi.ROLE_TABLE, "Kalendarz"))
    cells = table.queryTable()
    today = datetime.date.today()
    expected = "%s, %d %s %d" % (WEEKDAYS[today.weekday()], today.day, MONTHS[today.month - 1],
                                 today.year)
    selected = []
    for r in range(cells.nRows):
        for c in range(cells.nColumns):
            cell = cells.getAccessibleAt(r, c)
            if cell.getState().contains(pyatspi.STATE_SELECTED):
                selected.append(cell.name)
    print("calendar's current day: %r" % selected)
    if selected != [expected]:
        fail("expected the current day %r" % expected)


def spoken_names(node):
    """What a reader says a field is: its name, and the labels it is labelled by (on Linux a
    combo box's name is its value and its caption comes through that relation)."""
    names = {node.name} if node.name else set()
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            names |= {relation.getTarget(i).name for i in range(relation.getNTargets())}
    return names


def read_editor_fields(app):
    press(app, "Edycja aktualnego rekordu")
    editor = wait_for("editor window", lambda: find(app, pyatspi.ROLE_FRAME, "Edycja i druk")
                      or find(app, pyatspi.ROLE_WINDOW, "Edycja i druk"))
    names = set()
    for node in walk(editor):
        if node.getRole() in FIELD_ROLES:
            names |= spoken_names(node)
    print("editor fields: %s" % sorted(names))
    missing = EDITOR_FIELDS - names
    if missing:
        fail("editor fields without their names: %s" % sorted(missing))


def main():
    app = wait_for("Kolvar on the accessibility bus", application)
    hear_row_move(read_third_sender(app))
    read_calendar_day(app)
    read_editor_fields(app)
    print("OK")


if __name__ == "__main__":
    main()
