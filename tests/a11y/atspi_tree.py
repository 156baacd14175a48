#!/usr/bin/python3
"""Walks the game window's accessible tree over AT-SPI as a screen reader would, checks the
names and roles of the table's controls, starts a solo game, makes a move through the
accessibility "Press" action and reads the news the table announces; then joins a table played
from here, notice by notice, and hears each move and the round's results once."""

import os
import socket
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

failures = []
heard = []  # what the status bar said at each of its NameChanged events, in order
renamed = []  # (role, name) of every other name-changed event, in order


def on_name_changed(event):
    # The event names the object; a reader asks it for its name at once and speaks it, so every
    # event counts.
    try:
        said = event.source.name
        if event.source.getRoleName() == "status bar":
            heard.append(said)
        else:
            renamed.append((event.source.getRoleName(), said))
    except Exception:
        pass


def pump():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what, flush=True)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def walk(obj, depth=0):
    """Every object below obj, depth first; the chat's text pieces are not descended into."""
    if obj is None:
        return
    yield obj
    if depth > 12:
        return
    try:
        count = obj.childCount
    except Exception:
        return
    for i in range(count):
        try:
            child = obj.getChildAtIndex(i)
        except Exception:
            continue
        yield from walk(child, depth + 1)


def role(obj):
    try:
        return obj.getRoleName()
    except Exception:
        return "?"


def name(obj):
    try:
        return obj.name or ""
    except Exception:
        return ""


def find_app(timeout):
    deadline = time.time() + timeout
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and name(app).lower().startswith("pelvo"):
                return app
        time.sleep(0.3)
    return None


def wait_for(predicate, timeout=20):
    deadline = time.time() + timeout
    while time.time() < deadline:
        pump()
        found = predicate()
        if found:
            return found
        time.sleep(0.1)
    return None


def objects(app):
    return [(o, name(o), role(o)) for o in walk(app)]


def first(app, test):
    for o, n, r in objects(app):
        if test(n, r):
            return o
    return None


def press(obj):
    action = obj.queryAction()
    for i in range(action.nActions):
        if action.getName(i).lower() in ("press", "click", "activate", "toggle"):
            action.doAction(i)
            return True
    return False


def focusable(obj):
    try:
        return obj.getState().contains(pyatspi.STATE_FOCUSABLE)
    except Exception:
        return False


def check_game_options(app):
    """Every control of the game options the keyboard can reach has a name and a role a reader
    can use: the rounds field, the two computer check boxes and Start, and nothing unnamed."""
    dialog = wait_for(lambda: first(app, lambda n, r: n == "Pelvo - Game Start"))
    check(dialog is not None, "the game options window")
    if dialog is None:
        return
    reachable = [(role(o), name(o)) for o in walk(dialog) if o is not dialog and focusable(o)]
    print("game options, reachable:", reachable, flush=True)
    expected = {("text", "Rounds"), ("check box", "Bot for Player 3"),
                ("check box", "Bot for Player 4"), ("push button", "Start")}
    check(set(reachable) == expected and len(reachable) == 4,
          "the game options' keyboard controls (%r)" % reachable)
    # A box says whether it is ticked, and its action ticks it; twice puts it back.
    box = first(dialog, lambda n, r: n == "Bot for Player 3" and r == "check box")
    if box is not None:
        ticked = lambda: box.getState().contains(pyatspi.STATE_CHECKED)
        before = ticked()
        check(press(box), "a check box offers its action")
        check(wait_for(lambda: ticked() != before, 10), "the action ticks or clears the box")
        press(box)
        check(wait_for(lambda: ticked() == before, 10), "and again puts it back")


def program_env(port):
    env = dict(os.environ)
    env.update({"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_ACCESSIBILITY": "1",
                "QT_QPA_PLATFORM": "xcb", "PELVO_PORT": str(port)})
    return env


def stop(game):
    game.terminate()
    try:
        game.wait(10)
    except subprocess.TimeoutExpired:
        game.kill()


def scripted_round(program):
    """A round told by a table host played here, move by move: every move is heard once, and the
    round's end once, with the totals the labels show after the penalty."""
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    listener.settimeout(60)
    port = listener.getsockname()[1]
    game = subprocess.Popen([program, "Ann", "127.0.0.1", "false"], env=program_env(port))
    try:
        conn, _ = listener.accept()
    except socket.timeout:
        stop(game)
        check(False, "the player's window joins the table")
        return
    conn.settimeout(0.1)

    def send(*lines):
        for line in lines:
            conn.sendall(line.encode() + b"\xff")

    def drain():
        try:
            while conn.recv(4096):
                pass
        except (socket.timeout, OSError):
            pass

    def step(what, *lines):
        """Sends one move's notices; the news must say it once and nothing more."""
        before = len(heard)
        send(*lines)
        wait_for(lambda: len(heard) > before, 10)
        wait_for(lambda: False, 0.6)  # anything else said about it arrives now
        drain()
        said = heard[before:]
        check(len(said) == 1, "%s is heard once (%r)" % (what, said))
        return said[0] if said else ""

    try:
        app = find_app(60)
        check(app is not None, "the joining window on the accessibility bus")
        if app is None:
            return
        del heard[:]
        send("CMD_sendlogininfo+1", "CMD_newplayerinfo+1+Ann")
        wait_for(lambda: first(app, lambda n, r: n.startswith("Ann (you), score 0")), 20)
        cards = "+".join("%d+%d" % (g, c) for g, c in enumerate(
            [5, 18, 31, 44, 53, 12, 25, 38, 51], start=1))
        step("the deal", "CMD_startgame+Ann+5+t+t+", "CMD_roundstarting+1+12+",
             "CMD_mycards+1+" + cards)
        step("a flip", "CMD_heflipped+2+1+13+")
        step("a turn", "CMD_nextplayer+3+0+")
        step("a taken discard", "CMD_replaceadiscard+3+2+9+12+")
        step("Kling's turn", "CMD_nextplayer+4+0+")
        step("a thrown card", "CMD_discardadrawn+4+40+")
        step("going out", "CMD_nextplayer+2+4+")
        step("a used card", "CMD_replaceadraw+2+5+7+40+")
        # Kling went out with 30 and others scored less: the penalty follows the scores at once.
        grid = "+".join("%d+%d" % (g, g) for g in range(1, 10))
        said = step("the round's end",
                    "CMD_postscores+1+12+12+" + grid, "CMD_postscores+2+20+20+" + grid,
                    "CMD_postscores+3+35+35+" + grid, "CMD_postscores+4+30+30+" + grid,
                    "CMD_penalty+4+55+")
        print("round's end:", said, flush=True)
        check("Round 1 of 5 is over." in said, "the news tells the round is over")
        check("Kling went out but you and Klot scored lower: +25." in said,
              "the news gives the penalty's reason (%r)" % said)
        check("Kling scored 30 this round plus a penalty of 25, 55 in all." in said,
              "the news tells Kling's total with the penalty (%r)" % said)
        label = wait_for(lambda: first(app, lambda n, r: n.startswith("Kling's score: ")), 10)
        check(label is not None and name(label) == "Kling's score: 55",
              "Kling's score label says 55 (%r)" % (name(label) if label else None))
        check("Round is Over" not in said, "the status line's words are not said beside them")
        box = first(app, lambda n, r: n == "Round results")
        check(box is not None, "the board's results box is there for a reader")
        if box is not None:
            check("Kling went out but" in box.description, "the box describes the round")
    finally:
        stop(game)
        try:
            conn.close()
        except Exception:
            pass
        listener.close()


def main():
    program = sys.argv[1]
    pyatspi.Registry.registerEventListener(on_name_changed,
                                           "object:property-change:accessible-name")
    game = subprocess.Popen([program], env=program_env(free_port()))
    try:
        app = find_app(60)
        if app is None:
            print("FAIL: the program never appeared on the accessibility bus")
            return 1
        # The solo game hosts itself: wait for the own seat and its Start button.
        start = wait_for(lambda: first(app, lambda n, r: n == "Start Game" and r == "push button"),
                         30)
        check(start is not None, "a 'Start Game' push button")
        if "--dump" in sys.argv:
            for o, n, r in objects(app):
                print(repr(r), repr(n))

        tree = objects(app)
        names = {n for _, n, _ in tree}
        roles = {(n, r) for _, n, r in tree}
        # The own grid: push buttons named by row and column; the others' cards are images.
        for row in (1, 2, 3):
            for column in (1, 2, 3):
                check(("Your card, row %d column %d: no card" % (row, column), "push button")
                      in roles, "own cell row %d column %d before a deal" % (row, column))
        check(any(n.startswith("<Waiting>'s card, row 1 column 1") and r == "image"
                  for n, r in roles), "an empty seat's cells are named images")
        check(("Discard pile: empty", "push button") in roles, "discard pile before a deal")
        check(("Draw pile", "push button") in roles, "draw pile")
        check(any(n.startswith("You, score 0") and r == "label" for n, r in roles),
              "own seat label with name and score")
        check(any(n.startswith("<Waiting>, score 0") for n in names), "an empty seat's label")
        check(any(r == "label" and n.startswith("Welcome") or n == "" for n, r in roles),
              "the status line")
        check(any(n == "Chat messages" for n in names), "the chat view")
        check(any(n == "Chat entry" and r in ("text", "entry") for n, r in roles), "the chat entry")
        check(any(n.startswith("Phrase 1: ") and r == "push button" for n, r in roles),
              "the phrase buttons")
        check(any(n == "Chatter Sounds" for n in names), "the chatter sounds button")
        check(any(n == "Smilies" and r == "push button" for n, r in roles), "the smilies button")
        check(("The game lobby's sign", "image") in roles and "The game lobby is closed" in names,
              "the download window's picture and its sign")
        unnamed = [r for o, n, r in tree if not n and focusable(o) and r in (
            "push button", "toggle button", "check box", "radio button", "text", "entry",
            "combo box", "spin button", "image")]
        check(not unnamed, "every control the keyboard reaches has a name (%r)" % unnamed)
        news = first(app, lambda n, r: r == "status bar")
        check(news is not None, "a status bar object carrying the table's news")

        # Start a game through the accessibility actions alone.
        if start is not None:
            press(start)
        dialog_start = wait_for(lambda: first(app, lambda n, r: n == "Start" and
                                              r == "push button"))
        check(dialog_start is not None, "the game options' Start button")
        check_game_options(app)
        if dialog_start is not None:
            press(dialog_start)
        # Listen closely while the deal comes: the news moves on with every computer's flip.
        wait_for(lambda: any("Choose 2 cards to flip over." in h for h in heard), 30)
        status = wait_for(lambda: first(app, lambda n, r: n == "Choose 2 cards to flip over."),
                          30)
        check(status is not None, "the status line asks for two flips")
        print("heard so far:", heard, flush=True)
        check(any(h.startswith("Round 1 of 5. ") for h in heard), "the news tells the round")
        check(any("Choose 2 cards to flip over." in h for h in heard),
              "the news asks for the flips")
        check(news is not None and news.description == news.name,
              "the news is the status object's description too")
        # The computer took seat 2: its label and its cards say so.
        tree = objects(app)
        check(any(n == "Klot, score 0" and r == "label" for _, n, r in tree), "seat 2's label")
        klot = [n for _, n, r in tree if n.startswith("Klot's card, row ") and r == "image"]
        check(len(klot) == 9, "seat 2's nine cells are named images (%r)" % klot)
        check(any(n.endswith(": face down") for n in klot), "seat 2's face-down cells say so")
        check(any(n.startswith("Round: 1 of") for _, n, _ in tree), "the round counter")

        cell = first(app, lambda n, r: n == "Your card, row 1 column 1: face down")
        check(cell is not None, "own cell row 1 column 1 face down after the deal")
        if cell is not None:
            del renamed[:]
            del heard[:]
            check(press(cell), "own cell offers Press")
            flip = wait_for(lambda: next((h for h in heard if h.startswith("You turned up the ")
                                          and h.endswith(" in row 1 column 1.")), None), 20)
            check(bool(flip), "the news tells the flip (heard %r)" % heard)
            print("announcement:", flip, flush=True)
            turned = wait_for(lambda: first(app, lambda n, r: n.startswith(
                "Your card, row 1 column 1: ") and not n.endswith("face down")))
            check(turned is not None, "the cell's name tells its face after the flip")
            if turned is not None and flip:
                check(name(turned).split(": ")[1] in flip, "cell and news name the same card")
            # The flip is news once, and renamed one cell: only it says so; the other 35 cells
            # and the phrase buttons, unchanged, keep quiet.
            wait_for(lambda: False, 1)
            check(len(heard) == 1, "the flip is announced once (%r)" % heard)
            cells = [n for r, n in renamed if "'s card, row " in n or n.startswith("Your card, ")
                     or n.startswith("Phrase ")]
            check(len(cells) == 1 and cells[0].startswith("Your card, row 1 column 1: "),
                  "a flip sends one name event, for the flipped cell (%d: %r)"
                  % (len(cells), cells[:4]))
        pile = first(app, lambda n, r: n.startswith("Discard pile: ") and r == "push button")
        check(pile is not None and name(pile) != "Discard pile: empty",
              "the discard pile names its top card")
    finally:
        stop(game)
    # One window at a time: the second start of an instance would only raise the first.
    scripted_round(program)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("all accessibility checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
