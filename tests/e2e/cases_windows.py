"""The window and its dialogs: first start, fit mode, placement, a second start handing its path
over, and the editor and options dialogs."""
import os
import re
import subprocess

from harness import (
    case, Failure, check, wait_for, read_config, library, photos, slot_dirs, listing, click,
    open_menu, visible)


@case
def first_run_writes_default_files(s):
    s.start()
    check(s.title() == "Orvane", "caption at start: %r" % s.title())
    check(os.path.isdir(os.path.join(s.prog, "config")), "config/ created at start")
    # The window carries Orvane's own icon, small and large, for the panel and the switcher.
    props = subprocess.run(["xprop", "-id", s.window, "_NET_WM_ICON"], env=s.env, text=True,
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
    sizes = re.findall(r"Icon \((\d+) x \d+\)", props)
    check("16" in sizes and "128" in sizes, "the window's icon sizes: %r" % sizes)
    s.close()
    opts = read_config(s, "設定_オプション.ini")
    check(opts.count(b"\r\n") == 11, "eleven lines in the options file: %r" % opts)
    check(opts.startswith(b'"DelTrash",0\r\n'), "DelTrash first: %r" % opts[:40])
    seq = read_config(s, "設定_個別転送.ini")
    check(seq.count(b"\r\n") == 10, "ten lines in the sequence file")
    check(seq.startswith(b'"IndividualTrans",0,0,0,"",1\r\n'), "first sequence line: %r" % seq[:40])


@case
def enter_and_right_click_toggle_fit_mode(s):
    src = photos(s, ["a.jpg"])
    s.start(src)
    s.keys("Return")
    s.close()
    check(b'"CurrentFullMode",-1\r\n' in read_config(s, "設定_オプション.ini"), "Enter turned fit mode on")
    s.start(src)
    x, y = 400, 250
    s.xdo("mousemove", "--window", s.window, str(x), str(y))
    s.xdo("click", "3")
    s.close()  # handled after the click, which came first
    check(b'"CurrentFullMode",0\r\n' in read_config(s, "設定_オプション.ini"), "right click turned it off")


@case
def window_placement_is_restored(s):
    s.start()
    s.xdo("windowsize", "--sync", s.window, "800", "600")
    s.xdo("windowmove", "--sync", s.window, "120", "90")
    s.close()
    opts = read_config(s, "設定_オプション.ini").decode("cp932")
    line = [l for l in opts.split("\r\n") if l.startswith('"StateWndMain"')][0]
    left, top, right, bottom, show = [int(v) for v in line.split(",")[1:]]
    check((right - left, bottom - top) == (800, 600), "saved size: %s" % line)
    check(show == 1, "saved state: %s" % line)
    s.start()
    geo = s.xdo("getwindowgeometry", s.window)
    check("800x600" in geo, "restored size: %s" % geo)
    s.close()


def frame_on_screen(s):
    """The window's frame (title bar and borders, from _NET_FRAME_EXTENTS) as left, top, right,
    bottom in screen pixels, or None while the window manager has not framed it."""
    # xwininfo, not xdotool: under a reparenting window manager xdotool adds the frame's offset.
    info = subprocess.run(["xwininfo", "-id", s.window], env=s.env, text=True,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
    x, y, w, h = [int(re.search(key + r":\s+(-?\d+)", info).group(1))
                  for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")]
    props = subprocess.run(["xprop", "-id", s.window, "_NET_FRAME_EXTENTS"], env=s.env, text=True,
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
    found = re.search(r"= (\d+), (\d+), (\d+), (\d+)", props)
    if not found:
        return None
    left, right, top, bottom = [int(v) for v in found.groups()]
    return x - left, y - top, x + w + right, y + h + bottom


@case
def a_placement_at_the_screen_top_keeps_its_title_bar_on_screen_at_one_and_a_half(s):
    # Saved at 1x with the window's top at the screen's top and past it; reopened at 1.5x under
    # a window manager, whose frame puts the title bar above the client area.
    s.write_config("設定_オプション.ini", '"StateWndMain",0,-10,1280,990,1\n')
    wm = subprocess.Popen(["openbox", "--sm-disable"], env=s.env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
    try:
        def wm_ready():
            return "window id" in subprocess.run(
                ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=s.env, text=True,
                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
        wait_for(wm_ready, "the window manager")
        s.env["QT_SCALE_FACTOR"] = "1.5"
        s.start()
        screen = (0, 0, 1280, 1024)

        def inside():
            f = frame_on_screen(s)
            return f is not None and f[0] >= screen[0] and f[1] >= screen[1] and \
                f[2] <= screen[2] and f[3] <= screen[3]
        try:
            wait_for(inside, "the frame inside the screen")
        except Failure:
            raise Failure("the frame, title bar included, is not inside %r: %r" % (screen, frame_on_screen(s)))
        s.close()
    finally:
        wm.terminate()
        wm.wait()


@case
def second_start_hands_its_path_to_the_running_window(s):
    first = photos(s, ["a.jpg"], folder='my "best" photos')
    second = photos(s, ["a.jpg", 'say "hi".jpg'], folder='x/a"b')
    (dest,) = slot_dirs(s, "d")
    library(s, ["P"], {(0, 1): ("d", dest + "/")})
    # Relative, with blanks, double quotes and a ".." step: used as it stands, shown tidy.
    s.start('my "best" photos/../my "best" photos')
    wait_for(lambda: first in s.title(), "the first folder in the caption")
    check(s.title() == "Orvane [ %s/ ]" % first, "caption: %r" % s.title())
    os.makedirs(s.path("elsewhere"))
    try:
        other = subprocess.run([os.path.join(s.prog, "orvane"), '../x/a"b/say "hi".jpg'], env=s.env,
                               cwd=s.path("elsewhere"), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, timeout=30)
    except subprocess.TimeoutExpired:
        raise Failure("the second start did not end: it opened a window of its own")
    check(other.returncode == 0, "the second start ended with %s" % other.returncode)
    wait_for(lambda: second in s.title(), "the handed folder in the caption")
    s.xdo("windowfocus", "--sync", s.window)
    s.keys("1")  # the handed file is the one shown, not the folder's first
    wait_for(lambda: listing(dest) == ['say "hi".jpg'], "the handed file moved")
    s.close()


@case
def editor_and_options_dialog_rewrite_their_files(s):
    dest = s.path("typed", "folder")
    os.makedirs(dest)
    s.start()
    ed = open_menu(s, "o", "f", "ショートカットフォルダ設定")
    click(s, ed, 50, 399)                    # 新規: a new page before the current one, current
    click(s, ed, 559, 167)                   # slot 2's folder path
    s.xdo("type", "--delay", "20", dest + "/")
    click(s, ed, 266, 167)                   # slot 2's title
    s.xdo("type", "--delay", "20", "Typed")
    click(s, ed, 842, 430)                   # 閉じる
    # Written in this order at close: folder file, page file, option file 1.
    wait_for(lambda: os.path.exists(s.config("設定_個別転送.ini")), "option file 1 written at close")
    pages = read_config(s, "設定_ページ.ini").decode("cp932").split("\r\n")
    check(pages == ["新しいページ", "新規ページ", ""], "pages: %r" % pages)
    folders = read_config(s, "設定_フォルダ.ini").decode("cp932").split("\r\n")
    check(len(folders) == 41, "folder file of two pages: %d lines" % (len(folders) - 1))
    check(folders[4:6] == ["Typed", dest + "/"], "slot 2 of the new page: %r" % folders[4:6])
    check(folders[20] == "マイドキュメント", "the default page moved on: %r" % folders[20])
    check(read_config(s, "設定_個別転送.ini").count(b"\r\n") == 20, "option file 1 rewritten for two pages")

    opt = open_menu(s, "o", "o", "オプション")
    click(s, opt, 282, 155)                  # 0の桁数
    s.keys("Down", "Return")                 # 3 -> 4 digits
    click(s, opt, 292, 253)                  # 決定
    wait_for(lambda: os.path.exists(s.config("設定_オプション.ini")), "option file 0 written on OK")
    check(b'"owSequenceNum",3\r\n' in read_config(s, "設定_オプション.ini"), "four digits saved")
    before = read_config(s, "設定_オプション.ini")
    opt = open_menu(s, "o", "o", "オプション")
    click(s, opt, 282, 155)
    s.keys("Down", "Return")
    s.keys("Escape")                         # cancel: nothing written
    wait_for(lambda: not visible(s, "オプション"), "the cancelled dialog to close")
    # Opened again from the main window: by then the Escape before it was handled in full.
    open_menu(s, "o", "o", "オプション")
    check(read_config(s, "設定_オプション.ini") == before, "cancel wrote nothing")
    s.keys("Escape")
    wait_for(lambda: not visible(s, "オプション"), "the dialog to close")
    s.close()
    check(b'"owSequenceNum",3\r\n' in read_config(s, "設定_オプション.ini"), "kept at exit")
