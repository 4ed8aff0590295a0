"""Files on disk: name collisions, sequence names, deleting, files that claim more than they
hold, and camera RAW files beside their JPEG files."""
import os
import struct
import subprocess
import zlib

from harness import (
    case, check, wait_for, read_config, library, options, photos, slot_dirs, listing,
    answer_box, chord, find_window, visible, camera_files)


@case
def collision_modes(s):
    src = photos(s, ["a.jpg", "b.jpg", "c.jpg"])
    (dest,) = slot_dirs(s, "d")
    for n in ["a.jpg", "b.jpg", "c.jpg"]:
        s.image(os.path.join(dest, n), color="white")
    before = {n: open(os.path.join(dest, n), "rb").read() for n in listing(dest)}
    incoming = {n: open(os.path.join(src, n), "rb").read() for n in listing(src)}
    library(s, ["P"], {(0, 0): ("d", dest + "/")})
    options(s, owMode=0, DelTrash=1)
    s.start(src)
    s.keys("0")                          # ask: No keeps both
    answer_box(s, "上書き確認", "Tab", "Return")
    check(open(os.path.join(dest, "a.jpg"), "rb").read() == before["a.jpg"], "No kept the old a.jpg")
    check("a.jpg" in listing(src), "No kept the source")
    s.keys("0")                          # ask again: Yes (the default) replaces
    answer_box(s, "上書き確認", "Return")
    wait_for(lambda: "a.jpg" not in listing(src), "a.jpg moved after Yes")
    check(open(os.path.join(dest, "a.jpg"), "rb").read() == incoming["a.jpg"], "Yes replaced a.jpg")
    s.close()
    # The Return that closed the box went down in the box: the window did not toggle fit mode.
    check(b'"CurrentFullMode",0\r\n' in read_config(s, "設定_オプション.ini"), "fit mode untouched")

    options(s, owMode=1, DelTrash=0)
    s.start(src)
    s.keys("0")                          # overwrite: the old b.jpg goes to the trash
    wait_for(lambda: "b.jpg" not in listing(src), "b.jpg moved")
    trash = os.path.join(s.home, ".local/share/Trash")
    check(open(os.path.join(trash, "files", "b.jpg"), "rb").read() == before["b.jpg"], "old b.jpg in the trash")
    check(open(os.path.join(dest, "b.jpg"), "rb").read() == incoming["b.jpg"], "new b.jpg in place")
    s.close()

    options(s, owMode=2)
    s.start(src)
    s.keys("0")                          # numbered: c_001.jpg beside c.jpg
    wait_for(lambda: "c_001.jpg" in listing(dest), "c_001.jpg")
    check(open(os.path.join(dest, "c.jpg"), "rb").read() == before["c.jpg"], "c.jpg untouched")
    check(listing(src) == [], "all sorted")
    s.close()


@case
def individual_sequence_transfer(s):
    src = photos(s, ["x.jpg", "y.jpg", "z.jpg", "w.jpg"])
    plain, kept = slot_dirs(s, "plain", "kept")
    with open(os.path.join(plain, "trip_001.png"), "wb") as f:
        f.write(b"taken")
    library(s, ["P"], {(0, 4): ("plain", plain + "/"), (0, 5): ("kept", kept + "/")})
    s.write_config("設定_個別転送.ini",
                   '"IndividualTrans",0,4,1,"trip",1\n"IndividualTrans",0,5,1,"",41\n')
    s.start(src)
    s.keys("4", "4")
    wait_for(lambda: listing(plain) == ["trip_001.png", "trip_002.jpg", "trip_003.jpg"], "trip names")
    s.close()
    check(b'"IndividualTrans",0,4,1,"trip",1\r\n' in read_config(s, "設定_個別転送.ini"),
          "the number is not remembered with owMemIndSeqNum 0")
    options(s, owMemIndSeqNum=1)
    s.start(src)
    s.keys("5", "5")
    wait_for(lambda: listing(kept) == ["041.jpg", "042.jpg"], "bare numbers from 41")
    s.close()
    check(b'"IndividualTrans",0,5,1,"",43\r\n' in read_config(s, "設定_個別転送.ini"), "next number 43 saved")


@case
def delete_to_trash_and_directly(s):
    src = photos(s, ["a.jpg", "b.jpg"])
    s.start(src)
    s.keys("Delete")
    wait_for(lambda: listing(src) == ["b.jpg"], "a.jpg deleted")
    trash = os.path.join(s.home, ".local/share/Trash")
    check(os.path.exists(os.path.join(trash, "files", "a.jpg")), "a.jpg in the trash")
    with open(os.path.join(trash, "info", "a.jpg.trashinfo")) as f:
        info = f.read()
    check(info.startswith("[Trash Info]") and ("Path=" + src + "/a.jpg") in info and "DeletionDate=" in info,
          "a valid .trashinfo: %r" % info)
    s.close()
    options(s, DelTrash=1)
    s.start(src)
    s.keys("Delete")
    wait_for(lambda: listing(src) == [], "b.jpg deleted")
    check(not os.path.exists(os.path.join(trash, "files", "b.jpg")), "b.jpg not in the trash")
    s.close()


def png_claiming_a_huge_chunk(path):
    """A 1 x 1 PNG of about a hundred bytes whose text chunk declares 2 GiB."""
    def chunk(kind, data, length=None):
        n = len(data) if length is None else length
        return struct.pack(">I", n) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 1, 1, 8, 0, 0, 0, 0))
                + chunk(b"tEXt", b"Comment\0hi", 0x7fffffff)
                + chunk(b"IDAT", zlib.compress(b"\0\0")) + chunk(b"IEND", b""))


def progressive_jpeg_claiming(s, path, width, height):
    """A progressive 16 x 16 JPEG (a few kilobytes) whose frame header claims width x height."""
    s.image(path, 16, 16, "blue")
    subprocess.run(["convert", path, "-interlace", "JPEG", path], check=True)
    with open(path, "rb") as f:
        data = bytearray(f.read())
    sof = data.find(b"\xff\xc2")
    check(sof > 0, "ImageMagick wrote a progressive JPEG")
    data[sof + 5:sof + 9] = struct.pack(">HH", height, width)
    with open(path, "wb") as f:
        f.write(data)


def peak_resident_mb(proc):
    with open("/proc/%d/status" % proc.pid) as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) // 1024
    return -1


@case
def files_claiming_gigabytes_fail_at_once_and_a_pipe_is_no_plugin(s):
    src = s.path("photos")
    os.makedirs(src)
    png_claiming_a_huge_chunk(os.path.join(src, "a.png"))
    progressive_jpeg_claiming(s, os.path.join(src, "b.jpg"), 16384, 16384)
    s.image(os.path.join(src, "c.jpg"))
    (dest,) = slot_dirs(s, "d")
    library(s, ["P"], {(0, 3): ("d", dest + "/")})
    s.start(os.path.join(src, "a.png"))
    # Each refused file fails like a broken one, so a digit sends nothing; the good one goes.
    s.keys("3", "space", "3", "space", "3")
    wait_for(lambda: listing(dest) == ["c.jpg"], "c.jpg moved", 60)
    check(listing(src) == ["a.png", "b.jpg"], "the refused files stay: %r" % listing(src))
    peak = peak_resident_mb(s.app)
    print("    peak memory %d MB" % peak)
    check(peak < 1024, "peak memory %d MB" % peak)
    s.close()

    # A named pipe where the plug-in should be: opening it would wait for a writer for ever.
    os.remove(os.path.join(s.prog, "dll", "ifPNG.spi"))
    os.mkfifo(os.path.join(s.prog, "dll", "ifPNG.spi"))
    s.start(os.path.join(src, "a.png"))
    s.close()


def dismiss_message(s, box):
    """Gives the message box `box` (titled "Orvane", as the window is) the keyboard and closes it."""
    s.xdo("windowfocus", "--sync", box)
    s.keys("Return")
    wait_for(lambda: box not in visible(s, "Orvane"), "the message to close")


@case
def an_overwrite_the_trash_cannot_take_touches_nothing(s):
    # The slot's folder is a tmpfs, whose files the trash does not take; the old a.jpg there is
    # to go to the trash. The source, with a second name elsewhere, must stay the very file.
    src = photos(s, ["a.jpg", "b.jpg"])
    os.makedirs(s.path("keep"))
    os.link(os.path.join(src, "a.jpg"), s.path("keep", "a.jpg"))
    inode = os.stat(os.path.join(src, "a.jpg")).st_ino
    card = s.path("card")
    os.makedirs(card)
    if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=4m", "tmpfs", card]).returncode != 0:
        print("SKIP: cannot mount a tmpfs here (needs root)")
        return
    try:
        s.image(os.path.join(card, "a.jpg"), color="white")
        old = open(os.path.join(card, "a.jpg"), "rb").read()
        library(s, ["P"], {(0, 1): ("card", card + "/")})
        options(s, owMode=1, DelTrash=0)
        s.start(src)
        s.keys("1")
        dismiss_message(s, find_window(s, "Orvane"))   # it says why, and that both files are as they were
        st = os.stat(os.path.join(src, "a.jpg"))
        check((st.st_ino, st.st_nlink) == (inode, 2), "the very source, both names: %r" % ((st.st_ino, st.st_nlink),))
        check(listing(card) == ["a.jpg"] and open(os.path.join(card, "a.jpg"), "rb").read() == old,
              "the old file alone in the slot folder: %r" % listing(card))
        s.close()
    finally:
        subprocess.run(["umount", "-l", card])


@case
def a_picture_listed_through_a_link_moves_and_comes_back_as_a_link(s):
    photos(s, ["x.jpg"], folder="originals")
    src = photos(s, ["y.jpg"])
    os.symlink("../originals/x.jpg", os.path.join(src, "x.jpg"))
    (one,) = slot_dirs(s, "one")
    library(s, ["P"], {(0, 1): ("one", one + "/")})
    options(s, DelTrash=0)
    original = s.path("originals", "x.jpg")

    def linked(path):
        return os.path.islink(path) and os.path.exists(path) and os.path.samefile(path, original)

    s.start(src)
    s.keys("1")                          # x.jpg, the first, to the slot
    wait_for(lambda: linked(os.path.join(one, "x.jpg")), "a link in the slot reaching the picture")
    chord(s, "ctrl", "z")
    wait_for(lambda: linked(os.path.join(src, "x.jpg")), "the link back")
    s.keys("Delete")                     # x.jpg, shown again, to the trash: the link itself
    wait_for(lambda: not os.path.lexists(os.path.join(src, "x.jpg")), "the link trashed")
    check(os.path.exists(original), "the picture stays")
    chord(s, "ctrl", "z")
    wait_for(lambda: linked(os.path.join(src, "x.jpg")), "the link back from the trash")
    s.close()


@case
def a_temporary_left_by_a_run_ended_midway_is_told_at_the_next_start(s):
    # What an overwrite killed mid-way leaves: the replaced photo set aside, noted in the journal.
    (slot,) = slot_dirs(s, "one")
    left = os.path.join(slot, ".orvane-replaced-a.jpg-k3x9q2.tmp")
    with open(left, "wb") as f:
        f.write(b"the replaced photo")
    os.makedirs(os.path.dirname(s.config("x")), exist_ok=True)
    with open(s.config("一時ファイル一覧.txt"), "w") as f:
        f.write(left + "\n" + os.path.join(slot, ".orvane-incoming-b.jpg-aaaaaa.tmp") + "\n")
    s.start()                            # the first window seen is the notice, before the main one
    box = s.window
    dismiss_message(s, box)
    wait_for(lambda: [w for w in visible(s, "Orvane") if w != box], "the main window")
    s.window = visible(s, "Orvane")[-1]
    check(open(s.config("一時ファイル一覧.txt")).read() == left + "\n", "the one still there stays noted")


@case
def a_pipe_where_a_picture_was_is_stepped_past_and_the_program_still_ends(s):
    src = photos(s, ["%s.jpg" % c for c in "abcdefghij"])
    (dest,) = slot_dirs(s, "d")
    library(s, ["P"], {(0, 1): ("d", dest + "/")})
    s.start(os.path.join(src, "a.jpg"))
    # Replaced from outside once listed: opening the pipe for reading would wait for a writer.
    os.remove(os.path.join(src, "f.jpg"))
    os.mkfifo(os.path.join(src, "f.jpg"))
    # Onto e.jpg, whose neighbour the pipe is; onto the pipe, which fails like a broken file
    # (a digit sends nothing); past it, where a digit sends g.jpg once it is on screen.
    s.keys("space", "space", "space", "space", "space", "1", "space")

    def g_sent():
        if "g.jpg" not in listing(dest):
            s.keys("1")
        return "g.jpg" in listing(dest)

    wait_for(g_sent, "g.jpg sent past the pipe")
    check("f.jpg" not in listing(dest) and os.path.exists(os.path.join(src, "f.jpg")),
          "the pipe stays: %r" % listing(dest))
    s.close()


def red_left_of_blue_upright(s):
    """Whether the window shows a portrait picture, red on its left and blue on its right: a
    RAW file's preview turned upright (the green JPEG files show neither)."""
    shot = subprocess.run(["import", "-window", s.window, "-depth", "8", "ppm:-"], env=s.env, check=True,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
    magic, size, depth, pixels = shot.split(b"\n", 3)
    width, height = map(int, size.split())
    boxes = {}
    for y in range(0, height, 4):
        row = pixels[y * width * 3:(y + 1) * width * 3]
        for x in range(0, width, 4):
            r, g, b = row[3 * x:3 * x + 3]
            colour = "red" if r > 200 and g < 60 and b < 60 else "blue" if b > 200 and r < 60 and g < 60 else None
            if colour:
                x0, y0, x1, y1 = boxes.get(colour, (x, y, x, y))
                boxes[colour] = (min(x0, x), min(y0, y), max(x1, x), max(y1, y))
    if len(boxes) < 2:
        return False
    (rx0, ry0, rx1, ry1), (bx0, by0, bx1, by1) = boxes["red"], boxes["blue"]
    return rx1 < bx0 and abs(ry0 - by0) <= 4 and ry1 - ry0 > 2 * (rx1 - rx0)


@case
def a_camera_folder_lists_its_raw_files_only_with_the_extra_formats(s):
    raws = ["DSC03.ARW", "DSC_0002.NEF", "IMG_0001.CR2", "IMG_0004.dng"]
    jpegs = [n.rsplit(".", 1)[0] + ".jpg" for n in raws]
    src = camera_files(s, raws + jpegs)
    one, two = slot_dirs(s, "one", "two")
    library(s, ["P"], {(0, 1): ("one", one + "/"), (0, 2): ("two", two + "/")})
    s.write_config("設定_拡張.ini", '"ExtraFormats",1\n')
    s.start(src)
    # The natural order puts DSC_0002.jpg first and its NEF second.
    s.keys("1")
    wait_for(lambda: listing(one) == ["DSC_0002.jpg"], "the first JPEG sent")
    wait_for(lambda: red_left_of_blue_upright(s), "the NEF's preview shown upright")
    s.keys("1")
    wait_for(lambda: listing(one) == ["DSC_0002.NEF", "DSC_0002.jpg"], "the NEF sent to the slot")
    chord(s, "ctrl", "z")
    wait_for(lambda: "DSC_0002.NEF" in listing(src), "the NEF taken back")
    # Every one of the seven left is listed: a digit each sends them all.
    s.keys(*["1"] * 7)
    wait_for(lambda: listing(one) == sorted(raws + jpegs), "all eight files at the slot")
    s.close()
    # Without the option the same folder lists its JPEG files only.
    second = camera_files(s, raws + jpegs, "second")
    s.write_config("設定_拡張.ini", '"ExtraFormats",0\n')
    s.start(second)
    s.keys(*["2"] * 4)
    wait_for(lambda: listing(two) == sorted(jpegs), "the four JPEG files sent")
    check(listing(second) == sorted(raws), "the RAW files stay unlisted: %r" % listing(second))
    s.close()
