"""Knowing where things are and where they went: the page chooser on G and the transfer record
file."""
import os
import re
import subprocess

from harness import case, check, wait_for, read_config, library, photos, slot_dirs, listing, chord


def focus_window_titled(s, title):
    """Gives the keyboard to the visible window named `title` once it is there, as a window
    manager gives it to a new dialog (a bare Xvfb has none). Compared in Python: xdotool's
    name search misses some Japanese titles."""
    found = []

    def look():
        ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."], env=s.env, text=True,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.split()
        for i in ids:
            name = subprocess.run(["xdotool", "getwindowname", i], env=s.env, text=True,
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.strip()
            if name == title:
                found.append(i)
                return True
        return False

    wait_for(look, "the window " + title)
    s.xdo("windowfocus", "--sync", found[0])
    return found[0]


@case
def g_chooses_a_page_by_part_of_its_name(s):
    src = photos(s, ["a.jpg", "b.jpg"])
    first, mountains = slot_dirs(s, "first", "mountains")
    pages = ["P%d" % (i + 1) for i in range(250)]
    pages[120] = "風景 Mountains"
    library(s, pages, {(0, 5): ("first", first + "/"), (120, 5): ("mountains", mountains + "/")})
    s.start(src)
    s.keys("g")
    focus_window_titled(s, "ページを選ぶ")
    s.keys("m", "o", "u", "n", "t")
    s.keys("Return")
    s.xdo("windowfocus", "--sync", s.window)
    s.keys("5")
    wait_for(lambda: listing(mountains) == ["a.jpg"], "a.jpg sent to slot 5 of page 121")
    check(listing(first) == [], "nothing went to page 1")
    # Escape keeps the page; Ctrl+G opens the chooser too.
    chord(s, "ctrl", "g")
    focus_window_titled(s, "ページを選ぶ")
    s.keys("2", "Escape")
    s.xdo("windowfocus", "--sync", s.window)
    s.keys("5")
    wait_for(lambda: listing(mountains) == ["a.jpg", "b.jpg"], "b.jpg sent there too")
    s.close()
    opts = read_config(s, "設定_オプション.ini")
    check(b'"CurrentPageNum",120\r\n' in opts, "page 121 current at close")
    # The Enter that chose the page came up in the main window: no fit-mode toggle.
    check(b'"CurrentFullMode",0\r\n' in opts, "fit mode untouched: %r" % opts)


@case
def transfer_record_file_holds_a_move_a_copy_and_an_undo(s):
    odd = "a 夏休み\t01.jpg"  # listed first: a blank, a tab, Japanese
    src = photos(s, [odd, "b.jpg"])
    one, two = slot_dirs(s, "one", "two")
    library(s, ["P"], {(0, 1): ("one", one + "/"), (0, 2): ("two", two + "/")})
    s.write_config("設定_拡張.ini", '"TransferLog",1\n')
    sizes = {n: os.path.getsize(os.path.join(src, n)) for n in (odd, "b.jpg")}
    s.start(src)
    record = s.config("転送記録.tsv")
    s.keys("1")
    wait_for(lambda: os.path.exists(record), "the record file")
    s.keys("c", "2")
    wait_for(lambda: listing(two) == ["b.jpg"], "b.jpg copied")
    chord(s, "ctrl", "z")
    wait_for(lambda: listing(two) == [], "the copy taken back")
    with open(record, "rb") as f:
        lines = f.read().decode("utf-8").split("\n")
    check(lines[-1] == "" and len(lines) == 4, "three lines: %r" % lines)
    rows = [line.split("\t") for line in lines[:3]]
    for r in rows:
        check(len(r) == 5, "five fields: %r" % r)
        check(re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d", r[0]), "ISO time: %r" % r[0])
    escaped = odd.replace("\t", "\\t")
    check(rows[0][1:] == ["移動", src + "/" + escaped, one + "/" + escaped, str(sizes[odd])],
          "the move: %r" % rows[0])
    check(rows[1][1:] == ["コピー", src + "/b.jpg", two + "/b.jpg", str(sizes["b.jpg"])], "the copy: %r" % rows[1])
    check(rows[2][1:] == ["元に戻した", two + "/b.jpg", src + "/b.jpg", str(sizes["b.jpg"])],
          "the undo: %r" % rows[2])
    s.close()


@case
def companions_travel_and_come_back_with_the_shown_photo(s):
    src = photos(s, ["IMG_1.jpg", "IMG_2.jpg"])
    for name in ("IMG_1.CR2", "img_1.jpg.xmp", "IMG_2.AAE"):
        with open(os.path.join(src, name), "wb") as f:
            f.write(b"companion " + name.encode())
    one, = slot_dirs(s, "one")
    library(s, ["P"], {(0, 1): ("one", one + "/")})
    s.write_config("設定_拡張.ini", '"Companions",1\n')
    s.start(src)
    s.keys("1")
    wait_for(lambda: listing(one) == ["IMG_1.CR2", "IMG_1.jpg", "img_1.jpg.xmp"], "the group at the slot")
    check(listing(src) == ["IMG_2.AAE", "IMG_2.jpg"], "the other photo's companion stayed: %r" % listing(src))
    chord(s, "ctrl", "z")
    wait_for(lambda: listing(one) == [], "the group taken back")
    check(sorted(listing(src)) == sorted(["IMG_1.CR2", "IMG_1.jpg", "img_1.jpg.xmp", "IMG_2.AAE", "IMG_2.jpg"]),
          "every member back: %r" % listing(src))
    s.close()
