#!/usr/bin/python3
"""diffrascope-render's FITS files read back with astropy: 32-bit floats
normalised to a peak of 1, the picture's bottom row first (so that astropy with
origin='lower' and ds9 show +y up), and a header keyword for every parameter; a
sheet is one image extension per panel.

Usage: fits_readback.py PATH/TO/diffrascope-render"""

import math
import os
import subprocess
import sys
import tempfile
import warnings

try:
    import numpy
    from astropy.io import fits
except ImportError as missing:
    print(f"SKIP: {missing}")
    sys.exit(77)

renderer = sys.argv[1]
failures = []
# a FITS reader's complaint (padding after the last HDU, a bad header) is a failure
warnings.simplefilter("error")


def check(condition, message):
    if not condition:
        failures.append(message)


def render(folder, *arguments):
    done = subprocess.run([renderer, *arguments], cwd=folder, capture_output=True, timeout=120)
    if done.returncode != 0:
        sys.exit(f"FAIL: {' '.join(arguments)} exited {done.returncode}: {done.stderr.decode()}")
    return done.stdout


def pgm_pixels(data):
    """Rows of grey levels of a binary PGM: its pixels are the last width x height bytes."""
    fields = data.split(maxsplit=3)
    width, height = int(fields[1]), int(fields[2])
    return numpy.frombuffer(data[len(data) - width * height:], dtype=numpy.uint8).reshape(height, width)


def amplitude_grey(intensity):
    """The window's grey scale: min(trunc(300 sqrt(v)), 255)."""
    return numpy.minimum(numpy.floor(numpy.sqrt(intensity.astype(numpy.float64)) * 300), 255)


with tempfile.TemporaryDirectory() as folder:
    optics = ["--spherical", "0.25", "--focus", "-0.5", "--coma", "0.5@30", "--astigmatism", "0.2@-15",
              "--obstruction", "33", "--wavelength", "632.8", "--spider", "3,1.5@10",
              "--zernike", "5=0.05,12=-0.02", "--spectrum", "500:600:50", "--grid", "512", "--view", "full",
              "--aperture-mm", "250", "--f-ratio", "4"]
    render(folder, *optics, "--output", "star.fits", "--metrics", "star.json")
    check(os.path.getsize(os.path.join(folder, "star.fits")) % 2880 == 0, "the file is whole 2880-byte blocks")
    picture = pgm_pixels(render(folder, *optics, "--output", "-"))
    with fits.open(os.path.join(folder, "star.fits")) as hdus:
        check(len(hdus) == 1, f"a single image is one HDU, not {len(hdus)}")
        header, data = hdus[0].header, hdus[0].data
        check(header["BITPIX"] == -32, f"BITPIX is {header['BITPIX']}")
        check(data.shape == (512, 512), f"shape {data.shape}")
        check(data.max() == 1.0, f"the peak is {data.max()}, not 1")
        check(data.min() >= 0, "intensities are not negative")
        expected = {"SPHERAB": 0.25, "DEFOCUS": -0.5, "OBSCUR": 0.33, "WAVELEN": 632.8e-9, "GRIDSIZE": 512,
                    "PIXSCALE": 110 / 632.8, "COMA": 0.5, "COMAANG": 30, "ASTIG": 0.2, "ASTIGANG": -15,
                    "SPIDERN": 3, "SPIDERW": 0.015, "SPIDERA": 10, "BINNING": 1, "DIAM": 0.25, "FOCALLEN": 1.0,
                    # arcseconds per data pixel: 110/lambda lambda/D of lambda / D radians
                    "PIXELSCL": 110 / 632.8 * 632.8e-9 / 0.25 * 180 / math.pi * 3600}
        for key, value in expected.items():
            check(key in header and math.isclose(header[key], value, rel_tol=1e-12, abs_tol=1e-15),
                  f"{key} is {header.get(key)}, not {value}")
        for key, value in {"NORMALIZ": "peak", "ZERNIKE": "5=0.05,12=-0.02", "SPECTRUM": "500:600:50"}.items():
            check(header.get(key) == value, f"{key} is {header.get(key)!r}, not {value!r}")
        # data[y][x] is picture pixel x of row (height - 1 - y): turned upside
        # down, the window's grey scale of the data gives the PGM, within the last
        # float digit (no pattern here is symmetric)
        grey = amplitude_grey(data[::-1])
        check(numpy.abs(grey - picture).max() <= 1, "the FITS data do not run from the picture's bottom row up")
        check(numpy.abs(amplitude_grey(data) - picture).max() > 1, "the test pattern cannot tell top from bottom")
        check(numpy.abs(grey - picture.T).max() > 1, "the test pattern cannot tell rows from columns")

    render(folder, "--startest", "2", "--spherical", "0.1", "--output", "sheet.fits")
    with fits.open(os.path.join(folder, "sheet.fits")) as hdus:
        check(len(hdus) == 4, f"a sheet of three panels has {len(hdus)} HDUs")
        check(hdus[0].data is None and hdus[0].header.get("NPANELS") == 3, "the primary HDU holds the panel count")
        for k, focus in zip(range(1, 4), (-2, 0, 2)):
            check(hdus[k].header.get("EXTNAME") == f"PANEL{k}", f"extension {k} is named {hdus[k].header.get('EXTNAME')}")
            check(hdus[k].header.get("DEFOCUS") == focus, f"panel {k} has DEFOCUS {hdus[k].header.get('DEFOCUS')}")
            check(hdus[k].data.shape == (256, 256) and hdus[k].data.max() == 1.0, f"panel {k} is not 256 x 256 with peak 1")

    # A double star under flux normalisation: the pixels add up to 1, the star
    # carries 1 / (1 + 10^(-0.4 DMAG)) of the light, and its peak pixel pi/4 p^2
    # of its own (the Airy pattern's peak for a flux of 1, p the pixel in lambda/D).
    render(folder, "--aperture-mm", "200", "--companion", "5,1@45", "--normalize", "flux", "--view", "full",
           "--output", "double.fits")
    with fits.open(os.path.join(folder, "double.fits")) as hdus:
        header, data = hdus[0].header, hdus[0].data
        check(header.get("NORMALIZ") == "flux", f"NORMALIZ is {header.get('NORMALIZ')!r}, not 'flux'")
        check(math.isclose(float(data.astype(numpy.float64).sum()), 1, rel_tol=1e-5), f"the flux is {data.sum()}")
        pixel = 110 / 550
        star = math.pi / 4 * pixel ** 2 / (1 + 10 ** (-0.4))
        # the axis is grid point (256, 256): picture row 256 from the top, FITS row 255 from the bottom
        peak = data[255, 256]
        check(math.isclose(peak, star, rel_tol=0.005), f"the star's peak is {peak}, not {star}")

    # An object read from a PGM (top row first) and from FITS (row 1 at the bottom) is the same object.
    rows = numpy.array([[(7 * x + 3 * y) % 256 for x in range(24)] for y in range(16)], dtype=numpy.uint8)
    with open(os.path.join(folder, "object.pgm"), "wb") as pgm:
        pgm.write(b"P5\n24 16\n255\n" + rows.tobytes())
    fits.PrimaryHDU(rows[::-1].astype(numpy.float32)).writeto(os.path.join(folder, "object.fits"))
    seen = []
    for source in ("object.pgm", "object.fits"):
        render(folder, "--aperture-mm", "100", "--object", source, "--object-scale", "0.3", "--output", "seen.fits")
        with fits.open(os.path.join(folder, "seen.fits")) as hdus:
            seen.append(hdus[0].data.copy())
    check(numpy.array_equal(seen[0], seen[1]), "the object's FITS rows are not read from the bottom up")
    render(folder, "--aperture-mm", "150", "--seeing", "6", "--seeing-frames", "3", "--seed", "9", "--grid", "256",
           "--output", "frames.fits")
    with fits.open(os.path.join(folder, "frames.fits")) as hdus:
        check(len(hdus) == 4 and hdus[0].header.get("NPANELS") == 3, f"three frames have {len(hdus)} HDUs")
        for key, value in {"SEEINGR0": 6, "SEEFRAME": 3, "SEEAVG": 0, "SEED": 9}.items():
            check(hdus[0].header.get(key) == value, f"{key} is {hdus[0].header.get(key)}, not {value}")
        for k in range(1, 4):
            check(hdus[k].header.get("LABEL", "").startswith(f"frame {k},"), f"frame {k} is {hdus[k].header.get('LABEL')}")
        check(not numpy.array_equal(hdus[1].data, hdus[2].data), "two frames through one screen")

for failure in failures:
    print(f"FAIL: {failure}")
print("PASS" if not failures else f"{len(failures)} failure(s)")
sys.exit(1 if failures else 0)
