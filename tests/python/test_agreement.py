"""render() gives what diffrascope-render gives for the same settings typed on its
command line: its FITS data (as float32) and header keywords, its 8-bit picture
and its --metrics JSON, for single images, white light, sheets and every aberration."""

import json

import numpy
import pytest
from astropy.io import fits

import diffrascope

SPECTRUM_FILE = "<spectrum file>"  # stands for a spectrum file the test writes
OBJECT_FILE = "<object file>"  # stands for an object's picture the test writes
# Keywords CFITSIO writes for the file's structure, not for the star image.
STRUCTURE = {"SIMPLE", "BITPIX", "NAXIS", "NAXIS1", "NAXIS2", "EXTEND", "XTENSION", "PCOUNT", "GCOUNT", "COMMENT",
             "LONGSTRN"}

# The keywords, and the same settings as the renderer's user types them.
CASES = [
    ({}, []),
    (dict(spherical=0.25, focus=-0.5, obstruction=33, wavelength=632.8),
     ["--spherical", "0.25", "--focus", "-0.5", "--obstruction", "33", "--wavelength", "632.8"]),
    (dict(coma=(0.3, 30), astigmatism=(0.2, 45), zernike={8: 0.05, 11: -0.1}, spider=(4, 1.0, 45), view="full",
          grid=256),
     ["--coma", "0.3@30", "--astigmatism", "0.2@45", "--zernike", "8=0.05,11=-0.1", "--spider", "4,1@45",
      "--view", "full", "--grid", "256"]),
    (dict(zernike=[(5, 0.1), (9, -0.05)], coma=-0.4, spider=(3, 2)),
     ["--zernike", "5=0.1,9=-0.05", "--coma", "-0.4", "--spider", "3,2"]),
    (dict(spectrum="visual", obstruction=20, coma=0.2, display="log", decades=5),
     ["--spectrum", "visual", "--obstruction", "20", "--coma", "0.2", "--display", "log", "--decades", "5"]),
    (dict(spectrum=(450, 650, 50), astigmatism=0.5, field=30, panel=64),
     ["--spectrum", "450:650:50", "--astigmatism", "0.5", "--field", "30", "--panel", "64"]),
    (dict(spectrum=SPECTRUM_FILE, spherical=-0.3), ["--spectrum", SPECTRUM_FILE, "--spherical", "-0.3"]),
    (dict(spherical=0.25, obstruction=33, startest=8), ["--spherical", "0.25", "--obstruction", "33", "--startest", "8"]),
    (dict(spherical=0.5, through_focus=(-2, 2, 2), f_ratio=5, panel=96, display="log"),
     ["--spherical", "0.5", "--through-focus", "-2:2:2", "--f-ratio", "5", "--panel", "96", "--display", "log"]),
    (dict(astigmatism=1, f_ratio=8, startest_mm=2), ["--astigmatism", "1", "--f-ratio", "8", "--startest-mm", "2"]),
    (dict(turned_edge=(-0.1, 0.85), zone=[(0.4, 0.05, 0.1), (0.7, -0.05, 0.05)], roughness=(0.02, 10, 30), seed=5,
          grid=512),
     ["--turned-edge", "-0.1@0.85", "--zone", "0.4,0.05,0.1", "--zone", "0.7,-0.05,0.05", "--roughness", "0.02@10:30",
      "--seed", "5", "--grid", "512"]),
    (dict(f_ratio=4.8, defocus_mm=1.014, ee_radii=(5, 10.5)),
     ["--f-ratio", "4.8", "--defocus-mm", "1.014", "--ee-radii", "5,10.5"]),
    (dict(aperture_mm=200, companion=[(0.7, 0.5, 60), (1.5, 2)], normalize="flux", scale_bar=True, grid=512),
     ["--aperture-mm", "200", "--companion", "0.7,0.5@60", "--companion", "1.5,2", "--normalize", "flux",
      "--scale-bar", "--grid", "512"]),
    (dict(aperture_mm=100, object=OBJECT_FILE, object_scale=0.2, normalize="flux", field=60),
     ["--aperture-mm", "100", "--object", OBJECT_FILE, "--object-scale", "0.2", "--normalize", "flux",
      "--field", "60"]),
    (dict(aperture_mm=200, seeing=8, spectrum=(450, 650, 100)),
     ["--aperture-mm", "200", "--seeing", "8", "--spectrum", "450:650:100"]),
    (dict(aperture_mm=150, seeing=5, seeing_frames=4, seed=3, grid=256),
     ["--aperture-mm", "150", "--seeing", "5", "--seeing-frames", "4", "--seed", "3", "--grid", "256"]),
    (dict(aperture_mm=150, seeing=6, seeing_frames=3, average=True, startest=6, grid=256),
     ["--aperture-mm", "150", "--seeing", "6", "--seeing-frames", "3", "--average", "--startest", "6", "--grid",
      "256"]),
]


def pgm_pixels(data):
    """The rows of a binary PGM: its pixels are its last width x height bytes."""
    fields = data.split(maxsplit=3)
    width, height = int(fields[1]), int(fields[2])
    return numpy.frombuffer(data[len(data) - width * height:], dtype=numpy.uint8).reshape(height, width)


def assert_same_header(ours, theirs):
    assert list(ours) == [key for key in theirs if key not in STRUCTURE]
    for key, value in ours.items():
        # CFITSIO writes 15 significant digits
        assert theirs[key] == (pytest.approx(value, rel=1e-14) if isinstance(value, float) else value), key


@pytest.mark.parametrize("keywords, arguments", CASES, ids=[" ".join(case[1]) or "default" for case in CASES])
def test_render_gives_the_renderers_fits_data_picture_and_numbers(keywords, arguments, renderer, tmp_path):
    spectrum = tmp_path / "lamp.txt"
    spectrum.write_text("# nm weight\n480 0.5\n550 1\n620 0.25\n")
    planet = tmp_path / "planet.pgm"
    planet.write_bytes(b"P5\n16 12\n255\n" + bytes((x * 16 + y * 5) % 256 for y in range(12) for x in range(16)))
    files = {SPECTRUM_FILE: spectrum, OBJECT_FILE: planet}
    arguments = [str(files[argument]) if argument in files else argument for argument in arguments]
    keywords = {key: files[value] if isinstance(value, str) and value in files else value
                for key, value in keywords.items()}

    renderer(*arguments, "--output", "star.fits", "--metrics", "star.json")
    grey = pgm_pixels(renderer(*arguments, "--output", "-", "--metrics", "grey.json"))
    result = diffrascope.render(**keywords, metrics=True)

    with fits.open(tmp_path / "star.fits") as hdus:
        assert_same_header(result.header, hdus[0].header)
        images = hdus[1:] if len(hdus) > 1 else hdus
        assert len(result.panels) == len(images)
        for panel, header, hdu in zip(result.panels, result.panel_headers, images):
            assert numpy.array_equal(panel.astype(numpy.float32), hdu.data)
            assert_same_header(header, hdu.header)
        if len(hdus) == 1:
            assert result.image is result.panels[0]
        else:
            assert result.image is None
    assert result.metrics == json.loads((tmp_path / "star.json").read_text())
    assert numpy.array_equal(result.grey, grey)
