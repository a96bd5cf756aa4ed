"""Ctrl-C stops a long computation: render() raises KeyboardInterrupt soon
after the signal, and the interpreter goes on to compute the next image. The
job alone takes many minutes; the limit proves it was stopped even on a busy
machine, and scripts/bench measures the real delay (a fraction of a second)."""

import signal
import subprocess
import sys
import time

LIMIT = 10.0  # seconds from the signal to KeyboardInterrupt
RUNNING = 1.0  # seconds the computation runs before the signal
# Many minutes of work: 701 wavelengths on the largest grid, with coma.
LONG_JOB = "diffrascope.render(grid=4096, view='full', coma=0.3, spectrum=(300, 1000, 1))"

CHILD = f"""
import sys, time, diffrascope
try:
    print("computing", flush=True)
    {LONG_JOB}
    print("finished", flush=True)
except KeyboardInterrupt:
    print("interrupted", flush=True)
print("next", diffrascope.render().image.max(), flush=True)
"""


def test_ctrl_c_stops_a_long_computation_and_the_interpreter_goes_on():
    child = subprocess.Popen([sys.executable, "-c", CHILD], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        assert child.stdout.readline() == "computing\n"
        time.sleep(RUNNING)
        child.send_signal(signal.SIGINT)
        sent = time.monotonic()
        assert child.stdout.readline() == "interrupted\n"
        latency = time.monotonic() - sent
        assert child.stdout.readline() == "next 1.0\n"
        assert child.wait(timeout=60) == 0
        assert child.stderr.read() == ""
    finally:
        child.kill()
        child.wait()
    assert latency < LIMIT
