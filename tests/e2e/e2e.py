#!/usr/bin/env python3
"""End-to-end cases: the built program under Xvfb, driven with xdotool like a person.

Each case gets a fresh copy of the program folder (the executable and dll/), its own HOME, and
its own X server, and checks only what a person could see: files on disk, the configuration
files, the window title.
"""
import argparse
import shutil
import sys

# The modules sit beside the sources: no bytecode cache written into the source tree.
sys.dont_write_bytecode = True

import harness  # noqa: E402
from harness import CASES, Failure, Session  # noqa: E402
import cases_files  # noqa: E402,F401  (each case module registers its cases on import)
import cases_keys  # noqa: E402,F401
import cases_record  # noqa: E402,F401
import cases_windows  # noqa: E402,F401


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program-dir", required=True)
    ap.add_argument("--camera-files", help="the make_camera_files tool, for the cases that need RAW files")
    ap.add_argument("cases", nargs="*")
    a = ap.parse_args()
    harness.CAMERA_FILES = a.camera_files
    names = a.cases or sorted(CASES)
    failed = 0
    for name in names:
        s = Session(a.program_dir)
        try:
            CASES[name](s)
            print("PASS", name)
        except Failure as e:
            failed += 1
            print("FAIL", name, "-", e)
            try:
                with open(s.path("orvane.log")) as f:
                    print(f.read()[-3000:])
            except OSError:
                pass
        finally:
            s.stop()
            if not failed:
                shutil.rmtree(s.root, ignore_errors=True)
    print("%d passed, %d failed" % (len(names) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
