#!/usr/bin/env python3
"""Makes a demo photo folder and starts Orvane on it, so a newcomer can sort at once.

The demo gets a program folder of its own (a copy of the build's), so the user's own
configuration beside the built program is never touched. Its first page has four slots that
point at demo destination folders. Without a display it runs the same demo under Xvfb, types a
short sorting session, saves screenshots and prints where the files went.
"""
import argparse
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import e2e  # noqa: E402  (the Xvfb and window-closing helpers)

KINDS = ["jpg", "png", "bmp", "gif"]
COLORS = ["tomato", "gold", "seagreen", "steelblue", "orchid", "sienna", "slateblue", "coral"]
SLOTS = [("風景", "landscape"), ("人物", "people"), ("あとで", "later"), ("ボツ", "rejected")]


def make_photos(folder, count):
    os.makedirs(folder, exist_ok=True)
    for i in range(count):
        kind = KINDS[i % len(KINDS)]
        color = COLORS[i % len(COLORS)]
        # Every eighth one is a large photo, to show fitting and sliding.
        w, h = (4000, 3000) if i % 8 == 7 else (800 + 40 * (i % 5), 600)
        name = os.path.join(folder, "demo_%02d.%s" % (i + 1, kind))
        subprocess.run(["convert", "-size", "%dx%d" % (w, h), "gradient:%s-white" % color,
                        "-font", "DejaVu-Sans", "-gravity", "center", "-pointsize", str(h // 6), "-fill", "black",
                        "-annotate", "0", "%d" % (i + 1), name], check=True)


def write_cp932(path, lines):
    with open(path, "wb") as f:
        f.write("".join(l + "\r\n" for l in lines).encode("cp932"))


def prepare(program_dir, out, count):
    if os.path.isdir(out):
        shutil.rmtree(out)
    prog = os.path.join(out, "program")
    os.makedirs(os.path.join(prog, "config"))
    shutil.copy2(os.path.join(program_dir, "orvane"), prog)
    if os.path.isdir(os.path.join(program_dir, "dll")):
        shutil.copytree(os.path.join(program_dir, "dll"), os.path.join(prog, "dll"))
    photos = os.path.join(out, "photos")
    print("Making %d demo images in %s ..." % (count, photos))
    make_photos(photos, count)
    folders = []
    for title, name in SLOTS:
        d = os.path.join(out, "sorted", name)
        os.makedirs(d)
        folders += [title, d + "/"]
    folders += [""] * (20 - len(folders))
    write_cp932(os.path.join(prog, "config", "設定_ページ.ini"), ["デモ"])
    write_cp932(os.path.join(prog, "config", "設定_フォルダ.ini"), folders)
    return prog, photos


def headless(prog, photos, out):
    print("No display: running the demo under Xvfb and typing a short session.")
    x = e2e.Xvfb()
    env = dict(os.environ, DISPLAY=x.display, QT_QPA_PLATFORM="xcb")
    shots = os.path.join(out, "screenshots")
    os.makedirs(shots)
    app = subprocess.Popen([os.path.join(prog, "orvane"), photos], env=env)
    try:
        def xdo(*a):
            return subprocess.run(["xdotool"] + list(a), env=env, check=True, text=True,
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
        window = None
        for _ in range(200):
            ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Orvane"], env=env,
                                 text=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.split()
            if ids:
                window = ids[-1]
                break
            time.sleep(0.1)
        if window is None:
            raise SystemExit("Orvane did not open a window")
        xdo("windowfocus", "--sync", window)
        time.sleep(1)

        def shot(name):
            subprocess.run(["import", "-window", "root", os.path.join(shots, name)], env=env, check=True)

        shot("01-start.png")
        for key in ["0", "1", "space", "2", "3", "Return"]:
            xdo("keydown", key)
            xdo("keyup", key)
            time.sleep(0.4)
        shot("02-after-sorting.png")
        e2e.send_delete_window(x.display, int(window))
        app.wait(30)
    finally:
        if app.poll() is None:
            app.kill()
        x.stop()
    print("Screenshots: %s" % shots)


def report(out):
    print("Where the files went:")
    for _, name in SLOTS:
        d = os.path.join(out, "sorted", name)
        print("  %-10s %s" % (name, ", ".join(sorted(os.listdir(d))) or "-"))
    print("  %-10s %d left in %s" % ("photos", len(os.listdir(os.path.join(out, "photos"))),
                                     os.path.join(out, "photos")))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program-dir", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--count", type=int, default=32)
    a = ap.parse_args()
    out = os.path.abspath(a.out)
    prog, photos = prepare(os.path.abspath(a.program_dir), out, a.count)
    if os.environ.get("DISPLAY") or os.environ.get("WAYLAND_DISPLAY"):
        print("Orvane is open on %s: Space steps, 0-3 sort into %s." % (photos, os.path.join(out, "sorted")))
        subprocess.run([os.path.join(prog, "orvane"), photos])
    else:
        headless(prog, photos, out)
    report(out)


if __name__ == "__main__":
    main()
