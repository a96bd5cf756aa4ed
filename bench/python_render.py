#!/usr/bin/python3
"""The Python module against numpy's own FFT, in the same run: the star image of
a pupil with coma, astigmatism, a 33 % obstruction and four 1 % vanes on a 1024
grid, once by diffrascope.render() and once by numpy.fft on the same padded
pupil sampled the same way (checked to agree). Also the call's overhead (the
keywords, the result's arrays and dicts: the call's time less the library's)
and how soon Ctrl-C stops a long computation.

Usage: python_render.py [REPETITIONS]   (with the built package on PYTHONPATH)"""

import signal
import statistics
import subprocess
import sys
import time

import numpy

import diffrascope

GRID = 1024
CROP = 256  # the renderer's default view: the centre of the grid
COMA, ASTIGMATISM = 0.3, 0.2  # waves at the pupil edge, both along +x
OBSTRUCTION = 0.33  # of the diameter
VANES, VANE_WIDTH = 4, 0.01  # vanes from the centre to the rim; width as a fraction of the diameter
KEYWORDS = dict(grid=GRID, coma=(COMA, 0), astigmatism=(ASTIGMATISM, 0), obstruction=33, spider=(VANES, 1))
PUPIL_SCALE = 0.1  # pupil radius in grid steps per grid size, at 550 nm (the model's scale)
INTERRUPTIONS = 5
LONG_JOB = "diffrascope.render(grid=4096, view='full', coma=0.3, spectrum=(300, 1000, 1))"


def numpy_star_image(n):
    """The same star image with numpy: grid point (i, j) is pupil point x = -(i - n/2) / R, y = (j - n/2) / R."""
    radius = PUPIL_SCALE * n  # grid steps, at the reference wavelength of 550 nm
    a = numpy.arange(n)[:, None] - n // 2
    b = numpy.arange(n)[None, :] - n // 2
    u = numpy.sqrt((a * a + b * b).astype(float)) / radius
    x, y = numpy.broadcast_to(-a / radius, u.shape), numpy.broadcast_to(b / radius, u.shape)
    lit = (u <= 1) & (u >= OBSTRUCTION)
    for vane in range(VANES):
        angle = 2 * numpy.pi * vane / VANES
        c, s = round(numpy.cos(angle), 15), round(numpy.sin(angle), 15)
        lit &= ~((x * c + y * s >= 0) & (numpy.abs(y * c - x * s) <= VANE_WIDTH))
    wavefront = COMA * (u * u * x) + ASTIGMATISM * (x * x)  # waves
    pupil = numpy.where(lit, numpy.exp(2j * numpy.pi * wavefront), 0)
    intensity = numpy.abs(numpy.fft.fftshift(numpy.fft.ifft2(numpy.fft.ifftshift(pupil)))) ** 2
    first = n // 2 - CROP // 2
    picture = intensity.T[first:first + CROP, first:first + CROP]  # picture column x is grid row x
    return picture[::-1] / intensity.max()  # the bottom row first, as the FITS data


def median_ms(work, repetitions):
    times = []
    for _ in range(repetitions):
        start = time.perf_counter()
        work()
        times.append(time.perf_counter() - start)
    return statistics.median(times) * 1e3


def render_figures(repetitions, threads):
    """Median ms of the call and of the library's share, and the call's overhead (median and least) over the library."""
    diffrascope.render(**KEYWORDS, threads=threads)  # warm: numpy's C interface, the allocator
    totals, libraries = [], []
    for _ in range(repetitions):
        start = time.perf_counter()
        result = diffrascope.render(**KEYWORDS, threads=threads)
        totals.append(time.perf_counter() - start)
        libraries.append(result._compute_seconds)
    overheads = [(total - library) / library for total, library in zip(totals, libraries)]
    return (statistics.median(totals) * 1e3, statistics.median(libraries) * 1e3, statistics.median(overheads),
            min(overheads))


def interruption_ms():
    child_code = f"import diffrascope\nprint('computing', flush=True)\ntry:\n    {LONG_JOB}\nexcept KeyboardInterrupt:\n    print('stopped', flush=True)\n"
    child = subprocess.Popen([sys.executable, "-c", child_code], stdout=subprocess.PIPE, text=True)
    child.stdout.readline()
    time.sleep(1)
    sent = time.monotonic()
    child.send_signal(signal.SIGINT)
    assert child.stdout.readline() == "stopped\n"
    latency = (time.monotonic() - sent) * 1e3
    child.wait()
    return latency


def main():
    repetitions = int(sys.argv[1]) if len(sys.argv) > 1 else 40
    ours = diffrascope.render(**KEYWORDS).image
    difference = numpy.abs(numpy_star_image(GRID) - ours).max()
    assert difference < 1e-9, f"numpy's image differs by {difference}"

    numpy_ms = median_ms(lambda: numpy_star_image(GRID), max(3, repetitions // 4))
    pupil = numpy.ones((GRID, GRID), complex)
    fft_ms = median_ms(lambda: numpy.fft.ifft2(pupil), max(3, repetitions // 4))
    print(f"Python module against numpy {numpy.__version__}, grid {GRID}: coma {COMA}, astigmatism {ASTIGMATISM}, "
          f"{OBSTRUCTION:.0%} obstruction, {VANES} vanes of {VANE_WIDTH:.0%}; the {CROP} x {CROP} centre")
    print(f"numpy's image and render()'s differ by at most {difference:.1e}")
    print(f"{'':28} {'ms':>8} {'library':>8} {'overhead (least)':>17} {'x numpy':>8}")
    print(f"{'numpy.fft (one thread)':28} {numpy_ms:8.2f} {'':8} {'':17} {1:8.1f}   (its ifft2 alone {fft_ms:.2f} ms)")
    for label, threads in (("render(threads=1)", 1), ("render() (every core)", 0)):
        total, library, overhead, least = render_figures(repetitions, threads)
        print(f"{label:28} {total:8.2f} {library:8.2f} {overhead:8.1%} ({least:5.1%}) {numpy_ms / total:8.1f}")
    latencies = [interruption_ms() for _ in range(INTERRUPTIONS)]
    print(f"Ctrl-C during {LONG_JOB}: KeyboardInterrupt after {statistics.median(latencies):.0f} ms "
          f"(median of {INTERRUPTIONS}; {min(latencies):.0f} to {max(latencies):.0f} ms)")


if __name__ == "__main__":
    main()
