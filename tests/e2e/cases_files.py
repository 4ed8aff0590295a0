"""Files on disk: name collisions, sequence names, deleting, and files that claim more than they
hold."""
import os
import struct
import subprocess
import zlib

from harness import (
    case, check, wait_for, read_config, library, options, photos, slot_dirs, listing,
    answer_box)


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
