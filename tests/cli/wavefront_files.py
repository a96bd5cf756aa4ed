#!/usr/bin/python3
"""Measured wavefronts that astropy writes, read by diffrascope-render with
--wavefront and held against optics: a map of Zernike terms keeps the Strehl
ratio and the picture of --zernike (rows from the bottom, columns from the
left), in waves or nm; a ripple of k cycles per diameter sends light to
k lambda/D, as much as the Bessel functions say; the keywords of the figure's
errors in FITS and JSON.

Usage: wavefront_files.py PATH/TO/diffrascope-render"""

import json
import math
import os
import subprocess
import sys
import tempfile

try:
    import numpy
    from astropy.io import fits
except ImportError as missing:
    print(f"SKIP: {missing}")
    sys.exit(77)

renderer = sys.argv[1]
failures = []
SIDE = 256  # pixels across the pupil's diameter
GRID = ["--grid", "1024", "--view", "full"]
PIXEL = 0.2  # lambda/D per grid pixel at 550 nm


def check(condition, message):
    if not condition:
        failures.append(message)


def render(folder, *arguments, status=0):
    done = subprocess.run([renderer, *arguments], cwd=folder, capture_output=True, timeout=300)
    if done.returncode != status:
        sys.exit(f"FAIL: {' '.join(arguments)} exited {done.returncode}: {done.stderr.decode()}")
    return done


def pupil_coordinates(side):
    """Pixel centres x = -1 + (2i + 1)/side, rows from the bottom, as FITS holds them."""
    centres = -1 + (2 * numpy.arange(side) + 1) / side
    return numpy.meshgrid(centres, centres)  # x along a row, y up the rows


def write_map(folder, name, values, **keywords):
    header = fits.Header()
    for key, value in keywords.items():
        header[key] = value
    fits.PrimaryHDU(values, header).writeto(os.path.join(folder, name), overwrite=True)


def metrics(folder, *arguments):
    render(folder, *arguments, "--metrics", "m.json")
    with open(os.path.join(folder, "m.json")) as file:
        return json.load(file)


def bessel(order, a):
    """J0 or J1 by their power series, ample for small arguments."""
    return sum((-1) ** m * (a / 2) ** (2 * m + order) / (math.factorial(m) * math.factorial(m + order))
               for m in range(30))


with tempfile.TemporaryDirectory() as folder:
    x, y = pupil_coordinates(SIDE)
    u2 = x * x + y * y
    outside = u2 > 1
    # Noll's Z7 = sqrt 8 (3u^3 - 2u) sin(theta), Z8 the same with cos(theta): coma at 45 degrees
    coma = 0.07 * math.sqrt(8) * (3 * u2 - 2) * (y + x)
    write_map(folder, "coma.fits", numpy.where(outside, numpy.nan, coma))
    write_map(folder, "coma-nm.fits", numpy.where(outside, numpy.nan, coma * 550), BUNIT="nm")
    write_map(folder, "coma-flipped.fits", numpy.where(outside, numpy.nan, coma)[::-1])

    zernike = metrics(folder, "--zernike", "7=0.07,8=0.07", *GRID)["strehl"]
    for name in ("coma.fits", "coma-nm.fits"):
        strehl = metrics(folder, "--wavefront", name, *GRID)["strehl"]
        check(abs(strehl - zernike) <= 0.002, f"{name}: Strehl {strehl}, --zernike gives {zernike}")
    # the picture shows which way the map runs: the same as --zernike, not as its mirror image
    def grey(*arguments):  # the PGM's last 1024 x 1024 bytes
        return numpy.frombuffer(render(folder, *arguments, *GRID, "--output", "-").stdout[-1024 * 1024:], numpy.uint8)

    same, flipped = grey("--wavefront", "coma.fits").astype(int), grey("--wavefront", "coma-flipped.fits").astype(int)
    reference = grey("--zernike", "7=0.07,8=0.07").astype(int)
    check(numpy.abs(same - reference).max() <= 2, f"the map's picture differs by {numpy.abs(same - reference).max()}")
    check(numpy.abs(flipped - reference).max() > 20, "a map upside down gives the same picture")

    # exp(i a cos(pi k x)) = sum i^m J_m(a) exp(i m pi k x): orders m at m k lambda/D,
    # the first of J1(a)^2 / J0(a)^2 the core's height
    k, amplitude = 12, 0.05
    write_map(folder, "ripple.fits", numpy.where(outside, numpy.nan, amplitude * numpy.cos(math.pi * k * x)))
    render(folder, "--wavefront", "ripple.fits", *GRID, "--output", "ripple.fits.out.fits")
    with fits.open(os.path.join(folder, "ripple.fits.out.fits")) as hdus:
        image = hdus[0].data.astype(numpy.float64)
    # the optical axis: picture pixel (512, 512) from the top left, the data's rows running from the bottom
    axis_row, axis_column = 1023 - 512, 512
    rows, columns = numpy.indices(image.shape)
    radius = numpy.hypot(columns - axis_column, rows - axis_row) * PIXEL
    halo = numpy.where(radius > 4, image, 0)
    row, column = numpy.unravel_index(numpy.argmax(halo), image.shape)
    where = ((column - axis_column) * PIXEL, (row - axis_row) * PIXEL)
    check(row == axis_row and abs(abs(where[0]) - k) <= PIXEL, f"the ripple's light peaks at {where} lambda/D, not ({k}, 0)")
    a = 2 * math.pi * amplitude
    expected = (bessel(1, a) / bessel(0, a)) ** 2
    ratio = halo.max() / image[axis_row, axis_column]
    check(abs(ratio / expected - 1) <= 0.03, f"the first order holds {ratio} of the core, Bessel says {expected}")

    # a pupil that reaches beyond the map is refused
    write_map(folder, "small.fits", numpy.zeros((SIDE, SIDE)), PUPRAD=200.0)
    refused = render(folder, "--wavefront", "small.fits", "--output", "no.png", status=2)
    check(b"--wavefront" in refused.stderr and b"reaches beyond" in refused.stderr, refused.stderr.decode())
    check(not os.path.exists(os.path.join(folder, "no.png")), "a refused run wrote its picture")

    # the figure's errors in the FITS header and the JSON parameters
    figure = ["--turned-edge", "-0.25@0.85", "--zone", "0.5,0.1,0.05", "--zone", "0.3,-0.05,0.02",
              "--roughness", "0.02@5:30", "--seed", "42", "--wavefront", "coma.fits", "--grid", "512"]
    render(folder, *figure, "--output", "figure.fits", "--metrics", "figure.json",
           "--write-wavefront", "pupil.fits")
    with fits.open(os.path.join(folder, "figure.fits")) as hdus:
        header = hdus[0].header
        expected = {"TEDGE": -0.25, "TEDGEST": 0.85, "ZONES": "0.5,0.1,0.05;0.3,-0.05,0.02", "ROUGHRMS": 0.02,
                    "ROUGHBND": "5:30", "SEED": 42, "WAVEFILE": "coma.fits"}
        for key, value in expected.items():
            check(header.get(key) == value, f"{key} is {header.get(key)!r}, not {value!r}")
    with open(os.path.join(folder, "figure.json")) as file:
        parameters = json.load(file)["parameters"]
    check({key: parameters.get(key) for key in ("turned_edge", "roughness", "wavefront_file")} ==
          {"turned_edge": {"depth_waves": -0.25, "start": 0.85}, "wavefront_file": "coma.fits",
           "roughness": {"rms_waves": 0.02, "from_cycles_per_diameter": 5, "to_cycles_per_diameter": 30, "seed": 42}}
          and len(parameters.get("zones", [])) == 2, f"the JSON's parameters: {parameters}")
    # the written wavefront: waves, NaN outside the pupil, its centre and radius on the grid's
    with fits.open(os.path.join(folder, "pupil.fits")) as hdus:
        header, data = hdus[0].header, hdus[0].data
        check(header.get("BUNIT") == "waves" and data.dtype.kind == "f" and data.dtype.itemsize == 8,
              f"BUNIT {header.get('BUNIT')}, {data.dtype}")
        check(math.isclose(header.get("PUPRAD", 0), 51.2, rel_tol=1e-12) and header.get("PUPCX") == header.get("PUPCY") == (data.shape[0] + 1) / 2,
              f"PUPRAD {header.get('PUPRAD')}, PUPCX {header.get('PUPCX')}, shape {data.shape}")
        check(numpy.isnan(data[0, 0]) and numpy.isfinite(data[data.shape[0] // 2, data.shape[1] // 2]),
              "NaN outside the pupil, finite inside")

for failure in failures:
    print(f"FAIL: {failure}")
print("PASS" if not failures else f"{len(failures)} failure(s)")
sys.exit(1 if failures else 0)
