#!/usr/bin/env python3
"""Runs a desktop launcher (gtk-launch, dex) and waits for the program it starts.

A launcher starts the program and leaves at once, so the program would be handed
to init and its exit status lost. As a child subreaper this process adopts it
instead. Exits with the first failing status among the launcher and everything
it left behind (128 + N for a program ended by signal N), 0 when all succeeded.
Usage: launch_and_wait.py LAUNCHER [ARGUMENT...]
"""
import ctypes
import os
import subprocess
import sys

PR_SET_CHILD_SUBREAPER = 36  # from <linux/prctl.h>


def exit_code(wait_status):
    code = os.waitstatus_to_exitcode(wait_status)
    return 128 - code if code < 0 else code


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
        sys.exit("launch_and_wait: cannot become a subreaper: " + os.strerror(ctypes.get_errno()))
    status = subprocess.run(sys.argv[1:]).returncode
    status = 128 - status if status < 0 else status
    while True:
        try:
            _, wait_status = os.wait()
        except ChildProcessError:  # nothing left to adopt
            break
        status = status or exit_code(wait_status)
    sys.exit(status)


if __name__ == "__main__":
    main()
