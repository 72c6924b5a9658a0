"""Drives Kolvar with keys alone, as a blind clerk does, and checks what Orca speaks.

Orca runs beside the program (orca.sh starts it); every line it speaks is in its debug log. Each
step sends keys with xdotool and waits for the words it expects among the lines spoken since the
keys went out: the current case when the list is entered, the editor's first field after F2, no
unsaved-changes question after merely reading the editor, the new case after "Następny rekord",
the full date of the day reached in the calendar, by the keys and by a month button. Every wait
has a deadline. Prints what was heard; exits non-zero on a failure.
"""

import datetime
import os
import re
import subprocess
import sys
import time

import pyatspi

# How long a step waits for the words it expects. Orca follows a key within a second or two; the
# margin is for a loaded machine.
DEADLINE = 20.0
# Orca's debug log grows with every key it is sent, many lines a key, whether or not it speaks.
# A log that stays the same size this long after keys belongs to a reader that stopped listening.
STALL = 10.0
WORK = os.environ["KOLVAR_WORK"]
LOG = os.environ["KOLVAR_ORCA_LOG"]
WEEKDAYS = ["poniedziałek", "wtorek", "środa", "czwartek", "piątek", "sobota", "niedziela"]
MONTHS = ["stycznia", "lutego", "marca", "kwietnia", "maja", "czerwca", "lipca", "sierpnia",
          "września", "października", "listopada", "grudnia"]
QUESTION = "W rekordzie dokonano zmian"
SPOKEN = re.compile(r"SPEECH OUTPUT: '(.*?)'")


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def spoken():
    try:
        with open(LOG, encoding="utf-8", errors="replace") as log:
            return SPOKEN.findall(log.read())
    except FileNotFoundError:
        return []


def log_size():
    try:
        return os.path.getsize(LOG)
    except FileNotFoundError:
        return 0


class Ear:
    """What Orca said since the last step."""

    def __init__(self):
        self.heard = len(spoken())
        self.size = log_size()

    def keys(self, *keys):
        self.heard = len(spoken())
        self.size = log_size()
        subprocess.run(["xdotool", "key", "--clearmodifiers", *keys], check=True)

    def hears(self, what, wanted, quiet=0.0):
        """Waits until a line spoken since the last keys satisfies wanted(line); then listens
        `quiet` seconds more, so that a later line can be checked too. Returns the lines heard.
        A reader that hung is told apart from a program that said the wrong thing."""
        start = time.monotonic()
        while time.monotonic() < start + DEADLINE:
            lines = spoken()[self.heard:]
            if any(wanted(line) for line in lines):
                time.sleep(quiet)
                lines = spoken()[self.heard:]
                print("%s: heard %r after %.1f s" % (what, lines, time.monotonic() - start))
                return lines
            if log_size() == self.size and time.monotonic() - start > STALL:
                self.stopped(what)
            time.sleep(0.3)
        # A Shift press changes nothing in the program, and a listening reader logs it.
        size = log_size()
        subprocess.run(["xdotool", "key", "shift"], check=True)
        time.sleep(3)
        if log_size() == size:
            self.stopped(what)
        fail("%s: Orca said only %r" % (what, spoken()[self.heard:]))

    def stopped(self, what):
        fail("%s: the screen reader stopped speaking (its log no longer grows with the keys); "
             "it said %r" % (what, spoken()[self.heard:]))

    def silence(self, seconds):
        time.sleep(seconds)
        lines = spoken()[self.heard:]
        self.heard += len(lines)
        return lines


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name.lower() == "kolvar":
            return app
    return None


def find(node, role, name, depth=0):
    if depth > 30:
        return None
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is None:
            continue
        if child.getRole() == role and child.name == name:
            return child
        if child.getRole() != pyatspi.ROLE_TABLE:
            found = find(child, role, name, depth + 1)
            if found:
                return found
    return None


def current_case(app):
    """The texts of the list's current row, read over the bus."""
    table = find(app, pyatspi.ROLE_TABLE, "Lista spraw")
    if table is None:
        fail("no case list on the bus")
    cells = table.queryTable()
    for r in range(cells.nRows):
        if cells.isRowSelected(r):
            return [cells.getAccessibleAt(r, c).name for c in range(cells.nColumns)]
    fail("the list has no current row")


def says_case(case):
    return lambda line: any(text and text in line for text in case)


def day_name(day):
    return "%s, %d %s %d" % (WEEKDAYS[day.weekday()], day.day, MONTHS[day.month - 1], day.year)


def start_program(ear):
    subprocess.Popen([os.path.join(WORK, "kolvar")], cwd=WORK, stdin=subprocess.DEVNULL,
                     stdout=open(os.path.join(WORK, "kolvar.log"), "w"), stderr=subprocess.STDOUT,
                     env=dict(os.environ, LANG="pl_PL.UTF-8", LC_ALL="pl_PL.UTF-8"))
    end = time.monotonic() + DEADLINE
    app = None
    while app is None and time.monotonic() < end:
        time.sleep(0.5)
        app = application()
    if app is None:
        fail("Kolvar did not appear on the accessibility bus")
    ear.hears("start", lambda line: line.startswith("table with"))
    case = current_case(app)
    ear.hears("start: the current case after the list", says_case(case))
    return app


def editor_first_field(ear):
    ear.keys("F2")
    ear.hears("F2: the editor's first field", lambda line: "Wpłynęło" in line)


def reading_the_editor_changes_nothing(ear, app):
    """Tabs through every field to hear it, then closes the editor with its button: no question,
    and back in the list the current case is said."""
    case = current_case(app)
    for _ in range(7):
        ear.keys("Tab")
        ear.silence(0.7)
    ear.keys("alt+z")
    lines = ear.hears("closing the editor after reading it", says_case(case), quiet=1.0)
    if any(QUESTION in line for line in lines):
        fail("reading the fields counted as changing the case")


def stepping_in_the_editor(ear, app):
    """Reopens the editor, tabs to "Następny rekord" and presses it; closing the editor then
    says the case reached in the list."""
    ear.keys("F2")
    ear.hears("F2 again", lambda line: "Wpłynęło" in line, quiet=1.0)
    for _ in range(9):  # from the date: six fields, "Czyść", the first two step buttons
        ear.keys("Tab")
        ear.silence(0.5)
    ear.keys("Tab")
    ear.hears("Tab to the step button", lambda line: "Następny rekord" in line)
    ear.keys("space")
    ear.hears("Następny rekord", lambda line: "Wpłynęło:" in line and "Rekord 2 z " in line)
    ear.keys("alt+z")
    ear.hears("back in the list after stepping", says_case(current_case(app)))


def calendar_days(ear):
    today = datetime.date.today()
    ear.keys("alt+a")
    ear.hears("calendar opened", lambda line: day_name(today) in line)
    tomorrow = today + datetime.timedelta(days=1)
    key, reached = ("Right", tomorrow) if tomorrow.month == today.month else (
        "Left", today - datetime.timedelta(days=1))
    ear.keys(key)
    ear.hears("calendar, " + key, lambda line: day_name(reached) in line)
    week = reached + datetime.timedelta(days=7)
    key, reached = ("Down", week) if week.month == reached.month else (
        "Up", reached - datetime.timedelta(days=7))
    ear.keys(key)
    ear.hears("calendar, " + key, lambda line: day_name(reached) in line)
    for _ in range(2):
        ear.keys("Tab")
        ear.silence(0.5)
    ear.keys("Tab")
    ear.hears("Tab to the month button", lambda line: "Miesiąc naprzód" in line)
    ear.keys("space")
    year, month = (reached.year + 1, 1) if reached.month == 12 else (reached.year, reached.month + 1)
    last = (datetime.date(year + (month == 12), month % 12 + 1, 1) - datetime.timedelta(days=1)).day
    ahead = datetime.date(year, month, min(reached.day, last))
    ear.hears("Miesiąc naprzód", lambda line: day_name(ahead) in line)


def main():
    ear = Ear()
    end = time.monotonic() + 60
    while not spoken() and time.monotonic() < end:
        time.sleep(0.5)
    if not spoken():
        fail("Orca did not start speaking")
    app = start_program(ear)
    editor_first_field(ear)
    reading_the_editor_changes_nothing(ear, app)
    stepping_in_the_editor(ear, app)
    calendar_days(ear)
    print("OK")


if __name__ == "__main__":
    main()
