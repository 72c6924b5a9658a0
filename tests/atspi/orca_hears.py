"""Drives Kolvar with keys alone, as a blind clerk does, and checks what Orca speaks.

Orca runs beside the program (orca.sh starts it); every line it speaks is in its debug log. Each
step sends keys with xdotool and waits for the words it expects among the lines spoken since the
keys went out: the current case when the list is entered, the editor's first field after F2, no
unsaved-changes question after merely reading the editor, the new case after "Następny rekord"
and no old one when the editor comes back, the conflict question with another desk's change, the
list's new order, the server dialog's empty fields, the preview's pages and lists, the printer
set-up, and the full date of the day reached in the calendar, by the keys and by a month button.
Every wait has a deadline. Prints what was heard; exits non-zero on a failure.
"""

import datetime
import os
import re
import shutil
import sqlite3
import subprocess
import sys
import time

import pyatspi

# How long a step waits for the words it expects. Orca follows a key within a second or two on a
# quiet machine. On a loaded one, Qt may wait on Orca's answer to a key until the bus's own 25 s
# reply time-out ends the wait (seen at a load of 9 on two cores, with no speech server at all),
# and Orca then goes on: the margins cover that.
DEADLINE = 45.0
# Orca's debug log grows with every key it is sent, many lines a key, whether or not it speaks.
# A log that stays the same size longer than the bus's time-out belongs to a reader that stopped.
STALL = 30.0
WORK = os.environ["KOLVAR_WORK"]
LOG = os.environ["KOLVAR_ORCA_LOG"]
WEEKDAYS = ["poniedziałek", "wtorek", "środa", "czwartek", "piątek", "sobota", "niedziela"]
MONTHS = ["stycznia", "lutego", "marca", "kwietnia", "maja", "czerwca", "lipca", "sierpnia",
          "września", "października", "listopada", "grudnia"]
QUESTION = "W rekordzie dokonano zmian"
# A line of several lines (a message box's text) goes on in the log's next lines, indented.
SPOKEN = re.compile(r"SPEECH OUTPUT: '(.*?)'", re.DOTALL)
INDENT = re.compile(r"\n\s+")


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def spoken():
    try:
        with open(LOG, encoding="utf-8", errors="replace") as log:
            return [INDENT.sub("\n", line) for line in SPOKEN.findall(log.read())]
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

    def tab_to(self, what, wanted, most=25):
        """Presses Tab until Orca says a line satisfying wanted(line) for that Tab; returns the
        lines heard. Each Tab waits for Orca's echo of it and what it says after, so that a slow
        reader's late lines are not taken for the place reached."""
        for _ in range(most):
            self.keys("Tab")
            end = time.monotonic() + 5
            reached = []
            while time.monotonic() < end:
                lines = spoken()[self.heard:]
                echoes = [i for i, line in enumerate(lines) if line == "tab "]
                reached = lines[echoes[-1] + 1:] if echoes else []
                if reached:
                    break
                time.sleep(0.1)
            time.sleep(0.3)
            lines = spoken()[self.heard:]
            echoes = [i for i, line in enumerate(lines) if line == "tab "]
            reached = lines[echoes[-1] + 1:] if echoes else []
            if any(wanted(line) for line in reached):
                print("%s: heard %r" % (what, lines))
                return lines
        fail("%s: Tab never reached it; Orca said last %r" % (what, spoken()[self.heard:]))

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


def first_said(lines):
    """The first line spoken after the keys, past Orca's echo of the key names."""
    said = [line for line in lines if not line.endswith(" ")]
    return said[0] if said else ""


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
    ear.hears("Następny rekord", lambda line: "Wpłynęło:" in line and "Nadawca:" in line
              and "Dotyczy:" in line and "Rekord 2 z " in line)
    ear.keys("alt+z")
    ear.hears("back in the list after stepping", says_case(current_case(app)))


def reopening_says_no_old_case(ear, app):
    """End in the list, F2: the editor comes back with the last case and nothing of the case the
    step before announced. "Następny rekord" at the last case says so."""
    ear.keys("End")
    ear.hears("End in the list", says_case(current_case(app)))
    ear.keys("F2")
    lines = ear.hears("F2 on the last case", lambda line: "Wpłynęło" in line, quiet=1.5)
    if any("Rekord 2 z " in line for line in lines):
        fail("the editor came back saying the case stepped to before: %r" % lines)
    ear.tab_to("Tab to the step button", lambda line: "Następny rekord" in line)
    ear.keys("space")
    ear.hears("Następny rekord at the last case", lambda line: "To jest ostatni rekord" in line)
    ear.keys("alt+z")
    ear.hears("back in the list", says_case(current_case(app)))


THEIRS = "Zmiana z drugiego biurka"


def another_desk_changes(case):
    """Writes a new subject into the register file for the case shown, as another program would."""
    db = sqlite3.connect(os.path.join(WORK, "przyklad.db"), timeout=10)
    db.text_factory = bytes
    for row_id, termin, nadawca in db.execute("SELECT ID, Termin, Nadawca FROM kolvar"):
        texts = [(t or b"").decode("cp1250").strip() for t in (termin, nadawca)]
        if all(text and text in case for text in texts):
            db.execute("UPDATE kolvar SET Dotyczy = ? WHERE ID = ?", (THEIRS, row_id))
            db.commit()
            db.close()
            return
    fail("the case %r is not in the register file" % case)


def conflict_question(ear, app):
    """Another desk changes the case while the clerk types: the question names both sides'
    changes, Enter keeps the stored case, and the focus is back in the editor showing it."""
    case = current_case(app)
    ear.keys("F2")
    ear.hears("F2 to type", lambda line: "Wpłynęło" in line)
    ear.keys("Tab")
    ear.hears("Tab to the sender", lambda line: "Nadawca" in line)
    ear.keys("x")
    ear.silence(0.5)
    another_desk_changes([text.strip() for text in case])
    ear.tab_to("Tab to the save button", lambda line: "Zatwierdza zmiany" in line)
    ear.keys("space")
    lines = ear.hears("the conflict question", lambda line: "Twoje zmiany" in line, quiet=1.5)
    said = " ".join(lines)
    if "Dotyczy: " + THEIRS not in said or "Nadawca: x" not in said:
        fail("the question does not name both sides' changes: %r" % lines)
    if not any(re.search(r"\bNie\b.*push button", line) for line in lines):
        fail("the question's default is not \"Nie\": %r" % lines)
    ear.keys("Return")
    ear.hears("Enter on the question", lambda line: "Wpłynęło" in line)
    ear.keys("alt+z")
    lines = ear.hears("closing the editor after keeping theirs", says_case(current_case(app)),
                      quiet=1.0)
    if any(QUESTION in line for line in lines):
        fail("the stored case counted as typing after \"Nie\"")


def sorting_is_said(ear, app):
    """Shift+F2 and Shift+F1 say the new order; the sorted column's title carries it."""
    ear.keys("shift+F2")
    ear.hears("Shift+F2", lambda line: "Lista uporządkowana według nadawcy" in line)
    table = find(app, pyatspi.ROLE_TABLE, "Lista spraw").queryTable()
    titles = [table.getColumnDescription(c) for c in range(table.nColumns)]
    if not any(t.startswith("Nadawca") and t.endswith("uporządkowano rosnąco") for t in titles):
        fail("no column title says the order: %r" % titles)
    ear.keys("shift+F1")
    ear.hears("Shift+F1", lambda line: "Lista uporządkowana według terminu" in line, quiet=1.0)


def server_dialog_fields(ear, app):
    """The server dialog's empty fields are heard when Tab reaches them."""
    for _ in range(3):
        ear.keys("alt+b")
        time.sleep(3)
        if any("Nowa Baza" in line for line in spoken()[ear.heard:]):
            break
        ear.keys("Escape")  # a menu the reader missed, or none opened
        time.sleep(1)
    else:
        fail("alt+b: no menu heard: %r" % spoken()[ear.heard:])
    for _ in range(6):
        ear.keys("Down")
        time.sleep(0.4)
        if any("Otwórz rejestr na serwerze" in line for line in spoken()[ear.heard:]):
            break
    else:
        fail("no \"Otwórz rejestr na serwerze\" in the menu: %r" % spoken()[ear.heard:])
    ear.keys("Return")
    ear.hears("the server dialog", lambda line: "Otwórz rejestr na serwerze" in line)
    ear.tab_to("Tab to the database", lambda line: "Baza danych" in line)
    ear.keys("Tab")
    ear.hears("Tab to the user", lambda line: "Użytkownik" in line)
    ear.keys("Escape")
    ear.hears("back from the server dialog", says_case(current_case(app)))


def preview_pages(ear, app):
    """The preview says its page on opening and on every step; a list says its current item;
    the printer set-up says when there is no printer."""
    ear.keys("alt+d")
    ear.hears("the preview", lambda line: re.search(r"Strona 1 z \d", line))
    ear.tab_to("Tab to the list of texts", lambda line: "Teksty strony" in line)
    ear.hears("the list's current item", lambda line: "Tekst nagłówka" in line)
    ear.tab_to("Tab to the next page", lambda line: "Zwiększ numer strony" in line)
    ear.keys("space")
    ear.hears("Zwiększ numer strony", lambda line: re.search(r"Strona 2 z \d", line))
    lpstat = shutil.which("lpstat")
    printers = lpstat and subprocess.run([lpstat, "-e"], capture_output=True, text=True).stdout
    if not printers:
        ear.tab_to("Tab to the printer set-up", lambda line: "Ustawienie drukarki" in line)
        ear.keys("space")
        lines = ear.hears("the printer set-up", lambda line: "nie ma drukarki" in line,
                          quiet=1.0)
        if not re.search(r"Rozmiar: combo box\W+A\d", " ".join(lines)):
            fail("the paper box does not say its paper: %r" % lines)
        ear.keys("Escape")
        ear.hears("back in the preview", lambda line: "Ustawienie drukarki" in line)
    ear.keys("Escape")
    ear.hears("back from the preview", says_case(current_case(app)))


def calendar_days(ear, app):
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
    # The week read with the day is let to finish before the next key.
    lines = ear.hears("calendar, " + key, lambda line: day_name(reached) in line, quiet=1.5)
    # The day reached comes first, before the week a reader reads with it.
    if day_name(reached) not in first_said(lines):
        fail("calendar, %s: the day reached is not said first: %r" % (key, lines))
    year, month = (reached.year + 1, 1) if reached.month == 12 else (reached.year, reached.month + 1)
    last = (datetime.date(year + (month == 12), month % 12 + 1, 1) - datetime.timedelta(days=1)).day
    paged = datetime.date(year, month, min(reached.day, last))
    ear.keys("Next")
    lines = ear.hears("calendar, Page Down", lambda line: day_name(paged) in line, quiet=1.0)
    if day_name(paged) not in first_said(lines):
        fail("calendar, Page Down: the day reached is not said first: %r" % lines)
    ear.keys("Prior")
    ear.hears("calendar, Page Up", lambda line: day_name(reached) in line, quiet=1.0)
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
    ear.keys("Escape")
    # The main window comes back; the calendar is gone.
    ear.hears("Escape closes the calendar", lambda line: line.startswith("Kolvar"))
    calendar = find(app, pyatspi.ROLE_TABLE, "Kalendarz")
    if calendar is not None and calendar.getState().contains(pyatspi.STATE_SHOWING):
        fail("Escape left the calendar open")


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
    reopening_says_no_old_case(ear, app)
    conflict_question(ear, app)
    sorting_is_said(ear, app)
    server_dialog_fields(ear, app)
    preview_pages(ear, app)
    calendar_days(ear, app)
    print("OK")


if __name__ == "__main__":
    main()
