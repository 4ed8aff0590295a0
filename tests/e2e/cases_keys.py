"""Sorting by keys: digits, stepping, pages, the lock, Ctrl+digit, held keys, keyboard
layouts and taking actions back with Ctrl+Z."""
import os
import shutil
import subprocess
import tempfile
import time

from harness import (
    case, check, wait_for, read_config, xtest_keys, BusyCores, library, options, photos,
    slot_dirs, listing, chord, tree)


@case
def digit_moves_file_from_command_line_folder(s):
    photos = s.path("photos")
    dest = s.path("sorted", "keep")
    os.makedirs(dest)
    for i, c in enumerate(["red", "green", "blue"]):
        s.image(os.path.join(photos, "p%d.jpg" % (i + 1)), color=c)
    s.write_config("設定_ページ.ini", "仕分け\n")
    lines = []
    for slot in range(10):
        lines += (["残す", dest + "/"] if slot == 3 else ["", ""])
    s.write_config("設定_フォルダ.ini", "\n".join(lines) + "\n")
    s.start(photos)
    wait_for(lambda: photos in s.title(), "the folder in the caption")
    check(s.title() == "Orvane [ %s/ ]" % photos, "caption: %r" % s.title())
    s.keys("3")
    wait_for(lambda: os.listdir(dest) == ["p1.jpg"], "p1.jpg in the slot's folder")
    check(sorted(os.listdir(photos)) == ["p2.jpg", "p3.jpg"], "p1.jpg gone from the source")
    s.keys("space", "3")
    wait_for(lambda: sorted(os.listdir(dest)) == ["p1.jpg", "p3.jpg"], "p3.jpg sorted after a step")
    s.close()


@case
def stepping_keys_choose_the_file_a_digit_sends(s):
    src = photos(s, ["a.jpg", "b.jpg", "c.jpg", "d.jpg"])
    (dest,) = slot_dirs(s, "one")
    library(s, ["P"], {(0, 1): ("one", dest + "/")})
    s.start(src)
    # Space, Right: forward; BkSpace, Left, Shift+Space: back; from the first, back wraps.
    s.keys("space", "Right")             # c
    s.keys("BackSpace")                  # b
    s.keys("Left")                       # a
    chord(s, "shift", "space")           # wraps to d
    s.keys("1")
    wait_for(lambda: listing(dest) == ["d.jpg"], "d.jpg moved after wrapping back")
    s.keys("space", "space", "1")        # after the move a is shown (d was last): a -> b -> c
    wait_for(lambda: listing(dest) == ["c.jpg", "d.jpg"], "c.jpg moved")
    s.close()


@case
def move_and_copy_on_two_pages(s):
    src = photos(s, ["a.jpg", "b.jpg", "c.jpg"])
    first, second = slot_dirs(s, "first", "second")
    library(s, ["P1", "P2"], {(0, 2): ("first", first + "/"), (1, 2): ("second", second + "/")})
    s.start(src)
    s.keys("c", "2")                     # copy a to page 1 slot 2
    wait_for(lambda: listing(first) == ["a.jpg"], "a.jpg copied")
    check(listing(src) == ["a.jpg", "b.jpg", "c.jpg"], "a copy leaves the source")
    s.keys("Down", "m", "2")             # page 2, move mode: a moves to page 2 slot 2
    wait_for(lambda: listing(second) == ["a.jpg"], "a.jpg moved on page 2")
    check(listing(src) == ["b.jpg", "c.jpg"], "the move removed the source")
    s.keys("Up", "2")                    # back on page 1: b moves there
    wait_for(lambda: listing(first) == ["a.jpg", "b.jpg"], "b.jpg moved on page 1")
    s.close()
    check(b'"CurrentPageNum",0\r\n' in read_config(s, "設定_オプション.ini"), "current page saved")


@case
def lock_blocks_digits_and_delete(s):
    src = photos(s, ["a.jpg", "b.jpg"])
    (dest,) = slot_dirs(s, "d")
    library(s, ["P"], {(0, 7): ("d", dest + "/")})
    s.start(src)
    s.keys("l", "Delete", "7")
    s.keys("l", "7")
    wait_for(lambda: listing(dest), "a file moved once unlocked")
    s.close()
    # Every key was handled before the close, in the order typed: the locked ones did nothing.
    check(listing(src) == ["b.jpg"] and listing(dest) == ["a.jpg"],
          "nothing moved or deleted while locked: %r, %r" % (listing(src), listing(dest)))


@case
def ctrl_digit_opens_the_slots_folder(s):
    src = photos(s, ["a.jpg"])
    other = photos(s, ["o1.jpg", "o2.jpg"], folder="sorted/other")
    (dest,) = slot_dirs(s, "d")
    library(s, ["P"], {(0, 3): ("other", other + "/"), (0, 4): ("d", dest + "/")})
    s.start(src)
    chord(s, "ctrl", "3")
    wait_for(lambda: other in s.title(), "the slot's folder in the caption")
    s.keys("4")
    wait_for(lambda: listing(dest) == ["o1.jpg"], "o1.jpg moved from the opened folder")
    check(listing(src) == ["a.jpg"], "the first folder untouched")
    # Ctrl let go before the digit: a plain transfer of o2.
    s.xdo("keydown", "ctrl")
    s.xdo("keydown", "4")
    s.xdo("keyup", "ctrl")
    s.xdo("keyup", "4")
    wait_for(lambda: listing(dest) == ["o1.jpg", "o2.jpg"], "o2.jpg moved")
    s.close()


@case
def keys_typed_while_a_big_folder_is_listed_act_on_its_list(s):
    src = photos(s, ["a.jpg"])
    # Enough names that listing them takes a visible while (the window goes on painting). They
    # are made in memory where there is a tmpfs for it: quicker to make and to remove.
    shm = "/dev/shm" if os.access("/dev/shm", os.W_OK) else None
    big_root = tempfile.mkdtemp(prefix="orvane-e2e-big-", dir=shm or s.root)
    try:
        big = os.path.join(big_root, "big")
        s.image(os.path.join(big, "a_first.jpg"))
        for i in range(200000):
            os.close(os.open(os.path.join(big, "img_%06d.jpg" % i), os.O_CREAT | os.O_WRONLY, 0o644))
        (dest,) = slot_dirs(s, "d")
        library(s, ["P"], {(0, 3): ("big", big + "/"), (0, 4): ("d", dest + "/")})
        s.start(src)
        started = time.time()
        chord(s, "ctrl", "3")
        s.keys("4")  # typed before the list is there: it must wait for it, not act on the old one
        wait_for(lambda: listing(dest) == ["a_first.jpg"], "a_first.jpg moved from the big folder", 60)
        check(listing(src) == ["a.jpg"], "the first folder untouched")
        check(big in s.title(), "the big folder in the caption: %r" % s.title())
        print("    the big folder was listed and its first file moved %.1f s after Ctrl+3"
              % (time.time() - started))
        s.close()
    finally:
        shutil.rmtree(big_root, ignore_errors=True)


@case
def a_held_key_acts_once_on_a_busy_machine(s):
    src = photos(s, ["a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"])
    one, two = slot_dirs(s, "one", "two")
    library(s, ["P"], {(0, 1): ("one", one + "/"), (0, 2): ("two", two + "/")})
    s.start(src)
    trash = os.path.join(s.home, ".local/share/Trash", "files")
    with BusyCores():
        for key, marker, moved, what in [("1", ["b.jpg"], lambda: listing(one), "slot 1"),
                                         ("Delete", ["b.jpg", "d.jpg"],
                                          lambda: listing(trash) if os.path.isdir(trash) else [],
                                          "the trash")]:
            s.xdo("keydown", key)
            time.sleep(1.5)  # held: the server repeats it
            s.xdo("keyup", key)
            # A plain 2 after it: once its photo is in slot 2, every event before it was handled.
            s.keys("2")
            wait_for(lambda: len(listing(two)) == len(marker) or not listing(src), "the 2 after " + key)
            check(len(moved()) == 1, "holding %s once sent %r to %s" % (key, moved(), what))
            check(listing(two) == marker, "the 2 after %s moved %r" % (key, listing(two)))
    s.close()


@case
def page_keys_and_ctrl_z_on_us_jis_and_german_layouts(s):
    src = photos(s, ["a.jpg", "b.jpg"])
    dirs = slot_dirs(s, "p0", "p1", "p2", "p3", "p4")
    library(s, ["P%d" % i for i in range(5)], {(i, 1): ("p%d" % i, d + "/") for i, d in enumerate(dirs)})
    s.start(src)
    shift, ctrl, one = 50, 37, 10
    # (layout, the key that types "+" on one of its levels, the key that types "-" unshifted,
    # the key that types "z")
    for n, (layout, plus, minus, z) in enumerate([("us", 21, 20, 52), ("jp", 47, 20, 52), ("de", 35, 61, 29)]):
        subprocess.run(["setxkbmap", "-layout", layout], env=s.env, check=True)
        # Three pages on with Shift+plus, back one with Shift+minus and one with minus: one on.
        for keys in [(shift, plus)] * 3 + [(shift, minus), (minus,), (one,)]:
            xtest_keys(s, *keys)
        wait_for(lambda: "a.jpg" not in listing(src), "a.jpg sent")
        where = [i for i, d in enumerate(dirs) if "a.jpg" in listing(d)]
        check(where == [n + 1], "%s: the page keys went to page %r, not %d" % (layout, where, n + 1))
        # Ctrl+Z by the key that types "z" in this layout brings it back for the next layout.
        xtest_keys(s, ctrl, z)
        wait_for(lambda: "a.jpg" in listing(src), "%s: a.jpg back after Ctrl+Z" % layout)
    s.close()


@case
def ctrl_z_takes_back_each_action_in_turn(s):
    src = photos(s, ["a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"])
    one, trip, three = slot_dirs(s, "one", "trip", "three")
    library(s, ["P"], {(0, 1): ("one", one + "/"), (0, 2): ("trip", trip + "/"), (0, 3): ("three", three + "/")})
    options(s, owMemIndSeqNum=1)
    numbers = "".join('"IndividualTrans",0,%d,%s\n' % (n, '1,"trip",41' if n == 2 else '0,"",1')
                      for n in range(10))
    s.write_config("設定_個別転送.ini", numbers)
    stored = read_config(s, "設定_個別転送.ini")
    trash = os.path.join(s.home, ".local/share/Trash")

    def disk():
        return {"src": tree(src), "sorted": tree(s.path("sorted")), "trash": tree(trash)}

    before = disk()
    s.start(src)
    # a -> one, b -> trip_041.jpg, c copied to three, d to the trash, e -> three.
    s.keys("1", "2", "c", "3", "m", "space", "Delete", "3")
    wait_for(lambda: listing(src) == ["c.jpg"] and listing(three) == ["c.jpg", "e.jpg"], "five actions")
    check(listing(trip) == ["trip_041.jpg"] and listing(one) == ["a.jpg"], "moved: %r" % disk()["sorted"].keys())
    check(os.listdir(os.path.join(trash, "files")) == ["d.jpg"], "d.jpg in the trash")
    for _ in range(3):
        chord(s, "ctrl", "z")
    wait_for(lambda: listing(src) == ["c.jpg", "d.jpg", "e.jpg"] and listing(three) == [], "three taken back")
    with BusyCores():
        s.xdo("keydown", "ctrl", "keydown", "z")
        time.sleep(1.5)  # held: the server repeats it
        s.xdo("keyup", "z", "keyup", "ctrl")
        s.keys("1")  # a transfer after it: once it is done, every event before it was handled
        wait_for(lambda: len(listing(one)) == 2, "the 1 after the held Ctrl+Z")
    check(listing(trip) == [] and listing(one) == ["a.jpg", "b.jpg"],
          "a held Ctrl+Z took back one action: %r %r" % (listing(trip), listing(one)))
    chord(s, "ctrl", "z")                    # the 1
    chord(s, "ctrl", "z")                    # a
    wait_for(lambda: disk() == before, "the source, the slots and the trash as before")
    s.close()
    check(read_config(s, "設定_個別転送.ini") == stored, "the next numbers as before: %r" % read_config(
        s, "設定_個別転送.ini"))
